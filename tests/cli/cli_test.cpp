// tambril-cli as a program: real processes on temporary files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "cli/password.h"
#include "cli_process.h"
#include "codec/codec.h"

namespace tambril::cli::test {
namespace {
namespace fs = std::filesystem;

constexpr int kWrongPassword = 1, kUsage = 2, kFileError = 3;

std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& c : s) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char t[] = "/tmp/tambril-cli-test-XXXXXX";
    dir_ = ::mkdtemp(t);
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  }
  void TearDown() override {
    for (const auto& e : fs::recursive_directory_iterator(dir_)) {
      if (e.is_directory()) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
    }
    fs::remove_all(dir_);
  }

  fs::path Path(const std::string& name) const { return dir_ / name; }

  fs::path Write(const std::string& name, const std::string& bytes) const {
    const fs::path p = Path(name);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }

  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Names in a folder, hidden ones included (a left-over temporary file is hidden).
  static std::set<std::string> List(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
  }

  CliResult Encode(const fs::path& source, const std::string& password, const std::vector<std::string>& more = {}) {
    std::vector<std::string> args{"encode", "--password-stdin", source.string()};
    args.insert(args.end(), more.begin(), more.end());
    return RunCli(args, password + "\n");
  }

  fs::path dir_;
};

TEST_F(CliTest, RoundTripIsByteIdenticalForAnyLength) {
  for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16}, std::size_t{101},
                        (std::size_t{1} << 20) + 7}) {
    SCOPED_TRACE(n);
    const std::string plain = Bytes(n, static_cast<unsigned>(n));
    const fs::path src = Write("r" + std::to_string(n) + "/brief.doc", plain);
    const fs::path tmb = src.parent_path() / "brief.tmb";
    const fs::path back = src.parent_path() / "zurueck.doc";

    CliResult r = Encode(src, "Geheim123");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(fs::file_size(tmb), n + 21);
    EXPECT_NE(Read(tmb).substr(21), plain.empty() ? "x" : plain);

    r = RunCli({"check", "--password-stdin", tmb.string()}, "Geheim123\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "doc\n");

    r = RunCli({"decode", "--password-stdin", tmb.string(), back.string()}, "Geheim123\r\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Read(back), plain);
    EXPECT_EQ(Read(src), plain);  // the source is only read
  }
}

TEST_F(CliTest, EncodeProposesTmbAfterTheFirstDotOfTheName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"brief.doc", "brief.tmb"},
      {"seite.html", "seite.tmbl"},
      {"notiz.c", "notiz.t"},
      {"a.b.txt", "a.tmbxt"},
      {"README", "README.tmb"},
      {"alt.dir/plan.txt", "alt.dir/plan.tmb"},
      {"punkt.", "punkt.tmb"},
      {"ä.öx", "ä.tm"},
      // As long as a name can be: no longer temporary name is needed beside it.
      {std::string(251, 'l') + ".doc", std::string(251, 'l') + ".tmb"},
  };
  for (const auto& [source, target] : cases) {
    SCOPED_TRACE(source);
    Write(source, "inhalt");
    const CliResult r = Encode(Path(source), "kennwort");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(Path(target)));
  }
}

TEST_F(CliTest, TagIsTheLastThreeCharactersOfTheAbsolutePath) {
  Write("w/notiz.c", "x");
  Write("w/ab", "y");
  CliOptions inFolder;
  inFolder.cwd = Path("w");
  // Relative names: the tag still comes from the absolute path.
  ASSERT_EQ(RunCli({"encode", "--password-stdin", "notiz.c"}, "kennwort\n", inFolder).exitCode, 0);
  ASSERT_EQ(RunCli({"encode", "--password-stdin", "ab"}, "kennwort\n", inFolder).exitCode, 0);
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("w/notiz.t").string()}, "kennwort\n").out, "z.c\n");
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("w/ab.tmb").string()}, "kennwort\n").out, "/ab\n");
  // The same in a many-file run, for files of the working folder and below.
  Write("w/cd", "z");
  Write("w/u/gh", "z");
  ASSERT_EQ(RunCli({"encode", "--password-stdin", "-j2", "cd", "u/gh"}, "kennwort\n", inFolder).exitCode, 0);
  EXPECT_EQ(
      RunCli({"check", "--password-stdin", Path("w/cd.tmb").string(), Path("w/u/gh.tmb").string()}, "kennwort\n").out,
      Path("w/cd.tmb").string() + ": /cd\n" + Path("w/u/gh.tmb").string() + ": /gh\n");
}

TEST_F(CliTest, DecodeProposesTheStoredTagAfterTheFirstDot) {
  Write("brief.doc", "brief");
  Write("seite.html", "seite");
  Write("daten", "daten");
  Write("alt.dir/plan.txt", "plan");
  for (const char* s : {"brief.doc", "seite.html", "daten", "alt.dir/plan.txt"}) {
    ASSERT_EQ(Encode(Path(s), "kennwort").exitCode, 0) << s;
  }
  // The encoded files move elsewhere so that the proposed names are free.
  fs::create_directories(Path("enc/alt.dir"));
  fs::rename(Path("brief.tmb"), Path("enc/brief.tmb"));
  fs::rename(Path("seite.tmbl"), Path("enc/seite.tmbl"));
  fs::rename(Path("daten.tmb"), Path("enc/daten"));  // a name without "."
  fs::rename(Path("alt.dir/plan.tmb"), Path("enc/alt.dir/plan.tmb"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"enc/brief.tmb", "enc/brief.doc"},
      {"enc/seite.tmbl", "enc/seite.tmll"},
      {"enc/daten", "enc/daten.ten"},
      {"enc/alt.dir/plan.tmb", "enc/alt.dir/plan.txt"},
  };
  for (const auto& [encoded, plain] : cases) {
    SCOPED_TRACE(encoded);
    const CliResult r = RunCli({"decode", "--password-stdin", Path(encoded).string()}, "kennwort\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(Path(plain)));
  }
  EXPECT_EQ(Read(Path("enc/alt.dir/plan.txt")), "plan");
}

TEST_F(CliTest, WrongPasswordExitsOneAndWritesNothing) {
  const fs::path src = Write("in/brief.doc", Bytes(500, 1));
  ASSERT_EQ(Encode(src, "richtig1").exitCode, 0);
  fs::remove(src);
  const auto before = List(Path("in"));

  CliResult r = RunCli({"check", "--password-stdin", Path("in/brief.tmb").string()}, "falsch12\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("brief.tmb"), std::string::npos) << r.err;

  r = RunCli({"decode", "--password-stdin", Path("in/brief.tmb").string()}, "Richtig1\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  r = RunCli({"decode", "--password-stdin", Path("in/brief.tmb").string(), Path("in/x").string()}, "\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  EXPECT_EQ(List(Path("in")), before);

  // A file shorter than a header never fits.
  Write("kurz.tmb", "abc");
  r = RunCli({"check", "--password-stdin", Path("kurz.tmb").string()}, "richtig1\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
}

TEST_F(CliTest, ExistingTargetIsNeverReplaced) {
  const fs::path src = Write("brief.doc", Bytes(300, 2));
  const fs::path taken = Write("brief.tmb", "schon da");
  CliResult r = Encode(src, "kennwort");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("brief.tmb"), std::string::npos) << r.err;
  EXPECT_EQ(Read(taken), "schon da");

  r = Encode(src, "kennwort", {Path("neu.tmb").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const fs::path takenToo = Write("neu.doc", "auch da");
  r = RunCli({"decode", "--password-stdin", Path("neu.tmb").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("neu.doc"), std::string::npos) << r.err;
  r = RunCli({"decode", "--password-stdin", Path("neu.tmb").string(), taken.string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(Read(taken), "schon da");
  EXPECT_EQ(Read(takenToo), "auch da");
  EXPECT_EQ(Read(src), Bytes(300, 2));
  EXPECT_EQ(List(dir_), (std::set<std::string>{"brief.doc", "brief.tmb", "neu.tmb", "neu.doc"}));
}

TEST_F(CliTest, MissingSourceIsAFileError) {
  CliResult r = Encode(Path("fehlt.doc"), "kennwort");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("fehlt.doc"), std::string::npos) << r.err;
  r = RunCli({"decode", "--password-stdin", Path("fehlt.tmb").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  r = RunCli({"show", dir_.string()});  // a folder is no file
  EXPECT_EQ(r.exitCode, kFileError);
  // A device has no length to encode; it is refused, not stored as empty.
  r = RunCli({"encode", "--password-stdin", "/dev/null", Path("null.tmb").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("/dev/null"), std::string::npos) << r.err;
  EXPECT_TRUE(List(dir_).empty());

  // A pipe, or a link to one, is refused at once instead of waiting for a
  // writer that never comes.
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  fs::create_symlink(Path("pipe"), Path("link.doc"));
  const std::string pipe = Path("pipe").string(), link = Path("link.doc").string();
  for (const auto& args : std::vector<std::vector<std::string>>{{"encode", "--password-stdin", link},
                                                                {"check", "--password-stdin", pipe},
                                                                {"decode", "--password-stdin", link},
                                                                {"show", pipe}}) {
    SCOPED_TRACE(args[0]);
    r = RunCli(args, "kennwort\n");
    EXPECT_EQ(r.exitCode, kFileError);
    EXPECT_NE(r.err.find(args.back() + ": not a regular file"), std::string::npos) << r.err;
  }
  EXPECT_EQ(List(dir_), (std::set<std::string>{"pipe", "link.doc"}));
}

TEST_F(CliTest, UnwritableFolderLeavesNothingBehind) {
  const fs::path src = Write("brief.doc", Bytes(1000, 3));
  fs::permissions(src, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  fs::create_directory(Path("zu"));
  fs::permissions(Path("zu"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  CliOptions opts;
  opts.asNobody = true;  // root may write anywhere
  // A copy of the program that nobody can reach, wherever the build lies
  // (a checkout in /root or in a private folder is closed to nobody).
  fs::create_directory(Path("bin"));
  opts.program = Path("bin/tambril-cli");
  fs::copy_file(TAMBRIL_CLI, opts.program);
  fs::permissions(opts.program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
  const CliResult r =
      RunCli({"encode", "--password-stdin", src.string(), Path("zu/brief.tmb").string()}, "kennwort\n", opts);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("zu/brief.tmb"), std::string::npos) << r.err;
  EXPECT_TRUE(List(Path("zu")).empty());
}

TEST_F(CliTest, FullDiskLeavesNothingBehind) {
  const fs::path src = Write("gross.doc", Bytes(1 << 20, 4));
  ASSERT_EQ(Encode(src, "kennwort", {Path("ok.tmb").string()}).exitCode, 0);
  CliOptions opts;
  opts.fileSizeLimit = 64 * 1024;  // writing past it fails like a full disk
  CliResult r = RunCli({"encode", "--password-stdin", src.string()}, "kennwort\n", opts);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("gross.tmb"), std::string::npos) << r.err;
  r = RunCli({"decode", "--password-stdin", Path("ok.tmb").string(), Path("neu.doc").string()}, "kennwort\n", opts);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(List(dir_), (std::set<std::string>{"gross.doc", "ok.tmb"}));
}

TEST_F(CliTest, EncodePasswordRulesAndTheirMessages) {
  const fs::path src = Write("brief.doc", "inhalt");
  const std::vector<std::pair<std::string, std::string_view>> refused = {
      {"", kNoPassword},
      {"abcd", kPasswordTooShort},
      {"äöüß", kPasswordTooShort},  // four characters in eight bytes
      {"1234567890123456", kPasswordTooLong},
  };
  for (const auto& [password, message] : refused) {
    SCOPED_TRACE(password);
    const CliResult r = Encode(src, password);
    EXPECT_EQ(r.exitCode, kUsage);
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(Path("brief.tmb")));
  }
  for (const std::string password : {"abcde", "123456789012345", "äöüßé"}) {
    SCOPED_TRACE(password);
    EXPECT_EQ(Encode(src, password).exitCode, 0);
    fs::remove(Path("brief.tmb"));
  }
  // Checking takes no more than 15 characters either.
  ASSERT_EQ(Encode(src, "kennwort").exitCode, 0);
  const CliResult r = RunCli({"check", "--password-stdin", Path("brief.tmb").string()}, "1234567890123456\n");
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(kPasswordTooLong), std::string::npos) << r.err;
}

TEST_F(CliTest, PasswordTypedOnTheTerminalIsConfirmedAndNotEchoed) {
  const fs::path src = Write("brief.doc", Bytes(2000000, 5));
  const std::vector<std::string> args{"encode", src.string()};

  CliResult r = RunCliOnTerminal(args, {"geheim1", "Geheim1"});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(kConfirmationDiffers), std::string::npos) << r.err;
  r = RunCliOnTerminal(args, {"geheim1", ""});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(kNoConfirmation), std::string::npos) << r.err;
  r = RunCliOnTerminal(args, {"gehe"});  // refused before the confirmation
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(kPasswordTooShort), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Kennwortbestätigung: "), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(Path("brief.tmb")));

  r = RunCliOnTerminal(args, {"geheim1", "geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.find("geheim1"), std::string::npos) << r.err;
  // A 2 MB pass draws its bar on the terminal and clears it at the end.
  EXPECT_NE(r.err.find("[####################] 100%"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\r\033[K"), std::string::npos);

  r = RunCliOnTerminal({"check", Path("brief.tmb").string()}, {"geheim1"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("doc"), std::string::npos) << r.err;
}

TEST_F(CliTest, InterruptedPassLeavesNothingBehind) {
  // 64 MiB: after the first of twenty stages is drawn, the pass has far more
  // left to do than the signal takes to arrive.
  const fs::path src = Write("gross.doc", std::string(64 << 20, 'x'));
  // Ctrl-C, Ctrl-\, a kill, and signals nobody thinks of stopping a pass.
  for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGALRM}) {
    SCOPED_TRACE(signal);
    CliOptions opts;
    opts.interruptAt = "[#.";  // once the first stage is drawn
    opts.interruptSignal = signal;
    const CliResult r = RunCliOnTerminal({"encode", src.string()}, {"geheim1", "geheim1"}, opts);
    EXPECT_EQ(r.signal, signal) << r.err;
    EXPECT_NE(r.err.find("gross.tmb: interrupted"), std::string::npos) << r.err;
    EXPECT_TRUE(r.echoAtEnd);
    EXPECT_EQ(List(dir_), std::set<std::string>{"gross.doc"});
  }
}

// SIGKILL cannot be caught: at whatever moment it comes, a pass leaves no
// new entry in the folder, or its finished target.
TEST_F(CliTest, KilledAtAnyMomentLeavesNoNewEntry) {
  const std::string plain = Bytes(64 << 20, 9);
  const fs::path src = Write("gross.doc", plain);
  // Full runs first: the encoded file to decode and how long each pass takes.
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Encode(src, "kennwort", {Path("ganz.tmb").string()}).exitCode, 0);
  const auto encodeTime = std::chrono::steady_clock::now() - start;
  const std::string encoded = Read(Path("ganz.tmb"));
  start = std::chrono::steady_clock::now();
  ASSERT_EQ(
      RunCli({"decode", "--password-stdin", Path("ganz.tmb").string(), Path("k.doc").string()}, "kennwort\n").exitCode,
      0);
  const auto decodeTime = std::chrono::steady_clock::now() - start;
  fs::remove(Path("k.doc"));
  const std::set<std::string> before = List(dir_);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int i = 0; i < 10; ++i) {
    const bool encode = i % 2 == 0;
    const fs::path target = Path(encode ? "k.tmb" : "k.doc");
    const auto time = encode ? encodeTime : decodeTime;
    CliChild child =
        encode ? StartCli({"encode", "--password-stdin", src.string(), target.string()}, "kennwort\n")
               : StartCli({"decode", "--password-stdin", Path("ganz.tmb").string(), target.string()}, "kennwort\n");
    // Anywhere from the start to a little after the usual end.
    const auto delay = std::chrono::duration_cast<std::chrono::microseconds>(time * 1.2) *
                       std::uniform_real_distribution<double>(0, 1)(rng);
    std::this_thread::sleep_for(delay);
    ::kill(child.pid, SIGKILL);
    const CliResult r = FinishCli(child);
    SCOPED_TRACE(std::to_string(i) + (r.signal == SIGKILL ? " killed" : " finished"));
    if (fs::exists(target)) {
      EXPECT_EQ(Read(target), encode ? encoded : plain);
      fs::remove(target);
    } else {
      EXPECT_EQ(r.signal, SIGKILL);
    }
    EXPECT_EQ(List(dir_), before);
  }
}

// The terminal gets its echo back on every way out, and a line too long for
// a password is read to its end, so that nothing of it is left for the shell.
TEST_F(CliTest, TerminalIsLeftAsItWasFound) {
  const fs::path src = Write("brief.doc", "inhalt");
  CliOptions atPrompt;
  atPrompt.interruptAt = "Kennwort: ";
  atPrompt.interruptSignal = SIGQUIT;  // Ctrl-\ at the prompt
  CliResult r = RunCliOnTerminal({"encode", src.string()}, {}, atPrompt);
  EXPECT_EQ(r.signal, SIGQUIT) << r.err;
  EXPECT_TRUE(r.echoAtEnd);

  r = RunCliOnTerminal({"encode", src.string()}, {std::string(1500, 'a') + "; echo pwned"});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(kPasswordTooLong), std::string::npos) << r.err;
  EXPECT_EQ(r.unreadInput, 0);
  EXPECT_TRUE(r.echoAtEnd);

  r = RunCliOnTerminal({"encode", src.string()}, {"geheim1", "geheim1"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.echoAtEnd);
  EXPECT_EQ(List(dir_), (std::set<std::string>{"brief.doc", "brief.tmb"}));
}

// Descriptor 0 closed is no password (the source would take its place and
// give its first line), nor is an empty input; a full standard output is a
// failure, not a lost result.
TEST_F(CliTest, ClosedInputAndFullOutputAreFailures) {
  const fs::path src = Write("doc.txt", "kennwort1\nrest\n");
  CliOptions closedIn;
  closedIn.closeStdin = true;
  CliResult r = RunCli({"encode", "--password-stdin", src.string()}, "", closedIn);
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find("cannot read the password"), std::string::npos) << r.err;
  EXPECT_EQ(List(dir_), std::set<std::string>{"doc.txt"});

  ASSERT_EQ(Encode(src, "kennwort1").exitCode, 0);
  const std::string tmb = Path("doc.tmb").string();
  for (const std::string command : {"check", "decode"}) {
    r = RunCli({command, "--password-stdin", tmb}, "");
    EXPECT_EQ(r.exitCode, kUsage) << command;
    EXPECT_NE(r.err.find("cannot read the password"), std::string::npos) << r.err;
  }
  // A last line without its line end is a password all the same.
  r = RunCli({"check", "--password-stdin", tmb}, "kennwort1");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "txt\n");
  EXPECT_EQ(List(dir_), (std::set<std::string>{"doc.txt", "doc.tmb"}));

  CliOptions full;
  full.stdoutPath = "/dev/full";
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"check", "--password-stdin", tmb}, {"show", src.string()}, {"--help"}, {"--version"}}) {
    SCOPED_TRACE(args[0]);
    r = RunCli(args, "kennwort1\n", full);
    EXPECT_EQ(r.exitCode, kFileError);
    EXPECT_NE(r.err.find("standard output: cannot write"), std::string::npos) << r.err;
  }
}

unsigned Mode(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
}

// A new file gets its source's permissions less the umask: a private file
// is never decoded into one that others can read.
TEST_F(CliTest, NewFilesAreNeverMoreOpenThanTheirSource) {
  const fs::path secret = Write("geheim.txt", Bytes(3000, 7));
  fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path script = Write("skript.sh", "#!/bin/sh\n");
  fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  CliOptions open;
  open.umask = 0;
  ASSERT_EQ(RunCli({"encode", "--password-stdin", secret.string()}, "kennwort\n", open).exitCode, 0);
  EXPECT_EQ(Mode(Path("geheim.tmb")), 0600u);
  fs::permissions(Path("geheim.tmb"), fs::perms::group_read, fs::perm_options::add);
  ASSERT_EQ(RunCli({"decode", "--password-stdin", Path("geheim.tmb").string(), Path("zurueck.txt").string()},
                   "kennwort\n", open)
                .exitCode,
            0);
  EXPECT_EQ(Mode(Path("zurueck.txt")), 0640u);
  CliOptions closed;
  closed.umask = 077;
  ASSERT_EQ(RunCli({"encode", "--password-stdin", script.string()}, "kennwort\n", closed).exitCode, 0);
  EXPECT_EQ(Mode(Path("skript.tm")), 0700u);  // "sh" written over one for one
}

TEST_F(CliTest, Utf8PasswordsMeetWindows1252KeyCodes) {
  // Encoded through the library with the password's Windows-1252 bytes ...
  const fs::path src = Write("apfel.txt", Bytes(4000, 6));
  codec::Encode(src, Path("a.tmb"), "\xE4pfelbaum", "txt");
  // ... decodes with the same password typed as UTF-8.
  CliResult r = RunCli({"decode", "--password-stdin", Path("a.tmb").string(), Path("a.out").string()}, "äpfelbaum\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read(Path("a.out")), Read(src));
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("a.tmb").string()}, "apfelbaum\n").exitCode, kWrongPassword);

  // And the other way round, with "€" (0x80) and a character outside the
  // code page, which counts as "?".
  r = Encode(src, "Grüße€ĉ", {Path("b.tmb").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(codec::CheckPassword(Path("b.tmb"),
                                   "Gr\xFC\xDF"
                                   "e\x80?")
                  .fits());
  EXPECT_FALSE(codec::CheckPassword(Path("b.tmb"),
                                    "Gr\xFC\xDF"
                                    "e\x80\xE4")
                   .fits());
}

TEST_F(CliTest, TagCharactersUnfitForFileNamesBecomeUnderscores) {
  const fs::path src = Write("plain", "geheimer inhalt");
  fs::create_directory(Path("a"));
  fs::create_directory(Path("b"));
  codec::Encode(src, Path("a/x.tmb"), "kennwort", "a/b");
  codec::Encode(src, Path("b/x.tmb"), std::string("kennwort"), std::string("\0\x1b\\", 3));

  CliResult r = RunCli({"decode", "--password-stdin", Path("a/x.tmb").string()}, "kennwort\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read(Path("a/x.a_b")), "geheimer inhalt");
  r = RunCli({"decode", "--password-stdin", Path("b/x.tmb").string()}, "kennwort\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(List(Path("b")), (std::set<std::string>{"x.tmb", "x.___"}));
  // check never sends the control characters to the terminal.
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("b/x.tmb").string()}, "kennwort\n").out, "??\\\n");
}

TEST_F(CliTest, HelpVersionAndUsageErrors) {
  CliResult r = RunCli({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("tambril-cli encode [--password-stdin] SOURCE [TARGET]"), std::string::npos);
  // Its last line points to what a .tmb file does not protect against.
  const std::string lastLine = r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
  EXPECT_NE(lastLine.find("\"How safe is a .tmb file?\" in the README"), std::string::npos) << lastLine;
  EXPECT_EQ(r.err, "");
  r = RunCli({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "tambril-cli " TAMBRIL_VERSION "\n");

  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"verschluesseln", "x"},
      {"--bogus"},
      {"encode"},
      {"encode", "--password-stdin"},
      {"encode", "--passwort-stdin", "a"},
      {"show", "-r", "a"},
      {"check", "--quiet", "a"},
      {"decode"},
      {"show"},
      {"show", "--password-stdin", "a"},
      {"encode", ""},
      {"encode", "-j", "0", "a", "b"},
      {"encode", "-j", "zwei", "a", "b"},
      {"decode", "-j", "-1", "a"},
      {"decode", "a", "-j"},
      {"check", "-j4097", "a"},
      {"encode", "-j", "99999999999999999999", "a"},
      {"show", "-j", "2", "a"},
  };
  for (const auto& args : wrong) {
    SCOPED_TRACE(::testing::PrintToString(args));
    r = RunCli(args);
    EXPECT_EQ(r.exitCode, kUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
  }

  // Without a terminal the password can only come from standard input.
  Write("brief.doc", "x");
  r = RunCli({"encode", Path("brief.doc").string()});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find("--password-stdin"), std::string::npos) << r.err;

  // "--" ends the options, so a file may be called "-x.doc".
  Write("-x.doc", "strich");
  CliOptions inDir;
  inDir.cwd = dir_;
  r = RunCli({"encode", "--password-stdin", "--", "-x.doc"}, "kennwort\n", inDir);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(Path("-x.tmb")));
}

TEST_F(CliTest, ShowWritesEachByteAsItsWindows1252Character) {
  const std::string bytes("A\x00\x80\xE4\x81\x9F\xFF\n", 8);
  Write("roh.bin", bytes);
  CliResult r = RunCli({"show", Path("roh.bin").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, std::string("A\x00\xE2\x82\xAC\xC3\xA4\xC2\x81\xC5\xB8\xC3\xBF\n", 14));

  // Larger than one block: every block is converted, none is lost.
  Write("gross.txt", std::string(200000, '\xE4') + "Ende");
  r = RunCli({"show", Path("gross.txt").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.size(), 400004u);
  EXPECT_EQ(r.out.substr(r.out.size() - 6),
            "\xC3\xA4"
            "Ende");
}

// However large the file (here 100 GB, all of it a hole), show streams its
// text in a little memory; a file named .rtf without an RTF header is shown
// as its 8-bit text, as the viewer does.
TEST_F(CliTest, ShowStreamsAnySizeInLittleMemory) {
  const fs::path huge = Write("h.rtf", "");
  fs::resize_file(huge, std::uintmax_t{100} << 30);
  CliChild child = StartCli({"show", huge.string()}, "", {}, /*pipeOut=*/true);
  std::string head;
  char buf[65536];
  while (head.size() < (std::size_t{64} << 20)) {
    const ssize_t n = ::read(child.out, buf, sizeof buf);
    if (n <= 0) break;
    head.append(buf, static_cast<std::size_t>(n));
  }
  const long peakKiB = PeakMemoryKiB(child.pid);
  ::kill(child.pid, SIGTERM);
  const CliResult r = FinishCli(child);
  EXPECT_EQ(r.signal, SIGTERM) << r.err;
  ASSERT_GE(head.size(), std::size_t{64} << 20) << r.err;
  EXPECT_EQ(head.find_first_not_of('\0'), std::string::npos);
  EXPECT_GT(peakKiB, 0);
  EXPECT_LT(peakKiB, 64 * 1024);
}

TEST_F(CliTest, ShowReadsRtfWithoutAScreen) {
  Write("brief.RTF", "{\\rtf1\\ansi\\deff0 {\\fonttbl{\\f0 Arial;}}\\f0 Hallo Welt\\par}");
  CliOptions noPlatform;
  noPlatform.unsetEnv = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  const CliResult r = RunCli({"show", Path("brief.RTF").string()}, "", noPlatform);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Hallo"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Welt"), std::string::npos) << r.out;

  // A large RTF file, most of it picture data, prints its text too and
  // never its code: 12 MiB with a paragraph between pictures.
  std::string big = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n";
  const std::string hex(64, 'a');
  for (int i = 0; big.size() < (std::size_t{12} << 20); ++i) {
    big += "Absatz " + std::to_string(i) + " \\'e4{\\pict\\pngblip ";
    for (int line = 0; line < 1000; ++line) big += hex + "\r\n";
    big += "}\\par\n";
  }
  big += "Ende}";
  Write("gross.rtf", big);
  const CliResult large = RunCli({"show", Path("gross.rtf").string()}, "", noPlatform);
  EXPECT_EQ(large.exitCode, 0) << large.err;
  EXPECT_EQ(large.out.find("\\"), std::string::npos);
  EXPECT_EQ(large.out.find("aaaa"), std::string::npos);
  EXPECT_EQ(large.out.rfind("Absatz 0 \xC3\xA4\n", 0), 0u) << large.out.substr(0, 100);
  EXPECT_NE(large.out.find("\nAbsatz 150 \xC3\xA4\n"), std::string::npos);
  EXPECT_EQ(large.out.substr(large.out.size() - 5), "\nEnde");
}

}  // namespace
}  // namespace tambril::cli::test

namespace tambril::cli::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Many files in one run: each coded beside itself as a single-file run codes
// it, one line per file in a stable order, failures that stop nothing, the
// worst exit status and a summary.
TEST_F(CliTest, ManyFilesInOneRun) {
  // The first file takes longest, so that jobs working at once finish out of order.
  Write("baum/0gross.dat", Bytes(3 << 20, 8));
  Write("baum/a.txt", Bytes(5000, 1));
  Write("baum/b ordner/c d.txt", Bytes(70000, 2));
  Write("baum/x\xFFy.txt", Bytes(300, 3));  // a name that is not UTF-8
  Write("baum/e.txt", Bytes(10, 4));
  Write("baum/e.tmb", "schon da");
  fs::create_symlink(Path("baum/a.txt"), Path("baum/link.txt"));
  fs::create_directory_symlink(Path("baum"), Path("baum/schleife"));  // a loop, not followed
  ASSERT_EQ(::mkfifo(Path("baum/pipe").c_str(), 0600), 0);            // no regular file: left alone
  const std::string a = Path("baum/a.txt").string(), cd = Path("baum/b ordner/c d.txt").string(),
                    e = Path("baum/e.txt").string(), link = Path("baum/link.txt").string(),
                    x = Path("baum/x\xFFy.txt").string();

  const std::vector<std::string> encodeTree{"encode", "--password-stdin", "-r", Path("baum").string()};
  CliResult r = RunCli(encodeTree, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                              Path("baum/0gross.dat").string() + " -> " + Path("baum/0gross.tmb").string(),
                              a + " -> " + Path("baum/a.tmb").string(),
                              cd + " -> " + Path("baum/b ordner/c d.tmb").string(),
                              link + " -> " + Path("baum/link.tmb").string(),
                              x + " -> " + Path("baum/x\xFFy.tmb").string(),
                              "5 done, 0 skipped (wrong password), 1 failed",
                          }));
  EXPECT_EQ(Lines(r.err),
            std::vector<std::string>{"tambril-cli: " + Path("baum/e.tmb").string() + ": file exists already"});
  EXPECT_EQ(Read(Path("baum/e.tmb")), "schon da");
  EXPECT_FALSE(fs::exists(Path("baum/schleife/schleife.tmb")));
  // The same bytes as single-file runs.
  const std::vector<std::string> coded{"baum/0gross.tmb", "baum/a.tmb", "baum/b ordner/c d.tmb", "baum/link.tmb",
                                       "baum/x\xFFy.tmb"};
  for (const auto& [source, tmb] : std::vector<std::pair<std::string, std::string>>{
           {Path("baum/0gross.dat").string(), coded[0]}, {a, coded[1]}, {cd, coded[2]}, {x, coded[4]}}) {
    ASSERT_EQ(Encode(source, "kennwort", {Path("einzeln.tmb").string()}).exitCode, 0);
    EXPECT_EQ(Read(Path(tmb)), Read(Path("einzeln.tmb"))) << source;
    fs::remove(Path("einzeln.tmb"));
  }
  // One file at a time and several at once: the same lines in the same
  // order, the same status and the same bytes.
  std::vector<std::string> bytes;
  for (const auto& tmb : coded) bytes.push_back(Read(Path(tmb)));
  for (const std::string jobs : {"-j1", "-j4"}) {
    SCOPED_TRACE(jobs);
    for (const auto& tmb : coded) fs::remove(Path(tmb));
    std::vector<std::string> args = encodeTree;
    args.push_back(jobs);
    const CliResult again = RunCli(args, "kennwort\n");
    EXPECT_EQ(again.exitCode, r.exitCode);
    EXPECT_EQ(again.out, r.out);
    EXPECT_EQ(again.err, r.err);
    for (std::size_t k = 0; k < coded.size(); ++k) EXPECT_EQ(Read(Path(coded[k])), bytes[k]) << coded[k];
  }

  // Decoding: a file encoded with another password is skipped and named.
  fs::create_directories(Path("zurueck/tief"));
  fs::rename(Path("baum/a.tmb"), Path("zurueck/a.tmb"));
  fs::rename(Path("baum/b ordner/c d.tmb"), Path("zurueck/tief/c d.tmb"));
  ASSERT_EQ(Encode(Path("baum/e.txt"), "anderes1", {Path("zurueck/f.tmb").string()}).exitCode, 0);
  Write("zurueck/notiz.txt", "kein .tmb: bleibt liegen");
  r = RunCli({"decode", "--password-stdin", "-r", "-j", "3", Path("zurueck").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kWrongPassword) << r.err;
  EXPECT_EQ(Lines(r.err),
            std::vector<std::string>{"tambril-cli: " + Path("zurueck/f.tmb").string() + ": wrong password"});
  EXPECT_EQ(Lines(r.out).back(), "2 done, 1 skipped (wrong password), 0 failed");
  EXPECT_EQ(Read(Path("zurueck/a.txt")), Bytes(5000, 1));
  EXPECT_EQ(Read(Path("zurueck/tief/c d.txt")), Bytes(70000, 2));
  EXPECT_EQ(List(Path("zurueck")), (std::set<std::string>{"a.tmb", "a.txt", "f.tmb", "notiz.txt", "tief"}));

  // Checking several files: one line each.
  r = RunCli({"check", "--password-stdin", Path("zurueck/a.tmb").string(), Path("zurueck/f.tmb").string()},
             "kennwort\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Path("zurueck/a.tmb").string() + ": txt",
                                                    Path("zurueck/f.tmb").string() + ": wrong password"}));

  // --quiet: failures only; a missing file among others is one failure.
  r = RunCli({"encode", "--password-stdin", "--quiet", Path("zurueck/notiz.txt").string(), Path("fehlt").string(),
              Path("zurueck/a.txt").string()},
             "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Lines(r.err).size(), 2u) << r.err;  // fehlt, and a.tmb exists
  EXPECT_TRUE(fs::exists(Path("zurueck/notiz.tmb")));
}

// On a terminal a many-file run draws one bar for the whole run, counted to
// its total and left standing on its own line; --quiet draws none and
// prints no line for a file that was done.
TEST_F(CliTest, ManyFileRunShowsOneBarOnTheTerminal) {
  Write("bar/a.doc", Bytes(1 << 20, 1));
  Write("bar/b.doc", Bytes(1 << 20, 2));
  Write("bar/c.doc", Bytes(512 << 10, 3));
  CliResult r = RunCliOnTerminal({"encode", "-r", Path("bar").string()}, {"geheim1", "geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The terminal turns each line end into "\r\n".
  EXPECT_NE(r.err.find("[####################] 3/3 files, 2.5 of 2.5 MiB\r\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("encoding ["), std::string::npos) << r.err;  // no bar per file
  EXPECT_NE(r.err.find(Path("bar/c.doc").string() + " -> "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("3 done, 0 skipped (wrong password), 0 failed"), std::string::npos) << r.err;

  fs::create_directory(Path("aus"));
  for (const char* name : {"a.tmb", "b.tmb", "c.tmb"}) fs::rename(Path("bar") / name, Path("aus") / name);
  r = RunCliOnTerminal({"decode", "--quiet", "-r", Path("aus").string()}, {"geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "Kennwort: \r\n") << r.err;
  EXPECT_EQ(Read(Path("aus/c.doc")), Bytes(512 << 10, 3));
  // A single file under --quiet: no bar either.
  fs::remove(Path("aus/a.doc"));
  r = RunCliOnTerminal({"decode", "--quiet", Path("aus/a.tmb").string()}, {"geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "Kennwort: \r\n") << r.err;
}

// Interrupted between groups of files, by a signal it catches or by
// SIGKILL: every file named so far is complete, nothing unfinished is left.
// A low open-file limit makes groups small; several jobs share it.
TEST_F(CliTest, InterruptedManyFileRunLeavesOnlyCompleteFiles) {
  // Many jobs against few open files: the jobs and groups fit the limit.
  for (int i = 0; i < 40; ++i) Write("eng/f" + std::to_string(i) + ".dat", Bytes(4096, i));
  CliOptions tight;
  tight.openFileLimit = 40;
  CliResult r = RunCli({"encode", "--password-stdin", "-r", "-j", "8", Path("eng").string()}, "kennwort\n", tight);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "40 done, 0 skipped (wrong password), 0 failed");

  for (const int signal : {SIGTERM, SIGINT, SIGKILL}) {
    SCOPED_TRACE(signal);
    const std::string folder = "viele" + std::to_string(signal);
    for (int i = 0; i < 200; ++i) Write(folder + "/f" + std::to_string(1000 + i) + ".dat", Bytes(256 << 10, i));
    CliOptions few;
    few.openFileLimit = 80;
    CliChild child = StartCli({"encode", "--password-stdin", "-r", "-j", "3", Path(folder).string()}, "kennwort\n", few,
                              /*pipeOut=*/true);
    std::string out;
    char buf[4096];
    while (out.find('\n') == std::string::npos) {
      const ssize_t n = ::read(child.out, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<std::size_t>(n));
    }
    ::kill(child.pid, signal);
    r = FinishCli(child);
    r.out = out + r.out;
    EXPECT_TRUE(r.signal == signal || r.exitCode == 0) << r.err;
    std::size_t coded = 0;
    for (const auto& name : List(Path(folder))) {
      ASSERT_NE(name[0], '.') << name;
      if (name.size() < 4 || name.substr(name.size() - 4) != ".tmb") continue;
      ++coded;
      const std::string source = Path(folder + "/" + name.substr(0, name.size() - 4) + ".dat").string();
      // A caught signal lets the run report every file it named.
      if (signal != SIGKILL) {
        EXPECT_NE(r.out.find(source + " -> "), std::string::npos) << name;
      }
      EXPECT_EQ(fs::file_size(Path(folder + "/" + name)), (256u << 10) + 21) << name;
    }
    EXPECT_GE(coded, 1u);  // at least the group whose line was read
    // Names are given in the files' order: the named files are the first ones.
    for (std::size_t k = 0; k < coded; ++k) {
      EXPECT_TRUE(fs::exists(Path(folder + "/f" + std::to_string(1000 + k) + ".tmb"))) << k;
    }
  }
}

}  // namespace
}  // namespace tambril::cli::test
