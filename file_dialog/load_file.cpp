#include "file_dialog/load_file.h"

#include <QDateTime>
#include <cerrno>
#include <chrono>

#include "codec/files.h"
#include "codec/path_marks.h"
#include "platform/file_slots.h"
#include "resources/messages.h"
#include "viewer/rich_text_box.h"

namespace tambril {
namespace {

// Refusals of the file system itself count as path or file access failures;
// everything else as a device failure.
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

LoadOutcome LoadFile(session::Session& s, const QString& path, const QString& listedName) {
  s.beginLoad(path);
  const std::string text = path.toStdString();
  const bool rich = codec::NamesRtfFile(text);
  const bool encoded = codec::NamesEncodedFile(text);
  LoadOutcome outcome;
  try {
    Files().closeAll();
    // One handle, file slot 1, for the viewer's content, the size, the date
    // and the coding passes, so that all of them see the very same file. A
    // folder, a pipe, a device or a locked file fails here, without waiting;
    // the file list shows none of them, but a typed or dropped path can name one.
    const codec::InputFile& source = Files().openSlot1(path);
    const codec::FileStamp stamp = source.stamp();
    const std::uint64_t n = stamp.size;
    const bool shown = RichTextBox::DisplayFor(static_cast<std::int64_t>(n), rich) != RichTextBox::Display::TooLarge;
    const QByteArray content = shown ? ReadWhole(source, n) : QByteArray();
    s.markKind(encoded);

    session::LoadedFile file;
    file.path = path;
    file.name = listedName;
    file.size = n;
    file.changed = QDateTime::fromSecsSinceEpoch(
        std::chrono::floor<std::chrono::seconds>(std::chrono::nanoseconds(stamp.changed)).count());
    file.encoded = encoded;
    file.rich = rich;
    s.finishLoad(file, content);
    outcome.file = file;
    return outcome;
  } catch (const codec::CodecError& e) {
    outcome.error = e.kind() == codec::ErrorKind::NotRegularFile || IsAccessFailure(e.errnum()) ? messages::kAccessError
                                                                                                : messages::kReadError;
  } catch (const std::exception&) {
    // Out of memory and the like.
    outcome.error = messages::kReadError;
  }
  Files().closeAll();
  s.failLoad();
  return outcome;
}

}  // namespace tambril
