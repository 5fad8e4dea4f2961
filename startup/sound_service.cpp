#include <QDir>

#include "platform/platform.h"
#include "startup/module2.h"

namespace Module2 {

unsigned char SoundDevice = 0;
unsigned char SoundMode = 0;

namespace {
// The longest wait for a sound played to its end; the sounds are far shorter.
constexpr std::chrono::milliseconds kPlayBound{5000};
}  // namespace

void InitSound() {}

void LoadSound(int device, const QString& fileName) {
  const QString folder = QDir::currentPath();
  if (device != 1 && device != 2) return;
  auto& player = tambril::platform::Current().player(device);
  player.close();
  // Joined as built: a root folder gives two separators in a row.
  player.open(folder + QLatin1Char('/') + fileName);
}

void CloseSounds() {
  tambril::platform::Current().player(1).close();
  tambril::platform::Current().player(2).close();
}

void PlaySound() {
  const int device = SoundDevice, mode = SoundMode;
  SoundDevice = 0;
  SoundMode = 0;
  if (device != 1 && device != 2) return;
  auto& player = tambril::platform::Current().player(device);
  if (mode == 1) player.play();
  else if (mode == 2) player.playAndWait(kPlayBound);
}

}  // namespace Module2
