#include "names.h"

#include "codec/cp1252.h"
#include "codec/names.h"

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

std::string TagLetters(const std::array<std::uint8_t, 3>& tag) {
  std::string letters;
  for (std::uint8_t b : tag) letters += TagCharacterForFileName(b);
  return letters;
}

// A name always has a character, so the rule always gives a name; a path
// without one (a folder ending in "/") keeps its own text.
std::string Proposed(std::string_view path, std::string_view letters) {
  return codec::ProposedPath(path, letters).value_or(std::string(path));
}

}  // namespace

std::string EncodedFileName(std::string_view plainName) { return Proposed(plainName, "tmb"); }

std::string DecodedFileName(std::string_view encodedName, const std::array<std::uint8_t, 3>& tag) {
  return Proposed(encodedName, TagLetters(tag));
}

fs::path EncodedTarget(const fs::path& source) { return Proposed(source.string(), "tmb"); }

fs::path DecodedTarget(const fs::path& encoded, const std::array<std::uint8_t, 3>& tag) {
  return Proposed(encoded.string(), TagLetters(tag));
}

std::string ExtensionTag(const fs::path& source) {
  // One Windows-1252 byte per character, so the last three bytes are the
  // last three characters.
  std::error_code ec;
  fs::path full = fs::absolute(source, ec);
  if (ec) full = source;
  const std::string cp = codec::Utf8ToCp1252(full.string());
  return cp.size() > 3 ? cp.substr(cp.size() - 3) : cp;
}

std::string TagCharacterForFileName(std::uint8_t byte) {
  const char32_t c = codec::Cp1252ToUnicode(byte);
  if (IsControl(c) || c == U'/' || c == U'\\') return "_";
  return codec::Cp1252ToUtf8(std::string(1, static_cast<char>(byte)));
}

std::string PrintableTag(const std::array<std::uint8_t, 3>& tag) {
  std::string out;
  for (std::uint8_t b : tag) {
    out += IsControl(codec::Cp1252ToUnicode(b)) ? std::string("?")
                                                : codec::Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
  }
  return out;
}

}  // namespace tambril::cli
