#pragma once
// Absolute paths made from a path's text alone. Windows' own way of making a
// path absolute (GetFullPathNameW, and std::filesystem::absolute through
// it) also drops the dots and spaces at the end of a name, so that "x."
// would open "x" and "y " would open "y". Here every name stays as it is
// written, and the long form "\\?\" in front makes the system take it so.
#include <filesystem>
#include <string>
#include <string_view>

namespace tambril::codec {

// How a system writes its paths.
enum class PathStyle { Posix, Windows };

#ifdef _WIN32
constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// `path` made absolute against `currentFolder` (an absolute path), by text:
// - POSIX: a relative path is appended to the current folder; "." and ".."
//   are left to the system, which resolves ".." after the links before it.
// - Windows: "\" and "/" separate names, and the result has "\" only;
//   "\\server\share" is the root of a network path, "C:" that of a drive.
//   A path that starts at "\" is on the current folder's drive or share,
//   "C:name" in the current folder where that is on C:, else in C:'s root.
//   "." and ".." are resolved by text, as Windows would resolve them (no
//   further than the root), empty names (doubled separators) go; every
//   other name is kept as it is, "x." and "y " too. A path already in the
//   long form ("\\?\", "\\.\") is returned as it is.
// Without a current folder ("") a relative path stays relative.
template <class Char>
std::basic_string<Char> AbsolutePathText(std::basic_string_view<Char> path, std::basic_string_view<Char> currentFolder,
                                         PathStyle style);

// Windows' long form of an absolute path, which the wide API takes without
// changing a name or limiting the length: "\\?\C:\a\x." or, for a network
// path, "\\?\UNC\server\share\a". `path` is made absolute first, as above.
std::wstring LongPathText(std::wstring_view path, std::wstring_view currentFolder);

// `path` made absolute against the process's current folder (or the given
// one), with this system's rule above.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);
std::filesystem::path AbsolutePath(const std::filesystem::path& path, const std::filesystem::path& currentFolder);

}  // namespace tambril::codec
