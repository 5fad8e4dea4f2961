// What tambril-cli asks of a POSIX system.
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/messages.h"
#include "cli/system.h"
#include "cli/terminal.h"

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

std::string ErrorText(int e) { return SystemReason(e); }

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
  if (NoteSignalInPass(signal)) {
    errno = savedErrno;
    return;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// The signals whose default action ends the program and that may be caught.
constexpr int kEndingSignals[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                  SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPIPE};

// Standard output closed is given a handle that refuses writes (EBADF, as
// a closed one would), so that a result written there is a failure and not
// lost in the null device.
void OpenMissingStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor, which is `fd`, since those below it are open.
    const int opened = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

long ReadRetrying(int fd, char* buffer, std::size_t n, std::string& error) {
  for (;;) {
    const ssize_t r = ::read(fd, buffer, n);
    if (r >= 0) return static_cast<long>(r);
    if (errno != EINTR) {
      error = ErrorText(errno);
      return -1;
    }
  }
}

}  // namespace

std::vector<std::string> StartProgram(int argc, char** argv) {
  OpenMissingStandardStreams();
  // The system's reasons in the user's language too, and in UTF-8 like
  // every other text of the program, whatever the locale's own encoding
  // (in the C locale's, umlauts would come out as "?").
  std::setlocale(LC_MESSAGES, "");
  if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "");
  return std::vector<std::string>(argv, argv + argc);
}

fs::path PathOf(std::string_view text) { return fs::path(std::string(text)); }

std::string PathText(const fs::path& path) { return path.native(); }

const char* UserLanguage() { return nullptr; }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

unsigned ProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) {
    return static_cast<unsigned>(CPU_COUNT(&set));
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

std::size_t OpenFileRoom(std::size_t want) {
  rlimit lim{};
  if (::getrlimit(RLIMIT_NOFILE, &lim) != 0) return 0;
  if (lim.rlim_cur != RLIM_INFINITY && lim.rlim_cur < want) {
    rlimit raised = lim;
    raised.rlim_cur = lim.rlim_max == RLIM_INFINITY ? want : std::min<rlim_t>(lim.rlim_max, want);
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) lim = raised;
  }
  return lim.rlim_cur == RLIM_INFINITY ? want : static_cast<std::size_t>(lim.rlim_cur);
}

int FlushApart(const codec::FlushHandle& handle) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    sigset_t all;
    ::sigfillset(&all);
    ::sigprocmask(SIG_BLOCK, &all, nullptr);
    // Not holding the standard streams: whatever reads this program's
    // output sees its end when the program ends.
    for (int fd = 0; fd <= 2; ++fd) ::close(fd);
    const int e = handle.flush();
    ::_exit(e == 0 ? 0 : e > 0 && e < 256 ? e : EIO);
  }
  if (pid < 0) return handle.flush();
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return EIO;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : EIO;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string_view PathSeparator() { return "/"; }

struct WalkFolder::State {
  DIR* dir = nullptr;
};

WalkFolder::WalkFolder(std::unique_ptr<State> state) : state_(std::move(state)) {}

WalkFolder::~WalkFolder() { ::closedir(state_->dir); }

namespace {

std::unique_ptr<WalkFolder> Adopt(int handle, std::string& error) {
  if (handle < 0) {
    error = ErrorText(errno);
    return nullptr;
  }
  auto state = std::make_unique<WalkFolder::State>();
  state->dir = ::fdopendir(handle);
  if (!state->dir) {
    error = ErrorText(errno);
    ::close(handle);
    return nullptr;
  }
  return std::make_unique<WalkFolder>(std::move(state));
}

}  // namespace

std::unique_ptr<WalkFolder> WalkFolder::Open(const std::string& path, std::string& error) {
  return Adopt(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), error);
}

std::unique_ptr<WalkFolder> WalkFolder::openSub(const std::string& name, std::string& error) const {
  return Adopt(::openat(::dirfd(state_->dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), error);
}

std::unique_ptr<WalkFolder> WalkFolder::openParent(std::string& error) const {
  return Adopt(::openat(::dirfd(state_->dir), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC), error);
}

std::optional<FolderId> WalkFolder::id() const {
  struct stat st {};
  if (::fstat(::dirfd(state_->dir), &st) != 0) return std::nullopt;
  return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::vector<FolderEntry> WalkFolder::entries(const std::function<bool(std::string_view)>& wanted, std::string& error) {
  DIR* dir = state_->dir;
  std::vector<FolderEntry> out;
  for (;;) {
    errno = 0;  // tells the end of the folder from a failure
    const dirent* e = ::readdir(dir);
    if (!e) break;
    const std::string name = e->d_name;
    const unsigned char type = e->d_type;
    if (name == "." || name == "..") continue;
    // The kind comes with the entry on most file systems, so that only
    // links (and entries of unknown kind) need a look of their own.
    if (type == DT_DIR) {
      out.push_back({FolderEntry::Folder, name, {}});
      continue;
    }
    const bool isWanted = wanted(name);
    if (type == DT_REG) {
      if (isWanted) out.push_back({FolderEntry::File, name, {}});
      continue;
    }
    struct stat own {};
    if (::fstatat(::dirfd(dir), name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0) {
      out.push_back({FolderEntry::Unreadable, name, ErrorText(errno)});
      continue;
    }
    if (S_ISDIR(own.st_mode)) {
      out.push_back({FolderEntry::Folder, name, {}});
      continue;
    }
    if (!isWanted && !S_ISLNK(own.st_mode)) continue;
    const bool link = S_ISLNK(own.st_mode);
    if (link) {
      struct stat target {};
      if (::fstatat(::dirfd(dir), name.c_str(), &target, 0) != 0) {
        const int e = errno;
        if (!isWanted) continue;
        out.push_back({FolderEntry::Unreadable, name,
                       e == ENOENT  ? std::string(Text(Msg::LinkToNothing))
                       : e == ELOOP ? std::string(Text(Msg::LinkLoop))
                                    : std::string(Text(Msg::CannotFollowLink)) + ": " + ErrorText(e)});
        continue;
      }
      if (S_ISDIR(target.st_mode)) {
        out.push_back({FolderEntry::Skipped, name, std::string(Text(Msg::LinkToFolder))});
        continue;
      }
      if (!isWanted) continue;
      own = target;
    }
    if (S_ISREG(own.st_mode)) {
      out.push_back({FolderEntry::File, name, {}, link});
      continue;
    }
    std::string why(Text(Msg::NotRegularFile));
    if (S_ISFIFO(own.st_mode) || S_ISSOCK(own.st_mode) || S_ISCHR(own.st_mode) || S_ISBLK(own.st_mode)) {
      const Msg what = S_ISFIFO(own.st_mode) ? Msg::APipe : S_ISSOCK(own.st_mode) ? Msg::ASocket : Msg::ADevice;
      why += " (" + std::string(Text(what)) + ")";
    }
    out.push_back({FolderEntry::Skipped, name, why});
  }
  if (errno != 0) error = ErrorText(errno);
  return out;
}

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

long ReadStandardInput(char* buffer, std::size_t n, std::string& error) {
  return ReadRetrying(STDIN_FILENO, buffer, n, error);
}

struct PasswordTerminal::State {
  int fd = -1;
  bool own = false;  // opened here (the controlling terminal)
  bool echoOff = false;
};

PasswordTerminal::PasswordTerminal(std::unique_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<PasswordTerminal> PasswordTerminal::Open(PasswordSource source, std::string& error) {
  auto state = std::make_unique<State>();
  if (source == PasswordSource::StandardInput) {
    state->fd = STDIN_FILENO;
  } else {
    state->fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (state->fd < 0) {
      error = Text(Msg::NoTerminal);
      return nullptr;
    }
    state->own = true;
  }
  // Echo goes off before the prompt appears, so nothing typed after the
  // prompt can be shown or flushed away; a signal that ends the program
  // meanwhile switches it on again first.
  termios t;
  if (::tcgetattr(state->fd, &t) == 0) {
    g_savedTerminal = t;
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    g_withoutEcho = t;
    g_echoFd = state->fd;
    if (::tcsetattr(state->fd, TCSAFLUSH, &t) == 0) {
      state->echoOff = true;
    } else {
      g_echoFd = -1;
    }
  }
  return std::make_unique<PasswordTerminal>(std::move(state));
}

PasswordTerminal::~PasswordTerminal() {
  if (state_->echoOff) {
    ::tcsetattr(state_->fd, TCSANOW, &g_savedTerminal);
    g_echoFd = -1;
  }
  (void)!::write(state_->fd, "\n", 1);
  if (state_->own) ::close(state_->fd);
}

void PasswordTerminal::prompt(std::string_view text) { (void)!::write(state_->fd, text.data(), text.size()); }

long PasswordTerminal::read(char* buffer, std::size_t n, std::string& error) {
  return ReadRetrying(state_->fd, buffer, n, error);
}

// Dropping a large unfinished file frees its blocks, which takes seconds for
// gigabytes. A child holding copies of every handle until this process has
// ended makes its own end the last close, so that the freeing happens after
// this process has gone, which then ends at once.
void HandOverOpenHandles() {
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

}  // namespace tambril::cli
