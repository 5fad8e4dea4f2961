#pragma once
// Form1: the main window, its menu and the record of the loaded file; it
// opens every chain of dialogs. The record itself is the session's loaded
// file, which only loading writes; the controls show it:
//   Text1   bare name of the loaded file ("ERROR" after a failed load)
//   Label1  byte size line, Label7 megabyte line, Label8 change date line
//   Label9 + Image1   encoded-file marker (".tmb" in the path)
//   Label10 + Image2  plain-file marker
//   Image3  start picture, hidden by the first load
//   Code_AN / Code_Aus checked: the coding command started last
#include <QMainWindow>
#include <functional>

#include "controller/controller.h"
#include "platform/platform.h"
#include "presenter/presenter.h"
#include "session/session.h"
#include "sound/sound_service.h"
#include "widget_kit/lazy.h"

class Form6;
class Form8;
class Form21;
class Selpr6;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;

class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  // The windows the main window opens, each made when first needed, and
  // the end of the program.
  struct Needs {
    tambril::Lazy<Selpr6> files;
    // Opens the window a step of the chain goes on in.
    std::function<void(tambril::Step)> go;
    tambril::Lazy<Form8> viewer;
    tambril::Lazy<Form6> info;
    tambril::Lazy<Form21> help;
    std::function<void()> end;
  };
  // `chain` starts the coding commands, `presenter` shows their failures.
  Form1(tambril::platform::Platform& platform, Module2::SoundService& sounds, tambril::Controller& chain,
        tambril::Presenter& presenter, Needs needs);

  // Event handlers. (Qt's meta-object compiler cannot read the umlaut, so
  // Datei_öffnen_Click is an ordinary member function; all are connected by
  // function pointer.)
  void Datei_öffnen_Click();

 public slots:
  void Form_Load();
  void Beenden_Click();
  void Code_AN_Click();
  void Code_Aus_Click();
  void Window_Click();
  void Hilfe_Click();
  void Info_Click();
  void Text1_KeyDown(int key);
  void Form_Unload();
  void Form_Terminate();

  // The end of the program, the same from "Beenden", the close box and
  // termination: every open file is closed and the program ends at once.
  void EndSequence();

  // Shows the session's loaded-file record and coding command in the
  // controls; runs on every change of the session.
  void ShowRecord();
  // The tooltips of the record's fields.
  void ShowToolTips();

  // Loads `path`, a file from outside (the command line, a drop), as
  // "ÖFFNEN" in the file dialog does: the same record and messages (over the
  // main window), and the dialog, made or not, shows the file's folder.
  void OpenFromOutside(const QString& path);

 signals:
  // The window was shown.
  void shown();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  Module2::SoundService& sounds_;
  tambril::Controller& chain_;
  tambril::Presenter& presenter_;
  const tambril::session::Session& session_;
  Needs needs_;

  // Follows what a coding command started: the file dialog's create mode,
  // a failure, or the next window.
  void FollowStart(tambril::session::CreateMode command, const tambril::Start& start);

 private:
  // The controls; others reach them only by their objectName.
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label4;
  QLabel* Label6;
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QLabel* Label10;
  QLineEdit* Text1;
  QLabel* Image1;
  QLabel* Image2;
  QLabel* Image3;

  // The menu; others reach it only by its objectName.
  QMenu* Date;  // "Datei"
  QAction* Datei_öffnen;
  QAction* Beenden;
  QMenu* Bearbeiten;  // "Bearbeiten"
  QAction* Code_AN;
  QAction* Code_Aus;
  QMenu* Suchen;  // "Zeigen"
  QAction* Window;
  QMenu* Zeichen;  // "?"
  QAction* Hilfe;
  QAction* Info;
};
