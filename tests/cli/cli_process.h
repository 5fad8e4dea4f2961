#pragma once
// Runs the real tambril-cli as a child process, the way a script or a user at
// a terminal would.
#include <filesystem>
#include <string>
#include <vector>

namespace tambril::cli::test {

struct CliResult {
  int exitCode = -1;    // -1 when the child did not exit normally
  int signal = 0;       // the signal that ended it, if any
  std::string out;      // standard output
  std::string err;      // standard error (or, on a terminal, all it wrote)
};

struct CliOptions {
  std::filesystem::path cwd;               // working folder (default: unchanged)
  std::vector<std::string> unsetEnv;       // variables removed from the environment
  long fileSizeLimit = -1;                 // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored
  bool asNobody = false;                   // as root, run as the unprivileged user nobody
  std::string interruptAt;                 // on a terminal: send SIGINT once this text appears
};

// Runs tambril-cli with `args`, `input` as standard input, in a new session
// without a controlling terminal.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {}, const CliOptions& options = {});

// Runs tambril-cli on a new pseudo terminal: waits for each password prompt
// and types the next of `typed` (followed by Enter). Everything the program
// writes to the terminal comes back in `err`.
CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                           const CliOptions& options = {});

}  // namespace tambril::cli::test
