#include "main_window/program_end.h"

#include "platform/background_work.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "sound/sound_service.h"

namespace tambril {

void ProgramEnd::run() {
  if (ended_) return;
  ended_ = true;
  emit ending();
  // A pass on a worker thread finishes first: it reads the loaded file and
  // gives its target its name (or removes it) itself.
  WaitForBackgroundWork();
  sounds_.PlaySound({.SoundDevice = 2, .SoundMode = 2});
  sounds_.CloseSounds();
  files_.closeAll();
  platform_.endProgram();
}

}  // namespace tambril
