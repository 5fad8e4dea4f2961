#include "controller/pass_runner.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <exception>

#include "platform/background_work.h"

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
  // Queued calls on `receiver` run on this thread, in the order they were made.
  QObject receiver;
  const codec::ProgressFn report = [&receiver, &show](int value) {
    QMetaObject::invokeMethod(
        &receiver, [&show, value] { show(value); }, Qt::QueuedConnection);
  };
  CloseBlocker blocker;
  QCoreApplication::instance()->installEventFilter(&blocker);

  // RunBeside's wait ends after the last progress value was posted, so that
  // one is shown first. The end of the program waits for the pass too, so a
  // termination never cuts it off half way.
  std::exception_ptr failure;
  try {
    RunBeside([&] { pass(report); });
  } catch (...) {
    failure = std::current_exception();
  }
  // Whatever the loop left (only when the program was told to end meanwhile).
  QCoreApplication::sendPostedEvents(&receiver);
  QCoreApplication::instance()->removeEventFilter(&blocker);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tambril
