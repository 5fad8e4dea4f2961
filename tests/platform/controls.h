#pragma once
// A window's control found by its objectName ("Text1", "Command2",
// "Code_AN" ...), for tests and benchmarks that drive the real windows: the
// windows keep their controls, menus and menu items to themselves.
#include <QMenu>
#include <QString>
#include <QWidget>

namespace tambril::test {

// The control `name` of type C that belongs to `window` itself (not to a
// dialog the window owns, which has controls of the same names); nullptr
// when there is none.
template <class C>
C* FindControl(const QWidget& window, const char* name) {
  for (C* control : window.findChildren<C*>(QString::fromUtf8(name))) {
    // The first window above it is `window`; a menu on the way is part of it.
    for (const QObject* up = control->parent(); up; up = up->parent()) {
      if (up == &window) return control;
      const auto* widget = qobject_cast<const QWidget*>(up);
      if (widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget)) break;
    }
  }
  return nullptr;
}

}  // namespace tambril::test
