#include "widget_kit/modal_windows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tambril::platform {
namespace {

// The window a modal window opened now belongs over: the modal window open
// at that moment, or else the window it was made for (its parent).
QWindow* Opener(const QWidget& window) {
  QWindow* own = window.windowHandle();
  if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal != own && modal->isVisible()) return modal;
  const QWidget* parent = window.parentWidget();
  return parent ? parent->window()->windowHandle() : nullptr;
}

// Sets the owner while the window is being shown: the show event comes
// before the system window appears, which takes its owner from there.
class OwnerOnShow : public QObject {
 public:
  OwnerOnShow(QWidget& window, QWidget* firstBox) : QObject(&window), window_(window), firstBox_(firstBox) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show) {
      if (QWindow* own = window_.windowHandle()) own->setTransientParent(Opener(window_));
      if (firstBox_) firstBox_->setFocus();
    }
    return false;
  }

 private:
  QWidget& window_;
  QPointer<QWidget> firstBox_;
};

// Takes the icon Qt handed the system window away again, each time it is
// shown (the system window may have been made anew).
class NoIconOnShow : public QObject {
 public:
  explicit NoIconOnShow(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
#ifdef Q_OS_WIN
    if (watched == &window_ && event->type() == QEvent::Show) {
      const auto hwnd = reinterpret_cast<HWND>(window_.winId());
      SendMessageW(hwnd, WM_SETICON, ICON_SMALL, 0);
      SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0);
    }
#else
    Q_UNUSED(watched);
    Q_UNUSED(event);
#endif
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace

void WithoutTitleIcon(QWidget& window) { window.installEventFilter(new NoIconOnShow(window)); }

void ShowOverOpener(QWidget& window, QWidget* firstBox) {
  window.installEventFilter(new OwnerOnShow(window, firstBox));
}

}  // namespace tambril::platform
