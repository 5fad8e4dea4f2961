#pragma once
// Form14: the new-folder dialog "Orner hinzufügen", opened from the file
// dialog's "Neuer Ordner..": creates a folder inside the folder it is given
// (the one the file dialog shows), which then moves into it. The name box
// is emptied by every way out of the dialog.
#include <QDialog>
#include <optional>

#include "help_window/help_procedures.h"
#include "platform/platform.h"

class QLabel;
class QLineEdit;
class QPushButton;

class Form14 : public QDialog {
  Q_OBJECT

 public:
  // `parent` is the file dialog that opens it.
  Form14(tambril::platform::Platform& platform, Module2::HelpWindow help, QWidget* parent);

  // Event handlers.
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  // Why creating a folder failed: the path or the access (a name the file
  // system refuses, a missing or protected folder) or the device itself.
  enum class Failure { None, Access, Device };
  // Creates the folder `path`, whose parent must exist.
  static Failure CreateFolder(const QString& path);

  // Where the next folder is created; set before each showing.
  void setParentFolder(const QString& folder) { parent_ = folder; }
  // The folder "OK" created in the last showing; empty when none was.
  const std::optional<QString>& createdFolder() const { return created_; }

  // Closing by the frame or by Esc is "ABBRECHEN" as well.
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  Module2::HelpWindow help_;
  QString parent_;
  std::optional<QString> created_;

 private:
  // The controls; others reach them only by their objectName.
  QLabel* Label1;         // "Ordner-Name eingeben:"
  QLineEdit* Text1;       // name of the new folder
  QPushButton* Command1;  // "OK"
  QPushButton* Command2;  // "ABBRECHEN"
  QPushButton* Command3;  // "HILFE"
};
