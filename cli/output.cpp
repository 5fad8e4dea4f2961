#include "output.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "cli/exit_codes.h"
#include "cli/messages.h"

namespace tambril::cli {
namespace {

int g_failure = 0;  // the errno of the first failure, -1 where there was none to tell
bool g_said = false;

bool Failed(int errnum) {
  if (g_failure == 0) g_failure = errnum != 0 ? errnum : -1;
  return false;
}

}  // namespace

bool WriteOut(std::string_view bytes) {
  if (g_failure != 0) return false;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) return Failed(errno);
  return true;
}

bool FlushOut() {
  if (g_failure != 0) return false;
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Failed(errno);
  return true;
}

int OutputStatus() {
  if (FlushOut()) return kExitOk;
  if (!g_said) {
    g_said = true;
    // A closed standard output was given a handle that cannot be written
    // (cli/system.h), which says so by this error.
    std::string line =
        g_failure == EBADF ? std::string(Text(Msg::StandardOutputClosed)) : std::string(Text(Msg::StandardOutput));
    if (g_failure > 0 && g_failure != EBADF) line += ": " + SystemReason(g_failure);
    std::fprintf(stderr, "tambril-cli: %s\n", line.c_str());
  }
  return kExitFile;
}

}  // namespace tambril::cli
