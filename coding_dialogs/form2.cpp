#include "coding_dialogs/form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "codec/codec.h"
#include "codec/cp1252.h"
#include "coding_dialogs/coding_names.h"
#include "coding_dialogs/dialog_parts.h"
#include "coding_dialogs/pass_runner.h"
#include "platform/accessible_names.h"
#include "platform/dialog_look.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "resources/messages.h"
#include "resources/pictures.h"
#include "session/session.h"
#include "startup/tooltips.h"
#include "viewer/help_procedures.h"

using namespace tambril;
using namespace tambril::coding;
using platform::MessageIcon;

Form2::Form2(CodingNeeds needs)
    : CodingDialog("Form2", QStringLiteral("CODE_ON"), 8430, 5145, Module2::LoadEncodeInfo, std::move(needs)) {
  Label2 = Label(this, "Label2", QStringLiteral("Dateiname für Code_On"), {240, 360, 2175, 255});
  Text3 = NameBox(this, "Text3", {240, 720, 7935, 285});
  Label3 = Label(this, "Label3", QStringLiteral("Kennwort:"), {1680, 1560, 855, 255});
  Text1 = PasswordBox(this, "Text1", {2760, 1440, 3495, 375});
  Label4 = Label(this, "Label4", QStringLiteral("Kennwortbestätigung:"), {600, 2040, 2055, 255});
  Text2 = PasswordBox(this, "Text2", {2760, 2040, 3495, 375});
  Label6 = Label(this, "Label6", QStringLiteral("Codierung:"), {1440, 2880, 975, 255});
  ProgressBar1 = ProgressBar(this, "ProgressBar1", {2520, 2760, 3975, 375});
  platform::NameAfterLabel(*Label2, *Text3);
  platform::NameAfterLabel(*Label3, *Text1);
  platform::NameAfterLabel(*Label4, *Text2);
  platform::NameAfterLabel(*Label6, *ProgressBar1);
  Command1 = Button(this, "Command1", QStringLiteral("OK"), {720, 3960, 1815, 495});
  Command2 = Button(this, "Command2", QStringLiteral("ABBRECHEN"), {3360, 3960, 1815, 495});
  Command3 = Button(this, "Command3", QStringLiteral("HILFE"), {5880, 3960, 1815, 495});
  Image1 = Picture(this, "Image1", QPixmap::fromImage(resources::EncodedFilePicture()), {6480, 1440, 480, 375});
  Image2 = Picture(this, "Image2", QPixmap::fromImage(resources::EncodedFilePicture()), {6480, 2040, 480, 375});
  Image3 = Picture(this, "Image3", QPixmap::fromImage(resources::EncodedFilePicture()), {6720, 2760, 480, 375});

  SetTabChain({Text1, Text2, Command1, Command2, Command3, Text3});
  setPasswordBoxes({Text1, Text2});
  setSunkenFrames({{360, 1260, 7710, 2100}, {480, 3840, 7440, 750}});

  connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
  ShowTarget(*this, *Text3, session());
  startup::ApplyToolTips(*this);
}

void Form2::Command1_Click() {
  auto& p = platform::Current();
  // After a refusal, typing goes on in the box `next`.
  const auto refuse = [&](const QString& text, QLineEdit* next) {
    p.messageBox(this, text, messages::kErrorTitle, MessageIcon::None);
    next->setFocus();
  };
  if (Text1->text().isEmpty()) {
    refuse(messages::kNoPassword, Text1);
    return;
  }
  // Counted as the bytes the codec receives, one per character.
  if (codec::Utf8ToCp1252(Text1->text().toStdString()).size() < codec::kMinPasswordLength) {
    refuse(messages::kPasswordTooShort, Text1);
    Text1->clear();
    Text2->clear();
    return;
  }
  if (Text2->text().isEmpty()) {
    refuse(messages::kNoConfirmation, Text2);
    return;
  }
  if (Text1->text() != Text2->text()) {
    refuse(messages::kPasswordMismatch, Text1);
    Text1->clear();
    Text2->clear();
    return;
  }
  RunCodingPass(*this, Command1, filesLater(), [this] {
    StartEncoding();
    Text1->clear();
    Text2->clear();
  });
}

void Form2::StartEncoding() {
  const session::Session& s = session();
  const std::filesystem::path target = ToFsPath(s.target());
  const codec::InputFile* source = s.source();
  if (!source || !s.loaded()) throw codec::CodecError(codec::ErrorKind::OpenSource, {});
  const std::uint64_t length = s.loaded()->size;
  const std::string password = codec::Utf8ToCp1252(Text2->text().toStdString());
  const std::string tag = codec::Utf8ToCp1252(s.extensionTag().toStdString());
  RunPass([&](const codec::ProgressFn& progress) { codec::Encode(*source, length, target, password, tag, progress); },
          [this](int value) { ProgressBar1->setValue(value); });
}

void Form2::paintEvent(QPaintEvent* event) {
  // Sunken frames round the password area and the button row, and a grey
  // frame round the name.
  CodingDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(Qt::gray);
  painter.drawRect(TwipsRect(120, 240, 8190, 900));
}
