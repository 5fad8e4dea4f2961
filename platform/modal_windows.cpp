#include "platform/modal_windows.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace tambril::platform {
namespace {

// The window a modal window opened now belongs over.
QWindow* Opener(const QWidget& window) {
  QWindow* own = window.windowHandle();
  if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal != own && modal->isVisible()) return modal;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top != &window && top->isVisible() && qobject_cast<QMainWindow*>(top)) return top->windowHandle();
  }
  return nullptr;
}

// Sets the owner while the window is being shown: the show event comes
// before the system window appears, which takes its owner from there.
class OwnerOnShow : public QObject {
 public:
  OwnerOnShow(QWidget& window, QWidget* firstBox) : QObject(&window), window_(window), firstBox_(firstBox) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show) {
      if (!window_.parentWidget()) {
        if (QWindow* own = window_.windowHandle()) own->setTransientParent(Opener(window_));
      }
      if (firstBox_) firstBox_->setFocus();
    }
    return false;
  }

 private:
  QWidget& window_;
  QPointer<QWidget> firstBox_;
};

}  // namespace

void ShowOverOpener(QWidget& window, QWidget* firstBox) {
  window.installEventFilter(new OwnerOnShow(window, firstBox));
}

}  // namespace tambril::platform
