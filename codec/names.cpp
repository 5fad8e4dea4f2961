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

bool IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();  // "CON .txt" is CON too
  for (char& c : stem) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

std::string HoldableName(std::string_view name, PathStyle style) {
  std::string out(name);
  if (out == "." || out == "..") return std::string(out.size(), '_');
  if (style != PathStyle::Windows) return out;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) c = '_';
  }
  for (auto c = out.rbegin(); c != out.rend() && (*c == '.' || *c == ' '); ++c) *c = '_';
  if (IsDeviceName(out)) out.insert(std::min(out.find('.'), out.size()), "_");
  return out;
}

std::string EncodedPath(std::string_view path) { return std::string(path) + std::string(kSuffix); }

namespace {

bool EqualsTmb(std::string_view text) {
  return text.size() == kSuffix.size() - 1 &&
         std::equal(text.begin(), text.end(), kSuffix.begin() + 1,
                    [](char t, char s) { return s == (t >= 'A' && t <= 'Z' ? static_cast<char>(t - 'A' + 'a') : t); });
}

// Whether the last component of `path` has an extension: a "." followed by
// at least one character (a leading one too: ".profile").
bool HasExtension(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot + 1 < name.size();
}

// Whether the name of `plain` agrees with `tag`, which ends the source's
// absolute path: as far as the name reaches, since the folders before it
// may have changed.
bool AgreesWithTag(std::string_view plain, std::string_view tag) {
  const std::string name = Utf8ToCp1252(plain.substr(NameStart(plain)));
  const std::size_t n = std::min({name.size(), tag.size(), std::size_t{3}});
  return n > 0 && name.substr(name.size() - n) == tag.substr(tag.size() - n);
}

}  // namespace

bool HasTmbSuffix(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  return name.size() > kSuffix.size() && name[name.size() - kSuffix.size()] == '.' &&
         EqualsTmb(name.substr(name.size() - kSuffix.size() + 1));
}

namespace {

// `path` with its last part made one this system can hold.
std::string Holdable(std::string path) {
  const std::size_t start = NameStart(path);
  if (start == path.size()) return path;
  return path.substr(0, start) + HoldableName(std::string_view(path).substr(start));
}

// The decoded path as the names are made, before it is made holdable.
std::string NamedPath(std::string_view encodedPath, std::string_view tag) {
  const std::string letters = TagForFileName(tag);
  // A decoded name ends in ".tmb" only where the tag says so; otherwise a
  // name that ends in it more than once is taken as far as its last one.
  const bool tmbTag = EqualsTmb(letters);
  std::string_view path = encodedPath;
  while (!tmbTag && HasTmbSuffix(path) && HasTmbSuffix(path.substr(0, path.size() - kSuffix.size()))) {
    path.remove_suffix(kSuffix.size());
  }
  const bool suffix = HasTmbSuffix(path);
  const std::string_view plain = suffix ? path.substr(0, path.size() - kSuffix.size()) : path;
  if (suffix && (AgreesWithTag(plain, tag) || HasExtension(plain))) return std::string(plain);
  // The windows' name; in the rare case that it would look encoded, the
  // name without ".tmb", or the tag appended to a name without it.
  std::string windows = ProposedPath(path, letters).value_or(std::string(path));
  if (tmbTag || !HasTmbSuffix(windows)) return windows;
  return suffix ? std::string(plain) : std::string(path) + "." + letters;
}

}  // namespace

std::string DecodedPath(std::string_view encodedPath, std::string_view tag) {
  return Holdable(NamedPath(encodedPath, tag));
}

}  // namespace tambril::codec
