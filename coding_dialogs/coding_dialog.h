#pragma once
// What the three coding dialogs Form2, Form3 and Form4 share: a white fixed
// dialog; ABBRECHEN (Command2) empties the password boxes and hides it, as
// Esc and the close box do; HILFE (Command3) shows the dialog's help text;
// each showing gives the first password box the focus; sunken frames are
// drawn round the parts of the dialog.
#include <QDialog>
#include <QRect>
#include <initializer_list>
#include <vector>

#include "session/session.h"
#include "viewer/help_procedures.h"

class QLineEdit;
class Selpr6;

// What a coding dialog uses of the other windows, each made when first
// needed: the file dialog (the chain goes on there, and a failure is
// reported through it) and the help window.
struct CodingNeeds {
  tambril::session::Session& session;
  tambril::Lazy<Selpr6> files;
  Module2::HelpWindow help;
};

class CodingDialog : public QDialog {
  Q_OBJECT

 public:
  void Command2_Click();  // ABBRECHEN
  void Command3_Click();  // HILFE

 protected:
  // `loadHelp` is the text procedure of the dialog's help text; the client
  // size is in twips.
  CodingDialog(const char* name, const QString& caption, int widthTwips, int heightTwips,
               void (*loadHelp)(const Module2::HelpWindow&), CodingNeeds needs);

  tambril::session::Session& session() const { return needs_.session; }
  // The file dialog, made if it is not yet.
  Selpr6& files() const { return needs_.files(); }
  const tambril::Lazy<Selpr6>& filesLater() const { return needs_.files; }

  // The password boxes ABBRECHEN empties; the first gets the focus on each
  // showing.
  void setPasswordBoxes(std::initializer_list<QLineEdit*> boxes) { passwordBoxes_ = boxes; }
  // The sunken frames, in twips.
  void setSunkenFrames(std::initializer_list<QRect> twips) { frames_ = twips; }

  void reject() override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void (*loadHelp_)(const Module2::HelpWindow&);
  CodingNeeds needs_;
  std::vector<QLineEdit*> passwordBoxes_;
  std::vector<QRect> frames_;
};
