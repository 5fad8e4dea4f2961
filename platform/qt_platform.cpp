// The Qt implementation of the platform layer.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include "platform/qt_platform.h"
#include "platform/sound_player.h"

namespace tambril::platform {

void QtPlatform::messageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                  title.isEmpty() ? QGuiApplication::applicationDisplayName() : title, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void QtPlatform::beep() { QApplication::beep(); }

void QtPlatform::setPointer(QWidget* window, Pointer pointer) {
  if (!window) return;
  if (pointer == Pointer::Busy) {
    window->setCursor(Qt::WaitCursor);
  } else {
    window->unsetCursor();
  }
}

QRect QtPlatform::screenGeometry() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void QtPlatform::clearClipboard() { QGuiApplication::clipboard()->clear(); }

void QtPlatform::setClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

SoundPlayer& QtPlatform::player(int number) { return number == 1 ? *players_[0] : *players_[1]; }

void QtPlatform::endProgram() { QCoreApplication::exit(0); }

void CentreOnScreen(QWidget& window, const Platform& platform) {
  const QRect screen = platform.screenGeometry();
  const QSize outer = window.frameGeometry().size();
  window.move(screen.left() + (screen.width() - outer.width()) / 2,
              screen.top() + (screen.height() - outer.height()) / 2);
}

}  // namespace tambril::platform
