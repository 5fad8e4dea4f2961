#pragma once
// Form8: the viewer window "Window", the loaded file's text in RichTextBox1, a way
// back ("ABBRECHEN") and the search menu. Shown modally from the main window;
// hidden, never destroyed, so its text and selection stay until the next load.
#include <QDialog>
#include <QSize>

#include "controller/controller.h"
#include "help_window/help_procedures.h"
#include "platform/platform.h"
#include "session/session.h"
#include "viewer/rich_text_box.h"

class Form5;

class QAction;
class QMenu;
class QMenuBar;

class Form8 : public QDialog {
  Q_OBJECT

 public:
  // `help` is handed on to the search dialog.
  // `chain` gives the content of a file loaded before the viewer was made.
  Form8(tambril::platform::Platform& platform, tambril::Controller& chain, Module2::HelpWindow help,
        QWidget* parent = nullptr);

  // The box's size in twips for a window of the given outer size in twips:
  // 360 narrower and 900 lower, never negative (1 instead).
  static QSize BoxSizeTwips(int outerWidthTwips, int outerHeightTwips);
  // The box's size in twips as the last resize set it.
  QSize boxTwips() const { return boxTwips_; }

  // The search dialog over RichTextBox1, the viewer's own.
  Form5& searchDialog() const { return *search_; }

  // Shows the loaded file as the session describes it: `content` as
  // formatted or 8-bit text, a notice for a file too large to show, or an
  // empty box while no file is loaded.
  void ShowLoaded(const QByteArray& content);

 public slots:
  void Form_Load();
  void Form_Resize();
  void Cancel_Click();
  void Search2_Click();
  void SearchF3_Click();
  void RichTextBox1_KeyDown(int key);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  const tambril::session::Session& session_;
  QWidget* client_;
  Form5* search_;
  QSize boxTwips_{11535, 6495};

 private:
  // The controls; others reach them only by their objectName.
  tambril::RichTextBox* RichTextBox1;

  // The menu; others reach it only by its objectName.
  QMenuBar* MenuBar;
  QAction* Cancel;    // "ABBRECHEN", a top-level entry
  QMenu* Search;      // "Suchen"
  QAction* Search2;   // "Suchen.."
  QAction* SearchF3;  // "Suchen F3"
};
