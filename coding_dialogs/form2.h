#pragma once
// Form2: the encode dialog "CODE_ON", password twice, then the pass. It is
// shown modally once the file dialog's "ERSTELLEN" has put the path of the
// file to create into the session (Text3 shows it); the encode command has
// put the extension tag there. OK checks the password and its
// confirmation, encodes the loaded file (file slot 1) into that path with
// the progress bar moving, and hides the dialog. Both password boxes are
// empty after a successful encode and after ABBRECHEN.
#include "coding_dialogs/coding_dialog.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class Form2 : public CodingDialog {
  Q_OBJECT

 public:
  explicit Form2(CodingNeeds needs, QWidget* parent = nullptr);

  void Command1_Click();  // OK

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The controls; others reach them only by their objectName.
  QLabel* Label2;    // "Dateiname für Code_On"
  QLineEdit* Text3;  // path of the file to create
  QLabel* Label3;    // "Kennwort:"
  QLineEdit* Text1;  // the password
  QLabel* Label4;    // "Kennwortbestätigung:"
  QLineEdit* Text2;  // its confirmation
  QLabel* Label6;    // "Codierung:"
  QProgressBar* ProgressBar1;
  QPushButton* Command1;  // "OK"
  QPushButton* Command2;  // "ABBRECHEN"
  QPushButton* Command3;  // "HILFE"
  QLabel* Image1;
  QLabel* Image2;
  QLabel* Image3;
};
