#pragma once
// What the windows and the controller ask of the file system where Windows
// and POSIX systems differ; answered in file_system_posix.cpp and
// file_system_windows.cpp, as the codec answers for its file layer.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <filesystem>
#include <system_error>
#include <vector>

#include "codec/files.h"

namespace tambril::platform {

// Whether two names that differ only in the case of letters name the same
// file (Windows) or two files.
bool NamesIgnoreCase();

// The bare name of `path` as shown: a name that is not UTF-8 shows U+FFFD
// where a byte is not.
QString ShownFileName(const std::filesystem::path& path);

// Whether the folder `real` (its bytes as the file system names it; UTF-8
// on Windows) can be listed with the rights the program runs under. An
// empty drive counts as open.
bool CanListFolder(const QByteArray& real);

enum class EntryKind { Folders, Files };
// The bare names (bytes as above) of the entries of `real` that are of
// `kind`, links followed, hidden ones left out; in no particular order.
std::vector<QByteArray> FolderEntries(const QByteArray& real, EntryKind kind);

// Makes the folder `path`, named exactly as given: on Windows a name that
// ends in a dot or a space (`Neu.`) keeps it, as file names do. Nothing or
// the system's error (an error number), `file_exists` when something of
// that name is there.
std::error_code MakeFolder(const std::filesystem::path& path);

// How a drive's root is shown: on Windows with a small letter, as the drive
// box there shows it (c:\ for C:), elsewhere as it is.
QString DriveText(const QString& root);

}  // namespace tambril::platform
