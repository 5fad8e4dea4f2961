#pragma once
// What the windows need from the desktop beyond their own controls: message
// boxes with an OK button, the beep, the busy pointer, the screen, the
// clipboard, two sound players and ending the program. The program hands its
// one Qt implementation (qt_platform.h) to each window that uses it; tests
// hand a recording fake instead (tests/platform/recording_platform.h).
#include <QRect>
#include <QString>

#include "platform/sound_player.h"

class QWidget;

namespace tambril::platform {

enum class MessageIcon { None, Stop };
enum class Pointer { Normal, Busy };

class Platform {
 public:
  virtual ~Platform() = default;
  // A modal message box with one OK button; returns when it is closed. An
  // empty title stands for the program's own title.
  virtual void messageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) = 0;
  virtual void beep() = 0;
  // The mouse pointer over one window: the hourglass or the arrow.
  virtual void setPointer(QWidget* window, Pointer pointer) = 0;
  // The available area of the primary screen, in pixels.
  virtual QRect screenGeometry() const = 0;
  virtual void clearClipboard() = 0;
  virtual void setClipboardText(const QString& text) = 0;
  // Player 1 or 2 (any other number is treated as 2).
  virtual SoundPlayer& player(int number) = 0;
  // Leaves every running event loop at once; the program then ends.
  virtual void endProgram() = 0;
};

// Puts a top-level window in the middle of `platform`'s screen, counting its
// frame.
void CentreOnScreen(QWidget& window, const Platform& platform);

}  // namespace tambril::platform
