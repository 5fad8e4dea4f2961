#pragma once
// The end of the program (the ways it is asked for from outside are in
// platform/termination.h).
#include <QObject>

#include "sound/sound_service.h"

namespace tambril {

class FileSlots;
namespace platform {
class Platform;
}

// The end sequence, the same from "Beenden", the main window's close box
// and termination: says it is `ending` (the splash stops), waits for a
// coding pass still running beside the window, plays the closing sound to
// its end (bounded), closes both sound players and every open file, and
// ends the program at once. Only the first run does anything.
class ProgramEnd : public QObject {
  Q_OBJECT

 public:
  // `files` are closed, `platform` ends the program.
  ProgramEnd(platform::Platform& platform, Module2::SoundService& sounds, FileSlots& files)
      : platform_(platform), sounds_(sounds), files_(files) {}

  void run();

 signals:
  // The end has begun; nothing may open a window now.
  void ending();

 private:
  platform::Platform& platform_;
  Module2::SoundService& sounds_;
  FileSlots& files_;
  bool ended_ = false;
};

}  // namespace tambril
