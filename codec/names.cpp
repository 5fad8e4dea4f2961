#include "names.h"

#include <algorithm>
#include <vector>

#include "cp1252.h"

namespace tambril::codec {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

constexpr std::string_view kSuffix = ".tmb";

std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    NextUtf8Character(text, i);
    chars.push_back(text.substr(start, i - start));
  }
  return chars;
}

std::size_t NameStart(std::string_view path) {
  const std::size_t separator = path.find_last_of(kSeparators);
  return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::optional<std::string> ProposedPath(std::string_view path, std::string_view letters) {
  const std::size_t nameStart = NameStart(path);
  const std::string_view name = path.substr(nameStart);
  if (name.empty()) return std::nullopt;

  std::string out(path.substr(0, nameStart));
  std::vector<std::string_view> chars = Characters(name);
  std::size_t dot = 0;
  while (dot < chars.size() && chars[dot] != ".") ++dot;
  if (dot + 1 >= chars.size()) {
    // Nothing after a "." to write over: the letters are appended.
    out += name;
    if (dot == chars.size()) out += '.';
    out += letters;
    return out;
  }
  const std::vector<std::string_view> replacement = Characters(letters);
  for (std::size_t k = 0; k < replacement.size() && dot + 1 + k < chars.size(); ++k) {
    chars[dot + 1 + k] = replacement[k];
  }
  for (const std::string_view c : chars) out += c;
  return out;
}

std::string ExtensionTag(std::string_view absolutePath) {
  // One Windows-1252 byte per character, so the last three bytes are the
  // last three characters.
  const std::string cp = Utf8ToCp1252(absolutePath);
  return cp.size() > 3 ? cp.substr(cp.size() - 3) : cp;
}

std::string TagForFileName(std::string_view tag) {
  std::string letters;
  for (const char byte : tag) {
    const char32_t c = Cp1252ToUnicode(static_cast<unsigned char>(byte));
    letters += IsControl(c) || c == U'/' || c == U'\\' ? std::string("_") : Cp1252ToUtf8(std::string_view(&byte, 1));
  }
  return letters;
}

std::string EncodedPath(std::string_view path) { return std::string(path) + std::string(kSuffix); }

bool HasTmbSuffix(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  if (name.size() <= kSuffix.size()) return false;
  return std::equal(kSuffix.begin(), kSuffix.end(), name.end() - kSuffix.size(),
                    [](char s, char n) { return s == (n >= 'A' && n <= 'Z' ? static_cast<char>(n - 'A' + 'a') : n); });
}

std::string DecodedPath(std::string_view encodedPath, std::string_view tag) {
  if (HasTmbSuffix(encodedPath)) {
    const std::string_view plain = encodedPath.substr(0, encodedPath.size() - kSuffix.size());
    // The tag ends the source's absolute path; the name reaches into it as
    // far as it is long, the folders before it may have changed.
    const std::string name = Utf8ToCp1252(plain.substr(NameStart(plain)));
    const std::size_t n = std::min({name.size(), tag.size(), std::size_t{3}});
    if (n > 0 && name.substr(name.size() - n) == tag.substr(tag.size() - n)) return std::string(plain);
  }
  return ProposedPath(encodedPath, TagForFileName(tag)).value_or(std::string(encodedPath));
}

}  // namespace tambril::codec
