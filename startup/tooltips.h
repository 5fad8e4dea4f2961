#pragma once
// The program's tooltip texts as one table of rows (window, control, text),
// windows and controls named by their object names. Four rows of the file
// dialog have a second text for its create modes.
#include <span>

class QWidget;

namespace tambril::startup {

struct ToolTipRow {
  const char* window;      // objectName of the window
  const char* control;     // objectName of the control inside it
  const char* text;        // UTF-8
  const char* createText;  // the file dialog's create-mode text; nullptr: the same
  bool questionPointer;    // the control shows the arrow with a question mark
};

// Every row, window by window.
std::span<const ToolTipRow> ToolTipRows();

// Gives the controls of `window` their rows' tooltips (the create-mode text
// where there is one and `openMode` is false) and pointers.
void ApplyToolTips(QWidget& window, bool openMode = true);

}  // namespace tambril::startup
