#pragma once
// The one place where the program's windows are made and connected. Each
// window is made on its first use and handed what it uses: the session,
// the windows it opens as makers it calls when it needs them (`Lazy`), and
// the end of the program; what a window hands on (the splash's end,
// "ERSTELLEN", the end stopping the splash) is connected here. A window is afterwards only hidden and shown until the
// end of the program; tests clear them all after each case
// (`Windows::clear`).
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

namespace tambril {

class Controller;
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

// The end of the program, the same from "Beenden", the main window's close
// box and termination from outside; it runs once, however many ways ask for
// it. A splash still running is stopped first.
void Terminate();

// Destroys every window, the newest first, and the objects they shared;
// before the application object goes.
void DestroyWindows();

}  // namespace tambril
