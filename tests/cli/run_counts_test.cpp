// The tally of a many-file run: its summary line per mode and its exit
// status; and what its options keep of the passphrase.
#include "cli/run_counts.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <new>
#include <string>

#include "cli/batch.h"

#include "cli/exit_codes.h"

namespace tambril::cli {
namespace {

RunCounts Counted(std::initializer_list<std::pair<Outcome, int>> outcomes) {
  RunCounts counts;
  for (const auto& [outcome, n] : outcomes) {
    for (int k = 0; k < n; ++k) counts.record(outcome);
  }
  return counts;
}

TEST(BatchRunCounts, SummaryNamesWhatEachModeCanMeet) {
  const RunCounts some = Counted({{Outcome::Done, 3}, {Outcome::WrongPassword, 2}, {Outcome::Failed, 1}});
  // Encoding asks no password: never a word about wrong ones, even counted.
  EXPECT_EQ(some.summary(BatchMode::Encode, Language::English), "3 done, 1 failed\n");
  EXPECT_EQ(some.summary(BatchMode::Decode, Language::English), "3 done, 2 skipped (wrong password), 1 failed\n");
  EXPECT_EQ(some.summary(BatchMode::Check, Language::English), "3 fit, 2 wrong password, 1 failed\n");
  // Entries that are no regular file are named only where there are some,
  // and zeros are said where a mode says them at all.
  const RunCounts odd = Counted({{Outcome::NotRegular, 2}});
  EXPECT_EQ(odd.summary(BatchMode::Decode, Language::English),
            "0 done, 0 skipped (wrong password), 2 skipped (not a regular file), 0 failed\n");
  EXPECT_EQ(odd.summary(BatchMode::Encode, Language::German),
            "0 fertig, 2 übersprungen (keine reguläre Datei), 0 fehlgeschlagen\n");
  EXPECT_EQ(RunCounts().summary(BatchMode::Encode, Language::English), "0 done, 0 failed\n");
}

TEST(BatchRunCounts, ExitStatusIsTheWorstOutcome) {
  EXPECT_EQ(RunCounts().exitStatus(), kExitOk);
  EXPECT_EQ(Counted({{Outcome::Done, 2}, {Outcome::NotRegular, 1}}).exitStatus(), kExitOk);
  EXPECT_EQ(Counted({{Outcome::Done, 2}, {Outcome::WrongPassword, 1}}).exitStatus(), kExitWrongPassword);
  EXPECT_EQ(Counted({{Outcome::WrongPassword, 4}, {Outcome::Failed, 1}, {Outcome::NotRegular, 1}}).exitStatus(),
            kExitFile);
}

// A run's options, and every copy of them (the run keeps one), leave
// nothing of the passphrase behind when they go, on whatever way out. A
// short one is kept in the options' own bytes, where it can be looked for.
TEST(BatchOptions, WipeThePassphraseWhenTheyGo) {
  const std::string secret = "Geheim 1";
  BatchOptions given;
  given.passphrase = secret;
  alignas(BatchOptions) unsigned char storage[sizeof(BatchOptions)];
  auto* copy = new (storage) BatchOptions(given);
  ASSERT_EQ(copy->passphrase, secret);
  copy->~BatchOptions();
  const std::string left(reinterpret_cast<const char*>(storage), sizeof storage);
  EXPECT_EQ(left.find(secret), std::string::npos);
}

}  // namespace
}  // namespace tambril::cli
