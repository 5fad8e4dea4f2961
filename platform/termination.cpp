#include "platform/termination.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tambril {

#ifdef Q_OS_UNIX
namespace {

// The pipe from the signal handler to the event loop: [0] read, [1] write.
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[3];

extern "C" void OnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

const int TerminationHandling::kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
#endif

TerminationHandling::TerminationHandling(std::function<void()> terminate) : terminate_(std::move(terminate)) {
  // The desktop session ends: the program has nothing to save, it just ends.
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
      if (terminated_) return;
      terminated_ = true;
      terminate_();
    });
  }
#ifdef Q_OS_UNIX
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;  // the default handling stays: the program is ended by the system
  }
  notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationHandling::readSignal);
  for (int i = 0; i < 3; ++i) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(kSignals[i], &action, &g_previous[i]);
  }
#endif
}

TerminationHandling::~TerminationHandling() {
#ifdef Q_OS_UNIX
  if (g_pipe[0] < 0) return;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  notifier_.reset();
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
#endif
}

void TerminationHandling::readSignal() {
#ifdef Q_OS_UNIX
  char bytes[16];
  while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
  }
#endif
  // Further signals while the end runs (a second Ctrl+C) change nothing.
  if (terminated_) return;
  terminated_ = true;
  terminate_();
}

}  // namespace tambril
