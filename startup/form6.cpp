#include "startup/form6.h"

#include <QLabel>
#include <QPushButton>

#include "platform/platform.h"
#include "resources/pictures.h"
#include "sound/sound_service.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/modal_windows.h"
#include "widget_kit/twips.h"

using namespace tambril;

Form6::Form6(platform::Platform& platform, Module2::SoundService& sounds, QWidget* parent)
    : QDialog(parent), platform_(platform), sounds_(sounds) {
  setObjectName(QStringLiteral("Form6"));
  setWindowTitle(QStringLiteral("INFO"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  SetBackground(*this, Qt::white);
  SetFixedWindowSize(*this, TwipsSize(3450, 2550));
  platform::ShowOverOpener(*this);
  platform::WithoutTitleIcon(*this);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(TwipsRect(120, 120, 3240, 1785));
  Image1->setPixmap(QPixmap::fromImage(resources::InfoLogo()));
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  Command1 = new QPushButton(QStringLiteral("OK"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(TwipsRect(1080, 2040, 1215, 375));
  Command1->setDefault(true);
  Command1->setFocus();
  connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
}

void Form6::Command1_Click() {
  sounds_.PlaySound({.SoundDevice = 2, .SoundMode = 1});
  hide();
}

void Form6::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  platform::CentreOnScreen(*this, platform_);
  Command1->setFocus();
}
