// The sound service: two players and the requests that say which one plays
// and whether the caller waits for the end of the sound.
#include <QDir>

#include "platform/platform.h"
#include "sound/sound_service.h"
#include "sound/wave_length.h"

namespace Module2 {

namespace {

// Added to a sound's length when waiting for its end: the audio output needs
// a moment to start. A file whose length cannot be read (missing, no wave)
// is waited for this long at most, as the player stays silent anyway.
constexpr std::chrono::milliseconds kWaitMargin{1000};

}  // namespace

void SoundService::LoadSound(int device, const QString& fileName) {
  // The folder is read first, as it is at the time of the call.
  const QString folder = QDir::toNativeSeparators(QDir::currentPath());
  if (device != 1 && device != 2) return;
  auto& player = platform_.player(device);
  player.close();
  // Joined as built: in a root folder the separator appears twice in a row.
  const QString path = folder + QDir::separator() + fileName;
  files_[device - 1] = path;
  player.open(path);
}

void SoundService::CloseSounds() {
  platform_.player(1).close();
  platform_.player(2).close();
}

std::chrono::milliseconds SoundService::WaitBound(int device) const {
  if (device != 1 && device != 2) return kWaitMargin;
  return tambril::WaveLength(files_[device - 1]).value_or(std::chrono::milliseconds(0)) + kWaitMargin;
}

void SoundService::PlaySound(SoundRequest request) {
  const int device = request.SoundDevice, mode = request.SoundMode;
  if (device != 1 && device != 2) return;
  auto& player = platform_.player(device);
  if (mode == 1) {
    player.play();
  } else if (mode == 2) {
    player.playAndWait(WaitBound(device));
  }
}

}  // namespace Module2
