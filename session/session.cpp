#include "session/session.h"

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

void Session::announce() {
  if (holds_ > 0) {
    held_ = true;
  } else {
    emit changed();
  }
}

void Session::release() {
  if (--holds_ == 0 && std::exchange(held_, false)) emit changed();
}

void Session::beginLoad(const QString& path) { set(lastAttempt_, path); }

void Session::markKind(bool encoded) { set(markedEncoded_, encoded); }

void Session::finishLoad(const LoadedFile& file, const QByteArray& content) {
  loaded_ = file;
  set(lastLoaded_, file);
  emit loadedContent(content);
}

void Session::failLoad() {
  set(loaded_, std::nullopt);
  emit loadedContent({});
}

void Session::setCreateMode(CreateMode mode) { set(createMode_, mode); }

void Session::setProposedName(const QString& name) { set(proposedName_, name); }

void Session::rememberPlace(const QString& folder, const QString& drive) {
  rememberedFolder_ = folder;
  set(rememberedDrive_, drive);
}

void Session::acceptTarget(const QString& path) { set(target_, path); }

void Session::setLastCommand(CreateMode command) { set(lastCommand_, command); }

void Session::setExtensionTag(const QString& tag) { set(extensionTag_, tag); }

void Session::keepCheck(PasswordCheck check) { set(lastCheck_, std::move(check)); }

void Session::dropCheck() { set(lastCheck_, std::nullopt); }

}  // namespace tambril::session
