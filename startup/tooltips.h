#pragma once
// SetToolTips for a main window that is still being built: its load handler
// runs inside its constructor, before the window registry holds it.
class Form1;

namespace tambril::startup {

void SetToolTips(Form1& main);

}  // namespace tambril::startup
