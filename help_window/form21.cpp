#include "help_window/form21.h"

#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include "platform/platform.h"
#include "sound/sound_service.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;

namespace tambril {

HelpTextBox::HelpTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("Text1"));
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette pal = palette();
  pal.setColor(QPalette::Text, Qt::black);
  pal.setColor(QPalette::Base, Qt::white);
  setPalette(pal);
}

void HelpTextBox::setText(const QString& text) {
  text_ = text;
  setPlainText(text);
}

}  // namespace tambril

Form21::SizeRule Form21::RuleOf(Size size) {
  switch (size) {
    case Size::Small:
      return {8, -1500, -500};
    case Size::Medium:
      return {10, 0, 0};
    case Size::Large:
      return {12, 1000, 500};
  }
  return {10, 0, 0};
}

Form21::Form21(platform::Platform& platform, Module2::SoundService& sounds, QWidget* parent)
    : QDialog(parent), platform_(platform), sounds_(sounds) {
  SetUpFixedDialog(*this, "Form21", QStringLiteral("HILFE"));
  setModal(true);

  MenuBar = InWindowMenuBar(this);
  Abbrechen = NamedItem(MenuBar, "Abbrechen", QStringLiteral("ABBRECHEN"));
  Schriftart = NamedMenu(MenuBar, "Schriftart", QStringLiteral("Schriftart"));
  Gross = NamedItem(Schriftart, "Gross", QStringLiteral("Groß"));
  Standard = NamedItem(Schriftart, "Standard", QStringLiteral("Standard"));
  Klein = NamedItem(Schriftart, "Klein", QStringLiteral("Klein"));
  for (QAction* item : {Gross, Standard, Klein}) item->setCheckable(true);
  Klein->setChecked(true);
  TeCopy = NamedItem(MenuBar, "TeCopy", QStringLiteral("Copy"));

  Text1 = new HelpTextBox(this);
  Text1->setAccessibleName(QStringLiteral("Hilfetext"));
  Text1->setFont(DialogFont(RuleOf(Size::Small).points));
  Text1->installEventFilter(this);

  connect(Abbrechen, &QAction::triggered, this, &Form21::Abbrechen_Click);
  // The size rule sets the marks of the size items itself.
  ConnectMarkedItem(Gross, this, &Form21::Gross_Click);
  ConnectMarkedItem(Standard, this, &Form21::Standard_Click);
  ConnectMarkedItem(Klein, this, &Form21::Klein_Click);
  connect(TeCopy, &QAction::triggered, this, &Form21::TeCopy_Click);

  ApplySize();
  Form_Load();
}

void Form21::ApplySize() {
  const int menu = MenuBar->sizeHint().height();
  const QSize client(Px(clientTwips_.width()), menu + Px(clientTwips_.height()));
  MenuBar->setGeometry(0, 0, client.width(), menu);
  Text1->setGeometry(Px(120), menu + Px(0), Px(textTwips_.width()), Px(textTwips_.height()));
  setFixedSize(client);
}

void Form21::Form_Load() {
  // The right edge on the screen's right edge, halfway down.
  const QRect screen = platform_.screenGeometry();
  const QSize outer = frameGeometry().size();
  move(screen.left() + screen.width() - outer.width(), screen.top() + (screen.height() - outer.height()) / 2);
}

void Form21::ChangeSize(Size next) {
  if (next == size_) return;
  const SizeRule from = RuleOf(size_);
  const SizeRule to = RuleOf(next);
  const int dw = to.widthDelta - from.widthDelta;
  const int dh = to.heightDelta - from.heightDelta;
  for (auto [item, size] : {std::pair{Gross, Size::Large}, {Standard, Size::Medium}, {Klein, Size::Small}}) {
    item->setChecked(size == next);
  }
  // The right edge stays where it is and the top does not move: the window
  // grows or shrinks to the left and at its bottom.
  const QRect before = frameGeometry();
  textTwips_ += QSize(dw, dh);
  clientTwips_ += QSize(dw, dh);
  size_ = next;
  ApplySize();
  const int widthNow = frameGeometry().width();
  move(before.x() + before.width() - widthNow, before.y());
  QFont font = Text1->font();
  font.setPointSizeF(to.points);
  Text1->setFont(font);
}

void Form21::Abbrechen_Click() { hide(); }
void Form21::Gross_Click() { ChangeSize(Size::Large); }
void Form21::Standard_Click() { ChangeSize(Size::Medium); }
void Form21::Klein_Click() { ChangeSize(Size::Small); }

void Form21::TeCopy_Click() {
  sounds_.PlaySound({.SoundDevice = 2, .SoundMode = 1});
  platform_.clearClipboard();
  platform_.setClipboardText(text_);
}

void Form21::Text1_KeyDown(int key) {
  if (key == Qt::Key_Escape) hide();
}

bool Form21::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Text1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    Text1_KeyDown(key);
    if (key == Qt::Key_Escape) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void Form21::SetText(const QString& text) {
  text_ = text;
  Text1->setText(text);
}

void Form21::ShowFromStart() {
  Text1->moveCursor(QTextCursor::Start);
  // Shown again, it goes on top of the windows that were opened since its
  // last showing (the viewer, the coding dialogs), not below them.
  QTimer::singleShot(0, this, [this] { raise(); });
  exec();
}
