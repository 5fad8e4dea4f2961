#include "file_dialog/form14.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <cerrno>
#include <system_error>

#include "codec/files.h"
#include "controller/path_rules.h"
#include "help_window/help_procedures.h"
#include "platform/file_slots.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "resources/messages.h"
#include "widget_kit/accessible_names.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/modal_windows.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;
using platform::MessageIcon;
using platform::Pointer;

namespace {

// A folder name holds no separator: the file system would take it as a path.
bool HasSeparator(const QString& name) { return name.contains(QLatin1Char('/')) || name.contains(QDir::separator()); }

}  // namespace

Form14::Form14(platform::Platform& platform, Module2::HelpWindow help, QWidget* parent)
    : QDialog(parent), platform_(platform), help_(std::move(help)) {
  SetUpFixedDialog(*this, "Form14", QStringLiteral("Orner hinzufügen"));
  setModal(true);

  Label1 = new QLabel(QStringLiteral("Ordner-Name eingeben:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(DialogFont(9.75));
  Label1->setGeometry(TwipsRect(360, 240, 4470, 345));
  Text1 = new QLineEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setFont(DialogFont(9.75));
  Text1->setGeometry(TwipsRect(360, 660, 4470, 405));
  platform::NameAfterLabel(*Label1, *Text1);

  const auto button = [this](const char* name, const QString& caption, int left) {
    return DialogButton(this, name, caption, TwipsRect(left, 1560, 1410, 495));
  };
  Command1 = button("Command1", QStringLiteral("OK"), 360);
  Command2 = button("Command2", QStringLiteral("ABBRECHEN"), 1890);
  Command3 = button("Command3", QStringLiteral("HILFE"), 3420);

  SetTabChain({Text1, Command1, Command2, Command3});
  platform::ShowOverOpener(*this, Text1);

  connect(Command1, &QPushButton::clicked, this, &Form14::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form14::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form14::Command3_Click);

  setFixedSize(TwipsSize(5190, 2445));
  platform::CentreOnScreen(*this, platform_);
  Command1->setToolTip(QStringLiteral(" Ordner erstellen "));
  Command2->setToolTip(QStringLiteral(" Ordner nicht erstellen "));
  Command3->setToolTip(QStringLiteral(" Info über Ordner erstellen "));
}

Form14::Failure Form14::CreateFolder(const QString& path) {
  const std::error_code error = platform::MakeFolder(ToFsPath(path));
  if (!error) return Failure::None;
  switch (error.value()) {
    case EIO:
    case ENXIO:
    case ENODEV:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
      return Failure::Device;
    default:
      return Failure::Access;
  }
}

void Form14::Command1_Click() {
  auto& p = platform_;
  const QString name = Text1->text();
  if (name.isEmpty()) {
    p.beep();
    return;
  }
  p.setPointer(this, Pointer::Busy);
  const QString newPath = JoinPath(parent_, name);
  if (!HasSeparator(name) && codec::EntryExists(ToFsPath(newPath))) {
    p.messageBox(this, messages::kFolderExists + name, messages::kWarningTitle, MessageIcon::Stop);
    Text1->clear();
    Text1->setFocus();
    p.setPointer(this, Pointer::Normal);
    return;
  }
  const Failure failure = HasSeparator(name) ? Failure::Access : CreateFolder(newPath);
  if (failure != Failure::None) {
    p.messageBox(this, failure == Failure::Device ? messages::kReadError : messages::kAccessError,
                 messages::kErrorTitle, MessageIcon::Stop);
    Text1->clear();
    Text1->setFocus();
    p.setPointer(this, Pointer::Normal);
    return;
  }
  Text1->clear();
  created_ = newPath;
  p.setPointer(this, Pointer::Normal);
  hide();
}

void Form14::Command2_Click() {
  Text1->clear();
  hide();
}

void Form14::Command3_Click() {
  Module2::LoadNewFolderInfo(help_);
  Module2::ShowHelpWindow(help_, this);
}

void Form14::reject() {
  Command2_Click();
  QDialog::reject();
}

void Form14::showEvent(QShowEvent* event) {
  created_.reset();
  QDialog::showEvent(event);
}

void Form14::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // A frame around the content: grey at the top and left, black below and right.
  QPainter painter(this);
  DrawSunkenFrame(painter, QRect(Px(120), Px(120), width() - 2 * Px(120), height() - 2 * Px(120)));
}
