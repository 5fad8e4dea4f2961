#pragma once
// tambril-cli: encode, check and decode files from the command line, and show
// a file's text as the viewer does.

namespace tambril::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitWrongPassword = 1;
inline constexpr int kExitUsage = 2;   // also a password the rules refuse
inline constexpr int kExitFile = 3;    // missing, unreadable, target exists, cannot write

int Run(int argc, char** argv);

}  // namespace tambril::cli
