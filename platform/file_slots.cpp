#include "platform/file_slots.h"

#include <QFile>
#include <QHash>
#include <cerrno>
#include <mutex>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/windows.h"

namespace tambril {

namespace {

// Looks at what `path` is through a handle that never waits: without
// O_NONBLOCK, opening a pipe waits for a writer; without O_NOCTTY, a terminal
// could become the program's controlling one.
void RefuseAllButRegularFiles(const std::filesystem::path& path) {
#ifndef Q_OS_WIN
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw codec::CodecError(codec::ErrorKind::OpenSource, path, errno);
  struct stat st;
  const bool statted = ::fstat(fd, &st) == 0;
  const int error = errno;
  ::close(fd);
  if (!statted) throw codec::CodecError(codec::ErrorKind::OpenSource, path, error);
  if (S_ISDIR(st.st_mode)) throw codec::CodecError(codec::ErrorKind::OpenSource, path, EISDIR);
  if (!S_ISREG(st.st_mode)) throw NotRegularFile(path);
#else
  (void)path;
#endif
}

}  // namespace

codec::InputFile& FileSlots::openSlot1(const QString& path) {
  slot1_.reset();
  const std::filesystem::path real = ToFsPath(path);
  RefuseAllButRegularFiles(real);
  slot1_ = std::make_unique<codec::InputFile>(real);
  return *slot1_;
}

void FileSlots::closeAll() { slot1_.reset(); }

FileSlots& Files() { return Windows::get<FileSlots>(); }

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
