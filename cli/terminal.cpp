#include "terminal.h"

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>

#include "cli/messages.h"

namespace tambril::cli {
namespace {

// Atomic, as the jobs of a many-file run read them beside the handler
// (lock-free, so the handler may write them).
std::atomic<int> g_pendingSignal{0};
std::atomic<int> g_inPass{0};
static_assert(std::atomic<int>::is_always_lock_free);
volatile std::sig_atomic_t g_echoFd = -1;
termios g_savedTerminal;
termios g_withoutEcho;

// Ctrl-Z while echo is off: the terminal goes back as it was found for the
// shell, the program stops; on `fg` (SIGCONT) echo goes off again, whatever
// the shell did with the terminal meanwhile, and reading goes on.
void OnStop(int signal) {
  const int savedErrno = errno;
  if (g_echoFd >= 0) ::tcsetattr(g_echoFd, TCSANOW, &g_savedTerminal);
  struct sigaction own {
  }, stop{};
  stop.sa_handler = SIG_DFL;
  sigemptyset(&stop.sa_mask);
  ::sigaction(signal, &stop, &own);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);  // stops here until continued
  ::sigaction(signal, &own, nullptr);
  if (g_echoFd >= 0) ::tcsetattr(g_echoFd, TCSANOW, &g_withoutEcho);
  errno = savedErrno;
}

void OnContinue(int) {
  const int savedErrno = errno;
  if (g_echoFd >= 0) ::tcsetattr(g_echoFd, TCSANOW, &g_withoutEcho);
  errno = savedErrno;
}

void OnSignal(int signal) {
  const int savedErrno = errno;  // the interrupted code may be about to read it
  if (g_echoFd >= 0) ::tcsetattr(g_echoFd, TCSANOW, &g_savedTerminal);
  if (g_inPass) {
    g_pendingSignal = signal;
    errno = savedErrno;
    return;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

constexpr int kBarWidth = 20;

// The signals whose default action ends the program and that may be caught.
constexpr int kEndingSignals[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                  SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPIPE};

// Dropping a large unfinished file frees its blocks, which takes seconds for
// gigabytes. A child holding copies of every handle until this process has
// ended makes its own end the last close, so that the freeing happens after
// this process has gone, which then ends at once.
void HandOverOpenFiles() {
  int alive[2];
  if (::pipe(alive) != 0) return;
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (int s : kEndingSignals) std::signal(s, SIG_IGN);
    for (int fd = 0; fd <= 2; ++fd) ::close(fd);  // the terminal is not held
    ::close(alive[1]);
    char c;
    while (::read(alive[0], &c, 1) < 0 && errno == EINTR) {
    }
    ::_exit(0);  // the writing end closed: the program has ended
  }
  ::close(alive[0]);
  if (pid < 0) ::close(alive[1]);
  // Otherwise the writing end stays open for the rest of this process.
}

}  // namespace

EchoOff::EchoOff(int ttyFd) : fd_(ttyFd) {
  termios t;
  if (::tcgetattr(fd_, &t) != 0) return;
  g_savedTerminal = t;
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  g_withoutEcho = t;
  g_echoFd = fd_;
  if (::tcsetattr(fd_, TCSAFLUSH, &t) == 0) {
    active_ = true;
  } else {
    g_echoFd = -1;
  }
}

EchoOff::~EchoOff() {
  if (!active_) return;
  ::tcsetattr(fd_, TCSANOW, &g_savedTerminal);
  g_echoFd = -1;
}

void InstallSignalHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kEndingSignals) {
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    struct sigaction old {};
    if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(s, &sa, nullptr);
  }
  struct sigaction stop {};
  stop.sa_handler = OnStop;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = SA_RESTART;
  struct sigaction old {};
  if (::sigaction(SIGTSTP, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) ::sigaction(SIGTSTP, &stop, nullptr);
  struct sigaction cont {};
  cont.sa_handler = OnContinue;
  sigemptyset(&cont.sa_mask);
  cont.sa_flags = SA_RESTART;
  ::sigaction(SIGCONT, &cont, nullptr);
}

void DieOfSignal(int signal) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  ::_exit(128 + signal);
}

bool SignalPending() { return g_pendingSignal != 0; }

PassMonitor::PassMonitor(std::string label, bool showBar)
    : label_(std::move(label)), bar_(showBar && ::isatty(STDERR_FILENO) == 1) {
  g_pendingSignal = 0;
  g_inPass = 1;
}

PassMonitor::~PassMonitor() {
  g_inPass = 0;
  if (drawn_) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }
}

void PassMonitor::report(int value) {
  // The pass reports 1 once more after its target is complete; a signal
  // must not undo a finished file, so only earlier reports stop the pass.
  const bool finished = started_ && value == 1;
  started_ = true;
  if (!finished) checkpoint();
  if (bar_ && !finished) draw(value);
}

void PassMonitor::checkpoint() {
  if (g_pendingSignal == 0) return;
  HandOverOpenFiles();
  throw Interrupted{g_pendingSignal};
}

void PassMonitor::draw(int value) {
  const int filled = value < 0 ? 0 : value > kBarWidth ? kBarWidth : value;
  std::string line = "\r" + label_ + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] " + std::to_string(filled * 100 / kBarWidth) + "%";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = true;
}

std::string BytesOfTotal(std::uint64_t done, std::uint64_t total) {
  static constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  double scale = 1;
  while (unit + 1 < std::size(kUnits) && total >= scale * 1024) {
    scale *= 1024;
    ++unit;
  }
  char text[96];
  if (unit == 0) {
    std::snprintf(text, sizeof text, "%llu %s %llu bytes", static_cast<unsigned long long>(done),
                  Text(Msg::OfWord).data(), static_cast<unsigned long long>(total));
  } else {
    std::snprintf(text, sizeof text, "%.1f %s %.1f %s", static_cast<double>(done) / scale, Text(Msg::OfWord).data(),
                  static_cast<double>(total) / scale, kUnits[unit]);
  }
  return text;
}

RunBar::RunBar(std::size_t files, std::uint64_t bytes, bool show)
    : files_(files), bytes_(bytes), show_(show && ::isatty(STDERR_FILENO) == 1) {}

RunBar::~RunBar() { clear(); }

void RunBar::draw(std::size_t filesDone, std::uint64_t bytesDone) {
  if (!show_) return;
  filesDone = std::min(filesDone, files_);
  bytesDone = std::min(bytesDone, bytes_);
  // Bytes fill the bar; a run of empty files is counted by its files.
  const double part = bytes_ > 0   ? static_cast<double>(bytesDone) / static_cast<double>(bytes_)
                      : files_ > 0 ? static_cast<double>(filesDone) / static_cast<double>(files_)
                                   : 1.0;
  const int filled = static_cast<int>(part * kBarWidth);
  std::string line = "[";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] " + std::to_string(filesDone) + "/" + std::to_string(files_) + " " + std::string(Text(Msg::FilesWord)) +
          ", " + BytesOfTotal(bytesDone, bytes_);
  if (drawn_ && line == last_) return;
  std::fputs(("\r\033[K" + line).c_str(), stderr);
  std::fflush(stderr);
  last_ = std::move(line);
  drawn_ = true;
}

void RunBar::clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void RunBar::finish() {
  if (!show_) return;
  draw(files_, bytes_);
  std::fputs("\n", stderr);
  std::fflush(stderr);
  drawn_ = false;
  show_ = false;
}

}  // namespace tambril::cli
