#pragma once
// A window's control found by its objectName ("Text1", "Command2" ...), for
// tests and benchmarks that drive the real windows: the windows keep their
// controls to themselves.
#include <QLatin1String>
#include <QWidget>
#include <type_traits>

namespace tambril::test {

// The control `name` of type C that belongs to `window` itself (not to a
// dialog the window owns, which has controls of the same names); nullptr
// when there is none.
template <class C>
C* FindControl(const QWidget& window, const char* name) {
  for (C* control : window.findChildren<C*>(QLatin1String(name))) {
    if constexpr (std::is_base_of_v<QWidget, C>) {
      if (control->window() == &window) return control;
    } else if (control->parent() == &window) {
      return control;
    }
  }
  return nullptr;
}

}  // namespace tambril::test
