#include "coding_dialogs/form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "coding_dialogs/dialog_parts.h"
#include "help_window/help_procedures.h"
#include "resources/pictures.h"
#include "session/session.h"
#include "widget_kit/accessible_names.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/twips.h"

using namespace tambril;
using namespace tambril::coding;

Form2::Form2(CodingNeeds needs, QWidget* parent)
    : CodingDialog("Form2", QStringLiteral("CODE_ON"), 8430, 5145, Module2::LoadEncodeInfo, std::move(needs), parent) {
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
  setProgressBar(ProgressBar1);
  setSunkenFrames({{360, 1260, 7710, 2100}, {480, 3840, 7440, 750}});

  connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
  ShowTarget(*this, *Text3, session());
  Command1->setToolTip(QStringLiteral(" Beginn der Codierung "));
  Command2->setToolTip(QStringLiteral(" Abbruch der Codierung "));
  Command3->setToolTip(QStringLiteral(" Info über die Codierung "));
  ProgressBar1->setToolTip(QStringLiteral(" Anzeigefeld über Codierungsdauer "));
  Text2->setToolTip(QStringLiteral(" Texteingabe für gleiches Kennwort "));
  Text1->setToolTip(QStringLiteral(" Texteingabe Minimum 5  Maximum 15  Zeichen "));
  Text3->setToolTip(QStringLiteral(" Dateiname für Codierung "));
  Text3->setCursor(Qt::WhatsThisCursor);
}

void Form2::Command1_Click() {
  const Outcome done =
      RunCodingPass(*this, Command1, *ProgressBar1, platform(), presenter(),
                    [this](const PassWatch& watch) { return chain().encode(Text1->text(), Text2->text(), watch); });
  // Both boxes are typed again after a refused password, and are empty
  // after an encoding.
  const auto problem = done.failure ? std::optional(done.failure->problem) : std::nullopt;
  if (!problem || problem == Problem::PasswordTooShort || problem == Problem::PasswordMismatch) {
    Text1->clear();
    Text2->clear();
  }
  // After a refusal, typing goes on in the box that was refused.
  if (problem == Problem::NoConfirmation) {
    Text2->setFocus();
  } else if (problem == Problem::NoPassword || problem == Problem::PasswordTooShort ||
             problem == Problem::PasswordMismatch) {
    Text1->setFocus();
  }
}

void Form2::paintEvent(QPaintEvent* event) {
  // Sunken frames round the password area and the button row, and a grey
  // frame round the name.
  CodingDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(Qt::gray);
  painter.drawRect(TwipsRect(120, 240, 8190, 900));
}
