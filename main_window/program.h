#pragma once
// The main window's part in holding the program together: it opens every
// chain of dialogs, so it hands the lower windows what they pass on to each
// other, and it assigns the tooltips of every window.
class Form1;

namespace tambril {

// Connects what the lower windows hand on: the splash's end opens the main
// window, termination goes to the main window's Form_Terminate, "ERSTELLEN"
// hands the name to the encode or decode dialog. The program calls it once
// before the splash starts; the window tests' main() as well.
void ConnectWindows();

// Assigns every tooltip of the program, for a main window that is still
// being built (its load handler runs inside its constructor, before the
// window registry holds it). Creates the dialogs, hidden.
void SetToolTips(Form1& main);

}  // namespace tambril

namespace Module2 {

// Assigns every tooltip of the program; the file dialog's four mode-dependent
// tooltips follow the mode it was last prepared for.
void SetToolTips();

}  // namespace Module2
