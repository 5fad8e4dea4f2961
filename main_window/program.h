#pragma once
// The program as one object, owned by main() (and by each window test): the
// platform it runs on, the session, the open files, the sound service, the
// controller, the end of the program and the windows. Each window is made
// on its first use by the member function that returns it, with the main
// window as its parent (the splash and the main window stand alone), and
// handed what it uses; what a window hands on (the splash's end,
// "ERSTELLEN", the end stopping the splash, the file named on the command
// line) is connected here. A window is afterwards only hidden and shown
// until the program object goes, which destroys the windows first, the
// dialogs before the main window.
//
//   tambril::Program program(desktop);
//   program.splash().show();
#include <QString>
#include <memory>

#include "controller/controller.h"
#include "main_window/program_end.h"
#include "platform/file_slots.h"
#include "presenter/presenter.h"
#include "session/session.h"
#include "sound/sound_service.h"

class Form1;
class Form2;
class Form3;
class Form4;
class Form6;
class Form7;
class Form8;
class Form21;
class Selpr6;

namespace tambril {

namespace platform {
class Platform;
}

class Program {
 public:
  // Every window and service is handed `platform` (the Qt one in main(), a
  // recording fake in tests).
  explicit Program(platform::Platform& platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  platform::Platform& platform() { return platform_; }
  // The state the windows share.
  session::Session& session() { return session_; }
  // The program's open files (file slot 1, the loaded file).
  FileSlots& fileSlots() { return files_; }
  // The two sound players and the requests to them.
  Module2::SoundService& sounds() { return sounds_; }
  // The coding chain over the session, its one writer.
  Controller& controller() { return controller_; }
  // What shows the chain's failures.
  Presenter& presenter() { return presenter_; }

  // The windows, each made on first use.
  Form1& mainWindow();
  Selpr6& fileDialog();
  Form2& encodeDialog();
  Form3& checkDialog();
  Form4& decodeDialog();
  Form6& infoWindow();
  Form7& splash();
  Form8& viewer();
  Form21& helpWindow();

  // Opens the window the chain goes on in, as the controller said.
  void go(Step next);

  // The windows made so far; nullptr for one not yet used.
  struct Made {
    Form1* mainWindow;
    Selpr6* fileDialog;
    Form2* encodeDialog;
    Form3* checkDialog;
    Form4* decodeDialog;
    Form6* infoWindow;
    Form7* splash;
    Form8* viewer;
    Form21* helpWindow;
  };
  Made made() const;

  // Loads `path` (the file named on the command line) once the main window
  // has appeared for the first time, after the splash.
  void loadWhenMainWindowAppears(const QString& path);

  // The end of the program, the same from "Beenden", the main window's close
  // box and termination from outside; it runs once, however many ways ask
  // for it. A splash still running is stopped first.
  void terminate() { end_.run(); }

 private:
  void loadOnFirstShow(Form1& main, const QString& path);

  platform::Platform& platform_;
  session::Session session_;
  FileSlots files_;
  Module2::SoundService sounds_;
  Controller controller_;
  Presenter presenter_;
  ProgramEnd end_;
  // The file named on the command line, until the main window is made.
  QString fileToLoad_;
  // Destroyed from the bottom up: the dialogs before the main window that
  // is their parent.
  std::unique_ptr<Form7> splash_;
  std::unique_ptr<Form1> main_;
  std::unique_ptr<Form21> help_;
  std::unique_ptr<Form6> info_;
  std::unique_ptr<Form8> viewer_;
  std::unique_ptr<Selpr6> files_dialog_;
  std::unique_ptr<Form2> encode_;
  std::unique_ptr<Form3> check_;
  std::unique_ptr<Form4> decode_;
};

}  // namespace tambril
