#include "widget_kit/menu_keys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace tambril::platform {

void OpenMenusWithF10(QWidget& window, QMenuBar& bar) {
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
  f10->setContext(Qt::WindowShortcut);
  QObject::connect(f10, &QShortcut::activated, &bar, [&bar] {
    for (QAction* entry : bar.actions()) {
      if (entry->isVisible() && entry->isEnabled() && entry->menu()) {
        bar.setActiveAction(entry);
        return;
      }
    }
  });
}

}  // namespace tambril::platform
