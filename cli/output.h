#pragma once
// Standard output, where the results go. Every write and flush of it is
// watched and its first failure kept with the system's reason, since the
// stream forgets the reason once it has dropped what it could not write.
// A result that cannot be written makes the run a failure, whatever else
// happened in it.
#include <string_view>

namespace tambril::cli {

// Writes `bytes`; false once standard output has failed.
bool WriteOut(std::string_view bytes);

// Flushes standard output; false once it has failed.
bool FlushOut();

// Flushes standard output; where it failed, says so on stderr (once, with
// the reason, or that it is closed) and returns the exit status of a file
// error, else kExitOk.
int OutputStatus();

}  // namespace tambril::cli
