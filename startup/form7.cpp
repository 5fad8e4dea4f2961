#include "startup/form7.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include "platform/platform.h"
#include "resources/pictures.h"
#include "sound/sound_service.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;

namespace {

constexpr int kFirstInterval = 1000;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QRect where, const QFont& font,
                  const QColor& colour) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(where);
  label->setFont(font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  label->setAutoFillBackground(false);  // the picture shows through
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->hide();
  return label;
}

}  // namespace

Form7::Form7(platform::Platform& platform, Module2::SoundService& sounds)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      platform_(platform),
      sounds_(sounds) {
  setObjectName(QStringLiteral("Form7"));
  // Never seen (no title bar); tells it apart from the main window "Tambril".
  setWindowTitle(QStringLiteral("Tambril 1.1"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFixedSize(TwipsSize(8250, 3855));
  background_ = QPixmap::fromImage(resources::SplashBackground());

  const QFont letters = SerifFont(72, true);
  const QColor red(Qt::red);
  Label3 = MakeLabel(this, "Label3", QStringLiteral("T"), TwipsRect(480, 600, 855, 1455), letters, red);
  Label4 = MakeLabel(this, "Label4", QStringLiteral("A"), TwipsRect(1320, 600, 975, 1455), letters, red);
  Label5 = MakeLabel(this, "Label5", QStringLiteral("M"), TwipsRect(2280, 600, 1095, 1455), letters, red);
  Label6 = MakeLabel(this, "Label6", QStringLiteral("B"), TwipsRect(3360, 600, 1215, 1455), letters, red);
  Label7 = MakeLabel(this, "Label7", QStringLiteral("R"), TwipsRect(4560, 600, 975, 1455), letters, red);
  Label8 = MakeLabel(this, "Label8", QStringLiteral("I"), TwipsRect(5520, 600, 1095, 1455), letters, red);
  Label9 = MakeLabel(this, "Label9", QStringLiteral("L"), TwipsRect(6600, 600, 1095, 1455), letters, red);
  QFont subtitle = DialogFont(18, true);
  subtitle.setItalic(true);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Programm für individuelle Codierung"),
                     TwipsRect(480, 2160, 6975, 615), subtitle, Qt::white);
  Label1 = MakeLabel(this, "Label1", QStringLiteral("Tambril 1.1"), TwipsRect(120, 3480, 4455, 255),
                     DialogFont(9.75, true), Qt::yellow);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kFirstInterval);
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &Form7::Timer1_Timer);

  Form_Load();
}

void Form7::Form_Load() {
  sounds_.CloseSounds();
  sounds_.LoadSound(1, QStringLiteral("Ton1.ts2"));
  sounds_.LoadSound(2, QStringLiteral("Ton3.ts2"));
}

void Form7::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The times of the steps count from the moment the splash appears; the
  // timer runs once and is never started again.
  if (!started_) {
    started_ = true;
    platform::CentreOnScreen(*this, platform_);
    Timer1->start();
  }
}

void Form7::Timer1_Timer() {
  ++SplashStep;
  const auto request = [this](unsigned char device) { sounds_.PlaySound({.SoundDevice = device, .SoundMode = 1}); };
  QLabel* const letters[] = {Label3, Label4, Label5, Label6, Label7, Label8, Label9};
  switch (SplashStep) {
    case 1:
      Timer1->setInterval(150);
      Label3->show();
      request(2);
      break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      letters[SplashStep - 1]->show();
      request(2);
      break;
    case 7:
      Label9->show();
      request(2);
      Timer1->setInterval(500);
      break;
    case 8:
      Timer1->setInterval(2000);
      request(1);
      Label2->show();
      break;
    case 9:
      Label1->show();
      break;
    case 10:
      SplashStep = 0;
      Timer1->stop();
      sounds_.LoadSound(2, QStringLiteral("Ton2.ts2"));
      hide();
      emit finished();
      break;
    default:
      break;
  }
}

void Form7::Stop() { Timer1->stop(); }

void Form7::closeEvent(QCloseEvent* event) {
  // The splash cannot be closed early; it goes by itself.
  event->ignore();
}

void Form7::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(rect(), background_);
}
