#pragma once
// Form5: the search dialog "Suchen", searches the viewer's text box (given
// by the viewer, which owns the dialog) for the typed word. Unticked "Alles durchsuchen": each
// "WEITERSUCHEN" selects the next occurrence after the previous one and
// closes the dialog; ticked: counts every occurrence and says how many.
// Hidden, never destroyed, so word, options and the stored position survive
// between openings; that is what lets "Suchen F3" continue a search.
#include <QDialog>
#include <cstdint>

#include "help_window/help_procedures.h"
#include "platform/platform.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tambril {
class RichTextBox;
}

class Form5 : public QDialog {
  Q_OBJECT

 public:
  // `box` is the viewer's text box, `parent` the viewer.
  Form5(tambril::platform::Platform& platform, tambril::RichTextBox& box, Module2::HelpWindow help, QWidget* parent);

  // Event handlers.
  void Form_Load();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Text1_Change();

  // The option flags of the find operation the check boxes stand for:
  // 4 match case, 2 whole word.
  int OptionFlags() const;
  // Index of the last match of a step search; -1 when the next search
  // starts at the beginning of the text.
  std::int64_t storedPosition() const { return position_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  tambril::RichTextBox& box_;
  Module2::HelpWindow help_;
  std::int64_t position_ = -1;

 private:
  // The controls; others reach them only by their objectName.
  QLineEdit* Text1;       // the search word
  QCheckBox* Check1;      // "Groß-/Kleinschreibung": match case
  QCheckBox* Check2;      // "Nur ganzes Wort suchen": whole words only
  QCheckBox* Check3;      // "Alles durchsuchen": count instead of stepping
  QPushButton* Command1;  // "WEITERSUCHEN"
  QPushButton* Command2;  // "ABBRECHEN"
  QPushButton* Command3;  // "HILFE"
};
