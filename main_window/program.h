#pragma once
// The one place where the program's windows are made and connected. Each
// window is made on its first use and handed what it uses: the session,
// the windows it opens as makers it calls when it needs them (`Lazy`), and
// the end of the program; what a window hands on (the splash's end,
// "ERSTELLEN", the end stopping the splash, the file named on the command
// line) is connected here. A window is afterwards only hidden and shown
// until the end of the program; tests clear them all after each case
// (`DestroyWindows`).
//
//   Window<Selpr6>().PrepareOpenMode();   // made on first use
class Form1;
class Form2;
class Form3;
class Form4;
class Form6;
class Form7;
class Form8;
class Form21;
class Selpr6;
class QString;
namespace Module2 {
class SoundService;
}

namespace tambril {

class Controller;
class FileSlots;
namespace platform {
class Platform;
}
namespace session {
class Session;
}

// The window of type W (one of the classes above), made on first use.
template <class W>
W& Window();

template <>
Form1& Window<Form1>();
template <>
Selpr6& Window<Selpr6>();
template <>
Form2& Window<Form2>();
template <>
Form3& Window<Form3>();
template <>
Form4& Window<Form4>();
template <>
Form6& Window<Form6>();
template <>
Form7& Window<Form7>();
template <>
Form8& Window<Form8>();
template <>
Form21& Window<Form21>();

// The state the windows share, made with the first window that uses it.
session::Session& SharedSession();
// The coding chain over that state, the one writer of it.
Controller& Chain();
// The program's open files (file slot 1, the loaded file).
FileSlots& SharedFileSlots();
// The two sound players and the requests to them.
Module2::SoundService& Sounds();

// The platform every window made from now on is handed: the Qt one unless
// another was given (a test's recording fake; nullptr goes back).
void UsePlatform(platform::Platform* platform);
platform::Platform& PlatformInUse();

// Loads `path` once the main window has appeared for the first time, after
// the splash (through Form1::OpenFromOutside).
void LoadWhenMainWindowAppears(const QString& path);

// The end of the program, the same from "Beenden", the main window's close
// box and termination from outside; it runs once, however many ways ask for
// it. A splash still running is stopped first.
void Terminate();

// Destroys every window, the newest first, and the objects they shared;
// before the application object goes.
void DestroyWindows();

}  // namespace tambril
