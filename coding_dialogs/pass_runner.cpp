#include "coding_dialogs/pass_runner.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <exception>
#include <thread>

namespace tambril {
namespace {

// Keeps every window open while a pass runs: the close box and the window
// manager's close requests are not user input to the event loop, so they
// are refused here.
class CloseBlocker : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Close) return false;
    event->ignore();
    return true;
  }
};

}  // namespace

void RunPass(const std::function<void(const codec::ProgressFn&)>& pass, const std::function<void(int)>& show) {
  QEventLoop loop;
  // Queued calls on `receiver` run on this thread, in the order they were made.
  QObject receiver;
  const codec::ProgressFn report = [&receiver, &show](int value) {
    QMetaObject::invokeMethod(&receiver, [&show, value] { show(value); }, Qt::QueuedConnection);
  };
  CloseBlocker blocker;
  QCoreApplication::instance()->installEventFilter(&blocker);

  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      pass(report);
    } catch (...) {
      failure = std::current_exception();
    }
    // Posted after the last progress value, so that one is shown first.
    QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  // Whatever the loop left (only when the program was told to end meanwhile).
  QCoreApplication::sendPostedEvents(&receiver);
  QCoreApplication::instance()->removeEventFilter(&blocker);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tambril
