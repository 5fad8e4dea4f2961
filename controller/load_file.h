#pragma once
// Loading: makes a file the loaded file. It stays open as file slot 1, the
// session's loaded file describes it and the viewer gets its content
// through the session. The controller's load is its only caller.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "codec/files.h"
#include "session/session.h"

namespace tambril {

class FileSlots;

// Files larger than this are loaded but not shown: the viewer says so.
constexpr std::int64_t kMaxShownBytes = std::int64_t{256} * 1024 * 1024;
// Whether a file of `size` bytes is too large for the viewer, RTF or not.
constexpr bool TooLargeToShow(std::int64_t size) { return size > kMaxShownBytes; }

// What the viewer shows of `file`, `size` bytes long: all of it (fewer
// bytes if it has shrunk since), or nothing for a file too large to show.
QByteArray ContentToShow(const codec::InputFile& file, std::uint64_t size);

// Why a load failed: the path or the file was refused (a missing file, a
// folder, no right to read), or reading it failed.
enum class LoadRefusal { Access, Read };

// What a load came to: the loaded file, or why it failed. After a failure
// no file is loaded; what the steps before the failure changed in the
// session stays changed.
struct LoadOutcome {
  std::optional<session::LoadedFile> file;
  LoadRefusal refused = LoadRefusal::Read;
};

// Loads `path` into the session `s` through `files`; `listedName` is the
// bare name the file dialog's list has selected (empty when none is).
LoadOutcome LoadFile(session::Session& s, FileSlots& files, const QString& path, const QString& listedName);

}  // namespace tambril
