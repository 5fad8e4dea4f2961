// tambril-cli as a program: real processes on temporary files.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "cli/messages.h"
#include "cli_process.h"
#include "codec/codec.h"
#include "codec/names.h"

namespace tambril::cli::test {
namespace {
namespace fs = std::filesystem;

constexpr int kWrongPassword = 1, kUsage = 2, kFileError = 3;

// The program speaks English in these runs unless they set a language.
std::string En(Msg m) { return std::string(Text(m, Language::English)); }

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
    std::error_code ec;  // a link loop is no folder
    for (const auto& e : fs::recursive_directory_iterator(dir_)) {
      if (e.is_directory(ec)) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
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
    const fs::path tmb = src.parent_path() / "brief.doc.tmb";
    const fs::path back = src.parent_path() / "zurueck.doc";

    CliResult r = Encode(src, "Geheim123");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(fs::file_size(tmb), n + 21);
    EXPECT_NE(Read(tmb).substr(21), plain.empty() ? "x" : plain);

    r = RunCli({"check", "--password-stdin", tmb.string()}, "Geheim123\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "doc\n");

    r = RunCli({"decode", "--password-stdin", tmb.string(), "-o", back.string()}, "Geheim123\r\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Read(back), plain);
    EXPECT_EQ(Read(src), plain);  // the source is only read
  }
}

// As gzip and xz do: ".tmb" after the whole name, so that two sources never
// want one name, and decode gives every name back.
TEST_F(CliTest, EncodeAppendsTmbToTheWholeName) {
  const std::vector<std::string> sources = {
      "brief.doc", "brief.txt", "x.c", ".a", "README", "x.tmb", "a.b.txt", "alt.dir/plan.txt", "punkt.", "ä.öx",
      // As long as a name can be with ".tmb": no longer temporary name is needed beside it.
      std::string(247, 'l') + ".doc"};
  for (const auto& source : sources) {
    SCOPED_TRACE(source);
    Write(source, "inhalt " + source);
    const CliResult r = Encode(Path(source), "kennwort");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(Path(source + ".tmb")));
  }
  // A name one character too long for ".tmb" is a clear failure.
  Write(std::string(251, 'l') + ".doc", "zu lang");
  const CliResult r = Encode(Path(std::string(251, 'l') + ".doc"), "kennwort");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find(".doc.tmb: "), std::string::npos) << r.err;
}

TEST_F(CliTest, TagIsTheLastThreeCharactersOfTheAbsolutePath) {
  Write("w/notiz.c", "x");
  Write("w/ab", "y");
  CliOptions inFolder;
  inFolder.cwd = Path("w");
  // Relative names: the tag still comes from the absolute path.
  ASSERT_EQ(RunCli({"encode", "--password-stdin", "notiz.c"}, "kennwort\n", inFolder).exitCode, 0);
  ASSERT_EQ(RunCli({"encode", "--password-stdin", "ab"}, "kennwort\n", inFolder).exitCode, 0);
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("w/notiz.c.tmb").string()}, "kennwort\n").out, "z.c\n");
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("w/ab.tmb").string()}, "kennwort\n").out, "/ab\n");
  // The same in a many-file run, for files of the working folder and below.
  Write("w/cd", "z");
  Write("w/u/gh", "z");
  ASSERT_EQ(RunCli({"encode", "--password-stdin", "-j2", "cd", "u/gh"}, "kennwort\n", inFolder).exitCode, 0);
  EXPECT_EQ(
      RunCli({"check", "--password-stdin", Path("w/cd.tmb").string(), Path("w/u/gh.tmb").string()}, "kennwort\n").out,
      Path("w/cd.tmb").string() + ": /cd\n" + Path("w/u/gh.tmb").string() + ": /gh\n" +
          "2 fit, 0 wrong password, 0 failed\n");
}

// Files of this program come back under their name wherever their tree
// went; files of the windows (and of older versions) get the windows'
// proposal, the stored tag after the first ".".
TEST_F(CliTest, DecodeGivesBackTheNameOrTheWindowsProposal) {
  for (const char* s : {"brief.doc", "seite.html", "daten", "alt.dir/plan.txt", "ab", "x.tmb"}) {
    Write(s, s);
    ASSERT_EQ(Encode(Path(s), "kennwort").exitCode, 0) << s;
  }
  // The encoded files move elsewhere so that their names are free.
  fs::create_directories(Path("enc/alt.dir"));
  for (const char* s :
       {"brief.doc.tmb", "seite.html.tmb", "daten.tmb", "alt.dir/plan.txt.tmb", "ab.tmb", "x.tmb.tmb"}) {
    fs::rename(Path(s), Path(std::string("enc/") + s));
  }
  const fs::path src = Write("quelle", "fenster");
  fs::create_directory(Path("win"));
  const std::vector<std::pair<std::string, std::string>> windows = {{"win/brief.tmb", "doc"},
                                                                    {"win/seite.tmbl", "tml"},
                                                                    {"win/daten", "ten"},
                                                                    {"win/x.t", "x.c"},
                                                                    {"win/README.tmb", "DME"}};
  for (const auto& [encoded, tag] : windows) codec::Encode(src, Path(encoded), "kennwort", tag);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"enc/brief.doc.tmb", "enc/brief.doc"},
      {"enc/seite.html.tmb", "enc/seite.html"},
      {"enc/daten.tmb", "enc/daten"},
      {"enc/alt.dir/plan.txt.tmb", "enc/alt.dir/plan.txt"},
      {"enc/ab.tmb", "enc/ab"},
      {"enc/x.tmb.tmb", "enc/x.tmb"},
      {"win/brief.tmb", "win/brief.doc"},
      {"win/seite.tmbl", "win/seite.tmll"},
      {"win/daten", "win/daten.ten"},
      {"win/x.t", "win/x.x"},
      {"win/README.tmb", "win/README"},
  };
  for (const auto& [encoded, plain] : cases) {
    SCOPED_TRACE(encoded);
    const CliResult r = RunCli({"decode", "--password-stdin", Path(encoded).string()}, "kennwort\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(Path(plain)));
  }
  EXPECT_EQ(Read(Path("enc/alt.dir/plan.txt")), "alt.dir/plan.txt");
  EXPECT_EQ(Read(Path("enc/x.tmb")), "x.tmb");
}

TEST_F(CliTest, WrongPasswordExitsOneAndWritesNothing) {
  const fs::path src = Write("in/brief.doc", Bytes(500, 1));
  ASSERT_EQ(Encode(src, "richtig1").exitCode, 0);
  fs::remove(src);
  const auto before = List(Path("in"));

  CliResult r = RunCli({"check", "--password-stdin", Path("in/brief.doc.tmb").string()}, "falsch12\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("brief.doc.tmb"), std::string::npos) << r.err;

  r = RunCli({"decode", "--password-stdin", Path("in/brief.doc.tmb").string()}, "Richtig1\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  // No file can have been encoded with an empty password (an unset
  // $PASSWORD) or a longer one than 15: refused, not a wrong password.
  for (const std::string command : {"check", "decode"}) {
    r = RunCli({command, "--password-stdin", Path("in/brief.doc.tmb").string()}, "\n");
    EXPECT_EQ(r.exitCode, kUsage) << command;
    EXPECT_NE(r.err.find(En(Msg::NoPassword)), std::string::npos) << r.err;
    r = RunCli({command, "--password-stdin", Path("in/brief.doc.tmb").string()}, "1234567890123456\n");
    EXPECT_EQ(r.exitCode, kUsage) << command;
    EXPECT_NE(r.err.find(En(Msg::PasswordTooLong)), std::string::npos) << r.err;
  }
  EXPECT_EQ(List(Path("in")), before);

  // A file shorter than a header never fits.
  Write("kurz.tmb", "abc");
  r = RunCli({"check", "--password-stdin", Path("kurz.tmb").string()}, "richtig1\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
}

TEST_F(CliTest, ExistingTargetIsNeverReplaced) {
  const fs::path src = Write("brief.doc", Bytes(300, 2));
  const fs::path taken = Write("brief.doc.tmb", "schon da");
  CliResult r = Encode(src, "kennwort");
  EXPECT_EQ(r.exitCode, kFileError);
  // The source and the target, each once.
  EXPECT_EQ(r.err, "tambril-cli: " + src.string() + " -> " + taken.string() + ": file exists already\n");
  EXPECT_EQ(Read(taken), "schon da");

  r = Encode(src, "kennwort", {"-o", Path("neu.tmb").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const fs::path takenToo = Write("neu.doc", "auch da");
  r = RunCli({"decode", "--password-stdin", Path("neu.tmb").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("neu.doc"), std::string::npos) << r.err;
  r = RunCli({"decode", "--password-stdin", Path("neu.tmb").string(), "--output", taken.string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(Read(taken), "schon da");
  EXPECT_EQ(Read(takenToo), "auch da");
  EXPECT_EQ(Read(src), Bytes(300, 2));
  EXPECT_EQ(List(dir_), (std::set<std::string>{"brief.doc", "brief.doc.tmb", "neu.tmb", "neu.doc"}));
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
  r = RunCli({"encode", "--password-stdin", "/dev/null", "-o", Path("null.tmb").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("/dev/null"), std::string::npos) << r.err;
  // Nor is a file that says it is empty but has content: its length is
  // stored before it.
  for (const std::string jobs : {"-j1", "-j2"}) {
    r = RunCli({"encode", "--password-stdin", "/proc/self/status", "-o", Path("proc.tmb").string()}, "kennwort\n");
    EXPECT_EQ(r.exitCode, kFileError);
    EXPECT_NE(r.err.find("/proc/self/status: its length is not known"), std::string::npos) << r.err;
    r = RunCli({"encode", "--password-stdin", jobs, "/proc/self/status"}, "kennwort\n");
    EXPECT_EQ(r.exitCode, kFileError);
    EXPECT_NE(r.err.find("/proc/self/status: its length is not known"), std::string::npos) << r.err;
  }
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
      RunCli({"encode", "--password-stdin", src.string(), "-o", Path("zu/brief.tmb").string()}, "kennwort\n", opts);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("zu/brief.tmb"), std::string::npos) << r.err;
  EXPECT_TRUE(List(Path("zu")).empty());
}

TEST_F(CliTest, FullDiskLeavesNothingBehind) {
  const fs::path src = Write("gross.doc", Bytes(1 << 20, 4));
  ASSERT_EQ(Encode(src, "kennwort", {"-o", Path("ok.tmb").string()}).exitCode, 0);
  CliOptions opts;
  opts.fileSizeLimit = 64 * 1024;  // writing past it fails like a full disk
  CliResult r = RunCli({"encode", "--password-stdin", src.string()}, "kennwort\n", opts);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_NE(r.err.find("gross.doc.tmb"), std::string::npos) << r.err;
  r = RunCli({"decode", "--password-stdin", Path("ok.tmb").string(), "-o", Path("neu.doc").string()}, "kennwort\n",
             opts);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(List(dir_), (std::set<std::string>{"gross.doc", "ok.tmb"}));
}

TEST_F(CliTest, EncodePasswordRulesAndTheirMessages) {
  const fs::path src = Write("brief.doc", "inhalt");
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"", En(Msg::NoPassword)},
      {"abcd", En(Msg::PasswordTooShort)},
      {"äöüß", En(Msg::PasswordTooShort)},  // four characters in eight bytes
      {"1234567890123456", En(Msg::PasswordTooLong)},
      // Characters that cannot be typed again or that would be coded as "?"
      {"geheim\tx", En(Msg::PasswordControl)},
      {"geheim\x1b[2J", En(Msg::PasswordControl)},
      {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80",
       En(Msg::PasswordOutsideCodePage)},
      {"Grüße€ĉ", En(Msg::PasswordOutsideCodePage)},
  };
  for (const auto& [password, message] : refused) {
    SCOPED_TRACE(password);
    const CliResult r = Encode(src, password);
    EXPECT_EQ(r.exitCode, kUsage);
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(Path("brief.doc.tmb")));
  }
  // Messages follow the locale: German where the first of LC_ALL,
  // LC_MESSAGES and LANG that is set starts with "de", the windows' texts
  // for passwords.
  EXPECT_EQ(LanguageOf(nullptr, "de_AT.UTF-8", "en_US.UTF-8"), Language::German);
  EXPECT_EQ(LanguageOf("C", "de_DE", "de_DE"), Language::English);
  EXPECT_EQ(LanguageOf("", nullptr, "de_CH"), Language::German);
  EXPECT_EQ(LanguageOf(nullptr, nullptr, nullptr), Language::English);
  // Where none is set, the system's own language for its user (Windows').
  EXPECT_EQ(LanguageOf(nullptr, nullptr, nullptr, "de"), Language::German);
  EXPECT_EQ(LanguageOf(nullptr, nullptr, "C.UTF-8", "de"), Language::English);
  CliOptions german;
  german.env = {{"LANG", "de_DE.UTF-8"}};
  CliResult r = RunCli({"encode", "--password-stdin", src.string()}, "abc\n", german);
  EXPECT_EQ(r.err, "tambril-cli: " + src.string() + ": Das Kennwort ist zu klein. Das Kennwort braucht 5 Zeichen.\n");
  Write("brief.doc.tmb", "da");
  r = RunCli({"encode", "--password-stdin", src.string()}, "kennwort\n", german);
  EXPECT_EQ(r.err, "tambril-cli: " + src.string() + " -> " + src.string() + ".tmb: Datei existiert bereits\n");
  fs::remove(Path("brief.doc.tmb"));
  for (const std::string password : {"abcde", "123456789012345", "äöüßé", "Grüße€"}) {
    SCOPED_TRACE(password);
    EXPECT_EQ(Encode(src, password).exitCode, 0);
    fs::remove(Path("brief.doc.tmb"));
  }
  // Checking takes no more than 15 characters either.
  ASSERT_EQ(Encode(src, "kennwort").exitCode, 0);
}

TEST_F(CliTest, PasswordTypedOnTheTerminalIsConfirmedAndNotEchoed) {
  const fs::path src = Write("brief.doc", Bytes(2000000, 5));
  const std::vector<std::string> args{"encode", src.string()};

  CliResult r = RunCliOnTerminal(args, {"geheim1", "Geheim1"});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(En(Msg::ConfirmationDiffers)), std::string::npos) << r.err;
  r = RunCliOnTerminal(args, {"geheim1", ""});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(En(Msg::NoConfirmation)), std::string::npos) << r.err;
  r = RunCliOnTerminal(args, {"gehe"});  // refused before the confirmation
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(En(Msg::PasswordTooShort)), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Confirm password: "), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(Path("brief.doc.tmb")));

  r = RunCliOnTerminal(args, {"geheim1", "geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.find("geheim1"), std::string::npos) << r.err;
  // A 2 MB pass draws its bar on the terminal and clears it at the end.
  EXPECT_NE(r.err.find("[####################] 100%"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\r\033[K"), std::string::npos);

  r = RunCliOnTerminal({"check", Path("brief.doc.tmb").string()}, {"geheim1"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("doc"), std::string::npos) << r.err;

  // Ctrl-Z at the prompt and `fg`: the shell gets its echo back while the
  // program is stopped, and the password typed after `fg` is not shown.
  CliOptions suspended;
  suspended.stopAtPrompt = true;
  fs::remove(Path("brief.doc.tmb"));
  r = RunCliOnTerminal(args, {"Stoppwort1", "Stoppwort1"}, suspended);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.stopped);
  EXPECT_TRUE(r.echoWhileStopped);
  EXPECT_EQ(r.err.find("Stoppwort1"), std::string::npos) << r.err;
  EXPECT_TRUE(r.echoAtEnd);
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("brief.doc.tmb").string()}, "Stoppwort1\n").exitCode, 0);
  // The same for a password read from standard input that is the terminal.
  r = RunCliOnTerminal({"check", "--password-stdin", Path("brief.doc.tmb").string()}, {"Stoppwort1"}, suspended);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.find("Stoppwort1"), std::string::npos) << r.err;
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
    EXPECT_NE(r.err.find("gross.doc.tmb: interrupted"), std::string::npos) << r.err;
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
  ASSERT_EQ(Encode(src, "kennwort", {"-o", Path("ganz.tmb").string()}).exitCode, 0);
  const auto encodeTime = std::chrono::steady_clock::now() - start;
  const std::string encoded = Read(Path("ganz.tmb"));
  start = std::chrono::steady_clock::now();
  ASSERT_EQ(
      RunCli({"decode", "--password-stdin", Path("ganz.tmb").string(), "-o", Path("k.doc").string()}, "kennwort\n")
          .exitCode,
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
        encode
            ? StartCli({"encode", "--password-stdin", src.string(), "-o", target.string()}, "kennwort\n")
            : StartCli({"decode", "--password-stdin", Path("ganz.tmb").string(), "-o", target.string()}, "kennwort\n");
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
// The file grows after it was measured, while the password is typed: the
// pass fails and leaves nothing, instead of coding the first part of it.
TEST_F(CliTest, ASourceThatChangesWhileItIsCodedIsAFailure) {
  const fs::path plain = Write("g/a.bin", Bytes(300000, 1));
  CliOptions grow;
  grow.atPrompt = [&] { std::ofstream(plain, std::ios::binary | std::ios::app) << "more"; };
  CliResult r = RunCliOnTerminal({"encode", plain.string()}, {"kennwort", "kennwort"}, grow);
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  EXPECT_NE(r.err.find("a.bin: " + En(Msg::SourceChanged)), std::string::npos) << r.err;
  EXPECT_EQ(List(Path("g")), std::set<std::string>{"a.bin"});

  ASSERT_EQ(Encode(plain, "kennwort").exitCode, 0);
  fs::rename(plain, Path("a.bin"));
  CliOptions growEncoded;
  growEncoded.env = {{"LANG", "de_DE.UTF-8"}};
  growEncoded.atPrompt = [&] { std::ofstream(Path("g/a.bin.tmb"), std::ios::binary | std::ios::app) << "x"; };
  r = RunCliOnTerminal({"decode", Path("g/a.bin.tmb").string()}, {"kennwort"}, growEncoded);
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  EXPECT_NE(r.err.find("Datei wurde beim Lesen verändert"), std::string::npos) << r.err;
  EXPECT_EQ(List(Path("g")), std::set<std::string>{"a.bin.tmb"});
}

TEST_F(CliTest, TerminalIsLeftAsItWasFound) {
  const fs::path src = Write("brief.doc", "inhalt");
  CliOptions atPrompt;
  atPrompt.interruptAt = "Password: ";
  atPrompt.interruptSignal = SIGQUIT;  // Ctrl-\ at the prompt
  CliResult r = RunCliOnTerminal({"encode", src.string()}, {}, atPrompt);
  EXPECT_EQ(r.signal, SIGQUIT) << r.err;
  EXPECT_TRUE(r.echoAtEnd);

  r = RunCliOnTerminal({"encode", src.string()}, {std::string(1500, 'a') + "; echo pwned"});
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_NE(r.err.find(En(Msg::PasswordTooLong)), std::string::npos) << r.err;
  EXPECT_EQ(r.unreadInput, 0);
  EXPECT_TRUE(r.echoAtEnd);

  r = RunCliOnTerminal({"encode", src.string()}, {"geheim1", "geheim1"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.echoAtEnd);
  EXPECT_EQ(List(dir_), (std::set<std::string>{"brief.doc", "brief.doc.tmb"}));
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
  const std::string tmb = Path("doc.txt.tmb").string();
  for (const std::string command : {"check", "decode"}) {
    r = RunCli({command, "--password-stdin", tmb}, "");
    EXPECT_EQ(r.exitCode, kUsage) << command;
    EXPECT_NE(r.err.find("cannot read the password"), std::string::npos) << r.err;
  }
  // A last line without its line end is a password all the same.
  r = RunCli({"check", "--password-stdin", tmb}, "kennwort1");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "txt\n");
  EXPECT_EQ(List(dir_), (std::set<std::string>{"doc.txt", "doc.txt.tmb"}));

  CliOptions full;
  full.stdoutPath = "/dev/full";
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"check", "--password-stdin", tmb}, {"show", src.string()}, {"--help"}, {"--version"}}) {
    SCOPED_TRACE(args[0]);
    r = RunCli(args, "kennwort1\n", full);
    EXPECT_EQ(r.exitCode, kFileError);
    EXPECT_EQ(r.err, "tambril-cli: standard output: cannot write: No space left on device\n");
  }
  // Output that reaches the file size limit is a failed write, not SIGXFSZ.
  CliOptions limited;
  limited.stdoutPath = Path("gezeigt.txt");
  limited.fileSizeLimit = 4096;
  Write("gross.txt", std::string(100000, 'x'));
  r = RunCli({"show", Path("gross.txt").string()}, "", limited);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(r.err, "tambril-cli: standard output: cannot write: File too large\n");
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
  EXPECT_EQ(Mode(Path("geheim.txt.tmb")), 0600u);
  fs::permissions(Path("geheim.txt.tmb"), fs::perms::group_read, fs::perm_options::add);
  ASSERT_EQ(RunCli({"decode", "--password-stdin", Path("geheim.txt.tmb").string(), "-o", Path("zurueck.txt").string()},
                   "kennwort\n", open)
                .exitCode,
            0);
  EXPECT_EQ(Mode(Path("zurueck.txt")), 0640u);
  CliOptions closed;
  closed.umask = 077;
  ASSERT_EQ(RunCli({"encode", "--password-stdin", script.string()}, "kennwort\n", closed).exitCode, 0);
  EXPECT_EQ(Mode(Path("skript.sh.tmb")), 0700u);
}

TEST_F(CliTest, Utf8PasswordsMeetWindows1252KeyCodes) {
  // Encoded through the library with the password's Windows-1252 bytes ...
  const fs::path src = Write("apfel.txt", Bytes(4000, 6));
  codec::Encode(src, Path("a.tmb"), "\xE4pfelbaum", "txt");
  // ... decodes with the same password typed as UTF-8.
  CliResult r =
      RunCli({"decode", "--password-stdin", Path("a.tmb").string(), "-o", Path("a.out").string()}, "äpfelbaum\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read(Path("a.out")), Read(src));
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("a.tmb").string()}, "apfelbaum\n").exitCode, kWrongPassword);

  // And the other way round, with "€" (0x80).
  r = Encode(src, "Grüße€", {"-o", Path("b.tmb").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(codec::CheckPassword(Path("b.tmb"),
                                   "Gr\xFC\xDF"
                                   "e\x80")
                  .fits());
  // A file made with a character outside the code page (coded as "?", as
  // older versions did) still opens with the password typed as it was.
  codec::Encode(src, Path("c.tmb"),
                "Gr\xFC\xDF"
                "e\x80?",
                "txt");
  EXPECT_EQ(RunCli({"check", "--password-stdin", Path("c.tmb").string()}, "Grüße€ĉ\n").out, "txt\n");
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
  EXPECT_NE(r.out.find("tambril-cli encode [--password-stdin] [--age] [-o TARGET] SOURCE"), std::string::npos) << r.out;
  // Its last line points to what a .tmb file does not protect against.
  const std::string lastLine = r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
  EXPECT_NE(lastLine.find("\"How safe is a .tmb file?\" in the README"), std::string::npos) << lastLine;
  EXPECT_EQ(r.err, "");
  // In German where messages are.
  CliOptions german;
  german.env = {{"LANG", "de_DE.UTF-8"}};
  r = RunCli({"--help"}, "", german);
  EXPECT_EQ(r.out.rfind("Aufruf: tambril-cli encode [--password-stdin] [--age] [-o ZIEL] QUELLE\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Rückgabewert: 0 Erfolg"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"How safe\nis a .tmb file?\" in der README.\n"), std::string::npos) << r.out;
  r = RunCli({"encode", "--help"}, "", german);
  EXPECT_EQ(r.out.rfind("Aufruf: ", 0), 0u) << r.out;
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
      // -o names the target of one file only.
      {"encode", "-o", "t", "a", "b"},
      {"encode", "-r", "-o", "t", "a"},
      {"decode", "-j2", "--output=t", "a"},
      {"encode", "a", "-o"},
      {"decode", "--output=", "a"},
      {"check", "-o", "t", "a"},
      {"decode", "--age", "a"},
      {"convert"},
      {"convert", "-o", "t", "a.tmb"},
  };
  for (const auto& args : wrong) {
    SCOPED_TRACE(::testing::PrintToString(args));
    r = RunCli(args);
    EXPECT_EQ(r.exitCode, kUsage);
    EXPECT_EQ(r.out, "");
    // One line, but for the usage without a command.
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), args.empty() ? 8 : 1) << r.err;
  }
  // An argument is quoted as a file name is, control characters and all.
  for (const auto& [args, said] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"-\x1B[2J"}, "unknown option $'-\\E[2J'"},
           {{"los\ngehts"}, "unknown command $'los\\ngehts'"},
           {{"decode", "-x\ty", "a"}, "decode: unknown option $'-x\\ty'"},
           {{"fort"}, "unknown command 'fort'"}}) {
    r = RunCli(args);
    EXPECT_EQ(r.exitCode, kUsage);
    EXPECT_EQ(r.err, "tambril-cli: " + said + " (see 'tambril-cli --help')\n");
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
  EXPECT_TRUE(fs::exists(Path("-x.doc.tmb")));
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
  Write("baum/e.txt.tmb", "schon da");  // a source too, and the name e.txt wants
  fs::create_symlink(Path("baum/a.txt"), Path("baum/link.txt"));
  fs::create_directory_symlink(Path("baum"), Path("baum/schleife"));  // a loop, not followed
  ASSERT_EQ(::mkfifo(Path("baum/pipe").c_str(), 0600), 0);            // no regular file: left alone
  const std::string a = Path("baum/a.txt").string(), cd = Path("baum/b ordner/c d.txt").string(),
                    e = Path("baum/e.txt").string(), link = Path("baum/link.txt").string(),
                    x = Path("baum/x\xFFy.txt").string();

  const std::vector<std::string> encodeTree{"encode", "--password-stdin", "-r", Path("baum").string()};
  CliResult r = RunCli(encodeTree, "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  // A name that is not UTF-8 is printed as the shell reads it back.
  const std::string xQuoted = "$'" + Path("baum/x\\xffy.txt").string() + "'";
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                              Path("baum/0gross.dat").string() + " -> " + Path("baum/0gross.dat.tmb").string(),
                              a + " -> " + a + ".tmb",
                              cd + " -> " + cd + ".tmb",
                              e + ".tmb -> " + e + ".tmb.tmb",
                              link + " -> " + link + ".tmb",
                              xQuoted + " -> " + xQuoted.substr(0, xQuoted.size() - 1) + ".tmb'",
                              "6 done, 2 skipped (not a regular file), 1 failed",
                          }));
  // Every entry left alone is named: the failure with its source and target,
  // the pipe, the link to a folder (a loop, not followed).
  EXPECT_EQ(Lines(r.err), (std::vector<std::string>{
                              "tambril-cli: " + e + " -> " + e + ".tmb: file exists already",
                              "tambril-cli: " + Path("baum/pipe").string() + ": not a regular file (a pipe)",
                              "tambril-cli: " + Path("baum/schleife").string() + ": link to a folder, not followed",
                          }));
  EXPECT_EQ(Read(Path("baum/e.txt.tmb")), "schon da");
  EXPECT_FALSE(fs::exists(Path("baum/schleife/schleife.tmb")));
  // The same bytes as single-file runs.
  const std::vector<std::string> coded{"baum/0gross.dat.tmb", "baum/a.txt.tmb",      "baum/b ordner/c d.txt.tmb",
                                       "baum/link.txt.tmb",   "baum/x\xFFy.txt.tmb", "baum/e.txt.tmb.tmb"};
  for (const auto& [source, tmb] : std::vector<std::pair<std::string, std::string>>{
           {Path("baum/0gross.dat").string(), coded[0]}, {a, coded[1]}, {cd, coded[2]}, {x, coded[4]}}) {
    ASSERT_EQ(Encode(source, "kennwort", {"-o", Path("einzeln.tmb").string()}).exitCode, 0);
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
  fs::rename(Path("baum/a.txt.tmb"), Path("zurueck/a.txt.tmb"));
  fs::rename(Path("baum/b ordner/c d.txt.tmb"), Path("zurueck/tief/c d.txt.tmb"));
  ASSERT_EQ(Encode(Path("baum/e.txt"), "anderes1", {"-o", Path("zurueck/f.tmb").string()}).exitCode, 0);
  Write("zurueck/notiz.txt", "kein .tmb: bleibt liegen");
  r = RunCli({"decode", "--password-stdin", "-r", "-j", "3", Path("zurueck").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, kWrongPassword) << r.err;
  EXPECT_EQ(Lines(r.err),
            std::vector<std::string>{"tambril-cli: " + Path("zurueck/f.tmb").string() + ": wrong password"});
  EXPECT_EQ(Lines(r.out).back(), "2 done, 1 skipped (wrong password), 0 failed");
  EXPECT_EQ(Read(Path("zurueck/a.txt")), Bytes(5000, 1));
  EXPECT_EQ(Read(Path("zurueck/tief/c d.txt")), Bytes(70000, 2));
  EXPECT_EQ(List(Path("zurueck")), (std::set<std::string>{"a.txt.tmb", "a.txt", "f.tmb", "notiz.txt", "tief"}));

  // Checking several files: one line each.
  r = RunCli({"check", "--password-stdin", Path("zurueck/a.txt.tmb").string(), Path("zurueck/f.tmb").string()},
             "kennwort\n");
  EXPECT_EQ(r.exitCode, kWrongPassword);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Path("zurueck/a.txt.tmb").string() + ": txt",
                                                    Path("zurueck/f.tmb").string() + ": wrong password",
                                                    "1 fit, 1 wrong password, 0 failed"}));

  // Two files of one run that want one name (one made by this program, one
  // by the windows): the second fails, and its line names both.
  fs::create_directory(Path("zwei"));
  codec::Encode(Path("baum/e.txt"), Path("zwei/x.doc.tmb"), "kennwort", "doc");
  codec::Encode(Path("baum/e.txt"), Path("zwei/x.tmb"), "kennwort", "doc");
  for (const std::string jobs : {"-j1", "-j2"}) {
    fs::remove(Path("zwei/x.doc"));
    r = RunCli({"decode", "--password-stdin", "-r", jobs, Path("zwei").string()}, "kennwort\n");
    EXPECT_EQ(r.exitCode, kFileError);
    EXPECT_EQ(Lines(r.err), std::vector<std::string>{
                                "tambril-cli: " + Path("zwei/x.tmb").string() + " -> " + Path("zwei/x.doc").string() +
                                ": file exists already (the target of " + Path("zwei/x.doc.tmb").string() + ")"});
    EXPECT_EQ(Read(Path("zwei/x.doc")), Bytes(10, 4));
  }

  // --quiet: failures only; a missing file among others is one failure.
  r = RunCli({"encode", "--password-stdin", "--quiet", Path("zurueck/notiz.txt").string(), Path("fehlt").string(),
              Path("zurueck/a.txt").string()},
             "kennwort\n");
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Lines(r.err).size(), 2u) << r.err;  // fehlt, and a.txt.tmb exists
  EXPECT_TRUE(fs::exists(Path("zurueck/notiz.txt.tmb")));
}

// "SOURCE -> TARGET" is printed only once TARGET's name is durable: in every
// shape of run, its link is followed by a flush of its folder, or of the
// whole file system, that ends before the line is printed. A library loaded
// into the program records the calls as they happen (flush_trace.cpp).
TEST_F(CliTest, FileIsReportedDoneOnlyOnceItsNameIsDurable) {
  struct Call {
    std::string what, dev, ino, name;
    long long printed;
  };
  const auto run = [&](const std::vector<std::string>& args, std::size_t lines) {
    SCOPED_TRACE(args[2] + " " + args.back());
    fs::remove(Path("trace"));
    CliOptions traced;
    traced.stdoutPath = Path("out");
    traced.env = {{"LD_PRELOAD", TAMBRIL_FLUSH_TRACE},
                  {"TAMBRIL_TRACE_LOG", Path("trace").string()},
                  {"TAMBRIL_TRACE_OUT", Path("out").string()},
                  {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
    const CliResult r = RunCli(args, "kennwort\n", traced);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<Call> calls;
    std::istringstream log(Read(Path("trace")));
    for (Call c; log >> c.what >> c.dev >> c.ino >> c.name >> c.printed;) calls.push_back(c);
    // Each line of a file done, where it starts in the output; a single
    // file prints none and is done at the program's end.
    std::vector<std::pair<std::string, long long>> done;
    const std::string out = Read(Path("out"));
    for (std::size_t at = 0; at < out.size(); at = out.find('\n', at) + 1) {
      const std::string line = out.substr(at, out.find('\n', at) - at);
      if (const auto arrow = line.find(" -> "); arrow != std::string::npos)
        done.emplace_back(line.substr(arrow + 4), at);
    }
    if (lines == 0) done.emplace_back(args.back() + ".tmb", static_cast<long long>(out.size()));
    ASSERT_EQ(done.size(), std::max<std::size_t>(lines, 1)) << out;
    for (const auto& [target, printedAt] : done) {
      struct stat folder {};
      ASSERT_EQ(::stat(fs::path(target).parent_path().c_str(), &folder), 0) << target;
      const std::string dev = std::to_string(folder.st_dev), ino = std::to_string(folder.st_ino);
      const auto linked = std::find_if(calls.begin(), calls.end(), [&](const Call& c) {
        return c.what == "link" && c.dev == dev && c.ino == ino && c.name == fs::path(target).filename().string();
      });
      ASSERT_NE(linked, calls.end()) << target;
      bool flushed = false;
      for (auto begin = linked; begin != calls.end() && !flushed; ++begin) {
        const bool covers = (begin->what == "fsync<" && begin->dev == dev && begin->ino == ino) ||
                            (begin->what == "syncfs<" && begin->dev == dev);
        if (!covers) continue;
        const std::string ended = begin->what.substr(0, begin->what.size() - 1) + ">";
        const auto end = std::find_if(begin, calls.end(), [&](const Call& c) {
          return c.what == ended && c.dev == begin->dev && c.ino == begin->ino;
        });
        flushed = end != calls.end() && end->printed <= printedAt;
      }
      EXPECT_TRUE(flushed) << target << " printed at " << printedAt << " with no flush of its folder after its link";
    }
  };
  Write("eins/a.txt", "a");
  Write("eins/b.txt", "b");
  Write("baum/c.txt", "c");
  Write("baum/unter/d.txt", "d");
  Write("baum/unter/tiefer/e.txt", "e");
  const std::string a = Path("eins/a.txt").string(), b = Path("eins/b.txt").string();
  run({"encode", "--password-stdin", a}, 0);
  fs::remove(a + ".tmb");
  run({"encode", "--password-stdin", a, b}, 2);
  run({"encode", "--password-stdin", "-r", Path("baum").string()}, 3);
  fs::remove(a);
  fs::remove(Path("baum/unter/tiefer/e.txt"));
  run({"decode", "--password-stdin", "-j", "2", a + ".tmb", Path("baum/unter/tiefer/e.txt.tmb").string()}, 2);
}

// A tree of awkward names round-trips: encode -r, every original deleted,
// decode -r gives back every name and every byte; check -r reports every
// coded file. One file is one line, whatever its name holds.
TEST_F(CliTest, TreeComesBackWhole) {
  const std::vector<std::string> names = {
      "x.c", "y.py",    ".a",         "report.docx", "photo.jpeg",     "a.b.txt",        "archiv.tar.gz",
      "a.c", "a.h",     "brief.doc",  "brief.txt",   "README",         "x.tmb",          "mit leer zeichen",
      "ab",  "caf\xE9", "zeile\nneu", "tab\tx",      "esc\x1B[1m.txt", "tief/unten/x.c", "tief/.tmb",
      "x.",  "y ",      "y",          "tief/x..tmb"};
  std::map<std::string, std::string> plain;
  for (std::size_t i = 0; i < names.size(); ++i) {
    plain[names[i]] = Bytes(100 + 37 * i, static_cast<unsigned>(i));
    Write("baum/" + names[i], plain[names[i]]);
  }
  fs::create_hard_link(Path("baum/x.c"), Path("baum/hart"));
  fs::create_symlink("x.c", Path("baum/verweis"));  // coded as the file it leads to
  plain["hart"] = plain["verweis"] = plain["x.c"];

  CliResult r = RunCli({"encode", "--password-stdin", "-r", Path("baum").string()}, "kennwort\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), plain.size() + 1) << r.out;
  EXPECT_NE(r.out.find("$'" + Path("baum/zeile\\nneu").string() + "' -> "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("$'" + Path("baum/esc\\E[1m.txt").string() + "' -> "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
  for (const auto& e : fs::recursive_directory_iterator(Path("baum"))) {
    if (!e.is_directory() && e.path().extension() != ".tmb") fs::remove(e.path());
  }
  fs::remove(Path("baum/x.tmb"));  // originals too, encoded as x.tmb.tmb ...
  fs::remove(Path("baum/tief/x..tmb"));

  r = RunCli({"check", "--password-stdin", "-r", Path("baum").string()}, "kennwort\n");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), plain.size() + 1) << r.out;
  EXPECT_EQ(Lines(r.out).back(), std::to_string(plain.size()) + " fit, 0 wrong password, 0 failed");
  r = RunCli({"decode", "--password-stdin", "-r", "-j3", Path("baum").string()}, "kennwort\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), std::to_string(plain.size()) + " done, 0 skipped (wrong password), 0 failed");
  std::map<std::string, std::string> back;
  for (const auto& e : fs::recursive_directory_iterator(Path("baum"))) {
    const std::string name = e.path().lexically_relative(Path("baum")).string();
    if (!e.is_directory() && (plain.count(name) > 0 || !codec::HasTmbSuffix(name))) back[name] = Read(e.path());
  }
  EXPECT_EQ(back, plain);
}

// 45 nested folders of 100-character names with a file in each, far
// deeper than PATH_MAX: made and removed through folder handles.
void MakeDeep(const fs::path& top, int depth) {
  int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < depth && fd >= 0; ++i) {
    const std::string name(100, static_cast<char>('a' + i % 26));
    ::mkdirat(fd, name.c_str(), 0777);
    ::fchmodat(fd, name.c_str(), 0777, 0);  // nobody writes here too
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    const int f = ::openat(fd, "f", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    (void)!::write(f, name.data(), static_cast<std::size_t>(i));
    ::close(f);
  }
  ::close(fd);
}

void RemoveDeep(int parent, const std::string& name) {
  const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd < 0) {
    ::unlinkat(parent, name.c_str(), 0);
    return;
  }
  DIR* dir = ::fdopendir(fd);
  std::vector<std::string> entries;
  while (const dirent* e = ::readdir(dir)) {
    if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..") entries.emplace_back(e->d_name);
  }
  for (const auto& e : entries) {
    if (::unlinkat(fd, e.c_str(), 0) != 0) RemoveDeep(fd, e);
  }
  ::closedir(dir);
  ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
}

// Every entry the walk cannot take is named with its reason and counted; a
// folder or link that cannot be read or followed fails the run (exit 3).
// As root, the run is made as nobody, so that the closed folder is closed.
TEST_F(CliTest, NothingIsSkippedInSilence) {
  Write("baum/gut.txt", "gut");
  Write("baum/zu/drin.txt", "unlesbar");
  fs::permissions(Path("baum/zu"), fs::perms::none);
  fs::permissions(Path("baum"), fs::perms::all);
  fs::create_symlink("fehlt", Path("baum/ins leere"));
  fs::create_symlink("schleife2", Path("baum/schleife1"));
  fs::create_symlink("schleife1", Path("baum/schleife2"));
  ASSERT_EQ(::mkfifo(Path("baum/p\tipe").c_str(), 0666), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string sockPath = Path("baum/sock").string();
  ASSERT_LT(sockPath.size(), sizeof address.sun_path);
  std::copy(sockPath.begin(), sockPath.end(), address.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(sock);
  fs::create_directory(Path("baum/tief"));
  fs::permissions(Path("baum/tief"), fs::perms::all);
  MakeDeep(Path("baum/tief"), 45);
  struct Cleanup {
    fs::path top;
    ~Cleanup() {
      const int fd = ::open(top.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
      RemoveDeep(fd, top.filename());
      ::close(fd);
    }
  } cleanup{Path("baum/tief")};

  CliOptions nobody;
  nobody.asNobody = true;
  fs::create_directory(Path("bin"));
  nobody.program = Path("bin/tambril-cli");
  fs::copy_file(TAMBRIL_CLI, nobody.program);
  fs::permissions(nobody.program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
  const std::string baum = Path("baum").string();
  CliResult r = RunCli({"encode", "--password-stdin", "-r", baum}, "kennwort\n", nobody);
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  EXPECT_EQ(Lines(r.err), (std::vector<std::string>{
                              "tambril-cli: " + baum + "/ins leere: link to nothing",
                              "tambril-cli: $'" + baum + "/p\\tipe': not a regular file (a pipe)",
                              "tambril-cli: " + baum + "/schleife1: link loop",
                              "tambril-cli: " + baum + "/schleife2: link loop",
                              "tambril-cli: " + baum + "/sock: not a regular file (a socket)",
                              "tambril-cli: " + baum + "/zu: cannot open the folder: Permission denied",
                          }));
  EXPECT_EQ(Lines(r.out).size(), 47u);  // gut.txt and the 45 deep files, then the summary
  EXPECT_EQ(Lines(r.out).back(), "46 done, 2 skipped (not a regular file), 4 failed");

  // Decoding and checking walk the same way: every coded file, deep ones
  // too, and the closed folder named again.
  r = RunCli({"check", "--password-stdin", "-r", baum}, "kennwort\n", nobody);
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 47u);
  EXPECT_EQ(Lines(r.out).back(), "46 fit, 0 wrong password, 1 failed");
  EXPECT_EQ(Lines(r.err),
            std::vector<std::string>{"tambril-cli: " + baum + "/zu: cannot open the folder: Permission denied"});
}

// A chain of folders "d" below a folder, deeper than any path can name:
// made, read and removed level by level through folder handles. Level i
// (from 1) holds a file "f" with "level i" when i is a multiple of `every`,
// and so does the last.
struct Chain {
  fs::path top;
  int depth, every;

  bool HasFile(int level) const { return level > 0 && (level % every == 0 || level == depth); }
  // Calls `at` with each level's handle and number, the top (0) first; with
  // `make`, each folder is made first.
  void Walk(bool make, const std::function<void(int, int)>& at) const {
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; fd >= 0; ++level) {
      at(fd, level);
      if (level == depth) break;
      if (make) ::mkdirat(fd, "d", 0755);
      const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    ::close(fd);
  }
  void Make() const {
    fs::create_directories(top);
    Walk(true, [&](int fd, int level) {
      if (!HasFile(level)) return;
      const std::string text = "level " + std::to_string(level);
      const int f = ::openat(fd, "f", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      EXPECT_EQ(::write(f, text.data(), text.size()), static_cast<ssize_t>(text.size()));
      ::close(f);
    });
  }
  std::string Read(int fd, const char* name) const {
    const int f = ::openat(fd, name, O_RDONLY | O_CLOEXEC);
    char buf[64];
    const ssize_t n = f >= 0 ? ::read(f, buf, sizeof buf) : -1;
    ::close(f);
    return n >= 0 ? std::string(buf, static_cast<std::size_t>(n)) : "(unreadable)";
  }
  // Everything below `top`, bottom up.
  void Remove() const {
    int fd = -1;
    Walk(false, [&](int at, int level) {
      if (HasFile(level)) {
        for (const char* name : {"f", "f.tmb"}) ::unlinkat(at, name, 0);
      }
      if (level == depth) fd = ::dup(at);
    });
    for (int level = depth; level > 0 && fd >= 0; --level) {
      const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = parent;
      ::unlinkat(fd, "d", AT_REMOVEDIR);
    }
    ::close(fd);
  }
};

// Trees of any depth: 20 000 levels, and 1 500 under a limit of 64 open
// files, are encoded, checked and decoded whole, with the walk's memory
// growing with the depth, not with its square. A walk holds a bounded
// number of folder handles and no stack frame per level.
TEST_F(CliTest, TreeOfAnyDepthIsCodedWhole) {
  for (const Chain& chain : {Chain{Path("tief"), 20000, 1000}, Chain{Path("eng"), 1500, 100}}) {
    SCOPED_TRACE(chain.depth);
    chain.Make();
    struct Cleanup {
      const Chain& chain;
      ~Cleanup() { chain.Remove(); }
    } cleanup{chain};
    std::size_t files = 0;
    for (int level = 0; level <= chain.depth; ++level) files += chain.HasFile(level);
    CliOptions options;
    if (chain.depth < 2000) options.openFileLimit = 64;
    const std::string top = chain.top.string(), count = std::to_string(files);
    CliResult r = RunCli({"encode", "--password-stdin", "-r", top}, "kennwort\n", options);
    ASSERT_EQ(r.exitCode, 0) << r.err.substr(0, 2000);
    EXPECT_EQ(Lines(r.out).size(), files + 1);
    EXPECT_EQ(Lines(r.out).back(), count + " done, 0 failed");
    // The path of the deepest file, relative to the operand as given.
    std::string deepest = top;
    for (int level = 0; level < chain.depth; ++level) deepest += "/d";
    EXPECT_EQ(Lines(r.out)[0], deepest + "/f -> " + deepest + "/f.tmb");
    r = RunCli({"check", "--password-stdin", "-r", top}, "kennwort\n", options);
    EXPECT_EQ(r.exitCode, 0) << r.err.substr(0, 2000);
    EXPECT_EQ(Lines(r.out).back(), count + " fit, 0 wrong password, 0 failed");
    chain.Walk(false, [&](int fd, int level) {
      if (chain.HasFile(level)) ::unlinkat(fd, "f", 0);
    });
    r = RunCli({"decode", "--password-stdin", "--quiet", "-r", top}, "kennwort\n", options);
    EXPECT_EQ(r.exitCode, 0) << r.err.substr(0, 2000);
    std::size_t back = 0;
    chain.Walk(false, [&](int fd, int level) {
      if (!chain.HasFile(level)) return;
      EXPECT_EQ(chain.Read(fd, "f"), "level " + std::to_string(level));
      ++back;
    });
    EXPECT_EQ(back, files);
  }
  // The largest of the runs: a walk that kept a path per level would take
  // about a gigabyte at 20 000 levels. (AddressSanitizer keeps what is
  // freed for a while.)
#ifndef __SANITIZE_ADDRESS__
  rusage usage{};
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
  EXPECT_LT(usage.ru_maxrss, 300L << 10) << "KiB";
#endif
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
  EXPECT_NE(r.err.find("3 done, 0 failed"), std::string::npos) << r.err;

  fs::create_directory(Path("aus"));
  for (const char* name : {"a.doc.tmb", "b.doc.tmb", "c.doc.tmb"}) fs::rename(Path("bar") / name, Path("aus") / name);
  r = RunCliOnTerminal({"decode", "--quiet", "-r", Path("aus").string()}, {"geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "Password: \r\n") << r.err;
  EXPECT_EQ(Read(Path("aus/c.doc")), Bytes(512 << 10, 3));
  // A single file under --quiet: no bar either.
  fs::remove(Path("aus/a.doc"));
  r = RunCliOnTerminal({"decode", "--quiet", Path("aus/a.doc.tmb").string()}, {"geheim1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "Password: \r\n") << r.err;
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
  EXPECT_EQ(Lines(r.out).back(), "40 done, 0 failed");
  // Without a thread or process to be had (ulimit -u), the run goes on
  // with fewer jobs, down to the program's own thread. As root the limit
  // holds only for another user.
  for (int i = 0; i < 40; ++i) fs::remove(Path("eng/f" + std::to_string(i) + ".dat.tmb"));
  fs::permissions(Path("eng"), fs::perms::all);
  CliOptions noThreads = tight;
  noThreads.processLimit = 0;
  noThreads.env = {{"ASAN_OPTIONS", "detect_leaks=0"}};  // the leak check needs a thread of its own at the end
  noThreads.asNobody = true;
  fs::create_directory(Path("bin"));
  noThreads.program = Path("bin/tambril-cli");
  fs::copy_file(TAMBRIL_CLI, noThreads.program);
  fs::permissions(noThreads.program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
  r = RunCli({"encode", "--password-stdin", "-r", "-j", "8", Path("eng").string()}, "kennwort\n", noThreads);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "40 done, 0 failed");
  EXPECT_EQ(fs::file_size(Path("eng/f39.dat.tmb")), 4096u + 21);

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
      const std::string source = Path(folder + "/" + name.substr(0, name.size() - 4)).string();
      // A caught signal lets the run report every file it named.
      if (signal != SIGKILL) {
        EXPECT_NE(r.out.find(source + " -> "), std::string::npos) << name;
      }
      EXPECT_EQ(fs::file_size(Path(folder + "/" + name)), (256u << 10) + 21) << name;
    }
    EXPECT_GE(coded, 1u);  // at least the group whose line was read
    // Names are given in the files' order: the named files are the first ones.
    for (std::size_t k = 0; k < coded; ++k) {
      EXPECT_TRUE(fs::exists(Path(folder + "/f" + std::to_string(1000 + k) + ".dat.tmb"))) << k;
    }
  }
}

}  // namespace
}  // namespace tambril::cli::test
