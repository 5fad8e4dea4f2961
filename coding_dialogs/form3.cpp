#include "coding_dialogs/form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "coding_dialogs/dialog_parts.h"
#include "file_dialog/selpr6.h"
#include "platform/accessible_names.h"
#include "platform/dialog_look.h"
#include "platform/text_rules.h"
#include "platform/twips.h"
#include "resources/pictures.h"
#include "session/session.h"
#include "startup/tooltips.h"
#include "viewer/help_procedures.h"

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

Form3::Form3(CodingNeeds needs, Lazy<Selpr6> files)
    : CodingDialog("Form3", QStringLiteral("CODE_AUS"), 6480, 2895, Module2::LoadPasswordCheckInfo, std::move(needs)),
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
  startup::ApplyToolTips(*this);
}

void Form3::Command1_Click() {
  Selpr6& files = files_();
  const CheckOutcome checked = StartPasswordCheck();
  if (checked.failure && checked.failure->problem == Problem::WrongPassword) {
    chain().show(*checked.failure, this);
    Text1->clear();
    Text1->setFocus();
    return;
  }
  // A file that cannot be read, or no place for the decoded file: the
  // password stays for another try.
  const bool placed = !checked.failure && files.ShowProposal(*checked.proposal);
  if (!placed) {
    chain().endCheck();
    chain().show(checked.failure.value_or(Failure{Problem::Device, {}}), this);
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
  if (checked.fits) {
    Label2->setText(QStringLiteral("18"));
    Label3->setText(checked.tag);
  } else if (checked.failure && checked.failure->problem == Problem::WrongPassword) {
    Label2->clear();
  }
  return checked;
}
