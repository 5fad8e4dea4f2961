// The Qt implementation of the platform layer.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <memory>

#include "platform/platform.h"
#include "platform/sound_player.h"

namespace tambril::platform {
namespace {

class QtPlatform : public Platform {
 public:
  void messageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override {
    QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    title.isEmpty() ? QGuiApplication::applicationDisplayName() : title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  }
  void beep() override { QApplication::beep(); }
  void setPointer(QWidget* window, Pointer pointer) override {
    if (!window) return;
    if (pointer == Pointer::Busy) {
      window->setCursor(Qt::WaitCursor);
    } else {
      window->unsetCursor();
    }
  }
  QRect screenGeometry() const override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  }
  void clearClipboard() override { QGuiApplication::clipboard()->clear(); }
  void setClipboardText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }
  SoundPlayer& player(int number) override { return number == 1 ? *players_[0] : *players_[1]; }
  void endProgram() override { QCoreApplication::exit(0); }

 private:
  std::unique_ptr<SoundPlayer> players_[2] = {MakeSoundPlayer(), MakeSoundPlayer()};
};

}  // namespace

Platform& DesktopPlatform() {
  // Never destroyed: when the program is ended from outside (the display
  // goes away) exit() runs static destructors after Qt's multimedia has
  // gone, and a sound player destroyed then would crash. The end sequence
  // closes the players while Qt is still there.
  static QtPlatform* const qt = new QtPlatform;
  return *qt;
}

void CentreOnScreen(QWidget& window, const Platform& platform) {
  const QRect screen = platform.screenGeometry();
  const QSize outer = window.frameGeometry().size();
  window.move(screen.left() + (screen.width() - outer.width()) / 2,
              screen.top() + (screen.height() - outer.height()) / 2);
}

}  // namespace tambril::platform
