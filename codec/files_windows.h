#pragma once
// Windows only: what the file layer's Windows side offers the program's
// other Windows code.
#include <filesystem>
#include <string>

namespace tambril::codec {

// A path as the wide API takes it without any limit of length and without
// changing a name: made absolute by text against the current folder, with
// backslashes, "." and ".." resolved, and "\\?\" (or "\\?\UNC\" for a
// network path) in front (LongPathText in paths.h).
std::wstring LongPath(const std::filesystem::path& path);

// A Windows error code (GetLastError) as the error number the rest of the
// program knows (SystemErrorText tells it).
int ErrnoOf(unsigned long windowsError);

}  // namespace tambril::codec
