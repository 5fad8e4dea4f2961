#include "session/session.h"

#include "platform/file_slots.h"
#include "platform/windows.h"

namespace tambril::session {

QString ModeWord(CreateMode mode) {
  switch (mode) {
    case CreateMode::Encode:
      return QStringLiteral("CODEON");
    case CreateMode::Decode:
      return QStringLiteral("CODEOFF");
    case CreateMode::None:
      break;
  }
  return QString();
}

const codec::InputFile* Session::source() const { return Files().slot1(); }

void Session::beginLoad(const QString& path) {
  lastAttempt_ = path;
  emit changed();
}

void Session::markKind(bool encoded) {
  markedEncoded_ = encoded;
  emit changed();
}

void Session::finishLoad(const LoadedFile& file) {
  loaded_ = file;
  lastLoaded_ = file;
  emit changed();
}

void Session::failLoad() {
  loaded_.reset();
  emit changed();
}

void Session::setCreateMode(CreateMode mode) {
  createMode_ = mode;
  emit changed();
}

void Session::setProposedName(const QString& name) {
  proposedName_ = name;
  emit changed();
}

void Session::rememberPlace(const QString& folder, const QString& drive) {
  rememberedFolder_ = folder;
  rememberedDrive_ = drive;
  emit changed();
}

void Session::setLastCommand(CreateMode command) {
  lastCommand_ = command;
  emit changed();
}

void Session::setExtensionTag(const QString& tag) {
  extensionTag_ = tag;
  emit changed();
}

void Session::keepCheck(codec::CheckResult check) {
  lastCheck_ = std::move(check);
  emit changed();
}

void Session::dropCheck() {
  lastCheck_.reset();
  emit changed();
}

Session& Current() { return Windows::get<Session>(); }

}  // namespace tambril::session
