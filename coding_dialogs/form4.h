#pragma once
// Form4: the decode dialog "CODE_AN", the pass after a fitting password. It
// is shown modally once the file dialog's "ERSTELLEN" has put the path of
// the file to create into the session (Text1 shows it). OK decodes the loaded encoded file (file slot 1)
// into that path with the tables of the check the session keeps, the
// progress bar moving, and hides the dialog.
#include "coding_dialogs/coding_dialog.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class Form4 : public CodingDialog {
  Q_OBJECT

 public:
  explicit Form4(CodingNeeds needs, QWidget* parent = nullptr);

  void Command1_Click();  // OK

 private:
  // The controls; others reach them only by their objectName.
  QLabel* Label1;    // "Dateiname für Code_Off:"
  QLineEdit* Text1;  // path of the file to create
  QLabel* Label2;    // "Entcodierung:"
  QProgressBar* ProgressBar1;
  QPushButton* Command1;  // "OK"
  QPushButton* Command2;  // "ABBRECHEN"
  QPushButton* Command3;  // "HILFE"
  QLabel* Image1;
};
