// age files: what the reader refuses (each rule on a file built part by
// part, its MAC made anew so that only the rule itself can refuse it), what
// it accepts, and the passes' round trips and promises.
#include <gtest/gtest.h>
#include <sodium.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "age/age.h"
#include "age/keys.h"
#include "armor_text.h"
#include "test_files.h"

namespace tambril::age {
namespace {
using codec::test::ReadFile;
using codec::test::TempDir;
using codec::test::WriteFile;
using Bytes = codec::test::Bytes;
using test::Armored;

constexpr int kFastFactor = 10;  // 2^10: a millisecond instead of a second
const std::string kPass = "Kennwort 1";

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A passphrase file's header and the key it holds, taken apart.
struct Parts {
  std::string head;     // through "---", without the MAC
  std::string payload;  // the nonce and the chunks
  FileKey fileKey;
  std::array<std::uint8_t, 16> nonce{};
};

Parts Split(const std::string& file, const std::string& passphrase = kPass) {
  Parts p;
  const std::size_t dashes = file.find("\n---") + 4;
  const std::size_t end = file.find('\n', dashes) + 1;
  p.head = file.substr(0, dashes);
  p.payload = file.substr(end);
  // "-> scrypt SALT N" and the body on the next line
  const std::size_t line2 = file.find('\n') + 1;
  const std::string stanza = file.substr(line2, file.find('\n', line2) - line2);
  const std::size_t sp = stanza.rfind(' ');
  const auto salt = FromBase64(stanza.substr(10, sp - 10));
  const int factor = std::stoi(stanza.substr(sp + 1));
  const std::size_t line3 = file.find('\n', line2) + 1;
  const auto body = FromBase64(file.substr(line3, file.find('\n', line3) - line3));
  std::array<std::uint8_t, 16> s{};
  std::copy(salt->begin(), salt->end(), s.begin());
  std::array<std::uint8_t, 32> b{};
  std::copy(body->begin(), body->end(), b.begin());
  p.fileKey = *UnwrapFileKey(WrapKey(passphrase, s, factor), b);
  std::copy(p.payload.begin(), p.payload.begin() + 16, p.nonce.begin());
  return p;
}

// `head` (through "---") with its MAC made under `fileKey`.
std::string WithMac(const std::string& head, const FileKey& fileKey) {
  const auto mac = HeaderMac(fileKey, head);
  return head + " " + Base64(mac.data(), mac.size()) + "\n";
}

// One chunk sealed as the payload's `counter`th, flagged last or not.
std::string Chunk(const Parts& p, std::uint64_t counter, bool last, const std::string& plain) {
  const Key key = PayloadKey(p.fileKey, p.nonce);
  std::array<std::uint8_t, 12> nonce{};
  for (int i = 0; i < 8; ++i) nonce[10 - i] = static_cast<std::uint8_t>(counter >> (8 * i));
  nonce[11] = last ? 1 : 0;
  std::string sealed(plain.size() + 16, '\0');
  crypto_aead_chacha20poly1305_ietf_encrypt(reinterpret_cast<std::uint8_t*>(sealed.data()), nullptr,
                                            reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size(), nullptr,
                                            0, nullptr, nonce.data(), key.data());
  return sealed;
}

class AgeFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GE(sodium_init(), 0); }

  // A new file of `plain` written by the module.
  std::string Made(const std::string& plain, const std::string& passphrase = kPass) {
    WriteFile(dir / "plain", BytesOf(plain));
    const auto target = dir / "made.age";
    std::filesystem::remove(target);
    progress.clear();
    Encode(dir / "plain", target, passphrase, [this](int v) { progress.push_back(v); }, {}, {kFastFactor});
    return Text(ReadFile(target));
  }

  CheckResult Check(const std::string& file, const std::string& passphrase = kPass) {
    WriteFile(dir / "in.age", BytesOf(file));
    return CheckPassphrase(dir / "in.age", passphrase);
  }

  // The plain bytes, or the kind of error the decode threw.
  std::pair<std::string, std::optional<codec::ErrorKind>> Decoded(const std::string& file) {
    const CheckResult check = Check(file);
    EXPECT_TRUE(check.fits());
    const auto out = dir / "out";
    std::filesystem::remove(out);
    try {
      progress.clear();
      Decode(dir / "in.age", out, check, [this](int v) { progress.push_back(v); });
      return {Text(ReadFile(out)), std::nullopt};
    } catch (const codec::CodecError& e) {
      EXPECT_FALSE(codec::EntryExists(out));
      return {{}, e.kind()};
    }
  }

  TempDir dir;
  std::vector<int> progress;  // what the last pass showed on a bar of 1..20
};

// A bar that shows each of 1..20 once, then 1; 20 at once for a short input.
std::vector<int> WholeBar(bool shortInput) {
  std::vector<int> bar;
  for (int v = shortInput ? 20 : 1; v <= 20; ++v) bar.push_back(v);
  bar.push_back(1);
  return bar;
}

TEST_F(AgeFiles, RoundTripsAcrossChunkAndBlockEnds) {
  // Up to two stretches of the targets' write-behind and one byte more.
  const std::size_t stretch = codec::TargetFile::kWriteBehindStretch;
  const std::string all = Text(codec::test::RandomBytes(2 * stretch + 1, 7));
  for (std::size_t len : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65536}, std::size_t{65537},
                          std::size_t{16 * 65536}, std::size_t{16 * 65536 + 1}, std::size_t{17 * 65536 + 3},
                          2 * stretch - 1, 2 * stretch, all.size()}) {
    const std::string plain = all.substr(0, len);
    const std::string file = Made(plain);
    EXPECT_EQ(progress, WholeBar(len <= 100)) << len;
    ASSERT_TRUE(file.starts_with("age-encryption.org/v1\n-> scrypt ")) << len;
    // Header, nonce, and one tag per chunk (an empty content has one chunk).
    const std::size_t chunks = len == 0 ? 1 : (len + 65535) / 65536;
    EXPECT_EQ(Split(file).payload.size(), 16 + len + 16 * chunks) << len;
    const CheckResult check = Check(file);
    EXPECT_EQ(check.workFactor, kFastFactor);
    const auto [out, error] = Decoded(file);
    ASSERT_FALSE(error) << len;
    ASSERT_EQ(out, plain) << len;
    EXPECT_EQ(progress, WholeBar(false)) << len;
  }
}

TEST_F(AgeFiles, NewFilesDifferInSaltKeyAndNonce) {
  const std::string a = Made("same"), b = Made("same");
  EXPECT_NE(a.substr(0, a.find('\n', 22)), b.substr(0, b.find('\n', 22)));  // the salt
  EXPECT_NE(Split(a).nonce, Split(b).nonce);
  EXPECT_NE(Split(a).fileKey.bytes, Split(b).fileKey.bytes);
}

// The check's outcome for each header the reader must refuse, or take.
TEST_F(AgeFiles, HeaderRules) {
  const std::string file = Made("content");
  const Parts p = Split(file);
  const std::size_t line2 = p.head.find('\n') + 1, line3 = p.head.find('\n', line2) + 1;
  const std::string stanza = p.head.substr(line2, line3 - line2 - 1);
  const std::string body = p.head.substr(line3, p.head.find('\n', line3) - line3);
  const std::string salt = stanza.substr(10, stanza.rfind(' ') - 10);
  // The header with the stanza line and body replaced, its MAC made anew.
  const auto with = [&](const std::string& newStanza, const std::string& newBody, const std::string& more = "") {
    return WithMac("age-encryption.org/v1\n" + newStanza + "\n" + newBody + "\n" + more + "---", p.fileKey) + p.payload;
  };
  // The last salt character with its unused low bits set.
  std::string loose = salt;
  loose.back() = loose.back() == 'A' ? 'B' : static_cast<char>(loose.back() + 1);
  const std::string x25519 = "-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n" + body + "\n";

  const struct {
    const char* what;
    std::string file;
    std::string passphrase;
    CheckStatus status;
  } cases[] = {
      {"as written", file, kPass, CheckStatus::Fits},
      {"the MAC made anew", with(stanza, body), kPass, CheckStatus::Fits},
      {"another passphrase", file, "Kennwort 2", CheckStatus::WrongPassphrase},
      {"a MAC of other bytes", p.head + " " + std::string(43, 'A') + "\n" + p.payload, kPass, CheckStatus::Damaged},
      {"a MAC cut short", p.head + " " + std::string(42, 'A') + "\n" + p.payload, kPass, CheckStatus::Damaged},
      {"salt not canonical", with("-> scrypt " + loose + " 10", body), kPass, CheckStatus::Damaged},
      {"salt padded", with("-> scrypt " + salt + "== 10", body), kPass, CheckStatus::Damaged},
      {"salt of 15 bytes", with("-> scrypt " + salt.substr(0, 20) + " 10", body), kPass, CheckStatus::Damaged},
      {"work factor 23", with("-> scrypt " + salt + " 23", body), kPass, CheckStatus::Damaged},
      {"work factor with a leading zero", with("-> scrypt " + salt + " 010", body), kPass, CheckStatus::Damaged},
      {"work factor 0", with("-> scrypt " + salt + " 0", body), kPass, CheckStatus::Damaged},
      {"an extra argument", with(stanza + " x", body), kPass, CheckStatus::Damaged},
      {"two spaces", with("-> scrypt  " + salt + " 10", body), kPass, CheckStatus::Damaged},
      {"body of 30 bytes", with(stanza, body.substr(0, 40)), kPass, CheckStatus::Damaged},
      {"a second stanza", with(stanza, body, x25519), kPass, CheckStatus::Damaged},
      {"a stanza before it", with(x25519 + stanza, body), kPass, CheckStatus::Damaged},
      {"made for a key", WithMac("age-encryption.org/v1\n" + x25519 + "---", p.fileKey) + p.payload, kPass,
       CheckStatus::ForKey},
      {"no stanza", WithMac("age-encryption.org/v1\n---", p.fileKey) + p.payload, kPass, CheckStatus::Damaged},
      {"made for a key, a body of 64 columns ended by an empty line",
       WithMac("age-encryption.org/v1\n-> X25519 abc\n" + std::string(64, 'A') + "\n\n---", p.fileKey) + p.payload,
       kPass, CheckStatus::ForKey},
      {"made for a key, a body line of 64 columns last",
       WithMac("age-encryption.org/v1\n-> X25519 abc\n" + std::string(64, 'A') + "\n---", p.fileKey) + p.payload, kPass,
       CheckStatus::Damaged},
      {"CRLF line ends",
       [&] {
         std::string f = file;
         for (std::size_t at = 0; (at = f.find('\n', at)) < p.head.size() + 50; at += 2) f.insert(at, "\r");
         return f;
       }(),
       kPass, CheckStatus::Damaged},
      {"another version", "age-encryption.org/v2" + file.substr(21), kPass, CheckStatus::Damaged},
      {"cut in the header", file.substr(0, 60), kPass, CheckStatus::Damaged},
      {"armored, LF", Armored(file, "\n"), kPass, CheckStatus::Fits},
      {"armored, CRLF, whitespace around", " \r\n\t" + Armored(file, "\r\n") + "\r\n  \n", kPass, CheckStatus::Fits},
      {"armored, a short line first", Armored(file, "\n", 45), kPass, CheckStatus::Damaged},
      {"armored, a padded line first", Armored(file, "\n", 47), kPass, CheckStatus::Damaged},
      {"armored, end without line end", Armored(file, "\n").substr(0, Armored(file, "\n").size() - 1), kPass,
       CheckStatus::Fits},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Check(c.file, c.passphrase).status, c.status) << c.what;
  }
}

// Every payload the reader must refuse, after a header that checks: no
// target is left, and the error says the file is damaged.
TEST_F(AgeFiles, PayloadRules) {
  const Parts p = Split(Made(""));
  const std::string header = WithMac(p.head, p.fileKey);
  const std::string nonce(p.nonce.begin(), p.nonce.end());
  const std::string full(65536, 'a'), more = "tail";
  const auto chunks = [&](std::vector<std::pair<std::string, bool>> list) {
    std::string f = header + nonce;
    for (std::size_t i = 0; i < list.size(); ++i) f += Chunk(p, i, list[i].second, list[i].first);
    return f;
  };
  const std::string two = chunks({{full, false}, {more, true}});
  const std::size_t firstChunk = header.size() + 16;
  const auto changed = [](std::string f, std::size_t at) {
    f[at] = static_cast<char>(f[at] ^ 1);
    return f;
  };

  struct Case {
    const char* what;
    std::string file;
    std::optional<std::string> plain;  // nothing: damaged
  };
  const Case cases[] = {
      {"empty payload", chunks({{"", true}}), ""},
      {"exactly one full chunk", chunks({{full, true}}), full},
      {"a full chunk and a byte", chunks({{full, false}, {"b", true}}), full + "b"},
      {"a byte changed in the first chunk", changed(two, firstChunk + 100), {}},
      {"a byte changed in the last chunk", changed(two, two.size() - 20), {}},
      {"a tag changed", changed(two, two.size() - 1), {}},
      {"the nonce changed", changed(two, firstChunk - 1), {}},
      {"cut at the chunk boundary", two.substr(0, firstChunk + 65552), {}},
      {"cut inside a chunk", two.substr(0, firstChunk + 1000), {}},
      {"cut inside the last tag", two.substr(0, two.size() - 5), {}},
      {"cut in the nonce", two.substr(0, firstChunk - 3), {}},
      {"no chunk", header + nonce, {}},
      {"final flag on a middle chunk", chunks({{full, true}, {more, true}}), {}},
      {"no final chunk", chunks({{full, false}}), {}},
      {"an empty chunk after the last", chunks({{full, true}, {"", true}}), {}},
      {"an empty final chunk after a full one", chunks({{full, false}, {"", true}}), {}},
      {"trailing bytes", two + "x", {}},
      {"chunks swapped", header + nonce + Chunk(p, 1, true, more) + Chunk(p, 0, false, full), {}},
      {"armored, CRLF", Armored(two, "\r\n"), full + more},
      {"armored, a byte changed", Armored(changed(two, firstChunk + 5), "\n"), {}},
      {"armored, bytes after the end", Armored(two, "\n") + "x\n", {}},
      {"armored, a blank line inside",
       [&] {
         std::string a = Armored(two, "\n");
         return a.insert(a.find('\n', a.size() / 2) + 1, "\n");
       }(),
       {}},
      {"armored, a line of 63 columns inside",
       [&] {
         std::string a = Armored(two, "\n");
         return a.erase(a.find('\n', a.size() / 2) - 1, 1);
       }(),
       {}},
  };
  for (const Case& c : cases) {
    const auto [out, error] = Decoded(c.file);
    if (c.plain) {
      EXPECT_FALSE(error) << c.what;
      EXPECT_EQ(out, *c.plain) << c.what;
    } else {
      EXPECT_EQ(error, codec::ErrorKind::Damaged) << c.what;
    }
  }
}

TEST_F(AgeFiles, PassesKeepTheirPromises) {
  const std::string file = Made("content");
  WriteFile(dir / "in.age", BytesOf(file));
  const CheckResult wrong = CheckPassphrase(dir / "in.age", "nicht es");
  // A decode without a fitting check, onto a taken name, of a file that
  // changed since its check: nothing is written.
  EXPECT_THROW(Decode(dir / "in.age", dir / "a", wrong), codec::CodecError);
  const CheckResult check = CheckPassphrase(dir / "in.age", kPass);
  WriteFile(dir / "taken", BytesOf("keep"));
  try {
    Decode(dir / "in.age", dir / "taken", check);
    ADD_FAILURE() << "a taken name was overwritten";
  } catch (const codec::CodecError& e) {
    EXPECT_EQ(e.kind(), codec::ErrorKind::TargetExists);
  }
  EXPECT_EQ(Text(ReadFile(dir / "taken")), "keep");
  WriteFile(dir / "in.age", BytesOf(file + "x"));
  try {
    Decode(dir / "in.age", dir / "b", check);
    ADD_FAILURE() << "a grown file was decoded";
  } catch (const codec::CodecError& e) {
    EXPECT_EQ(e.kind(), codec::ErrorKind::SourceChanged);
  }
  EXPECT_FALSE(codec::EntryExists(dir / "a"));
  EXPECT_FALSE(codec::EntryExists(dir / "b"));
  // A copy of a check decodes as the check does.
  WriteFile(dir / "in.age", BytesOf(file));
  CheckResult copy;
  copy = check;
  Decode(dir / "in.age", dir / "c", copy);
  EXPECT_EQ(Text(ReadFile(dir / "c")), "content");
  // Unnamed, read back before it is named.
  const codec::InputFile src(dir / "c");
  auto out = EncodeUnnamed(src, src.size(), dir / "c.age", kPass, {}, {}, {kFastFactor, true});
  out->commit();
  EXPECT_EQ(CheckPassphrase(dir / "c.age", kPass).status, CheckStatus::Fits);
  // A check of a missing file is a file error, not a throw.
  EXPECT_EQ(CheckPassphrase(dir / "none.age", kPass).status, CheckStatus::FileError);
}

TEST(AgeNames, RecognisesAndNames) {
  EXPECT_EQ(RecognizeHead("age-encryption.org/v1\n-> scrypt"), Form::Binary);
  EXPECT_EQ(RecognizeHead("age-encryption.org/v1"), Form::None);  // cut before its line end
  EXPECT_EQ(RecognizeHead("\r\n  -----BEGIN AGE ENCRYPTED FILE-----\n"), Form::Armored);
  EXPECT_EQ(RecognizeHead("x-----BEGIN AGE ENCRYPTED FILE-----"), Form::None);
  EXPECT_EQ(RecognizeHead(std::string("\x8f\x12\x00\x99", 4)), Form::None);
  EXPECT_EQ(DecodedPath("/d/brief.doc.AGE"), "/d/brief.doc");
  EXPECT_EQ(DecodedPath("x.age"), "x");
  EXPECT_EQ(DecodedPath(".age"), std::nullopt);
  EXPECT_EQ(DecodedPath("d.age/x"), std::nullopt);
  EXPECT_EQ(EncodedPath("x.age"), "x.age.age");
  EXPECT_TRUE(PassphraseLengthFits("\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f\xc3\xa9"));  // five letters, ten bytes
  EXPECT_FALSE(PassphraseLengthFits("\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f"));
}

}  // namespace
}  // namespace tambril::age
