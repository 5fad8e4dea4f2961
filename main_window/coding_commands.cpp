// "Code_An.." and "Code_Aus..": check that the loaded file is of the right
// kind, mark the coding direction, put the file dialog into a create mode
// and open the next window of the chain. Nothing is coded here.
#include <stdexcept>

#include "codec/cp1252.h"
#include "codec/names.h"
#include "coding_dialogs/coding_names.h"
#include "coding_dialogs/form3.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/platform.h"
#include "resources/messages.h"
#include "session/session.h"

using namespace tambril;
using platform::MessageIcon;

namespace {

// A step of a command that failed; reported as a device failure.
struct CommandFailure : std::runtime_error {
  CommandFailure() : std::runtime_error("coding command failed") {}
};

// The start both commands share: a file already coded the wanted way (as
// the kind marker shows it) is refused, the file dialog goes into create
// mode, and without a loaded file there is only a beep. Then `command` is
// marked as the one started last. False when the command ends here.
bool StartCommand(Form1& main, session::Session& s, session::CreateMode command, Selpr6& dialog) {
  auto& p = platform::Current();
  const bool encode = command == session::CreateMode::Encode;
  if (s.markedEncoded() == encode) {
    p.messageBox(&main, encode ? messages::kAlreadyEncoded : messages::kAlreadyDecoded, messages::kErrorTitle,
                 MessageIcon::None);
    return false;
  }
  dialog.PrepareCreateMode();
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
  Selpr6& dialog = needs_.files();
  session::Session& s = session_;
  try {
    if (!StartCommand(*this, s, session::CreateMode::Encode, dialog)) return;
    s.setExtensionTag(QString::fromStdString(codec::Cp1252ToUtf8(codec::ExtensionTag(s.loaded()->path.toStdString()))));
    Require(dialog.OpenForCreating(session::CreateMode::Encode));
    Require(dialog.ProposeTarget(QStringLiteral("tmb")));
  } catch (const std::exception&) {
    dialog.ReportDeviceError(this);
    return;
  }
  dialog.exec();
}

void Form1::Code_Aus_Click() {
  Selpr6& dialog = needs_.files();
  try {
    if (!StartCommand(*this, session_, session::CreateMode::Decode, dialog)) return;
    Require(dialog.OpenForCreating(session::CreateMode::Decode));
  } catch (const std::exception&) {
    dialog.ReportDeviceError(this);
    return;
  }
  needs_.check().exec();
}
