#include "platform/background_work.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace tambril {
namespace {

std::mutex g_mutex;
std::condition_variable g_ended;
int g_running = 0;

// Swallows the user's mouse, key, wheel, touch and tablet input on its way
// to any window. Held back instead, the input would be acted on after the
// work, on whatever window is then under the pointer or has the focus.
class InputDropper : public QObject {
 public:
  InputDropper() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }
  InputDropper(const InputDropper&) = delete;
  InputDropper& operator=(const InputDropper&) = delete;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::NonClientAreaMouseButtonPress:
      case QEvent::NonClientAreaMouseButtonRelease:
      case QEvent::NonClientAreaMouseButtonDblClick:
      case QEvent::NonClientAreaMouseMove:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::InputMethod:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TouchCancel:
      case QEvent::TabletPress:
      case QEvent::TabletMove:
      case QEvent::TabletRelease:
      case QEvent::NativeGesture:
        event->accept();
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

void RunBeside(const std::function<void()>& work) {
  {
    std::lock_guard lock(g_mutex);
    ++g_running;
  }
  const InputDropper dropper;
  QEventLoop loop;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(g_mutex);
      --g_running;
    }
    g_ended.notify_all();
    // Handled once the loop runs, even if it has not started yet.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  // The loop also ends early when the program is told to quit; the work is
  // never abandoned, so wait for it here.
  worker.join();
  // Input that reached the program while the work ran but was not yet taken
  // from the window system goes the same way as the rest.
  QCoreApplication::processEvents();
  if (failure) std::rethrow_exception(failure);
}

int BackgroundWorkRunning() {
  std::lock_guard lock(g_mutex);
  return g_running;
}

void WaitForBackgroundWork() {
  std::unique_lock lock(g_mutex);
  g_ended.wait(lock, [] { return g_running == 0; });
}

}  // namespace tambril
