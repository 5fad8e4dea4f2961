// The Qt implementation of the platform layer.
#include <QApplication>
#include <QAudioDevice>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QMessageBox>
#include <QScreen>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/platform.h"

namespace tambril::platform {
namespace {

// Handles events until `done` holds, or `bound` has passed. Events are
// handled one batch at a time rather than in a nested event loop, so that the
// wait also holds when the program has already been told to quit. Only timers
// and the sound's own signals matter; user input is held back, as the program
// is about to end or a sound is being changed.
void HandleEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  if (done()) return;
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(bound);
  while (!done() && limit.isActive()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  }
}

class QtSoundPlayer : public SoundPlayer {
 public:
  void open(const QString& path) override {
    close();
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(path));
  }
  void close() override {
    if (!effect_) return;
    effect_->stop();
    // Qt reads a sound file on a thread of its own and keeps it in a cache
    // that is torn down when the program exits; a file still being read at
    // that moment makes the exit hang for good. So a sound is let go only
    // once its file has been read (or has failed), never longer than the
    // bound.
    HandleEventsUntil([this] { return effect_->status() != QSoundEffect::Loading; }, std::chrono::seconds(3));
    effect_.reset();
  }
  void play() override {
    if (effect_) effect_->play();
  }
  void playAndWait(std::chrono::milliseconds bound) override {
    if (!effect_) return;
    // Without any audio output nothing can be heard, and nothing is waited for.
    if (QMediaDevices::audioOutputs().isEmpty()) return;
    // The sound has ended once it has been seen playing and then stopped; a
    // file that cannot be read ends the wait at once.
    bool started = false;
    bool ended = false;
    QObject guard;  // disconnects the handlers below when the wait is over
    QObject::connect(effect_.get(), &QSoundEffect::playingChanged, &guard, [this, &started, &ended] {
      if (effect_->isPlaying()) {
        started = true;
      } else if (started) {
        ended = true;
      }
    });
    QObject::connect(effect_.get(), &QSoundEffect::statusChanged, &guard, [this, &ended] {
      if (effect_->status() == QSoundEffect::Error) ended = true;
    });
    effect_->play();
    started = started || effect_->isPlaying();
    if (effect_->status() == QSoundEffect::Error || effect_->status() == QSoundEffect::Null) return;
    HandleEventsUntil([&ended] { return ended; }, bound);
  }

 private:
  std::unique_ptr<QSoundEffect> effect_;
};

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
  SoundPlayer& player(int number) override { return number == 1 ? players_[0] : players_[1]; }
  void endProgram() override { QCoreApplication::exit(0); }

 private:
  QtSoundPlayer players_[2];
};

Platform* g_installed = nullptr;

}  // namespace

Platform& Current() {
  if (g_installed) return *g_installed;
  // Never destroyed: when the program is ended from outside (the display
  // goes away) exit() runs static destructors after Qt's multimedia has
  // gone, and a sound player destroyed then would crash. The end sequence
  // closes the players while Qt is still there.
  static QtPlatform* const qt = new QtPlatform;
  return *qt;
}

void Install(Platform* platform) { g_installed = platform; }

void CentreOnScreen(QWidget& window) {
  const QRect screen = Current().screenGeometry();
  const QSize outer = window.frameGeometry().size();
  window.move(screen.left() + (screen.width() - outer.width()) / 2,
              screen.top() + (screen.height() - outer.height()) / 2);
}

}  // namespace tambril::platform
