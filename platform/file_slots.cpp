#include "platform/file_slots.h"

#include <QFile>
#include <QHash>
#include <mutex>

namespace tambril {

codec::InputFile& FileSlots::openSlot1(const QString& path) {
  slot1_.reset();
  slot1_ = std::make_unique<codec::InputFile>(ToFsPath(path));
  return *slot1_;
}

void FileSlots::closeAll() { slot1_.reset(); }

QByteArray ReadWhole(const codec::InputFile& file, std::uint64_t size) {
  file.adviseSequential();
  QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
  const std::size_t got = file.readAt(0, bytes.data(), bytes.size());
  bytes.truncate(static_cast<qsizetype>(got));
  return bytes;
}

#ifdef Q_OS_WIN

// Names are UTF-16 there and every one can be shown as it is.
QString ShownName(const QByteArray& real) { return QString::fromUtf8(real); }
void RememberShownPath(const QString&, const QByteArray&) {}
QByteArray RealPath(const QString& shown) { return shown.toUtf8(); }
std::filesystem::path ToFsPath(const QString& path) { return std::filesystem::path(path.toStdWString()); }

#else

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

#endif

}  // namespace tambril
