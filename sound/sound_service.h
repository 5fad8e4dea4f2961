#pragma once
// The program's sound service.
//
// Two players. A caller hands PlaySound a request: SoundDevice 1 or 2,
// SoundMode 1 = play without waiting, 2 = play and wait until the end.
//
//   sounds.PlaySound({.SoundDevice = 2, .SoundMode = 1});
#include <QString>
#include <array>
#include <chrono>

namespace tambril::platform {
class Platform;
}

namespace Module2 {

struct SoundRequest {
  unsigned char SoundDevice = 0;
  unsigned char SoundMode = 0;
};

class SoundService {
 public:
  // The players are the platform's.
  explicit SoundService(tambril::platform::Platform& platform) : platform_(platform) {}

  // Closes player `device` (1 or 2) and opens the file named by the current
  // directory, a separator and `fileName` on it; any other device does nothing.
  void LoadSound(int device, const QString& fileName);
  // Closes player 1, then player 2.
  void CloseSounds();
  // Carries out `request`. Any combination other than device 1 or 2 with
  // mode 1 or 2 plays nothing.
  void PlaySound(SoundRequest request);
  // How long "play and wait" waits at most on player `device`: the length of
  // the sound it was last given plus a margin for the audio output to start.
  std::chrono::milliseconds WaitBound(int device) const;

 private:
  tambril::platform::Platform& platform_;
  // The file each player was given last, for the length of a waited-for sound.
  std::array<QString, 2> files_;
};

}  // namespace Module2
