#pragma once
// Form3: the password check dialog "CODE_AUS", shown by the decode command.
// OK checks the typed password against the header of the loaded encoded
// file. When it fits, the dialog proposes the decoded file's name with the
// stored extension tag and opens the file dialog, from which the decode
// dialog follows; otherwise it asks for another password and clears the
// session's create mode, so that no decode can start.
//
// The check itself, with the tables the decode needs, is kept in the
// session while the chain it opened is open. Its labels show the result:
// Label2 "18" after a fit and empty after a miss; Label3 the three decoded
// tag characters after a fit.
#include "coding_dialogs/coding_dialog.h"

class QLabel;
class Selpr6;
class QLineEdit;
class QPushButton;

class Form3 : public CodingDialog {
  Q_OBJECT

 public:
  // `files` is the file dialog the chain goes on in after a fit.
  Form3(CodingNeeds needs, tambril::Lazy<Selpr6> files, QWidget* parent = nullptr);

  void Command1_Click();  // OK; Command2 is "ABBBRECHEN"

  // Checks Text1 against the loaded file (the controller keeps a fit and
  // drops a miss) and shows the result in Label2 and Label3.
  tambril::CheckOutcome StartPasswordCheck();

 private:
  tambril::Lazy<Selpr6> files_;

  // The controls; others reach them only by their objectName.
  QLabel* Label1;         // "Kennworteingabe:"
  QLineEdit* Text1;       // the password
  QLabel* Label2;         // "18" after a fitting password
  QLabel* Label3;         // the decoded extension tag
  QPushButton* Command1;  // "OK"
  QPushButton* Command2;  // "ABBBRECHEN"
  QPushButton* Command3;  // "HILFE"
  QLabel* Image2;
};
