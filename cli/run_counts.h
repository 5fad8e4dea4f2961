#pragma once
// The tally of a many-file run: how many entries ended which way, what the
// summary line says and the exit status the run ends with.
#include <array>
#include <cstddef>
#include <string>

#include "cli/batch.h"
#include "cli/messages.h"

namespace tambril::cli {

// What became of one entry of a run.
enum class Outcome {
  Done,           // coded and named (checked: the password fits)
  WrongPassword,  // decoding or checking: skipped
  NotRegular,     // skipped as no regular file
  Failed,         // the last
};

class RunCounts {
 public:
  void record(Outcome outcome);

  // "3 done, 1 skipped (wrong password), 1 failed" and a line break;
  // encoding checks no password, checking skips nothing for one, and
  // entries that are no regular file are named only where there are some.
  std::string summary(BatchMode mode, Language language = MessageLanguage()) const;
  // The worst that happened: a file error, else a wrong password, else 0.
  int exitStatus() const;

 private:
  std::size_t of(Outcome outcome) const { return counts_[static_cast<std::size_t>(outcome)]; }
  std::array<std::size_t, static_cast<std::size_t>(Outcome::Failed) + 1> counts_{};
};

}  // namespace tambril::cli
