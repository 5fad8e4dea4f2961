#pragma once
// What the three coding dialogs Form2, Form3 and Form4 share: a white fixed
// dialog; ABBRECHEN (Command2) empties the password boxes and hides it, as
// Esc and the close box do; HILFE (Command3) shows the dialog's help text;
// each showing gives the first box the focus (after a pass pressed by
// keyboard or mouse the focus would stay on that button) and puts the
// progress bar back at its start; sunken frames are drawn round the parts
// of the dialog.
#include <QDialog>
#include <QRect>
#include <initializer_list>
#include <vector>

#include "controller/controller.h"
#include "help_window/help_procedures.h"
#include "platform/platform.h"
#include "presenter/presenter.h"
#include "session/session.h"

class QLineEdit;
class QProgressBar;

// What every coding dialog uses: the controller, which runs its step, the
// presenter, which shows its failures, and the help window.
struct CodingNeeds {
  tambril::platform::Platform& platform;  // the busy pointer during a pass
  tambril::Controller& chain;
  tambril::Presenter& presenter;
  Module2::HelpWindow help;
};

class CodingDialog : public QDialog {
  Q_OBJECT

 public:
  void Command2_Click();  // ABBRECHEN
  void Command3_Click();  // HILFE

 protected:
  // `loadHelp` is the text procedure of the dialog's help text; the client
  // size is in twips; `parent` owns the dialog (the main window).
  CodingDialog(const char* name, const QString& caption, int widthTwips, int heightTwips,
               void (*loadHelp)(const Module2::HelpWindow&), CodingNeeds needs, QWidget* parent);

  const tambril::session::Session& session() const { return needs_.chain.session(); }
  tambril::Controller& chain() const { return needs_.chain; }
  tambril::Presenter& presenter() const { return needs_.presenter; }
  tambril::platform::Platform& platform() const { return needs_.platform; }

  // The password boxes ABBRECHEN empties; the first gets the focus on each
  // showing.
  void setPasswordBoxes(std::initializer_list<QLineEdit*> boxes) { passwordBoxes_ = boxes; }
  // The box that gets the focus on each showing in a dialog without
  // password boxes.
  void setFirstBox(QWidget* box) { firstBox_ = box; }
  // The progress bar of the pass, back at its start on each showing.
  void setProgressBar(QProgressBar* bar) { bar_ = bar; }
  // The sunken frames, in twips.
  void setSunkenFrames(std::initializer_list<QRect> twips) { frames_ = twips; }

  void reject() override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void (*loadHelp_)(const Module2::HelpWindow&);
  CodingNeeds needs_;
  std::vector<QLineEdit*> passwordBoxes_;
  QWidget* firstBox_ = nullptr;
  QProgressBar* bar_ = nullptr;
  std::vector<QRect> frames_;
};
