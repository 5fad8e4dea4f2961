#pragma once
// The Qt implementation of the platform layer. main() makes one after the
// application object and hands it to the program; it goes before the
// application does, with its sound players. (A program ended from outside,
// when the display goes away, leaves through exit(), which destroys no
// object of main(): no player outlives Qt's multimedia.)
#include <memory>

#include "platform/platform.h"

namespace tambril::platform {

class QtPlatform : public Platform {
 public:
  void messageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override;
  void beep() override;
  void setPointer(QWidget* window, Pointer pointer) override;
  QRect screenGeometry() const override;
  void clearClipboard() override;
  void setClipboardText(const QString& text) override;
  SoundPlayer& player(int number) override;
  void endProgram() override;

 private:
  std::unique_ptr<SoundPlayer> players_[2] = {MakeSoundPlayer(), MakeSoundPlayer()};
};

}  // namespace tambril::platform
