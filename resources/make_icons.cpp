// Writes the program icon as PNG files, FOLDER/<n>x<n>/apps/tambril.png for every
// icon size, and the icon of the encoded-file type as
// FOLDER/<n>x<n>/mimetypes/application-x-tambril.png, for installing into an
// icon theme; and both as Windows icon files, FOLDER/tambril.ico and
// FOLDER/application-x-tambril.ico, for the Windows program; and the side
// picture of the Windows installer's first and last page, FOLDER/installer.bmp.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

#include "resources/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  struct Icon {
    const char* context;
    const char* name;
    QImage (*draw)(int);
  };
  const Icon icons[] = {{"apps", "tambril", tambril::resources::ProgramIconImage},
                        {"mimetypes", "application-x-tambril", tambril::resources::EncodedFileIconImage}};
  for (const Icon& icon : icons) {
    for (int size : tambril::resources::kIconSizes) {
      const QString dir = QStringLiteral("%1/%2x%2/%3").arg(folder).arg(size).arg(QLatin1String(icon.context));
      const QString file = QStringLiteral("%1/%2.png").arg(dir, QLatin1String(icon.name));
      if (!QDir().mkpath(dir) || !icon.draw(size).save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
      }
    }
  }
  for (const Icon& icon : icons) {
    QFile file(QStringLiteral("%1/%2.ico").arg(folder, QLatin1String(icon.name)));
    const QByteArray bytes = tambril::resources::IconFile(icon.draw);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
      return 1;
    }
  }
  // 164 x 314 pixels as the installer wants it: the program icon on white.
  QImage side(164, 314, QImage::Format_RGB888);
  side.fill(Qt::white);
  {
    QPainter painter(&side);
    painter.drawImage(18, 48, tambril::resources::ProgramIconImage(128));
  }
  const QString sideFile = folder + QStringLiteral("/installer.bmp");
  if (!side.save(sideFile, "BMP")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(sideFile));
    return 1;
  }
  return 0;
}
