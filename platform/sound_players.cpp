// The sound players: Qt Multimedia on Linux; on Windows, where Qt Multimedia
// is not built, the system's own PlaySound with the wave bytes in memory.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/sound_player.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <mmsystem.h>
#include <QFile>
#include <atomic>
#include <mutex>
#include <thread>
#else
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#endif

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

#ifdef Q_OS_WIN

// PlaySound plays one sound for the whole program, so stopping is only done
// by the player whose sound is the one playing.
std::mutex g_playing_mutex;
const void* g_playing = nullptr;

class Win32SoundPlayer : public SoundPlayer {
 public:
  ~Win32SoundPlayer() override { close(); }
  void open(const QString& path) override {
    close();
    QFile file(path);
    // A sound file is small; anything beyond a few megabytes is not one.
    if (file.open(QIODevice::ReadOnly) && file.size() <= kLargest) wave_ = file.readAll();
  }
  void close() override {
    stop();
    wave_.clear();
  }
  void play() override {
    if (!Audible()) return;
    stop();
    Start(SND_ASYNC);
  }
  void playAndWait(std::chrono::milliseconds bound) override {
    if (!Audible()) return;
    stop();
    // Played to its end on a thread of its own, while the window keeps
    // handling its timers; the wait ends with the sound or at `bound`.
    ended_ = false;
    {
      std::lock_guard lock(g_playing_mutex);
      g_playing = wave_.constData();
    }
    worker_ = std::thread([this] {
      ::PlaySoundW(reinterpret_cast<LPCWSTR>(wave_.constData()), nullptr, SND_MEMORY | SND_SYNC | SND_NODEFAULT);
      ended_ = true;
    });
    HandleEventsUntil([this] { return ended_.load(); }, bound);
  }

 private:
  static constexpr qint64 kLargest = 16 * 1024 * 1024;

  // Silent without a sound or without any audio output.
  bool Audible() const { return !wave_.isEmpty() && ::waveOutGetNumDevs() > 0; }

  void Start(DWORD how) {
    std::lock_guard lock(g_playing_mutex);
    g_playing = wave_.constData();
    ::PlaySoundW(reinterpret_cast<LPCWSTR>(wave_.constData()), nullptr, SND_MEMORY | SND_NODEFAULT | how);
  }

  // Stops this player's sound (the bytes it plays stay alive until then) and
  // lets its thread end.
  void stop() {
    {
      std::lock_guard lock(g_playing_mutex);
      if (!wave_.isEmpty() && g_playing == wave_.constData()) {
        ::PlaySoundW(nullptr, nullptr, 0);
        g_playing = nullptr;
      }
    }
    if (worker_.joinable()) worker_.join();
  }

  QByteArray wave_;
  std::thread worker_;
  std::atomic<bool> ended_{true};
};

#else

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

#endif

}  // namespace

std::unique_ptr<SoundPlayer> MakeSoundPlayer() {
#ifdef Q_OS_WIN
  return std::make_unique<Win32SoundPlayer>();
#else
  return std::make_unique<QtSoundPlayer>();
#endif
}

}  // namespace tambril::platform
