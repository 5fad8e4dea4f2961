// The file system's answers on POSIX systems: names are bytes, hidden
// means a leading ".".
#include <dirent.h>
#include <sys/stat.h>

#include <QFile>

#include "platform/file_system.h"

namespace tambril::platform {

bool NamesIgnoreCase() { return false; }

QString ShownFileName(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.filename().native()));
}

bool CanListFolder(const QByteArray& real) {
  struct stat st;
  if (real.isEmpty() || ::stat(real.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  DIR* d = ::opendir(real.constData());
  if (!d) return false;
  ::closedir(d);
  return true;
}

std::vector<QByteArray> FolderEntries(const QByteArray& real, EntryKind kind) {
  std::vector<QByteArray> names;
  DIR* d = ::opendir(real.constData());
  if (!d) return names;
  const QByteArray folder = real.endsWith('/') ? real : real + '/';
  while (const dirent* e = ::readdir(d)) {
    const QByteArray name(e->d_name);
    if (name.startsWith('.')) continue;  // hidden, "." and ".." among them
    mode_t type = 0;
#ifdef _DIRENT_HAVE_D_TYPE
    if (e->d_type == DT_DIR) type = S_IFDIR;
    if (e->d_type == DT_REG) type = S_IFREG;
#endif
    struct stat st;
    if (type == 0 && ::stat((folder + name).constData(), &st) == 0) type = st.st_mode & S_IFMT;
    if (type == (kind == EntryKind::Folders ? S_IFDIR : S_IFREG)) names.push_back(name);
  }
  ::closedir(d);
  return names;
}

std::error_code MakeFolder(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::create_directory(path, error)) return {};
  // Nothing made and no error: something of that name was there.
  return error ? error : std::make_error_code(std::errc::file_exists);
}

QString DriveText(const QString& root) { return root; }

}  // namespace tambril::platform
