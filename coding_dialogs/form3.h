#pragma once
// The password check dialog "CODE_AUS", shown by the decode command. OK
// checks the typed password against the header of the loaded encoded file.
// When it fits, the dialog proposes the decoded file's name with the stored
// extension tag and opens the file dialog, from which the decode dialog
// follows; otherwise it asks for another password and clears the file
// dialog's mode word, so that no decode can start.
//
// Result of the check: Label2 "18" after a fit and empty after a miss;
// Label3 the three decoded tag characters after a fit. The check itself,
// with the tables the decode needs, is kept in LastCheck while the chain it
// opened is open.
#include <QDialog>
#include <optional>

#include "codec/codec.h"

class QLabel;
class QLineEdit;
class QPushButton;

class Form3 : public QDialog {
  Q_OBJECT

 public:
  Form3();

  QLabel* Label1;          // "Kennworteingabe:"
  QLineEdit* Text1;        // the password
  QLabel* Label2;          // "18" after a fitting password
  QLabel* Label3;          // the decoded extension tag
  QPushButton* Command1;   // "OK"
  QPushButton* Command2;   // "ABBBRECHEN"
  QPushButton* Command3;   // "HILFE"
  QLabel* Image2;

  void Command1_Click();  // OK
  void Command2_Click();  // ABBBRECHEN
  void Command3_Click();  // HILFE

  // Checks Text1 against the loaded file; sets Label2, Label3 and LastCheck.
  // Throws codec::CodecError when the file cannot be read.
  void StartPasswordCheck();

  // The last successful check, which the decode dialog decodes with; empty
  // after a miss and once the chain of windows it opened has closed.
  std::optional<tambril::codec::CheckResult> LastCheck;

 protected:
  // Esc and the close box act like ABBBRECHEN.
  void reject() override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
};
