#pragma once
// Where a modal window of the program appears: over the window that opened
// it, and owned by it, so that it has no taskbar entry of its own and never
// goes behind that window (on Windows the owner, on X11 WM_TRANSIENT_FOR).
class QWidget;

namespace tambril::platform {

// Each time `window` is shown it is owned by the window that opened it: the
// modal window open at that moment, or else its parent (the main window, for
// the program's dialogs). When `firstBox` is given, the focus starts there
// each time.
void ShowOverOpener(QWidget& window, QWidget* firstBox = nullptr);

// `window` shows no icon in its title bar. On Windows a dialog frame has
// none unless the program hands it one, which Qt does for every window.
void WithoutTitleIcon(QWidget& window);

}  // namespace tambril::platform
