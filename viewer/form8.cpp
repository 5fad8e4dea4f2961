#include "viewer/form8.h"

#include <QMenuBar>
#include <QVBoxLayout>
#include <cmath>

#include "platform/platform.h"
#include "session/session.h"
#include "viewer/form5.h"
#include "viewer/plain_text_accessible.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/modal_windows.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;

Form8::Form8(platform::Platform& platform, Controller& chain, Module2::HelpWindow help, QWidget* parent)
    : QDialog(parent), platform_(platform), session_(chain.session()) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("Window"));
  setModal(true);
  platform::ShowOverOpener(*this);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  SetBackground(*this, BgrColor(0x00FFFFFF));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  MenuBar = InWindowMenuBar(this);
  layout->setMenuBar(MenuBar);
  Cancel = NamedItem(MenuBar, "Cancel", QStringLiteral("ABBRECHEN"));
  Search = NamedMenu(MenuBar, "Search", QStringLiteral("Suchen"));
  Search2 = NamedItem(Search, "Search2", QStringLiteral("Suchen.."));
  SearchF3 = NamedItem(Search, "SearchF3", QStringLiteral("Suchen F3"));

  client_ = new QWidget(this);
  layout->addWidget(client_);
  RichTextBox1 = new RichTextBox(platform_, client_);
  RichTextBox1->setGeometry(TwipsRect(120, 0, 11535, 6495));
  // Both views inside the box (rich text, 8-bit text) are read by the name
  // of the box; the 8-bit view offers its text through its own interface.
  InstallPlainTextAccessibility();
  RichTextBox1->setAccessibleName(QStringLiteral("Dateiinhalt"));
  for (QWidget* view : RichTextBox1->findChildren<QWidget*>()) {
    if (view->focusPolicy() & Qt::TabFocus) view->setAccessibleName(RichTextBox1->accessibleName());
  }

  search_ = new Form5(platform_, *RichTextBox1, std::move(help), this);

  // The file loaded before the viewer was made, then every later load.
  if (session_.loaded()) ShowLoaded(chain.loadedContent());
  connect(&session_, &session::Session::loadedContent, this, &Form8::ShowLoaded);

  connect(Cancel, &QAction::triggered, this, &Form8::Cancel_Click);
  connect(Search2, &QAction::triggered, this, &Form8::Search2_Click);
  connect(SearchF3, &QAction::triggered, this, &Form8::SearchF3_Click);
  connect(RichTextBox1, &RichTextBox::keyDown, this, &Form8::RichTextBox1_KeyDown);

  resize(TwipsSize(11865, 6765) + QSize(0, MenuBar->sizeHint().height()));
  Form_Load();
}

void Form8::Form_Load() { platform::CentreOnScreen(*this, platform_); }

void Form8::ShowLoaded(const QByteArray& content) {
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!file) {
    RichTextBox1->clear();
    return;
  }
  const auto size = static_cast<std::int64_t>(file->size);
  switch (RichTextBox::DisplayFor(size, file->rich)) {
    case RichTextBox::Display::TooLarge:
      RichTextBox1->showTooLarge(size);
      break;
    case RichTextBox::Display::Rich:
      RichTextBox1->loadRtf(content);
      break;
    case RichTextBox::Display::Plain:
      RichTextBox1->loadPlain(content);
      break;
  }
}

QSize Form8::BoxSizeTwips(int outerWidthTwips, int outerHeightTwips) {
  int w = outerWidthTwips - 360;
  int h = outerHeightTwips - 900;
  if (w < 0) w = 1;
  if (h < 0) h = 1;
  return QSize(w, h);
}

void Form8::Form_Resize() {
  const QSize outer = frameGeometry().size();
  boxTwips_ = BoxSizeTwips(Twips(outer.width()), Twips(outer.height()));
  RichTextBox1->setGeometry(Px(120), Px(0), Px(boxTwips_.width()), Px(boxTwips_.height()));
}

void Form8::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

void Form8::Cancel_Click() { hide(); }

// Every way in opens the one search dialog, with its word, options and
// position as they were left.
void Form8::Search2_Click() { search_->exec(); }
void Form8::SearchF3_Click() { search_->exec(); }

void Form8::RichTextBox1_KeyDown(int key) {
  if (key == Qt::Key_F3) SearchF3->trigger();
}
