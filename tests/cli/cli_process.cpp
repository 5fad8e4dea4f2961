#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace tambril::cli::test {
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// In the child: everything but the standard streams, then exec.
[[noreturn]] void ExecCli(const std::vector<std::string>& args, const CliOptions& options) {
  if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(126);
  for (const auto& name : options.unsetEnv) ::unsetenv(name.c_str());
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
  for (const auto& [name, value] : options.env) ::setenv(name.c_str(), value.c_str(), 1);
  if (options.fileSizeLimit >= 0) {
    ::signal(SIGXFSZ, SIG_DFL);  // as a shell's ulimit -f leaves it
    rlimit lim{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  if (options.umask >= 0) ::umask(static_cast<mode_t>(options.umask));
  if (options.openFileLimit >= 0) {
    rlimit files{static_cast<rlim_t>(options.openFileLimit), static_cast<rlim_t>(options.openFileLimit)};
    ::setrlimit(RLIMIT_NOFILE, &files);
  }
  if (options.processLimit >= 0) {
    rlimit processes{static_cast<rlim_t>(options.processLimit), static_cast<rlim_t>(options.processLimit)};
    ::setrlimit(RLIMIT_NPROC, &processes);
  }
  rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);  // SIGQUIT and the like leave no core file
  if (options.asNobody && ::geteuid() == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
  }
  std::vector<char*> argv;
  static std::string program;
  program = options.program.empty() ? std::string(TAMBRIL_CLI) : options.program.string();
  argv.push_back(program.data());
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

// On the terminal, as a shell with job control runs a command: the program
// in a process group of its own in the foreground (so that Ctrl-Z stops it),
// this process waiting for its end and ending the same way.
[[noreturn]] void ExecUnderShell(const std::vector<std::string>& args, const CliOptions& options) {
  ::signal(SIGTTOU, SIG_IGN);  // either may take the foreground first, from the background
  const pid_t job = ::fork();
  if (job == 0) {
    ::setpgid(0, 0);
    ::tcsetpgrp(0, ::getpid());
    ::signal(SIGTTOU, SIG_DFL);
    ExecCli(args, options);
  }
  ::setpgid(job, job);
  ::tcsetpgrp(0, job);
  int status = 0;
  while (::waitpid(job, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) {
    ::signal(WTERMSIG(status), SIG_DFL);
    ::kill(::getpid(), WTERMSIG(status));
  }
  ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
}

// The one child of `pid` (the program under the shell), 0 while there is none.
pid_t ChildOf(pid_t pid) {
  std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  long child = 0;
  children >> child;
  return static_cast<pid_t>(child);
}

// Whether the process has stopped (state T in /proc).
bool IsStopped(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = all.rfind(')');
  return close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'T';
}

bool EchoOn(int terminal) {
  termios t{};
  return ::tcgetattr(terminal, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

void Record(int status, CliResult& r) {
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
}

void Collect(pid_t pid, CliResult& r) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  Record(status, r);
}

}  // namespace

CliChild StartCli(const std::vector<std::string>& args, const std::string& input, const CliOptions& options,
                  bool pipeOut) {
  char dirTemplate[] = "/tmp/tambril-cli-io-XXXXXX";
  CliChild child;
  child.io = ::mkdtemp(dirTemplate);
  const fs::path in = child.io / "in", out = child.io / "out", err = child.io / "err";
  std::ofstream(in, std::ios::binary) << input;
  int pipeFds[2] = {-1, -1};
  if (pipeOut && ::pipe2(pipeFds, O_CLOEXEC) != 0) return child;

  child.pid = ::fork();
  if (child.pid == 0) {
    ::setsid();  // no controlling terminal: a password can only come from stdin
    const int fi = ::open(in.c_str(), O_RDONLY);
    const fs::path outPath = options.stdoutPath.empty() ? out : options.stdoutPath;
    const int fo = pipeOut ? pipeFds[1] : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fi < 0 || fo < 0 || fe < 0) ::_exit(126);
    ::dup2(fi, 0);
    ::dup2(fo, 1);
    ::dup2(fe, 2);
    for (const int fd : {fi, fo, fe}) {
      if (fd > 2) ::close(fd);
    }
    if (options.closeStdin) ::close(0);
    if (options.closeStdout) ::close(1);
    ::alarm(120);  // a program that hangs ends by SIGALRM
    ExecCli(args, options);
  }
  if (pipeOut) {
    ::close(pipeFds[1]);
    child.out = pipeFds[0];
  }
  return child;
}

CliResult FinishCli(CliChild& child) {
  CliResult r;
  if (child.out >= 0) {
    char buf[65536];
    ssize_t n;
    while ((n = ::read(child.out, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) r.out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(child.out);
    child.out = -1;
  }
  Collect(child.pid, r);
  if (r.out.empty()) r.out = ReadAll(child.io / "out");
  r.err = ReadAll(child.io / "err");
  fs::remove_all(child.io);
  return r;
}

long PeakMemoryKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& input, const CliOptions& options) {
  CliChild child = StartCli(args, input, options);
  return FinishCli(child);
}

CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                           const CliOptions& options) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (options.stopAtPrompt) ExecUnderShell(args, options);
    ExecCli(args, options);
  }
  // A handle of the terminal's own side, to look at it after the program.
  // With it open, the end of the program shows in waitpid, not as EIO.
  const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);

  CliResult r;
  bool ended = false;
  std::size_t answered = 0, promptsSeen = 0;
  bool interrupted = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 200) > 0) {
      char buf[4096];
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      r.err.append(buf, static_cast<std::size_t>(n));
    } else if (int status = 0; ::waitpid(pid, &status, WNOHANG) == pid) {
      Record(status, r);  // ended, and everything it wrote has been read
      ended = true;
      break;
    }
    promptsSeen = 0;
    for (const char* prompt : {"Password: ", "Confirm password: ", "Kennwort: ", "Kennwortbestätigung: "}) {
      for (std::size_t at = 0; (at = r.err.find(prompt, at)) != std::string::npos; ++at) ++promptsSeen;
    }
    if (options.stopAtPrompt && !interrupted && promptsSeen > 0) {
      interrupted = true;
      (void)!::write(master, "\x1a", 1);  // Ctrl-Z
      const pid_t job = ChildOf(pid);
      while (job > 0 && !(r.stopped = IsStopped(job)) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      r.echoWhileStopped = EchoOn(terminal);
      termios t{};
      if (::tcgetattr(terminal, &t) == 0) {
        t.c_lflag |= ECHO;  // what the shell wants for its own prompt
        ::tcsetattr(terminal, TCSANOW, &t);
      }
      if (job > 0) ::kill(job, SIGCONT);
      // Typing waits until the program has taken the terminal back.
      while (EchoOn(terminal) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    } else if (!interrupted && !options.interruptAt.empty() && r.err.find(options.interruptAt) != std::string::npos) {
      ::kill(pid, options.interruptSignal);
      interrupted = true;
    } else if (answered < typed.size() && promptsSeen > answered) {
      if (options.atPrompt) options.atPrompt();
      const std::string line = typed[answered++] + "\n";
      (void)!::write(master, line.data(), line.size());
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
  }
  if (!ended) Collect(pid, r);
  if (terminal >= 0) {
    termios t{};
    r.echoAtEnd = ::tcgetattr(terminal, &t) == 0 && (t.c_lflag & ECHO) != 0;
    ::ioctl(terminal, FIONREAD, &r.unreadInput);
    ::close(terminal);
  }
  ::close(master);
  return r;
}

}  // namespace tambril::cli::test
