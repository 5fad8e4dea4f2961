#include "paths.h"

#include <system_error>
#include <vector>

namespace tambril::codec {
namespace {

template <class Char>
using Text = std::basic_string<Char>;
template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
bool IsSeparator(Char c) {
  return c == Char('\\') || c == Char('/');
}

template <class Char>
Char Upper(Char c) {
  return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

template <class Char>
Text<Char> Widen(std::string_view ascii) {
  return Text<Char>(ascii.begin(), ascii.end());
}

// "\\?\..." or "\\.\...": the system takes these as they are.
template <class Char>
bool IsLongForm(View<Char> p) {
  return p.size() >= 4 && p[0] == Char('\\') && p[1] == Char('\\') && (p[2] == Char('?') || p[2] == Char('.')) &&
         p[3] == Char('\\');
}

// A Windows path as its root ("C:", "\\server\share", "" for none),
// whether it starts at the root folder, and the names after that.
template <class Char>
struct Parts {
  Text<Char> root;
  bool rooted = false;
  View<Char> rest;
};

template <class Char>
Parts<Char> Split(View<Char> p) {
  Parts<Char> parts;
  if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
    // A network path: the server and the share are its root.
    std::size_t end = 2;
    for (int name = 0; name < 2; ++name) {
      if (name == 1) ++end;
      while (end < p.size() && !IsSeparator(p[end])) ++end;
    }
    parts.root = Widen<Char>("\\\\");
    for (std::size_t i = 2; i < end && i < p.size(); ++i) parts.root += IsSeparator(p[i]) ? Char('\\') : p[i];
    parts.rooted = true;
    parts.rest = p.substr(std::min(end, p.size()));
  } else if (p.size() >= 2 && Upper(p[0]) >= Char('A') && Upper(p[0]) <= Char('Z') && p[1] == Char(':')) {
    parts.root = Text<Char>(p.substr(0, 2));
    parts.rooted = p.size() > 2 && IsSeparator(p[2]);
    parts.rest = p.substr(2);
  } else {
    parts.rooted = !p.empty() && IsSeparator(p[0]);
    parts.rest = p;
  }
  return parts;
}

// Appends the names of `rest` to `names`: "." is no name, ".." takes the
// last one back (never more than there are), an empty one goes.
template <class Char>
void AppendNames(std::vector<Text<Char>>& names, View<Char> rest) {
  std::size_t i = 0;
  while (i < rest.size()) {
    std::size_t end = i;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const View<Char> name = rest.substr(i, end - i);
    if (name == Widen<Char>("..")) {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != Widen<Char>(".")) {
      names.emplace_back(name);
    }
    i = end + 1;
  }
}

template <class Char>
bool SameRoot(const Text<Char>& a, const Text<Char>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

template <class Char>
Text<Char> WindowsAbsolute(View<Char> path, View<Char> currentFolder) {
  if (IsLongForm(path)) return Text<Char>(path);
  Parts<Char> parts = Split(path);
  std::vector<Text<Char>> names;
  if (!parts.rooted || parts.root.empty()) {
    // The current folder may itself be given in the long form.
    Text<Char> current(currentFolder);
    if (current.starts_with(Widen<Char>("\\\\?\\UNC\\"))) {
      current = Widen<Char>("\\\\") + current.substr(8);
    } else if (IsLongForm(View<Char>(current))) {
      current = current.substr(4);
    }
    const Parts<Char> here = Split(View<Char>(current));
    if (here.root.empty() || !here.rooted) return Text<Char>(path);  // no current folder to go by
    const bool sameRoot = parts.root.empty() || SameRoot(parts.root, here.root);
    if (parts.root.empty()) parts.root = here.root;
    if (!parts.rooted && sameRoot) AppendNames(names, here.rest);
  }
  AppendNames(names, parts.rest);
  Text<Char> out = parts.root;
  for (const Text<Char>& name : names) out += Char('\\') + name;
  if (names.empty()) out += Char('\\');
  return out;
}

}  // namespace

template <class Char>
std::basic_string<Char> AbsolutePathText(std::basic_string_view<Char> path, std::basic_string_view<Char> currentFolder,
                                         PathStyle style) {
  if (style == PathStyle::Windows) return WindowsAbsolute(path, currentFolder);
  if ((!path.empty() && path[0] == Char('/')) || currentFolder.empty()) return Text<Char>(path);
  Text<Char> out(currentFolder);
  if (!path.empty() && out.back() != Char('/')) out += Char('/');
  return out += path;
}

template std::string AbsolutePathText(std::string_view, std::string_view, PathStyle);
template std::wstring AbsolutePathText(std::wstring_view, std::wstring_view, PathStyle);

std::wstring LongPathText(std::wstring_view path, std::wstring_view currentFolder) {
  const std::wstring absolute = AbsolutePathText(path, currentFolder, PathStyle::Windows);
  if (IsLongForm(std::wstring_view(absolute))) return absolute;
  if (absolute.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + absolute.substr(2);
  if (absolute.size() >= 3 && absolute[1] == L':') return LR"(\\?\)" + absolute;
  return absolute;  // still relative: the system resolves it
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path, const std::filesystem::path& currentFolder) {
  using Char = std::filesystem::path::value_type;
  return std::filesystem::path(AbsolutePathText(std::basic_string_view<Char>(path.native()),
                                                std::basic_string_view<Char>(currentFolder.native()),
                                                kNativePathStyle));
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path current = std::filesystem::current_path(ec);
  return AbsolutePath(path, ec ? std::filesystem::path() : current);
}

}  // namespace tambril::codec
