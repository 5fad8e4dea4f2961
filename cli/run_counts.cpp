#include "run_counts.h"

#include "cli/exit_codes.h"

namespace tambril::cli {

void RunCounts::record(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
      ++done_;
      break;
    case Outcome::WrongPassword:
      ++wrongPassword_;
      break;
    case Outcome::NotRegular:
      ++notRegular_;
      break;
    case Outcome::Failed:
      ++failed_;
      break;
  }
}

std::string RunCounts::summary(BatchMode mode, Language language) const {
  std::string line;
  const auto count = [&](std::size_t n, Msg what, const char* after) {
    line += std::to_string(n) + " " + std::string(Text(what, language)) + after;
  };
  if (mode == BatchMode::Check) {
    count(done_, Msg::Fit, ", ");
    count(wrongPassword_, Msg::WrongPassword, ", ");
  } else {
    count(done_, Msg::Done, ", ");
    if (mode == BatchMode::Decode) count(wrongPassword_, Msg::SkippedWrongPassword, ", ");
  }
  if (notRegular_ > 0) count(notRegular_, Msg::SkippedNotRegular, ", ");
  count(failed_, Msg::Failed, "\n");
  return line;
}

int RunCounts::exitStatus() const {
  return failed_ > 0 ? kExitFile : wrongPassword_ > 0 ? kExitWrongPassword : kExitOk;
}

}  // namespace tambril::cli
