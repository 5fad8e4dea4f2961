#pragma once
// The end of the program and the ways it is asked for from outside.
#include <QObject>
#include <functional>
#include <memory>

#include "sound/sound_service.h"

class QSocketNotifier;

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

// While it exists, SIGTERM, SIGINT and SIGHUP and the end of the desktop
// session end the program through `terminate`, on the user-interface thread
// (the signal handler only writes to a pipe). The previous signal handling
// comes back when it is destroyed. One at a time.
class TerminationHandling : public QObject {
  Q_OBJECT

 public:
  explicit TerminationHandling(std::function<void()> terminate);
  ~TerminationHandling() override;
  TerminationHandling(const TerminationHandling&) = delete;
  TerminationHandling& operator=(const TerminationHandling&) = delete;

#ifdef Q_OS_UNIX
  // The signals that end the program.
  static const int kSignals[3];
#endif

 private:
  void readSignal();
  std::function<void()> terminate_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool terminated_ = false;
};

}  // namespace tambril
