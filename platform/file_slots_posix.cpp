// Shown and real names on POSIX systems: a name is a string of bytes, and
// one that is not UTF-8 is noted with the text it is shown as.
#include <QFile>
#include <QHash>
#include <mutex>

#include "platform/file_slots.h"

namespace tambril {

namespace {

// Shown paths whose text does not give their bytes back. Only names that are
// not UTF-8 come here, so it stays as small as the folders the user saw.
std::mutex g_mutex;
QHash<QString, QByteArray>& Noted() {
  static QHash<QString, QByteArray> noted;
  return noted;
}

}  // namespace

QString ShownName(const QByteArray& real) { return QString::fromUtf8(real); }

void RememberShownPath(const QString& shown, const QByteArray& real) {
  if (QFile::encodeName(shown) == real) return;
  std::lock_guard lock(g_mutex);
  Noted().insert(shown, real);
}

QByteArray RealPath(const QString& shown) {
  // Only a text with a replacement character can stand for other bytes.
  if (shown.contains(QChar::ReplacementCharacter)) {
    std::lock_guard lock(g_mutex);
    const QHash<QString, QByteArray>& noted = Noted();
    for (qsizetype end = shown.size(); end > 0; end = shown.lastIndexOf(QLatin1Char('/'), end - 1)) {
      const auto found = noted.constFind(shown.left(end));
      if (found != noted.constEnd()) return *found + QFile::encodeName(shown.mid(end));
    }
  }
  return QFile::encodeName(shown);
}

std::filesystem::path ToFsPath(const QString& path) { return std::filesystem::path(RealPath(path).toStdString()); }

}  // namespace tambril
