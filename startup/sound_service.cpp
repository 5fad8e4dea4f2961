// The sound service: two players and the request bytes that say which one
// plays and whether the caller waits for the end of the sound.
#include <QDir>
#include <array>

#include "platform/platform.h"
#include "startup/module2.h"
#include "startup/wave_length.h"

namespace Module2 {

unsigned char SoundDevice = 0;
unsigned char SoundMode = 0;

namespace {

// Added to a sound's length when waiting for its end: the audio output needs
// a moment to start. A file whose length cannot be read (missing, no wave)
// is waited for this long at most, as the player stays silent anyway.
constexpr std::chrono::milliseconds kWaitMargin{1000};

// The file each player was given last, for the length of a waited-for sound.
std::array<QString, 2> g_files;

}  // namespace

void InitSound() {
  // Player 1 hidden, without notification, waiting, not shared: the Qt
  // players have no such settings, and nothing of them is shown.
}

void LoadSound(int device, const QString& fileName) {
  // The folder is read first, as it is at the time of the call.
  const QString folder = QDir::toNativeSeparators(QDir::currentPath());
  if (device != 1 && device != 2) return;
  auto& player = tambril::platform::Current().player(device);
  player.close();
  // Joined as built: in a root folder the separator appears twice in a row.
  const QString path = folder + QDir::separator() + fileName;
  g_files[device - 1] = path;
  player.open(path);
}

void CloseSounds() {
  tambril::platform::Current().player(1).close();
  tambril::platform::Current().player(2).close();
}

std::chrono::milliseconds WaitBound(int device) {
  if (device != 1 && device != 2) return kWaitMargin;
  return tambril::WaveLength(g_files[device - 1]).value_or(std::chrono::milliseconds(0)) + kWaitMargin;
}

void PlaySound() {
  const int device = SoundDevice, mode = SoundMode;
  SoundDevice = 0;
  SoundMode = 0;
  if (device != 1 && device != 2) return;
  auto& player = tambril::platform::Current().player(device);
  if (mode == 1) {
    player.play();
  } else if (mode == 2) {
    player.playAndWait(WaitBound(device));
  }
}

}  // namespace Module2
