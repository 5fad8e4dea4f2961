#pragma once
// One of the program's two sound players: a waveform file is opened on it,
// played once from its start (with or without waiting for the end), and
// closed again.
#include <QString>
#include <chrono>
#include <memory>

namespace tambril::platform {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Closes what was open and opens `path`. A missing or unreadable file is
  // not reported: the player then stays silent.
  virtual void open(const QString& path) = 0;
  // Closing a closed player is harmless.
  virtual void close() = 0;
  // Starts the sound and returns at once.
  virtual void play() = 0;
  // Plays the sound and returns when it has ended, or after `bound` at the
  // latest, so that a machine without audio never hangs.
  virtual void playAndWait(std::chrono::milliseconds bound) = 0;
};

// The system's player: Qt Multimedia, or the Win32 API on Windows.
std::unique_ptr<SoundPlayer> MakeSoundPlayer();

}  // namespace tambril::platform
