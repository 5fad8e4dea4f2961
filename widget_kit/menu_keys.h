#pragma once
// The keyboard way into a window's menu bar: F10 opens the first menu that
// can be opened (Alt alone does it through the style), and the arrow keys
// move on from there.
class QMenuBar;
class QWidget;

namespace tambril::platform {

void OpenMenusWithF10(QWidget& window, QMenuBar& bar);

}  // namespace tambril::platform
