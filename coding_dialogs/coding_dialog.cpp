#include "coding_dialogs/coding_dialog.h"

#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>

#include "coding_dialogs/dialog_parts.h"
#include "help_window/help_procedures.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/modal_windows.h"
#include "widget_kit/twips.h"

using namespace tambril;

CodingDialog::CodingDialog(const char* name, const QString& caption, int widthTwips, int heightTwips,
                           void (*loadHelp)(const Module2::HelpWindow&), CodingNeeds needs, QWidget* parent)
    : QDialog(parent), loadHelp_(loadHelp), needs_(std::move(needs)) {
  coding::SetUpDialog(*this, name, caption, widthTwips, heightTwips);
  platform::ShowOverOpener(*this);
}

void CodingDialog::Command2_Click() {
  for (QLineEdit* box : passwordBoxes_) box->clear();
  hide();
}

void CodingDialog::Command3_Click() {
  loadHelp_(needs_.help);
  Module2::ShowHelpWindow(needs_.help, this);
}

void CodingDialog::reject() { Command2_Click(); }

void CodingDialog::showEvent(QShowEvent* event) {
  if (QWidget* first = passwordBoxes_.empty() ? firstBox_ : passwordBoxes_.front()) first->setFocus();
  if (bar_) bar_->setValue(bar_->minimum());
  QDialog::showEvent(event);
}

void CodingDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  for (const QRect& r : frames_) DrawSunkenFrame(painter, TwipsRect(r.x(), r.y(), r.width(), r.height()));
}
