#include "names.h"

#include "codec/cp1252.h"

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 1 for a stray byte.
std::size_t CharacterLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t len;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
  } else {
    return 1;
  }
  if (i + len > text.size()) return 1;
  for (std::size_t k = 1; k < len; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return len;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

std::vector<std::string> SplitCharacters(std::string_view text) {
  std::vector<std::string> chars;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = CharacterLength(text, i);
    chars.emplace_back(text.substr(i, len));
    i += len;
  }
  return chars;
}

std::string OverwriteAfterFirstDot(std::string_view name, const std::vector<std::string>& replacement) {
  std::vector<std::string> chars = SplitCharacters(name);
  std::size_t dot = 0;
  while (dot < chars.size() && chars[dot] != ".") ++dot;
  if (dot + 1 >= chars.size()) {
    // No "." at all, or nothing after it to write over.
    std::string out(name);
    if (dot == chars.size()) out += '.';
    for (const auto& c : replacement) out += c;
    return out;
  }
  for (std::size_t k = 0; k < replacement.size() && dot + 1 + k < chars.size(); ++k) {
    chars[dot + 1 + k] = replacement[k];
  }
  std::string out;
  for (const auto& c : chars) out += c;
  return out;
}

std::string EncodedFileName(std::string_view plainName) {
  return OverwriteAfterFirstDot(plainName, {"t", "m", "b"});
}

std::string DecodedFileName(std::string_view encodedName, const std::array<std::uint8_t, 3>& tag) {
  std::vector<std::string> replacement;
  for (std::uint8_t b : tag) replacement.push_back(TagCharacterForFileName(b));
  return OverwriteAfterFirstDot(encodedName, replacement);
}

fs::path EncodedTarget(const fs::path& source) {
  return source.parent_path() / EncodedFileName(source.filename().string());
}

fs::path DecodedTarget(const fs::path& encoded, const std::array<std::uint8_t, 3>& tag) {
  return encoded.parent_path() / DecodedFileName(encoded.filename().string(), tag);
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
