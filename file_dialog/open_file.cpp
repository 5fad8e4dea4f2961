// "ÖFFNEN": makes the file named in the dialog's name box the loaded file.
// Its content goes into the viewer, it stays open as file slot 1, and the
// session's loaded file describes it (the main window shows that); this is
// the only writer of the loaded file. A failure on the way is reported once
// and leaves no file loaded; what the earlier steps changed stays changed.
#include <sys/stat.h>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <cerrno>
#include <new>

#include "codec/files.h"
#include "file_dialog/selpr6.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "platform/text_rules.h"
#include "platform/windows.h"
#include "resources/messages.h"
#include "session/session.h"
#include "viewer/form8.h"

using namespace tambril;
using platform::MessageIcon;
using platform::Pointer;

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

// The whole file of `size` bytes.
QByteArray ReadWhole(const codec::InputFile& file, std::uint64_t size) {
  file.adviseSequential();
  QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
  const std::size_t got = file.readAt(0, bytes.data(), bytes.size());
  bytes.truncate(static_cast<qsizetype>(got));
  return bytes;
}

// The date and time of the file's last change, as the file system keeps it
// under the file's real name.
QDateTime LastChange(const codec::InputFile& file) {
  struct stat st;
  if (::stat(file.path().c_str(), &st) != 0) return {};
  return QDateTime::fromSecsSinceEpoch(st.st_mtime);
}

}  // namespace

void Selpr6::Command2_Click() {
  auto& p = platform::Current();
  if (Text1->text().isEmpty()) {
    p.beep();
    return;
  }
  session::Session& s = session::Current();
  Form8& viewer = Windows::get<Form8>();
  try {
    p.setPointer(this, Pointer::Busy);
    session::LoadedFile file;
    file.name = File1->fileName();
    s.rememberPlace(Dir1->path(), Drive1->drive());
    const QString path = Text1->text();
    s.beginLoad(path);
    const bool rich = ContainsNoCase(path, QStringLiteral(".rtf"));
    const bool encoded = ContainsNoCase(path, QStringLiteral(".tmb"));
    Files().closeAll();

    // One handle, file slot 1, for the viewer's content, the size, the date
    // and the coding passes, so that all of them see the very same file. A
    // folder, a pipe, a device or a locked file fails here, without waiting;
    // the file list shows none of them, but a typed or dropped path can name one.
    const codec::InputFile& source = Files().openSlot1(path);
    const std::uint64_t n = source.size();
    switch (RichTextBox::DisplayFor(static_cast<std::int64_t>(n), rich)) {
      case RichTextBox::Display::TooLarge:
        viewer.RichTextBox1->showTooLarge(static_cast<std::int64_t>(n));
        break;
      case RichTextBox::Display::Rich:
        viewer.RichTextBox1->loadRtf(ReadWhole(source, n));
        break;
      case RichTextBox::Display::Plain:
        viewer.RichTextBox1->loadPlain(ReadWhole(source, n));
        break;
    }

    s.markKind(encoded);

    file.path = path;
    file.size = n;
    file.changed = LastChange(source);
    file.encoded = encoded;
    s.finishLoad(file);

    p.setPointer(this, Pointer::Normal);
    hide();
    return;
  } catch (const codec::CodecError& e) {
    p.beep();
    p.messageBox(this,
                 e.kind() == codec::ErrorKind::NotRegularFile || IsAccessFailure(e.errnum()) ? messages::kAccessError
                                                                                             : messages::kReadError,
                 messages::kErrorTitle, MessageIcon::None);
  } catch (const std::exception&) {
    // Out of memory and the like.
    p.beep();
    p.messageBox(this, messages::kReadError, messages::kErrorTitle, MessageIcon::None);
  }
  // No file is loaded now.
  Files().closeAll();
  viewer.RichTextBox1->clear();
  s.failLoad();
  p.setPointer(this, Pointer::Normal);
}
