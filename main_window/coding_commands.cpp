// "Code_An.." and "Code_Aus..": check that the loaded file is of the right
// kind, mark the coding direction, put the file dialog into a create mode
// and open the next window of the chain. Nothing is coded here.
#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

#include "coding_dialogs/coding_names.h"
#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/platform.h"
#include "platform/windows.h"
#include "startup/module2.h"

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

// The start both commands share: a file already coded the wanted way is
// refused, the file dialog goes into create mode, and without a loaded file
// there is only a beep. Then `chosen` is marked as the direction started
// last. False when the command ends here.
bool StartCommand(Form1& main, const QLabel& doneMark, const QString& doneText, QAction* chosen, QAction* other,
                  Selpr6& dialog) {
  auto& p = platform::Current();
  if (!doneMark.isHidden()) {
    p.messageBox(&main, doneText, QStringLiteral("ERROR"), MessageIcon::None);
    return false;
  }
  dialog.PrepareCreateMode();
  Module2::SetToolTips();
  if (main.Label5->text().isEmpty()) {
    p.beep();
    return false;
  }
  chosen->setChecked(true);
  other->setChecked(false);
  return true;
}

void Require(bool ok) {
  if (!ok) throw CommandFailure();
}

}  // namespace

void Form1::Code_AN_Click() {
  Selpr6& dialog = Windows::get<Selpr6>();
  try {
    if (!StartCommand(*this, *Label9, QStringLiteral("Datei ist schon codiert! "), Code_AN, Code_Aus, dialog)) return;
    const QString loaded = Label5->text();
    Windows::get<Form2>().Label5->setText(ExtensionTag(loaded));
    dialog.Text1->setText(WithTmb(loaded));
    dialog.Label3->setText(WithTmb(Text1->text()));
    dialog.Label4->setText(QStringLiteral("CODEON"));
    Require(dialog.RefreshLists());
    dialog.Text1->setReadOnly(false);
    // Back to the folder the file was loaded from; its change action may
    // rebuild the name box from that folder and the proposed name.
    Require(dialog.Dir1->setPath(dialog.Label5->text()));
    Require(DriveList::IsReadable(dialog.Label6->text()));
    dialog.Drive1->setDrive(dialog.Label6->text());
  } catch (const std::exception&) {
    dialog.ReportDeviceError(this);
    return;
  }
  dialog.exec();
}

void Form1::Code_Aus_Click() {
  Selpr6& dialog = Windows::get<Selpr6>();
  try {
    if (!StartCommand(*this, *Label10, QStringLiteral("Datei ist schon entcodiert! "), Code_Aus, Code_AN, dialog)) {
      return;
    }
    Require(dialog.RefreshLists());
    dialog.Label4->setText(QStringLiteral("CODEOFF"));
    dialog.Text1->setReadOnly(false);
  } catch (const std::exception&) {
    dialog.ReportDeviceError(this);
    return;
  }
  Windows::get<Form3>().exec();
}
