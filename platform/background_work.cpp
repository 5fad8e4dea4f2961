#include "platform/background_work.h"

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

}  // namespace

void RunBeside(const std::function<void()>& work) {
  {
    std::lock_guard lock(g_mutex);
    ++g_running;
  }
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
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  // The loop also ends early when the program is told to quit; the work is
  // never abandoned, so wait for it here.
  worker.join();
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
