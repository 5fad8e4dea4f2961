// age files on the command line: real processes on temporary files. Each
// new age file costs a key derivation (most of a second), so the cases
// share their files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/messages.h"
#include "cli_process.h"

namespace tambril::cli::test {
namespace {
namespace fs = std::filesystem;

constexpr int kWrongPassword = 1, kUsage = 2, kFileError = 3;
const std::string kPass = "Kennwort äöü\n";

std::string En(Msg m) { return std::string(Text(m, Language::English)); }
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class AgeCli : public ::testing::Test {
 protected:
  void SetUp() override {
    char t[] = "/tmp/tambril-age-cli-XXXXXX";
    dir_ = ::mkdtemp(t);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& bytes) const {
    const fs::path p = dir_ / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  static std::string Read(const fs::path& p) {
    std::ostringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
  }
  // `command` with --password-stdin, `password` (with its line end) as input.
  static CliResult Run(const std::string& command, std::vector<std::string> args, const std::string& password,
                       const CliOptions& options = {}) {
    args.insert(args.begin(), {command, "--password-stdin"});
    return RunCli(args, password, options);
  }

  fs::path dir_;
};

TEST_F(AgeCli, EncodeDecodeCheckAndTheirRefusals) {
  std::string plain(70000, '\0');
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7 + i / 300);
  const fs::path src = Write("brief.doc", plain);
  const fs::path age = dir_ / "brief.doc.age";
  CliResult r = Run("encode", {"--age", src}, kPass);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Read(age).starts_with("age-encryption.org/v1\n-> scrypt ")) << "an age file appended .age";
  // Five characters at least, and no upper limit; a target named .age is
  // an age file without --age.
  r = Run("encode", {"--age", "-o", dir_ / "kurz.age", src}, "vier\n");
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_TRUE(Has(r.err, En(Msg::PasswordTooShort))) << r.err;
  const std::string longPass = std::string(40, 'x') + "\n";
  ASSERT_EQ(Run("encode", {"-o", dir_ / "lang.age", src}, longPass).exitCode, 0);
  EXPECT_TRUE(Read(dir_ / "lang.age").starts_with("age-encryption.org/v1\n"));
  fs::remove(src);

  // A wrong passphrase, even one longer than any .tmb password: exit 1, nothing written.
  for (const std::string& wrong : {std::string("Kennwort aou\n"), longPass}) {
    r = Run("decode", {age}, wrong);
    EXPECT_EQ(r.exitCode, kWrongPassword) << r.err;
    EXPECT_TRUE(Has(r.err, En(Msg::WrongPassword))) << r.err;
    EXPECT_FALSE(fs::exists(src));
  }
  r = Run("check", {age}, kPass);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, En(Msg::Fit) + "\n");
  r = Run("decode", {age}, kPass);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read(src), plain) << "brief.doc.age decodes to brief.doc";
  EXPECT_EQ(Read(dir_ / "lang.age").size(), Read(age).size());
  ASSERT_EQ(Run("decode", {"-o", dir_ / "lang.out", dir_ / "lang.age"}, longPass).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "lang.out"), plain);

  // Known by its first bytes: a name without .age needs -o.
  fs::copy_file(age, dir_ / "kopie.bin");
  r = Run("decode", {dir_ / "kopie.bin"}, kPass);
  EXPECT_EQ(r.exitCode, kUsage);
  EXPECT_TRUE(Has(r.err, En(Msg::AgeNeedsOutput))) << r.err;
  ASSERT_EQ(Run("decode", {"-o", dir_ / "kopie.out", dir_ / "kopie.bin"}, kPass).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "kopie.out"), plain);

  // One changed byte: a file error that says so, in both languages, and
  // nothing written; check reads the whole file and says so too.
  std::string bytes = Read(age);
  bytes[bytes.size() - 100] ^= 4;
  const fs::path changed = Write("x/changed.doc.age", bytes);
  for (const auto& [lang, text] : {std::pair{"C", En(Msg::Damaged)},
                                   std::pair{"de_DE.UTF-8", std::string("ist beschädigt oder wurde verändert")}}) {
    CliOptions options;
    options.env = {{"LANG", lang}};
    r = Run("decode", {changed}, kPass, options);
    EXPECT_EQ(r.exitCode, kFileError) << lang;
    EXPECT_TRUE(Has(r.err, text)) << r.err;
  }
  r = Run("check", {changed}, kPass);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(fs::directory_iterator(dir_ / "x")->path(), changed) << "only the changed file in its folder";

  // A file made for a key: a clear refusal.
  const std::string header = Read(age);
  const std::size_t stanza = header.find('\n') + 1;
  Write("key.age", header.substr(0, stanza) + "-> X25519 abc\n" + header.substr(header.find('\n', stanza) + 1));
  r = Run("decode", {dir_ / "key.age"}, kPass);
  EXPECT_EQ(r.exitCode, kFileError);
  EXPECT_TRUE(Has(r.err, En(Msg::MadeForKey))) << r.err;
}

TEST_F(AgeCli, ManyFileRunsAndConvert) {
  Write("run/a.txt", "erste Datei");
  Write("run/sub/b.txt", std::string(65536, 'b'));
  CliResult r = Run("encode", {"--age", "-r", "-j", "2", dir_ / "run"}, kPass);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  fs::remove(dir_ / "run/a.txt");
  fs::remove(dir_ / "run/sub/b.txt");
  // A .tmb file beside them, with the same password: decode -r takes both.
  Write("run/c.doc", "dritte");
  ASSERT_EQ(Run("encode", {dir_ / "run/c.doc"}, kPass).exitCode, 0);
  fs::remove(dir_ / "run/c.doc");
  r = Run("decode", {"-r", dir_ / "run"}, kPass);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read(dir_ / "run/a.txt"), "erste Datei");
  EXPECT_EQ(Read(dir_ / "run/sub/b.txt"), std::string(65536, 'b'));
  EXPECT_EQ(Read(dir_ / "run/c.doc"), "dritte");
  EXPECT_TRUE(Has(r.out, "3 " + En(Msg::Done))) << r.out;

  // convert: the .tmb name rule with .age appended, each file read back,
  // the originals kept; a file of another password is skipped, an age file
  // fails, and the summary counts them.
  Write("conv/brief.doc", "Sehr geehrte Damen und Herren");
  ASSERT_EQ(Run("encode", {dir_ / "conv/brief.doc"}, kPass).exitCode, 0);
  Write("conv/andere.txt", "anders");
  ASSERT_EQ(Run("encode", {dir_ / "conv/andere.txt"}, "Anderes1\n").exitCode, 0);
  fs::remove(dir_ / "conv/brief.doc");
  fs::copy_file(dir_ / "run/a.txt.age", dir_ / "conv/schon.tmb");
  r = Run("convert", {dir_ / "conv/andere.txt.tmb", dir_ / "conv/brief.doc.tmb", dir_ / "conv/schon.tmb"}, kPass);
  EXPECT_EQ(r.exitCode, kFileError) << r.err;
  EXPECT_TRUE(Has(r.out, "brief.doc.tmb -> " + (dir_ / "conv/brief.doc.age").string())) << r.out;
  EXPECT_TRUE(Has(r.out, "1 " + En(Msg::Done) + ", 1 " + En(Msg::SkippedWrongPassword) + ", 1 " + En(Msg::Failed)))
      << r.out;
  EXPECT_TRUE(Has(r.err, En(Msg::AlreadyAge))) << r.err;
  EXPECT_TRUE(fs::exists(dir_ / "conv/brief.doc.tmb"));
  EXPECT_FALSE(fs::exists(dir_ / "conv/andere.txt.age"));
  ASSERT_EQ(Run("decode", {dir_ / "conv/brief.doc.age"}, kPass).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "conv/brief.doc"), "Sehr geehrte Damen und Herren");
}

}  // namespace
}  // namespace tambril::cli::test
