#pragma once
// Form14: the new-folder dialog "Orner hinzufügen", opened from the file
// dialog's "Neuer Ordner..": creates a folder inside the folder the file
// dialog shows and moves the file dialog into it. Its only state is the name box, which
// every way out of the dialog empties.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class Form14 : public QDialog {
  Q_OBJECT

 public:
  Form14();

  QLabel* Label1;         // "Ordner-Name eingeben:"
  QLineEdit* Text1;       // name of the new folder
  QPushButton* Command1;  // "OK"
  QPushButton* Command2;  // "ABBRECHEN"
  QPushButton* Command3;  // "HILFE"

  // Event handlers.
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  // Why creating a folder failed: the path or the access (a name the file
  // system refuses, a missing or protected folder) or the device itself.
  enum class Failure { None, Access, Device };
  // Creates the folder `path`, whose parent must exist.
  static Failure CreateFolder(const QString& path);

  // Closing by the frame or by Esc is "ABBRECHEN" as well.
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
