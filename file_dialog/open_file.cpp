// "ÖFFNEN": makes the file named in the dialog's name box the loaded file.
// Its content goes into the viewer, it stays open as file slot 1, and the
// session's loaded file describes it (the main window shows that); this is
// the only writer of the loaded file. A failure on the way is reported once
// and leaves no file loaded; what the earlier steps changed stays changed.
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <cerrno>
#include <new>
#include <sys/stat.h>

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

// A pipe, socket or device is no file to load: opening a pipe would wait
// for a writer for good, and a device has no length. Only a file named from
// outside the dialog (command line, drop) can be one; the file list shows none.
void RefuseSpecialFile(const QString& path) {
  struct stat st;
  if (::stat(ToFsPath(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    throw codec::CodecError(codec::ErrorKind::OpenSource, ToFsPath(path), ENODEV);
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

    {
      // Measure through a handle of its own first: a folder or a locked file
      // fails here. The viewer reads through the same handle.
      RefuseSpecialFile(path);
      const codec::InputFile source(ToFsPath(path));
      const std::uint64_t size = source.size();
      switch (RichTextBox::DisplayFor(static_cast<std::int64_t>(size), rich)) {
        case RichTextBox::Display::TooLarge:
          viewer.RichTextBox1->showTooLarge(static_cast<std::int64_t>(size));
          break;
        case RichTextBox::Display::Rich:
          viewer.RichTextBox1->loadRtf(ReadWhole(source, size));
          break;
        case RichTextBox::Display::Plain:
          viewer.RichTextBox1->loadPlain(ReadWhole(source, size));
          break;
      }
    }

    s.markKind(encoded);

    file.path = path;
    file.size = Files().openSlot1(path).size();
    file.changed = QFileInfo(path).lastModified();
    file.encoded = encoded;
    s.finishLoad(file);

    p.setPointer(this, Pointer::Normal);
    hide();
    return;
  } catch (const codec::CodecError& e) {
    p.beep();
    p.messageBox(this, IsAccessFailure(e.errnum()) ? messages::kAccessError : messages::kReadError,
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
