// The file system's answers on Windows: names are UTF-16 (handed on as
// UTF-8), letters match in either case, hidden means the hidden mark.
#include <windows.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include "platform/file_system.h"

namespace tambril::platform {

bool NamesIgnoreCase() { return true; }

QString ShownFileName(const std::filesystem::path& path) { return QString::fromStdWString(path.filename().native()); }

bool CanListFolder(const QByteArray& real) {
  if (real.isEmpty() || !QFileInfo(QString::fromUtf8(real)).isDir()) return false;
  QString pattern = QDir::toNativeSeparators(QString::fromUtf8(real));
  if (!pattern.endsWith(QLatin1Char('\\'))) pattern += QLatin1Char('\\');
  pattern += QLatin1Char('*');
  WIN32_FIND_DATAW found;
  const HANDLE h = ::FindFirstFileExW(reinterpret_cast<LPCWSTR>(pattern.utf16()), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, 0);
  // An empty drive has no entry at all, not even ".", and is still open.
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::FindClose(h);
  return true;
}

std::vector<QByteArray> FolderEntries(const QByteArray& real, EntryKind kind) {
  std::vector<QByteArray> names;
  // Qt reads the names through the wide API and leaves out hidden entries.
  QDirIterator it(QString::fromUtf8(real),
                  kind == EntryKind::Folders ? QDir::Dirs | QDir::NoDotAndDotDot : QDir::Files);
  while (it.hasNext()) {
    it.next();
    const QByteArray name = it.fileName().toUtf8();
    if (!name.startsWith('.')) names.push_back(name);
  }
  return names;
}

QString DriveText(const QString& root) {
  if (root.size() >= 2 && root[1] == QLatin1Char(':')) return root.left(1).toLower() + root.mid(1);
  return root;
}

}  // namespace tambril::platform
