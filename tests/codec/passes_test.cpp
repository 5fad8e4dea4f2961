#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "codec/cp1252.h"

namespace tambril::codec {
namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "tambril-codec-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& path() const { return path_; }
  std::vector<std::string> names() const {
    std::vector<std::string> n;
    for (const auto& e : fs::directory_iterator(path_)) n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
  }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& p, const Bytes& b) {
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

Bytes RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& v : b) v = static_cast<std::uint8_t>(rng());
  return b;
}

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

TEST(Faults, ExistingTargetIsNeverTouched) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  WriteFile(dir / "a.tmb", Bytes{9, 9});
  try {
    Encode(dir / "a.txt", dir / "a.tmb", "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::TargetExists);
  }
  EXPECT_EQ(ReadFile(dir / "a.tmb"), (Bytes{9, 9}));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.tmb", "a.txt"}));
}

TEST(Faults, SourceShorterThanItsLoadedLengthLeavesNoTarget) {
  TempDir dir;
  WriteFile(dir / "a.txt", RandomBytes(1000, 5));
  InputFile in(dir / "a.txt");
  EXPECT_THROW(Encode(in, 1500, dir / "a.tmb", "Kennwort", "txt"), CodecError);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt"}));

  Encode(dir / "a.txt", dir / "a.tmb", "Kennwort", "txt");
  auto check = CheckPassword(dir / "a.tmb", 2000, "Kennwort");
  ASSERT_TRUE(check.fits());
  EXPECT_THROW(Decode(dir / "a.tmb", dir / "b.txt", check), CodecError);
  EXPECT_FALSE(fs::exists(dir / "b.txt"));
}

TEST(Faults, MissingSourceNamesTheFile) {
  TempDir dir;
  try {
    Encode(dir / "nope.txt", dir / "nope.tmb", "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::OpenSource);
    EXPECT_NE(std::string(e.what()).find("nope.txt"), std::string::npos);
  }
  EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

TEST(Faults, FolderThatRefusesTheTarget) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  // A "folder" that is a file refuses every new entry, root or not.
  try {
    Encode(dir / "a.txt", dir / "a.txt" / "a.tmb", "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::CreateTarget);
  }

  // A folder without write permission, tried as an ordinary user (root
  // would write there anyway, so a child process drops to nobody first).
  fs::create_directory(dir / "ro");
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                  fs::perms::others_exec | fs::perms::group_read | fs::perms::group_exec);
  fs::permissions(dir.path(), fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
  fs::permissions(dir / "a.txt", fs::perms::others_read, fs::perm_options::add);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    try {
      Encode(dir / "a.txt", dir / "ro" / "a.tmb", "Kennwort", "txt");
    } catch (const CodecError& e) {
      ::_exit(e.kind() == ErrorKind::CreateTarget ? 0 : 2);
    } catch (...) {
      ::_exit(4);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::is_empty(dir / "ro"));
}

// A disk that fills up: the file size limit makes writes fail with EFBIG
// part way through, as a full disk does with ENOSPC.
TEST(Faults, WriteFailureHalfWayLeavesNothingBehind) {
  TempDir dir;
  const Bytes plain = RandomBytes(3 << 20, 6);
  WriteFile(dir / "big.bin", plain);
  Encode(dir / "big.bin", dir / "big.tmb", "Kennwort", "bin");
  const auto check = CheckPassword(dir / "big.tmb", "Kennwort");

  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = old;
  lim.rlim_cur = 1 << 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
  ErrorKind encodeKind{}, decodeKind{};
  try {
    Encode(dir / "big.bin", dir / "again.tmb", "Kennwort", "bin");
  } catch (const CodecError& e) {
    encodeKind = e.kind();
  }
  try {
    Decode(dir / "big.tmb", dir / "back.bin", check);
  } catch (const CodecError& e) {
    decodeKind = e.kind();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(encodeKind, ErrorKind::WriteTarget);
  EXPECT_EQ(decodeKind, ErrorKind::WriteTarget);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"big.bin", "big.tmb"}));

  // Where the limit's signal has its default action (ending the process),
  // the pass ignores it itself and fails like the others.
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_DFL);
    ::setrlimit(RLIMIT_FSIZE, &lim);
    try {
      Encode(dir / "big.bin", dir / "again.tmb", "Kennwort", "bin");
    } catch (const CodecError& e) {
      ::_exit(e.kind() == ErrorKind::WriteTarget && e.errnum() == EFBIG ? 0 : 2);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"big.bin", "big.tmb"}));
}

TEST(Faults, TargetThatAppearsDuringThePassIsNotReplaced) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  TargetFile t(dir / "late.tmb");
  t.write("abc", 3);
  WriteFile(dir / "late.tmb", Bytes{7});
  EXPECT_THROW(t.commit(), CodecError);
  EXPECT_EQ(ReadFile(dir / "late.tmb"), (Bytes{7}));
}

// Nothing of an unfinished target stands in its folder: it has no name at
// all, or, where a file system cannot make unnamed files, a short hidden
// one, private to its owner and removed even after the folder was renamed.
TEST(Faults, UnfinishedTargetIsHiddenAndRemoved) {
  TempDir dir;
  {
    TargetFile t(dir / "x.tmb");
    t.write("abc", 3);
    EXPECT_TRUE(t.temporaryPath().empty());
    EXPECT_TRUE(fs::is_empty(dir.path()));
    t.flush();
    EXPECT_TRUE(fs::is_empty(dir.path()));
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));

  fs::create_directory(dir / "a");
  {
    TargetFile t(dir / "a" / "x.tmb", 0644, TargetFile::Unfinished::HiddenName);
    t.write("abc", 3);
    EXPECT_EQ(t.temporaryPath().parent_path(), dir / "a");
    const std::string hidden = t.temporaryPath().filename().string();
    EXPECT_EQ(hidden[0], '.');
    EXPECT_LE(hidden.size(), 11u);
    struct stat st {};
    ASSERT_EQ(::stat(t.temporaryPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    fs::rename(dir / "a", dir / "b");
  }
  EXPECT_TRUE(fs::is_empty(dir / "b"));
}

// A target name as long as the folder takes (255 bytes) needs no longer
// temporary name beside it; one byte more is refused before any writing.
TEST(Faults, TargetNamesUpToTheLongestTheFolderTakes) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  for (const std::size_t len : {243u, 250u, 255u}) {
    SCOPED_TRACE(len);
    const std::string name = std::string(len - 4, 'n') + ".tmb";
    Encode(dir / "a.txt", dir / name, "Kennwort", "txt");
    EXPECT_EQ(fs::file_size(dir / name), 24u);
    fs::remove(dir / name);
    {
      TargetFile t(dir / name, 0644, TargetFile::Unfinished::HiddenName);
      t.write("abc", 3);
      t.commit();
    }
    EXPECT_EQ(ReadFile(dir / name), (Bytes{'a', 'b', 'c'}));
    fs::remove(dir / name);
  }
  try {
    Encode(dir / "a.txt", dir / (std::string(252, 'n') + ".tmb"), "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::CreateTarget);
    EXPECT_EQ(e.errnum(), ENAMETOOLONG);
  }
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt"}));
}

unsigned Mode(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
}

// The finished file gets its source's permission bits less the umask, as a
// copy does: a private file stays private whatever the umask.
TEST(Faults, NewFileIsNeverMoreOpenThanItsSource) {
  TempDir dir;
  const mode_t oldMask = ::umask(022);
  WriteFile(dir / "geheim.txt", RandomBytes(5000, 8));
  ::chmod((dir / "geheim.txt").c_str(), 0600);
  WriteFile(dir / "tool.sh", Bytes{'#', '!'});
  ::chmod((dir / "tool.sh").c_str(), 04755);  // set-user-id is not copied

  Encode(dir / "geheim.txt", dir / "geheim.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "geheim.tmb"), 0600u);
  ::chmod((dir / "geheim.tmb").c_str(), 0640);
  Decode(dir / "geheim.tmb", dir / "zurueck.txt", CheckPassword(dir / "geheim.tmb", "Kennwort"));
  EXPECT_EQ(Mode(dir / "zurueck.txt"), 0640u);  // the encoded file's bits
  Encode(dir / "tool.sh", dir / "tool.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "tool.tmb"), 0755u);

  ::umask(0);
  Encode(dir / "geheim.txt", dir / "offen.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "offen.tmb"), 0600u);
  ::umask(077);
  Encode(dir / "tool.sh", dir / "privat.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "privat.tmb"), 0700u);
  {
    TargetFile t(dir / "versteckt.tmb", 0644, TargetFile::Unfinished::HiddenName);
    t.commit();
  }
  EXPECT_EQ(Mode(dir / "versteckt.tmb"), 0600u);
  ::umask(oldMask);
}

// Files made through one open folder, as a many-file run makes them: each
// ends with its own permissions less the umask (the folder remembers them
// per permissions, not once for all), none is open to others while
// unfinished, a taken name is refused, and files and inputs stay in the
// folder that was opened even after its path names another one.
TEST(Faults, FilesMadeThroughOneOpenFolder) {
  TempDir dir;
  const mode_t oldMask = ::umask(022);
  fs::create_directory(dir / "a");
  WriteFile(dir / "a" / "x.txt", Bytes{1, 2, 3});
  const auto folder = std::make_shared<const Folder>(dir / "a");
  for (const int round : {1, 2}) {  // the second round makes them with what the first showed
    for (const unsigned permissions : {0644u, 0600u, 0666u, 0604u, 0400u}) {
      const fs::path target = dir / "a" / (std::to_string(round) + "-" + std::to_string(permissions));
      SCOPED_TRACE(target.filename().string());
      TargetFile t(folder, target, permissions,
                   round == 1 ? TargetFile::Unfinished::Unnamed : TargetFile::Unfinished::HiddenName);
      struct stat st {};
      ASSERT_EQ(::fstat(t.handle(), &st), 0);
      EXPECT_EQ(st.st_mode & 077, 0u);
      t.write("abc", 3);
      t.commit();
      EXPECT_EQ(Mode(target), permissions & ~022u);
    }
  }
  try {
    TargetFile t(folder, dir / "a" / "x.txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::TargetExists);
  }
  EXPECT_EQ(ReadFile(dir / "a" / "x.txt"), (Bytes{1, 2, 3}));

  fs::rename(dir / "a", dir / "b");
  fs::create_directory(dir / "a");
  WriteFile(dir / "a" / "x.txt", Bytes{9});
  WriteFile(dir / "a" / "x.txt.tmb", Bytes{9});
  const InputFile in(*folder, dir / "a" / "x.txt");
  EXPECT_EQ(in.sizeAtOpen(), 3u);
  {
    TargetFile t(folder, dir / "a" / "x.txt.tmb");
    t.commit();
  }
  EXPECT_TRUE(fs::exists(dir / "b" / "x.txt.tmb"));
  EXPECT_EQ(ReadFile(dir / "a" / "x.txt.tmb"), (Bytes{9}));
  ::umask(oldMask);
}

// A pipe (or a link to one), a device or a folder given as input is
// refused at once; opening a pipe would otherwise wait for a writer for ever.
TEST(Faults, InputsThatAreNoRegularFilesAreRefusedWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir / "pipe", dir / "link");
  ::alarm(30);  // a hang ends the test program instead of the test run
  for (const fs::path& p : {dir / "pipe", dir / "link", fs::path("/dev/null"), dir.path()}) {
    SCOPED_TRACE(p);
    try {
      InputFile in(p);
      ADD_FAILURE();
    } catch (const CodecError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::NotRegularFile);
      EXPECT_EQ(e.errnum(), p == dir.path() ? EISDIR : 0);
      EXPECT_NE(std::string(e.what()).find(p.string()), std::string::npos);
    }
  }
  EXPECT_THROW(Encode(dir / "link", dir / "x.tmb", "Kennwort", "txt"), CodecError);
  EXPECT_THROW(CheckPassword(dir / "pipe", "Kennwort"), CodecError);
  ::alarm(0);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"link", "pipe"}));
}

// The checkpoint runs between blocks, so a pass stops within a block of
// being told to, long before its next progress stage; and still after the
// last block, while the flushed file has no name yet.
TEST(Faults, CheckpointStopsAPassBetweenBlocks) {
  struct Stop {};
  TempDir dir;
  const std::size_t mib = std::size_t{1} << 20;
  WriteFile(dir / "a.dat", RandomBytes(5 * mib + 3, 9));
  int calls = 0;
  Encode(dir / "a.dat", dir / "a.tmb", "Kennwort", "dat", {}, [&] { ++calls; });
  EXPECT_GE(calls, 6);  // six blocks, the last one short
  const auto check = CheckPassword(dir / "a.tmb", "Kennwort");

  for (const int stopAt : {3, calls}) {
    SCOPED_TRACE(stopAt);
    for (const bool encode : {true, false}) {
      int seen = 0, highest = 0;
      const CheckpointFn stop = [&] {
        if (++seen == stopAt) throw Stop{};
      };
      const ProgressFn progress = [&](int v) { highest = std::max(highest, v); };
      if (encode) {
        EXPECT_THROW(Encode(dir / "a.dat", dir / "b.tmb", "Kennwort", "dat", progress, stop), Stop);
      } else {
        EXPECT_THROW(Decode(dir / "a.tmb", dir / "b.dat", check, progress, stop), Stop);
      }
      // Two blocks of a 5 MiB pass are 8 of its 20 stages.
      if (stopAt == 3) {
        EXPECT_LE(highest, 8);
      }
      EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.dat", "a.tmb"}));
    }
  }
}
}  // namespace
}  // namespace tambril::codec
