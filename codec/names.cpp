#include "names.h"

#include <vector>

#include "cp1252.h"

namespace tambril::codec {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    NextUtf8Character(text, i);
    chars.push_back(text.substr(start, i - start));
  }
  return chars;
}

}  // namespace

std::optional<std::string> ProposedPath(std::string_view path, std::string_view letters) {
  const std::size_t separator = path.find_last_of(kSeparators);
  const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
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

}  // namespace tambril::codec
