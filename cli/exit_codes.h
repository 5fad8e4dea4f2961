#pragma once
// The exit statuses of tambril-cli, the same on every system.

namespace tambril::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitWrongPassword = 1;
inline constexpr int kExitUsage = 2;  // also a password the rules refuse
inline constexpr int kExitFile = 3;   // missing, unreadable, target exists, cannot write

}  // namespace tambril::cli
