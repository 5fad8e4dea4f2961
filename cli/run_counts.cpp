#include "run_counts.h"

#include "cli/exit_codes.h"

namespace tambril::cli {

void RunCounts::record(Outcome outcome) { ++counts_[static_cast<std::size_t>(outcome)]; }

std::string RunCounts::summary(BatchMode mode, Language language) const {
  std::string line;
  const auto count = [&](Outcome outcome, Msg what, const char* after) {
    line += std::to_string(of(outcome)) + " " + std::string(Text(what, language)) + after;
  };
  if (mode == BatchMode::Check) {
    count(Outcome::Done, Msg::Fit, ", ");
    count(Outcome::WrongPassword, Msg::WrongPassword, ", ");
  } else {
    count(Outcome::Done, Msg::Done, ", ");
    if (mode == BatchMode::Decode || mode == BatchMode::Convert)
      count(Outcome::WrongPassword, Msg::SkippedWrongPassword, ", ");
  }
  if (of(Outcome::NotRegular) > 0) count(Outcome::NotRegular, Msg::SkippedNotRegular, ", ");
  count(Outcome::Failed, Msg::Failed, "\n");
  return line;
}

int RunCounts::exitStatus() const {
  return of(Outcome::Failed) > 0 ? kExitFile : of(Outcome::WrongPassword) > 0 ? kExitWrongPassword : kExitOk;
}

}  // namespace tambril::cli
