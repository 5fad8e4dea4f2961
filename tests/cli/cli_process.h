#pragma once
// Runs the real tambril-cli as a child process, the way a script or a user at
// a terminal would.
#include <sys/types.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tambril::cli::test {

struct CliResult {
  int exitCode = -1;  // -1 when the child did not exit normally
  int signal = 0;     // the signal that ended it, if any
  std::string out;    // standard output
  std::string err;    // standard error (or, on a terminal, all it wrote)
  // On a terminal: whether echo was on when the program had ended, and how
  // many typed bytes were left unread for whatever reads the terminal next.
  bool echoAtEnd = false;
  int unreadInput = 0;
  bool stopped = false;           // stopAtPrompt: the program did stop
  bool echoWhileStopped = false;  // ... and gave the terminal back with echo on
};

struct CliOptions {
  std::filesystem::path cwd;          // working folder (default: unchanged)
  std::filesystem::path program;      // the program to run (default: the built tambril-cli)
  std::vector<std::string> unsetEnv;  // variables removed from the environment
  // Variables set (after LC_ALL, LC_MESSAGES and LANG are removed, so that
  // the program speaks English unless told otherwise here).
  std::vector<std::pair<std::string, std::string>> env;
  long fileSizeLimit = -1;           // RLIMIT_FSIZE in bytes (SIGXFSZ at its default action, as after ulimit -f)
  bool asNobody = false;             // as root, run as the unprivileged user nobody
  int umask = -1;                    // the umask to run with (default: unchanged)
  long openFileLimit = -1;           // RLIMIT_NOFILE (default: unchanged)
  long processLimit = -1;            // RLIMIT_NPROC, as after ulimit -u (default: unchanged)
  bool closeStdin = false;           // start with descriptor 0 closed
  bool closeStdout = false;          // start with descriptor 1 closed
  std::filesystem::path stdoutPath;  // standard output into this file (e.g. /dev/full)
  std::string interruptAt;           // on a terminal: send a signal once this text appears ...
  int interruptSignal = SIGINT;      // ... this one
  // On a terminal, under a small job-control shell: Ctrl-Z typed at the
  // first prompt; once the program has stopped, the shell turns echo on
  // (as shells do for themselves) and continues it (`fg`).
  bool stopAtPrompt = false;
  // On a terminal: called at each password prompt, before the answer is typed.
  std::function<void()> atPrompt;
};

// Runs tambril-cli with `args`, `input` as standard input, in a new session
// without a controlling terminal. A run that takes longer than two minutes
// is ended by SIGALRM.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {}, const CliOptions& options = {});

// A tambril-cli started without waiting for it, as RunCli starts it; with
// `pipeOut` its standard output is a pipe that the caller reads from `out`.
struct CliChild {
  pid_t pid = -1;
  int out = -1;
  std::filesystem::path io;  // the folder of its input and output files
};
CliChild StartCli(const std::vector<std::string>& args, const std::string& input = {}, const CliOptions& options = {},
                  bool pipeOut = false);
// Waits for the child to end and collects what RunCli returns.
CliResult FinishCli(CliChild& child);
// The most memory the running process has held so far, in KiB.
long PeakMemoryKiB(pid_t pid);

// Runs tambril-cli on a new pseudo terminal: waits for each password prompt
// and types the next of `typed` (followed by Enter). Everything the program
// writes to the terminal comes back in `err`.
CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                           const CliOptions& options = {});

}  // namespace tambril::cli::test
