#pragma once
// Loading: makes a file the loaded file. Its content goes to the viewer
// (through the session), it stays open as file slot 1, and the session's
// loaded file describes it. The only writer of the loaded file; "ÖFFNEN",
// a file named on the command line and a dropped file all load through it.
#include <QString>
#include <optional>

#include "session/session.h"

namespace tambril {

// What a load came to: the loaded file, or the message to show (with a
// beep) when it failed. After a failure no file is loaded; what the steps
// before the failure changed in the session stays changed.
struct LoadOutcome {
  std::optional<session::LoadedFile> file;
  QString error;
};

// Loads `path` into the session `s`; `listedName` is the bare name the file dialog's list has
// selected (empty when none is).
LoadOutcome LoadFile(session::Session& s, const QString& path, const QString& listedName);

}  // namespace tambril
