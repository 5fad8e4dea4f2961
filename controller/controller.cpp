#include "controller/controller.h"

#include <QDir>

#include "codec/codec.h"
#include "codec/cp1252.h"
#include "codec/names.h"
#include "controller/load_file.h"
#include "controller/pass_runner.h"
#include "controller/target_name.h"
#include "platform/file_slots.h"

namespace tambril {
namespace {

using session::CreateMode;

Outcome Fails(Problem problem, const QString& name = {}) { return Outcome{Failure{problem, name}}; }

std::string Cp1252(const QString& text) { return codec::Utf8ToCp1252(text.toStdString()); }

// A pass over the loaded file; a failure of the codec is a device failure.
// No target is left after one: the codec removes what it began.
Outcome RunGuarded(const std::function<void(const codec::ProgressFn&)>& pass, const PassWatch& watch) {
  try {
    RunPass(pass, watch.progress);
  } catch (const std::exception&) {
    return Fails(Problem::Device);
  }
  return {};
}

// Whether the loaded path still names the very file that was loaded, as it
// stood then. A file rewritten under its name (an editor writes a new file
// and renames it over the old one) would otherwise be coded from what the
// open handle still holds, which is no longer what the name stands for.
bool StillAsLoaded(const session::LoadedFile& file, const codec::InputFile& source) {
  try {
    return source.stamp() == file.stamp && codec::StampOf(ToFsPath(file.path)) == file.stamp;
  } catch (const codec::CodecError&) {
    return false;
  }
}

}  // namespace

Controller::Controller(session::Session& session, FileSlots& files) : session_(session), files_(files) {}

QByteArray Controller::loadedContent() const {
  const std::optional<session::LoadedFile>& file = session_.loaded();
  const codec::InputFile* source = files_.slot1();
  if (!file || !source) return {};
  try {
    return ContentToShow(*source, file->size);
  } catch (const std::exception&) {
    return {};
  }
}

Outcome Controller::load(const QString& path, const QString& listedName, const Place& place) {
  const session::Session::Hold oneChange(session_);
  session_.rememberPlace(place.folder, place.drive);
  const LoadOutcome loaded = LoadFile(session_, files_, path, listedName);
  if (loaded.file) return {};
  return Fails(loaded.refused == LoadRefusal::Access ? Problem::Access : Problem::Read);
}

Outcome Controller::startCoding(CreateMode command) {
  const bool encode = command == CreateMode::Encode;
  if (session_.markedEncoded() == encode) return Fails(encode ? Problem::AlreadyEncoded : Problem::AlreadyDecoded);
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!file) return Fails(Problem::NothingLoaded);
  session_.setLastCommand(command);
  if (encode) {
    session_.setExtensionTag(
        QString::fromStdString(codec::Cp1252ToUtf8(codec::ExtensionTag(file->path.toStdString()))));
  }
  return {};
}

void Controller::beginCreating(CreateMode mode) { session_.setCreateMode(mode); }

void Controller::beginOpening() { session_.setProposedName(QString()); }

std::optional<Proposal> Controller::proposeTarget(const QString& letters) {
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!file) return std::nullopt;
  // Made from the bytes the file system knows, so that a name that is not
  // UTF-8 keeps its own bytes.
  const std::optional<std::string> real =
      codec::ProposedPath(RealPath(file->path).toStdString(), letters.toStdString());
  const std::optional<std::string> bare =
      codec::ProposedPath(RealPath(file->name).toStdString(), letters.toStdString());
  if (!real || !bare) return std::nullopt;
  const QByteArray realPath = QByteArray::fromStdString(*real);
  Proposal proposal;
  proposal.path = ShownName(realPath);
  RememberShownPath(proposal.path, realPath);
  // The bare name is the last part of the path when the list selected the
  // loaded file itself.
  const qsizetype cut = std::max(realPath.lastIndexOf('/'), realPath.lastIndexOf(QDir::separator().toLatin1()));
  const bool listed = file->path.endsWith(QDir::separator() + file->name) || file->path == file->name;
  proposal.bareReal = listed ? realPath.mid(cut + 1) : QByteArray::fromStdString(*bare);
  session_.setProposedName(ShownName(proposal.bareReal));
  return proposal;
}

Acceptance Controller::acceptTarget(const QString& name) {
  const std::optional<bool> taken = NameIsTaken(name);
  if (!taken) return {Failure{Problem::Device, {}}};
  if (*taken) return {Failure{Problem::TargetTaken, name}};
  Acceptance accepted;
  accepted.mode = session_.createMode();
  if (accepted.mode != CreateMode::None) session_.acceptTarget(name);
  session_.setCreateMode(CreateMode::None);
  return accepted;
}

CheckOutcome Controller::checkPassword(const QString& password) {
  CheckOutcome outcome;
  const auto failed = [&] {
    session_.dropCheck();
    outcome = CheckOutcome{Verdict::Failed, Failure{Problem::Device, {}}, {}, {}};
    return outcome;
  };
  const std::optional<session::LoadedFile>& file = session_.loaded();
  const codec::InputFile* source = files_.slot1();
  if (!file || !source || !StillAsLoaded(*file, *source)) return failed();
  std::optional<codec::CheckResult> check;
  try {
    check = codec::CheckPassword(ToFsPath(file->path), file->size, Cp1252(password));
  } catch (const std::exception&) {
    return failed();  // the file cannot be read
  }
  if (!check->fits()) {
    session_.dropCheck();
    session_.setCreateMode(CreateMode::None);
    return {Verdict::Wrong, Failure{Problem::WrongPassword, {}}, {}, {}};
  }
  outcome.tag = QString::fromStdString(codec::Cp1252ToUtf8(check->tagText()));
  const QString letters = QString::fromStdString(codec::TagForFileName(check->tagText()));
  session_.keepCheck(std::move(*check));
  session_.setCreateMode(CreateMode::Decode);
  outcome.proposal = proposeTarget(letters);
  if (!outcome.proposal) return failed();
  outcome.verdict = Verdict::Fits;
  return outcome;
}

void Controller::endCheck() { session_.dropCheck(); }

Outcome Controller::encode(const QString& password, const QString& confirmation, const PassWatch& watch) {
  if (password.isEmpty()) return Fails(Problem::NoPassword);
  // Counted as the bytes the codec receives, one per character.
  if (Cp1252(password).size() < codec::kMinPasswordLength) return Fails(Problem::PasswordTooShort);
  if (confirmation.isEmpty()) return Fails(Problem::NoConfirmation);
  if (password != confirmation) return Fails(Problem::PasswordMismatch);
  if (watch.begin) watch.begin();
  const codec::InputFile* source = files_.slot1();
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!source || !file || !StillAsLoaded(*file, *source)) return Fails(Problem::Device);
  const std::filesystem::path target = ToFsPath(session_.target());
  const std::uint64_t length = file->size;
  const std::string key = Cp1252(confirmation);
  const std::string tag = Cp1252(session_.extensionTag());
  return finishPass(RunGuarded(
      [&](const codec::ProgressFn& report) { codec::Encode(*source, length, target, key, tag, report); }, watch));
}

Outcome Controller::decode(const PassWatch& watch) {
  if (watch.begin) watch.begin();
  const std::optional<codec::CheckResult>& check = session_.lastCheck();
  const codec::InputFile* source = files_.slot1();
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!check || !check->fits() || !source || !file || !StillAsLoaded(*file, *source)) return Fails(Problem::Device);
  const std::filesystem::path target = ToFsPath(session_.target());
  return finishPass(
      RunGuarded([&](const codec::ProgressFn& report) { codec::Decode(*source, target, *check, report); }, watch));
}

Outcome Controller::finishPass(Outcome outcome) {
  if (outcome) emit targetWritten();
  return outcome;
}

}  // namespace tambril
