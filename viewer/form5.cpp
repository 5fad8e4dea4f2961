#include "viewer/form5.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "help_window/help_procedures.h"
#include "platform/platform.h"
#include "resources/messages.h"
#include "viewer/rich_text_box.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;

namespace {

// At least as large as the caption needs, so no text is cut off where the
// substitute for MS Sans Serif runs wider.
void PlaceAtLeast(QWidget* w, const QRect& where) {
  const QSize hint = w->sizeHint();
  w->setGeometry(where.x(), where.y(), std::max(where.width(), hint.width()), std::max(where.height(), hint.height()));
}

}  // namespace

Form5::Form5(platform::Platform& platform, RichTextBox& box, Module2::HelpWindow help, QWidget* parent)
    : QDialog(parent), platform_(platform), box_(box), help_(std::move(help)) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("Suchen"));
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetBackground(*this, Qt::white);
  setFont(DialogFont(8.25));

  Text1 = new QLineEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setFont(DialogFont(9.75));
  QPalette grey = Text1->palette();
  grey.setColor(QPalette::Base, BgrColor(0x00E0E0E0));
  Text1->setPalette(grey);
  Text1->setGeometry(TwipsRect(360, 600, 5055, 405));
  Text1->setAccessibleName(QStringLiteral("Suchtext"));

  const auto check = [this](const char* name, const QString& caption, const QRect& where) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(name));
    PlaceAtLeast(box, where);
    return box;
  };
  Check1 = check("Check1", QStringLiteral("Groß-/Kleinschreibung"), TwipsRect(600, 1440, 1935, 375));
  Check2 = check("Check2", QStringLiteral("Nur ganzes Wort suchen"), TwipsRect(600, 1920, 2235, 195));
  Check3 = check("Check3", QStringLiteral("Alles durchsuchen"), TwipsRect(600, 2400, 1695, 255));

  const auto button = [this](const char* name, const QString& caption, int top) {
    return DialogButton(this, name, caption, TwipsRect(3840, top, 1575, 495));
  };
  Command1 = button("Command1", QStringLiteral("WEITERSUCHEN"), 1200);
  Command2 = button("Command2", QStringLiteral("ABBRECHEN"), 1800);
  Command3 = button("Command3", QStringLiteral("HILFE"), 2400);

  SetTabChain({Command1, Command2, Command3, Text1, Check1, Check2, Check3});

  connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);
  connect(Text1, &QLineEdit::textChanged, this, &Form5::Text1_Change);

  SetFixedWindowSize(*this, TwipsSize(5790, 3150));
  Form_Load();
  Command1->setToolTip(QStringLiteral(" Beginn und Fortfahren der Suche "));
  Command2->setToolTip(QStringLiteral(" Löschung des Suchtextes "));
  Command3->setToolTip(QStringLiteral(" Info über Suchen "));
  Check1->setToolTip(QStringLiteral(" Bei Aktivierung Groß/Kleinschreibungsüberprüfung "));
  Check2->setToolTip(QStringLiteral(" Bei Aktivierung Ganzwortüberprüfung 1 zu 1"));
  Check3->setToolTip(QStringLiteral(" Bei Aktivierung Ganzlaufsuche mit Liste "));
  Text1->setToolTip(QStringLiteral(" Texteingabe für Suchwort oder Text "));
}

void Form5::Form_Load() { platform::CentreOnScreen(*this, platform_); }

int Form5::OptionFlags() const {
  return (Check1->isChecked() ? RichTextBox::MatchCase : 0) | (Check2->isChecked() ? RichTextBox::WholeWord : 0);
}

void Form5::Command1_Click() {
  const int options = OptionFlags();
  RichTextBox& box = box_;
  const QString word = Text1->text();
  auto& p = platform_;
  if (!Check3->isChecked()) {
    // Step search: one character after the last match, so occurrences that
    // overlap are found one character apart.
    position_ = box.find(word, position_ + 1, options);
    if (position_ == -1) {
      p.messageBox(this, messages::kNotFound, QString(), platform::MessageIcon::None);
      return;
    }
    hide();
    return;
  }
  // Count search over the whole text; the last occurrence is left selected.
  box.waitForWholeText();
  std::int64_t count = 0;
  std::int64_t last = -1;
  position_ = -1;
  for (;;) {
    position_ = box.locate(word, position_ + 1, options);
    if (position_ == -1) break;
    last = position_;
    ++count;
  }
  if (last >= 0) box.select(last, word.size());
  p.messageBox(this, messages::kFoundBefore + NumberText(count) + messages::kFoundAfter, QString(),
               platform::MessageIcon::None);
}

void Form5::Command2_Click() {
  Text1->clear();
  position_ = -1;
  hide();
}

void Form5::Command3_Click() {
  Module2::LoadSearchInfo(help_);
  Module2::ShowHelpWindow(help_, this);
}

void Form5::Text1_Change() { position_ = -1; }

void Form5::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // An etched frame around the three options: a dark and a white rectangle,
  // one pixel apart.
  QPainter painter(this);
  const QRect frame = TwipsRect(360, 1260, 3240, 1560);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame);
  painter.setPen(Qt::white);
  painter.drawRect(frame.translated(1, 1));
}
