// Writes the program icon as PNG files, FOLDER/<n>x<n>/apps/tambril.png for every
// icon size, for installing into an icon theme.
#include <cstdio>

#include <QDir>
#include <QImage>
#include <QString>

#include "resources/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int size : tambril::resources::kIconSizes) {
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QString file = dir + QStringLiteral("/tambril.png");
    if (!QDir().mkpath(dir) || !tambril::resources::ProgramIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
