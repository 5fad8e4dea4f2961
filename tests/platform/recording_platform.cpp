#include "tests/platform/recording_platform.h"

#include <QWidget>

namespace tambril::platform {
namespace {
QString WindowName(const QWidget* w) {
  if (!w) return {};
  const QWidget* top = w->window();
  return top->objectName().isEmpty() ? QString::fromLatin1(top->metaObject()->className()) : top->objectName();
}
}  // namespace

void RecordingSoundPlayer::open(const QString& path) {
  open_ = true;
  file_ = path;
  log_ << QStringLiteral("sound %1 open %2").arg(number_).arg(path);
}
void RecordingSoundPlayer::close() {
  open_ = false;
  log_ << QStringLiteral("sound %1 close").arg(number_);
}
void RecordingSoundPlayer::play() { log_ << QStringLiteral("sound %1 play").arg(number_); }
void RecordingSoundPlayer::playAndWait(std::chrono::milliseconds bound) {
  lastBound = bound;
  log_ << QStringLiteral("sound %1 play and wait").arg(number_);
}

RecordingPlatform::RecordingPlatform() = default;

void RecordingPlatform::messageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) {
  RecordedMessage m{text, title, icon, WindowName(parent)};
  messages.push_back(m);
  events << QStringLiteral("message %1|%2: %3")
                .arg(title, icon == MessageIcon::Stop ? QStringLiteral("stop") : QStringLiteral("none"), text);
  if (onMessage) onMessage(m);
}

void RecordingPlatform::beep() {
  ++beeps;
  events << QStringLiteral("beep");
}

void RecordingPlatform::setPointer(QWidget* window, Pointer pointer) {
  events << QStringLiteral("pointer %1 %2")
                .arg(WindowName(window), pointer == Pointer::Busy ? QStringLiteral("busy") : QStringLiteral("normal"));
}

void RecordingPlatform::clearClipboard() {
  clipboard.clear();
  events << QStringLiteral("clipboard clear");
}

void RecordingPlatform::setClipboardText(const QString& text) {
  clipboard = text;
  events << QStringLiteral("clipboard set: %1").arg(text);
}

void RecordingPlatform::endProgram() {
  ++ends;
  events << QStringLiteral("end");
}

void RecordingPlatform::reset() {
  events.clear();
  messages.clear();
  beeps = 0;
  ends = 0;
}

}  // namespace tambril::platform
