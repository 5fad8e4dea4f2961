#pragma once
// The main window's part in holding the program together: it opens every
// chain of dialogs, so it connects what the lower windows hand on to each
// other, and it assigns the tooltips of every window. The one place where
// windows are connected to each other.
class Form1;
class Form7;

namespace tambril {

// The splash, made on first use with its end connected: the main window
// opens when it has run its course.
Form7& Splash();

// Connects what the dialogs below the main window hand on: "ERSTELLEN"
// goes on in the encode or decode dialog. Called by the main window as it
// is built.
void ConnectDialogs(Form1& main);

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
