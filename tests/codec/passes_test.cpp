// Round trips, known answers, the password check and the progress steps;
// on every system.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "codec/codec.h"
#include "codec/cp1252.h"
#include "test_files.h"

namespace tambril::codec {
namespace {
using namespace test;

// The encoded file as coding one byte at a time through the tables gives it:
// header value i with table ((i - 1) mod 15) + 1, body byte n with table
// ((n - 1) mod 15) + 1.
Bytes ReferenceEncode(const Bytes& plain, const std::string& password, const std::string& tag) {
  const KeyCodeArray keys = KeyCodes(password);
  const CodeTables t = BuildCodeTablesStepwise(keys);
  HeaderRecord h = BuildPlainHeader(tag, keys);
  Bytes out;
  for (std::size_t i = 0; i < h.size(); ++i) out.push_back(t.table[i % 15][h[i]]);
  for (std::size_t n = 0; n < plain.size(); ++n) out.push_back(t.table[n % 15][plain[n]]);
  return out;
}

TEST(Passes, RoundTripEveryShortLength) {
  TempDir dir;
  const Bytes all = RandomBytes(300, 1);
  for (std::size_t len = 0; len <= 300; ++len) {
    const Bytes plain(all.begin(), all.begin() + static_cast<long>(len));
    const auto src = dir / ("p" + std::to_string(len) + ".bin");
    const auto enc = dir / ("p" + std::to_string(len) + ".tmb");
    const auto dec = dir / ("p" + std::to_string(len) + ".out");
    WriteFile(src, plain);
    Encode(src, enc, "Kennwort", "bin");
    const Bytes coded = ReadFile(enc);
    ASSERT_EQ(coded, ReferenceEncode(plain, "Kennwort", "bin")) << "length " << len;
    ASSERT_EQ(coded.size(), len + 21);

    const CheckResult check = CheckPassword(enc, "Kennwort");
    ASSERT_TRUE(check.fits()) << len;
    EXPECT_EQ(check.tagText(), "bin");
    Decode(enc, dec, check);
    ASSERT_EQ(ReadFile(dec), plain) << "length " << len;
  }
}

TEST(Passes, RoundTripAcrossBlockBoundaries) {
  TempDir dir;
  const std::size_t mib = std::size_t{1} << 20;
  for (std::size_t len : {mib - 1, mib, mib + 1, 2 * mib + 7, 3 * mib + 14}) {
    const Bytes plain = RandomBytes(len, static_cast<unsigned>(len));
    WriteFile(dir / "a.dat", plain);
    Encode(dir / "a.dat", dir / "a.tmb", "ein langes Wort", "dat");
    ASSERT_EQ(ReadFile(dir / "a.tmb"), ReferenceEncode(plain, "ein langes Wort", "dat")) << len;
    Decode(dir / "a.tmb", dir / "b.dat", CheckPassword(dir / "a.tmb", "ein langes Wort"));
    ASSERT_EQ(ReadFile(dir / "b.dat"), plain) << len;
    fs::remove(dir / "a.dat");
    fs::remove(dir / "a.tmb");
    fs::remove(dir / "b.dat");
  }
}

TEST(Passes, BlockKernelsChainTheTableCycle) {
  const CodeTables t = BuildCodeTables(KeyCodes("Geheim"));
  const Bytes plain = RandomBytes(20000, 3);
  Bytes whole = plain, pieces = plain;
  unsigned phase = 0;
  EncodeBlock(whole.data(), whole.size(), t, phase);
  EXPECT_EQ(phase, 20000u % 15);
  phase = 0;
  std::size_t pos = 0;
  for (std::size_t n : {1u, 14u, 15u, 16u, 3839u, 3840u, 3841u}) {
    EncodeBlock(pieces.data() + pos, n, t, phase);
    pos += n;
  }
  EncodeBlock(pieces.data() + pos, pieces.size() - pos, t, phase);
  EXPECT_EQ(pieces, whole);
  for (std::size_t n = 0; n < plain.size(); ++n) ASSERT_EQ(whole[n], t.table[n % 15][plain[n]]) << n;
  phase = 0;
  DecodeBlock(whole.data(), whole.size(), t, phase);
  EXPECT_EQ(whole, plain);
}

TEST(Passes, KnownAnswerFifteenZeroBytesGiveTheOffsets) {
  TempDir dir;
  WriteFile(dir / "z.txt", Bytes(16, 0));
  Encode(dir / "z.txt", dir / "z.tmb", "abcde", "txt");
  const Bytes coded = ReadFile(dir / "z.tmb");
  // Header and offsets worked out by hand for the password abcde.
  const Bytes expected = {239, 245, 239, 124, 123, 123, 221, 220, 220, 220, 220, 225, 222, 223, 227, 220, 222, 221, 222,
                          223, 224, 123, 125, 123, 123, 123, 123, 124, 123, 123, 123, 123, 128, 125, 126, 130, 123};
  EXPECT_EQ(coded, expected);
}

TEST(Passes, FormatHoldsNothingButPasswordTagAndBytes) {
  TempDir dir;
  const Bytes plain = RandomBytes(500, 9);
  WriteFile(dir / "x", plain);
  Encode(dir / "x", dir / "1.tmb", "Passwort", "doc");
  Encode(dir / "x", dir / "2.tmb", "Passwort", "doc");
  Encode(dir / "x", dir / "3.tmb", "Passwort", "txt");
  const Bytes a = ReadFile(dir / "1.tmb"), b = ReadFile(dir / "2.tmb"), c = ReadFile(dir / "3.tmb");
  EXPECT_EQ(a, b);
  ASSERT_EQ(a.size(), c.size());
  EXPECT_NE(Bytes(a.begin(), a.begin() + 3), Bytes(c.begin(), c.begin() + 3));
  EXPECT_EQ(Bytes(a.begin() + 3, a.end()), Bytes(c.begin() + 3, c.end()));
  EXPECT_EQ(ReadFile(dir / "x"), plain);  // the source is only read
}

TEST(PasswordCheck, AcceptsOnlyTheRightKeys) {
  TempDir dir;
  WriteFile(dir / "brief.doc", RandomBytes(64, 4));
  Encode(dir / "brief.doc", dir / "brief.tmb", "Sonne", "doc");
  const auto right = CheckPassword(dir / "brief.tmb", "Sonne");
  EXPECT_EQ(right.score, 18);
  EXPECT_EQ(right.tagText(), "doc");
  // Repeating the first character gives the same key codes.
  EXPECT_TRUE(CheckPassword(dir / "brief.tmb", "SSSonne").fits());
  for (const char* wrong : {"sonne", "Sonne!", "Mond1", "", "     "}) {
    const auto r = CheckPassword(dir / "brief.tmb", wrong);
    EXPECT_LT(r.score, 18) << wrong;
    EXPECT_FALSE(r.fits()) << wrong;
  }
}

TEST(PasswordCheck, EmptyEntryIsAPasswordOfSpaces) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  Encode(dir / "a.txt", dir / "a.tmb", "     ", "txt");
  EXPECT_TRUE(CheckPassword(dir / "a.tmb", "").fits());
}

TEST(PasswordCheck, DamagedTagStillPassesAndDecodesToOtherCharacters) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  Encode(dir / "a.txt", dir / "a.tmb", "Kennwort", "txt");
  Bytes coded = ReadFile(dir / "a.tmb");
  coded[0] ^= 1;
  coded[2] += 7;
  fs::remove(dir / "a.tmb");
  WriteFile(dir / "a.tmb", coded);
  const auto r = CheckPassword(dir / "a.tmb", "Kennwort");
  EXPECT_TRUE(r.fits());
  EXPECT_NE(r.tagText(), "txt");
  EXPECT_EQ(r.tag[1], 'x');
}

TEST(PasswordCheck, FilesShorterThanTheHeaderNeverFitAndNeverDecode) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{});
  Encode(dir / "a.txt", dir / "full.tmb", "Kennwort", "txt");
  const Bytes header = ReadFile(dir / "full.tmb");
  ASSERT_EQ(header.size(), 21u);
  for (std::size_t len : {0u, 1u, 20u}) {
    const auto p = dir / ("short" + std::to_string(len) + ".tmb");
    WriteFile(p, Bytes(header.begin(), header.begin() + static_cast<long>(len)));
    const auto r = CheckPassword(p, "Kennwort");
    EXPECT_FALSE(r.fits()) << len;
    EXPECT_THROW(Decode(p, dir / "out", r), CodecError);
    EXPECT_FALSE(fs::exists(dir / "out"));
  }
  EXPECT_FALSE(HoldsHeader(20));
  EXPECT_TRUE(HoldsHeader(21));
  // A loaded length below 21 is refused even when the file has grown since.
  EXPECT_FALSE(CheckPassword(dir / "full.tmb", 20, "Kennwort").fits());
  // The whole header: an empty plain file comes back.
  const auto ok = CheckPassword(dir / "full.tmb", "Kennwort");
  ASSERT_TRUE(ok.fits());
  Decode(dir / "full.tmb", dir / "empty.txt", ok);
  EXPECT_EQ(fs::file_size(dir / "empty.txt"), 0u);
}

TEST(PasswordCheck, EncodingTakesFiveToFifteenBytes) {
  EXPECT_FALSE(PasswordLengthFits("abcd"));
  EXPECT_TRUE(PasswordLengthFits("abcde"));
  EXPECT_TRUE(PasswordLengthFits(std::string(15, 'a')));
  EXPECT_FALSE(PasswordLengthFits(std::string(16, 'a')));
  // Counted in code page bytes: four umlauts are four bytes, not eight.
  EXPECT_FALSE(PasswordLengthFits(Utf8ToCp1252("äöüß")));
}

TEST(PasswordCheck, DecodeRefusesAFailedCheck) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  Encode(dir / "a.txt", dir / "a.tmb", "Kennwort", "txt");
  const auto wrong = CheckPassword(dir / "a.tmb", "Falsch");
  try {
    Decode(dir / "a.tmb", dir / "b.txt", wrong);
    FAIL() << "decoded without a fitting password";
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::NotChecked);
  }
  EXPECT_FALSE(fs::exists(dir / "b.txt"));
}

// A source that is not the file its pass began with never gives a target:
// shorter than the length it was loaded with, grown, shrunk or rewritten
// (same length, new bytes) while it is read.
TEST(Passes, ASourceThatChangesDuringThePassLeavesNoTarget) {
  TempDir dir;
  const fs::path src = dir / "a.txt";
  const auto expectChanged = [&](const std::function<void()>& pass, const char* what) {
    try {
      pass();
      ADD_FAILURE() << what << ": no error";
    } catch (const CodecError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::SourceChanged) << what << ": " << e.what();
    }
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt"})) << what;
  };
  WriteFile(src, RandomBytes(1000, 5));
  {
    InputFile in(src);
    expectChanged([&] { Encode(in, 1500, dir / "a.tmb", "Kennwort", "txt"); }, "shorter than loaded");
    expectChanged([&] { Encode(in, 500, dir / "a.tmb", "Kennwort", "txt"); }, "longer than loaded");
  }
  // Changed at the first block boundary, after the pass has begun: the
  // file was last changed an hour ago, so that a rewrite shows in its time.
  const auto changeDuring = [&](const std::function<void()>& change, const char* what, bool unnamed = false) {
    WriteFile(src, RandomBytes(3 << 20, 9));
    fs::last_write_time(src, fs::last_write_time(src) - std::chrono::hours(1));
    InputFile in(src);
    int calls = 0;
    const CheckpointFn checkpoint = [&] {
      if (++calls == 2) change();
    };
    expectChanged(
        [&] {
          if (unnamed) {
            EncodeUnnamed(in, in.size(), dir / "a.tmb", "Kennwort", "txt", checkpoint);
          } else {
            Encode(in, in.size(), dir / "a.tmb", "Kennwort", "txt", {}, checkpoint);
          }
        },
        what);
  };
  const auto append = [&] { std::ofstream(src, std::ios::binary | std::ios::app) << "more"; };
  changeDuring(append, "grown");
  changeDuring(append, "grown, unnamed", true);
  changeDuring([&] { fs::resize_file(src, 2 << 20); }, "shrunk to a block's end");
  changeDuring([&] { fs::resize_file(src, (2 << 20) + 7); }, "shrunk");
  changeDuring(
      [&] {
        std::fstream f(src, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(5);
        f << "new";
      },
      "rewritten");
  // Rewritten with its time of last write set back: only the change time
  // tells.
  changeDuring(
      [&] {
        const auto before = fs::last_write_time(src);
        // The change time moves in steps of a few milliseconds.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        {
          std::fstream f(src, std::ios::binary | std::ios::in | std::ios::out);
          f << "new";
        }
        fs::last_write_time(src, before);
      },
      "rewritten, time set back");

  // The path names the open file, and another file that takes its name,
  // even one of the same bytes, is told apart.
  WriteFile(src, RandomBytes(1000, 5));
  FileStamp loaded;
  {
    InputFile in(src);
    loaded = in.stamp();
    EXPECT_EQ(StampOf(src), loaded);
  }
  WriteFile(dir / "neu", RandomBytes(1000, 5));
  fs::rename(dir / "neu", src);
  EXPECT_NE(StampOf(src), loaded);
  EXPECT_THROW(StampOf(dir / "fehlt"), CodecError);

  // The same for an encoded file that grows while it is decoded.
  WriteFile(dir / "b.txt", RandomBytes(3 << 20, 3));
  Encode(dir / "b.txt", dir / "b.tmb", "Kennwort", "txt");
  const CheckResult check = CheckPassword(dir / "b.tmb", "Kennwort");
  ASSERT_TRUE(check.fits());
  try {
    Decode(dir / "b.tmb", dir / "c.txt", check, {},
           [&] { std::ofstream(dir / "b.tmb", std::ios::binary | std::ios::app) << "x"; });
    ADD_FAILURE() << "decode: no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::SourceChanged) << e.what();
  }
  EXPECT_FALSE(fs::exists(dir / "c.txt"));
}

std::vector<int> EncodeProgress(std::size_t len) {
  TempDir dir;
  WriteFile(dir / "p", Bytes(len, 'x'));
  std::vector<int> seen;
  Encode(dir / "p", dir / "p.tmb", "Kennwort", "txt", [&](int v) { seen.push_back(v); });
  return seen;
}

std::vector<int> DecodeProgress(std::size_t encodedLen) {
  TempDir dir;
  WriteFile(dir / "p", Bytes(encodedLen - 21, 'x'));
  Encode(dir / "p", dir / "p.tmb", "Kennwort", "txt");
  std::vector<int> seen;
  Decode(dir / "p.tmb", dir / "q", CheckPassword(dir / "p.tmb", "Kennwort"), [&](int v) { seen.push_back(v); });
  return seen;
}

std::vector<int> OneToTwentyThenOne() {
  std::vector<int> v;
  for (int i = 1; i <= 20; ++i) v.push_back(i);
  v.push_back(1);
  return v;
}

TEST(Progress, ShortInputsShowTheFullBarAtOnce) {
  EXPECT_EQ(EncodeProgress(0), (std::vector<int>{20, 1}));
  EXPECT_EQ(EncodeProgress(100), (std::vector<int>{20, 1}));
  EXPECT_EQ(DecodeProgress(21), (std::vector<int>{20, 1}));
  EXPECT_EQ(DecodeProgress(100), (std::vector<int>{20, 1}));
}

TEST(Progress, LongerInputsStepOneToTwentyThenOne) {
  EXPECT_EQ(EncodeProgress(101), OneToTwentyThenOne());  // step 5
  EXPECT_EQ(EncodeProgress(130), OneToTwentyThenOne());  // step 6, the 21st stage is not shown
  EXPECT_EQ(EncodeProgress(5000), OneToTwentyThenOne());
  EXPECT_EQ(DecodeProgress(101), OneToTwentyThenOne());  // step 4 over 80 bytes
  // The decode step is reckoned from the length minus 15 while the pass runs
  // over the length minus 21, so a large file ends one stage short of 20.
  std::vector<int> nineteen = OneToTwentyThenOne();
  nineteen.erase(nineteen.begin() + 19);
  EXPECT_EQ(DecodeProgress(3000000), nineteen);
}

TEST(Progress, StepsRoundHalvesToEven) {
  EXPECT_EQ(ProgressPlan::ForEncode(100).step(), 0u);
  EXPECT_EQ(ProgressPlan::ForEncode(101).step(), 5u);
  EXPECT_EQ(ProgressPlan::ForEncode(109).step(), 5u);
  EXPECT_EQ(ProgressPlan::ForEncode(110).step(), 6u);  // 5.5 -> 6
  EXPECT_EQ(ProgressPlan::ForEncode(130).step(), 6u);  // 6.5 -> 6
  EXPECT_EQ(ProgressPlan::ForEncode(150).step(), 8u);  // 7.5 -> 8
  EXPECT_EQ(ProgressPlan::ForDecode(101).step(), 4u);  // (101 - 15) / 20 = 4.3
  EXPECT_EQ(ProgressPlan::ForDecode(100).step(), 0u);
  // Lengths beyond 32 bits: 5 GiB plus 10 bytes.
  const std::uint64_t big = (std::uint64_t{5} << 30) + 10;
  EXPECT_EQ(ProgressPlan::ForEncode(big).step(), big / 20);
  std::vector<int> seen;
  ProgressPlan::ForEncode(big).advance(0, big, [&](int v) { seen.push_back(v); });
  EXPECT_EQ(seen.size(), 20u);
  EXPECT_EQ(seen.back(), 20);
}

}  // namespace
}  // namespace tambril::codec
