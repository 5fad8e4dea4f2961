#include "coding_dialogs/form4.h"

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

Form4::Form4(CodingNeeds needs, QWidget* parent)
    : CodingDialog("Form4", QStringLiteral("CODE_AN"), 7110, 3765, Module2::LoadDecodeInfo, std::move(needs), parent) {
  Label1 = Label(this, "Label1", QStringLiteral("Dateiname für Code_Off:"), {480, 480, 2175, 255});
  Text1 = NameBox(this, "Text1", {480, 840, 6135, 255});
  Label2 = Label(this, "Label2", QStringLiteral("Entcodierung:"), {360, 1680, 1215, 255});
  ProgressBar1 = ProgressBar(this, "ProgressBar1", {1680, 1560, 4215, 375});
  platform::NameAfterLabel(*Label1, *Text1);
  platform::NameAfterLabel(*Label2, *ProgressBar1);
  Command1 = Button(this, "Command1", QStringLiteral("OK"), {600, 2760, 1575, 495});
  Command2 = Button(this, "Command2", QStringLiteral("ABBRECHEN"), {2520, 2760, 2055, 495});
  Command3 = Button(this, "Command3", QStringLiteral("HILFE"), {4920, 2760, 1575, 495});
  Image1 = Picture(this, "Image1", QPixmap::fromImage(resources::PlainFilePicture()), {6120, 1440, 600, 540});

  SetTabChain({Text1, Command1, Command2, Command3});
  setFirstBox(Text1);
  setProgressBar(ProgressBar1);
  setSunkenFrames({{240, 360, 6600, 1800}, {360, 2640, 6360, 750}});

  connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form4::Command3_Click);
  ShowTarget(*this, *Text1, session());
  Command1->setToolTip(QStringLiteral(" Beginn der Entcodierung "));
  Command2->setToolTip(QStringLiteral(" Abbruch der Entcodierung "));
  Command3->setToolTip(QStringLiteral(" Info über die Entcodierung "));
  ProgressBar1->setToolTip(QStringLiteral(" Anzeigefeld der Entcodierungsdauer "));
  Text1->setToolTip(QStringLiteral(" Dateiname für Entcodierung "));
  Text1->setCursor(Qt::WhatsThisCursor);
}

void Form4::Command1_Click() {
  RunCodingPass(*this, Command1, *ProgressBar1, platform(), presenter(),
                [this](const PassWatch& watch) { return chain().decode(watch); });
}
