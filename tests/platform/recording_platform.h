#pragma once
// A platform for tests: nothing is shown or heard; every call is recorded so
// that a test can assert on exact texts, titles, icons, beeps and pointers.
// Message boxes return at once, as if OK had been pressed.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace tambril::platform {

struct RecordedMessage {
  QString text;
  QString title;
  MessageIcon icon = MessageIcon::None;
  QString window;  // objectName of the parent window, empty without one
};

class RecordingSoundPlayer : public SoundPlayer {
 public:
  explicit RecordingSoundPlayer(int number, QStringList& log) : number_(number), log_(log) {}
  void open(const QString& path) override;
  void close() override;
  void play() override;
  void playAndWait(std::chrono::milliseconds bound) override;
  bool isOpen() const { return open_; }
  const QString& file() const { return file_; }
  // The bound given to the last playAndWait.
  std::chrono::milliseconds lastBound{-1};

 private:
  int number_;
  QStringList& log_;
  bool open_ = false;
  QString file_;
};

class RecordingPlatform : public Platform {
 public:
  RecordingPlatform();

  void messageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override;
  void beep() override;
  void setPointer(QWidget* window, Pointer pointer) override;
  QRect screenGeometry() const override { return screen; }
  void clearClipboard() override;
  void setClipboardText(const QString& text) override;
  SoundPlayer& player(int number) override { return number == 1 ? player1 : player2; }
  void endProgram() override;

  // Forgets everything recorded so far.
  void reset();

  // Everything in the order it happened, one line each, for example
  // "beep", "message ERROR|none: Fehler ...", "pointer Selpr6 busy",
  // "sound 2 play", "clipboard set: text", "end".
  QStringList events;
  std::vector<RecordedMessage> messages;
  int beeps = 0;
  int ends = 0;
  QString clipboard;
  QRect screen{0, 0, 1280, 1024};
  RecordingSoundPlayer player1{1, events};
  RecordingSoundPlayer player2{2, events};
  // Called for each message box while it would be open.
  std::function<void(const RecordedMessage&)> onMessage;
};

}  // namespace tambril::platform
