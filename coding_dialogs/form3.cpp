#include "coding_dialogs/form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "codec/cp1252.h"
#include "codec/names.h"
#include "coding_dialogs/coding_names.h"
#include "coding_dialogs/dialog_parts.h"
#include "file_dialog/selpr6.h"
#include "platform/accessible_names.h"
#include "platform/dialog_look.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "platform/text_rules.h"
#include "platform/twips.h"
#include "resources/messages.h"
#include "resources/pictures.h"
#include "session/session.h"
#include "startup/tooltips.h"
#include "viewer/help_procedures.h"

using namespace tambril;
using namespace tambril::coding;
using platform::MessageIcon;

namespace {

// A proposed name that cannot be made, or its folder not reached.
struct NoProposal : std::runtime_error {
  NoProposal() : std::runtime_error("no proposed name") {}
};

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

Form3::Form3(CodingNeeds needs)
    : CodingDialog("Form3", QStringLiteral("CODE_AUS"), 6480, 2895, Module2::LoadPasswordCheckInfo, std::move(needs)) {
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
  auto& p = platform::Current();
  session::Session& s = session();
  Selpr6& files = this->files();
  bool fits = false;
  try {
    StartPasswordCheck();
    fits = s.lastCheck().has_value();
    if (fits) {
      const QString tag = QString::fromStdString(codec::TagForFileName(s.lastCheck()->tagText()));
      s.setCreateMode(session::CreateMode::Decode);
      if (!files.ProposeTarget(tag)) throw NoProposal();
      hide();
    }
  } catch (const std::exception&) {
    s.dropCheck();
    files.ReportDeviceError(this);
    return;
  }
  if (fits) {
    files.exec();
  } else {
    p.messageBox(this, messages::kWrongPassword, messages::kErrorTitle, MessageIcon::None);
    Text1->clear();
    Text1->setFocus();
    s.setCreateMode(session::CreateMode::None);
  }
  Text1->clear();
  // The chain this check opened is over; a decode needs a new check.
  s.dropCheck();
}

void Form3::StartPasswordCheck() {
  session::Session& s = session();
  const std::optional<session::LoadedFile>& file = s.loaded();
  if (!file) throw codec::CodecError(codec::ErrorKind::OpenSource, {});
  const std::string password = codec::Utf8ToCp1252(Text1->text().toStdString());
  codec::CheckResult check = codec::CheckPassword(ToFsPath(file->path), file->size, password);
  if (check.fits()) {
    Label2->setText(QStringLiteral("18"));
    Label3->setText(QString::fromStdString(codec::Cp1252ToUtf8(check.tagText())));
    s.keepCheck(std::move(check));
  } else {
    Label2->clear();
    s.dropCheck();
  }
}
