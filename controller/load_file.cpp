#include "controller/load_file.h"

#include <QDateTime>
#include <cerrno>
#include <chrono>

#include "age/age.h"
#include "codec/files.h"
#include "codec/path_marks.h"
#include "platform/file_slots.h"
#include "platform/file_system.h"

namespace tambril {
namespace {

// Refusals of the file system itself count as path or file access failures,
// and so do files that cannot be loaded as what they are: a folder, a pipe,
// a device, a file that says it is empty but has content (as files of
// /proc do; it would be encoded as empty). Everything else is a device
// failure.
bool IsAccessFailure(int errnum) {
  switch (errnum) {
    case EACCES:
    case EPERM:
    case EISDIR:
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
    case EROFS:
      return true;
    default:
      return false;
  }
}

}  // namespace

QByteArray ContentToShow(const codec::InputFile& file, std::uint64_t size) {
  if (TooLargeToShow(static_cast<std::int64_t>(size))) return {};
  file.adviseSequential();
  QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
  const std::size_t got = file.readAt(0, bytes.data(), bytes.size());
  bytes.truncate(static_cast<qsizetype>(got));
  return bytes;
}

LoadOutcome LoadFile(session::Session& s, FileSlots& files, const QString& path, const QString& listedName) {
  s.beginLoad(path);
  const std::string text = path.toStdString();
  const bool rich = codec::NamesRtfFile(text);
  LoadOutcome outcome;
  try {
    files.closeAll();
    // One handle, file slot 1, for the viewer's content, the size, the date
    // and the coding passes, so that all of them see the very same file. A
    // folder, a pipe, a device or a locked file fails here, without waiting;
    // the file list shows none of them, but a typed or dropped path can name one.
    const codec::InputFile& source = files.openSlot1(path);
    const codec::FileStamp stamp = source.stamp();
    const std::uint64_t n = stamp.size;
    const QByteArray content = ContentToShow(source, n);
    // An age file is known by its first bytes, whatever its name; any other
    // file by its path alone.
    const bool age = age::Recognize(source) != age::Form::None;
    const bool encoded = age || codec::NamesEncodedFile(text);
    s.markKind(encoded);

    session::LoadedFile file;
    file.path = path;
    file.name = listedName;
    file.size = n;
    file.stamp = stamp;
    file.changed = QDateTime::fromSecsSinceEpoch(
        std::chrono::floor<std::chrono::seconds>(std::chrono::nanoseconds(stamp.changed)).count());
    file.encoded = encoded;
    file.age = age;
    file.rich = rich;
    s.finishLoad(file, content);
    outcome.file = file;
    return outcome;
  } catch (const codec::CodecError& e) {
    const bool unfit = e.kind() == codec::ErrorKind::NotRegularFile || e.kind() == codec::ErrorKind::UnknownLength;
    outcome.refused = unfit || IsAccessFailure(e.errnum()) ? LoadRefusal::Access : LoadRefusal::Read;
  } catch (const std::exception&) {
    // Out of memory and the like.
    outcome.refused = LoadRefusal::Read;
  }
  files.closeAll();
  s.failLoad();
  return outcome;
}

}  // namespace tambril
