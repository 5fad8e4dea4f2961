#pragma once
// The tally of a many-file run: how many entries ended which way, what the
// summary line says and the exit status the run ends with.
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
  Failed,
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
  std::size_t done_ = 0, wrongPassword_ = 0, notRegular_ = 0, failed_ = 0;
};

}  // namespace tambril::cli
