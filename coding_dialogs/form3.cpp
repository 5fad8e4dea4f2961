#include "coding_dialogs/form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "coding_dialogs/dialog_parts.h"
#include "file_dialog/selpr6.h"
#include "help_window/help_procedures.h"
#include "resources/pictures.h"
#include "session/session.h"
#include "widget_kit/accessible_names.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;
using namespace tambril::coding;

namespace {

QLabel* ResultField(QWidget* parent, const char* name, QRect twips) {
  QLabel* label = Label(parent, name, QString(), twips);
  label->setFont(DialogFont(6));
  label->setAttribute(Qt::WA_TranslucentBackground);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, BgrColor(0x00C0C0C0));
  label->setPalette(pal);
  return label;
}

}  // namespace

Form3::Form3(CodingNeeds needs, Lazy<Selpr6> files, QWidget* parent)
    : CodingDialog("Form3", QStringLiteral("CODE_AUS"), 6480, 2895, Module2::LoadPasswordCheckInfo, std::move(needs),
                   parent),
      files_(std::move(files)) {
  Label1 = Label(this, "Label1", QStringLiteral("Kennworteingabe:"), {360, 1080, 1575, 255});
  Text1 = PasswordBox(this, "Text1", {2040, 960, 3855, 375});
  platform::NameAfterLabel(*Label1, *Text1);
  Label2 = ResultField(this, "Label2", {3600, 480, 255, 135});
  Label3 = ResultField(this, "Label3", {4200, 360, 255, 255});
  Command1 = Button(this, "Command1", QStringLiteral("OK"), {480, 1800, 1695, 495});
  Command2 = Button(this, "Command2", QStringLiteral("ABBBRECHEN"), {2280, 1800, 1935, 495});
  Command3 = Button(this, "Command3", QStringLiteral("HILFE"), {4320, 1800, 1575, 495});
  Image2 = Picture(this, "Image2", QPixmap::fromImage(resources::EncodedFilePicture()), {360, 240, 600, 540});

  SetTabChain({Text1, Command1, Command2, Command3});
  setPasswordBoxes({Text1});
  setSunkenFrames({{240, 840, 6000, 1680}});

  connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
  Command1->setToolTip(QStringLiteral(" Beginn der Kennwortüberprüfung "));
  Command2->setToolTip(QStringLiteral(" Abbruch der Kennwortüberprüfung "));
  Command3->setToolTip(QStringLiteral(" Info über Kennwortüberprüfung "));
  Text1->setToolTip(QStringLiteral(" Texteingabe / Kennwort für Entcodierung "));
}

void Form3::Command1_Click() {
  Selpr6& files = files_();
  const CheckOutcome checked = StartPasswordCheck();
  switch (checked.verdict) {
    case Verdict::Wrong:
      presenter().show(*checked.failure, this);
      Text1->clear();
      Text1->setFocus();
      return;
    case Verdict::Failed:
      // A file that cannot be read, or no name for the decoded file: the
      // password stays for another try.
      presenter().show(*checked.failure, this);
      return;
    case Verdict::Fits:
      break;
  }
  // No place for the decoded file.
  if (!files.ShowProposal(*checked.proposal)) {
    chain().endCheck();
    presenter().show({Problem::Device, {}}, this);
    return;
  }
  hide();
  files.exec();
  Text1->clear();
  // The chain this check opened is over; a decode needs a new check.
  chain().endCheck();
}

CheckOutcome Form3::StartPasswordCheck() {
  // The busy pointer while a slow check (an age file's) runs.
  bool slow = false;
  const auto pointers = [this](platform::Pointer pointer) {
    platform().setPointer(this, pointer);
    platform().setPointer(Command1, pointer);
  };
  const PassWatch watch{[&] {
                          slow = true;
                          pointers(platform::Pointer::Busy);
                        },
                        {}};
  CheckOutcome checked = chain().checkPassword(Text1->text(), watch);
  if (slow) pointers(platform::Pointer::Normal);
  if (checked.verdict == Verdict::Fits) {
    Label2->setText(QStringLiteral("18"));
    Label3->setText(checked.tag);
  } else if (checked.verdict == Verdict::Wrong) {
    Label2->clear();
  }
  return checked;
}
