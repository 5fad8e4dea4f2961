// "Code_An.." and "Code_Aus..": check that the loaded file is of the right
// kind, mark the coding direction, put the file dialog into a create mode
// and open the next window of the chain. Nothing is coded here.
#include <QLineEdit>
#include <stdexcept>

#include "codec/cp1252.h"
#include "codec/names.h"
#include "coding_dialogs/coding_names.h"
#include "coding_dialogs/form3.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "main_window/program.h"
#include "platform/platform.h"
#include "platform/windows.h"
#include "resources/messages.h"
#include "session/session.h"

using namespace tambril;
using platform::MessageIcon;

namespace {

// A step of a command that failed; reported as a device failure.
struct CommandFailure : std::runtime_error {
  CommandFailure() : std::runtime_error("coding command failed") {}
};

QString WithTmb(const QString& text) {
  std::optional<QString> proposed = OverwriteAfterFirstDot(text, QStringLiteral("tmb"));
  if (!proposed) throw CommandFailure();
  return *proposed;
}

// The start both commands share: a file already coded the wanted way (as
// the kind marker shows it) is refused, the file dialog goes into create
// mode, and without a loaded file there is only a beep. Then `command` is
// marked as the one started last. False when the command ends here.
bool StartCommand(Form1& main, session::CreateMode command, Selpr6& dialog) {
  auto& p = platform::Current();
  auto& s = session::Current();
  const bool encode = command == session::CreateMode::Encode;
  if (s.markedEncoded() == encode) {
    p.messageBox(&main, encode ? messages::kAlreadyEncoded : messages::kAlreadyDecoded, messages::kErrorTitle,
                 MessageIcon::None);
    return false;
  }
  dialog.PrepareCreateMode();
  Module2::SetToolTips();
  if (!s.loaded()) {
    p.beep();
    return false;
  }
  s.setLastCommand(command);
  return true;
}

void Require(bool ok) {
  if (!ok) throw CommandFailure();
}

}  // namespace

void Form1::Code_AN_Click() {
  Selpr6& dialog = Windows::get<Selpr6>();
  auto& s = session::Current();
  try {
    if (!StartCommand(*this, session::CreateMode::Encode, dialog)) return;
    const session::LoadedFile& loaded = *s.loaded();
    s.setExtensionTag(QString::fromStdString(codec::Cp1252ToUtf8(codec::ExtensionTag(loaded.path.toStdString()))));
    dialog.Text1->setText(WithTmb(loaded.path));
    s.setProposedName(WithTmb(loaded.name));
    s.setCreateMode(session::CreateMode::Encode);
    Require(dialog.RefreshLists());
    dialog.Text1->setReadOnly(false);
    // Back to the folder the file was loaded from; its change action may
    // rebuild the name box from that folder and the proposed name.
    Require(dialog.Dir1->setPath(s.rememberedFolder()));
    Require(DriveList::IsReadable(s.rememberedDrive()));
    dialog.Drive1->setDrive(s.rememberedDrive());
  } catch (const std::exception&) {
    dialog.ReportDeviceError(this);
    return;
  }
  dialog.exec();
}

void Form1::Code_Aus_Click() {
  Selpr6& dialog = Windows::get<Selpr6>();
  try {
    if (!StartCommand(*this, session::CreateMode::Decode, dialog)) return;
    Require(dialog.RefreshLists());
    session::Current().setCreateMode(session::CreateMode::Decode);
    dialog.Text1->setReadOnly(false);
  } catch (const std::exception&) {
    dialog.ReportDeviceError(this);
    return;
  }
  Windows::get<Form3>().exec();
}
