#include "cli_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
  if (options.fileSizeLimit >= 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit then fail with EFBIG
    rlimit lim{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  if (options.asNobody && ::geteuid() == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
  }
  std::vector<char*> argv;
  static std::string program = TAMBRIL_CLI;
  argv.push_back(program.data());
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

void Collect(pid_t pid, CliResult& r) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& input, const CliOptions& options) {
  char dirTemplate[] = "/tmp/tambril-cli-io-XXXXXX";
  const fs::path io = ::mkdtemp(dirTemplate);
  const fs::path in = io / "in", out = io / "out", err = io / "err";
  std::ofstream(in, std::ios::binary) << input;

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();  // no controlling terminal: a password can only come from stdin
    const int fi = ::open(in.c_str(), O_RDONLY);
    const int fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fi < 0 || fo < 0 || fe < 0) ::_exit(126);
    ::dup2(fi, 0);
    ::dup2(fo, 1);
    ::dup2(fe, 2);
    ExecCli(args, options);
  }
  CliResult r;
  Collect(pid, r);
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  fs::remove_all(io);
  return r;
}

CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                           const CliOptions& options) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) ExecCli(args, options);

  CliResult r;
  std::size_t answered = 0, promptsSeen = 0;
  bool interrupted = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 200) > 0) {
      char buf[4096];
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;  // EIO once the child has closed the terminal
      r.err.append(buf, static_cast<std::size_t>(n));
    }
    promptsSeen = 0;
    for (const char* prompt : {"Kennwort: ", "Kennwortbestätigung: "}) {
      for (std::size_t at = 0; (at = r.err.find(prompt, at)) != std::string::npos; ++at) ++promptsSeen;
    }
    if (!interrupted && !options.interruptAt.empty() && r.err.find(options.interruptAt) != std::string::npos) {
      ::kill(pid, SIGINT);
      interrupted = true;
    }
    if (answered < typed.size() && promptsSeen > answered) {
      const std::string line = typed[answered++] + "\n";
      (void)!::write(master, line.data(), line.size());
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
  }
  ::close(master);
  Collect(pid, r);
  return r;
}

}  // namespace tambril::cli::test
