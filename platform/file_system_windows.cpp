// The file system's answers on Windows: names are UTF-16 (handed on as
// UTF-8), letters match in either case, hidden means the hidden mark.
#include <windows.h>

#include <QString>
#include <string>

#include "codec/files_windows.h"
#include "platform/file_system.h"

namespace tambril::platform {

bool NamesIgnoreCase() { return true; }

QString ShownFileName(const std::filesystem::path& path) { return QString::fromStdWString(path.filename().native()); }

namespace {

// The wide API's name for `real`: through the long path, so that a name
// ending in a dot or a space (`Neu.`) is the folder of that name and not
// the one without it, as for files.
std::wstring Wide(const QByteArray& real) {
  return codec::LongPath(std::filesystem::path(QString::fromUtf8(real).toStdWString()));
}

}  // namespace

bool CanListFolder(const QByteArray& real) {
  if (real.isEmpty()) return false;
  std::wstring pattern = Wide(real);
  const DWORD attributes = ::GetFileAttributesW(pattern.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (!pattern.ends_with(L'\\')) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  const HANDLE h = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  // An empty drive has no entry at all, not even ".", and is still open.
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::FindClose(h);
  return true;
}

std::vector<QByteArray> FolderEntries(const QByteArray& real, EntryKind kind) {
  std::vector<QByteArray> names;
  std::wstring pattern = Wide(real);
  if (!pattern.ends_with(L'\\')) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  const HANDLE h = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const QByteArray name = QString::fromWCharArray(found.cFileName).toUtf8();
    // Hidden entries, "." and ".." among them, are left out; a link or
    // junction to a folder is a folder.
    if (name.startsWith('.') || (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
    const bool folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (folder == (kind == EntryKind::Folders)) names.push_back(name);
  } while (::FindNextFileW(h, &found));
  ::FindClose(h);
  return names;
}

std::error_code MakeFolder(const std::filesystem::path& path) {
  if (::CreateDirectoryW(codec::LongPath(path).c_str(), nullptr)) return {};
  return {codec::ErrnoOf(::GetLastError()), std::generic_category()};
}

QString DriveText(const QString& root) {
  if (root.size() >= 2 && root[1] == QLatin1Char(':')) return root.left(1).toLower() + root.mid(1);
  return root;
}

}  // namespace tambril::platform
