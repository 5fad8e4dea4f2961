#pragma once
// The main window's part in holding the program together: it opens every
// chain of dialogs, so it connects what the lower windows hand on to each
// other. The one place where windows are connected to each other.
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

}  // namespace tambril
