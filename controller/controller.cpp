#include "controller/controller.h"

#include <QDir>
#include <variant>

#include "age/age.h"
#include "codec/codec.h"
#include "codec/cp1252.h"
#include "codec/names.h"
#include "controller/load_file.h"
#include "controller/pass_runner.h"
#include "controller/path_rules.h"
#include "controller/target_name.h"
#include "platform/file_slots.h"

namespace tambril {
namespace {

using session::CreateMode;

Outcome Fails(Problem problem, const QString& name = {}) { return Outcome{Failure{problem, name}}; }

// The decode of a .tmb file and of an age file, by the check kept for it.
void DecodeWith(const codec::CheckResult& check, const codec::InputFile& source, const std::filesystem::path& target,
                const codec::ProgressFn& report) {
  codec::Decode(source, target, check, report);
}
void DecodeWith(const age::CheckResult& check, const codec::InputFile& source, const std::filesystem::path& target,
                const codec::ProgressFn& report) {
  age::Decode(source, target, check, report);
}

std::string Cp1252(const QString& text) { return codec::Utf8ToCp1252(text.toStdString()); }

// The decoded file of an age file: its name without ".age", or the name
// itself where it has none (taken, so the user names the file).
std::optional<std::string> AgeDecodedName(std::string_view name) {
  if (name.empty()) return std::nullopt;
  return age::DecodedPath(name).value_or(std::string(name));
}

// A pass over the loaded file; a failure of the codec is a device failure,
// but for an age file whose content fails its check. No target is left
// after one: the codec removes what it began.
Outcome RunGuarded(const std::function<void(const codec::ProgressFn&)>& pass, const PassWatch& watch) {
  try {
    RunPass(pass, watch.progress);
  } catch (const codec::CodecError& e) {
    return Fails(e.kind() == codec::ErrorKind::Damaged ? Problem::Damaged : Problem::Device);
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
  LoadOutcome loaded;
  {
    const session::Session::Hold oneChange(session_);
    session_.rememberPlace(place.folder, place.drive);
    loaded = LoadFile(session_, files_, path, listedName);
  }
  if (!loaded.file) return Fails(loaded.refused == LoadRefusal::Access ? Problem::Access : Problem::Read);
  emit fileLoaded(path);
  return {};
}

Start Controller::startCoding(CreateMode command) {
  const bool encode = command == CreateMode::Encode;
  Start start;
  if (session_.markedEncoded() == encode) {
    start.failure = Failure{encode ? Problem::AlreadyEncoded : Problem::AlreadyDecoded, {}};
    return start;
  }
  // From here on the file dialog names a file, even if only a beep follows.
  start.createMode = true;
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!file) {
    start.failure = Failure{Problem::NothingLoaded, {}};
    return start;
  }
  session_.setLastCommand(command);
  if (!encode) {
    start.next = Step::CheckPassword;
    return start;
  }
  session_.setExtensionTag(QString::fromStdString(codec::Cp1252ToUtf8(codec::ExtensionTag(file->path.toStdString()))));
  start.proposal = proposeTarget(QStringLiteral("tmb"));
  if (!start.proposal) {
    start.failure = Failure{Problem::Device, {}};
    return start;
  }
  start.next = Step::NameTarget;
  return start;
}

void Controller::beginCreating(CreateMode mode) { session_.setCreateMode(mode); }

void Controller::beginOpening() {
  session_.setProposedName(QString());
  proposedReal_.clear();
}

std::optional<Proposal> Controller::proposeTarget(const QString& letters) {
  const std::string written = letters.toStdString();
  return propose([&written](std::string_view name) { return codec::ProposedPath(name, written); });
}

std::optional<Proposal> Controller::propose(const NameRule& rule) {
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!file) return std::nullopt;
  // Made from the bytes the file system knows, so that a name that is not
  // UTF-8 keeps its own bytes.
  const std::optional<std::string> real = rule(RealPath(file->path).toStdString());
  const std::optional<std::string> bare = rule(RealPath(file->name).toStdString());
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
  proposedReal_ = proposal.bareReal;
  return proposal;
}

QString Controller::targetIn(const QString& folder, const QString& listed) const {
  const QString name = JoinPath(folder, listed) + session_.proposedName();
  if (listed.isEmpty() && !proposedReal_.isEmpty()) {
    RememberShownPath(name, JoinRealPath(RealPath(folder), proposedReal_));
  }
  return name;
}

Acceptance Controller::acceptTarget(const QString& name) {
  const std::optional<bool> taken = NameIsTaken(name);
  if (!taken) return {Failure{Problem::Device, {}}};
  if (*taken) return {Failure{Problem::TargetTaken, name}};
  Acceptance accepted;
  const CreateMode mode = session_.createMode();
  if (mode != CreateMode::None) session_.acceptTarget(name);
  session_.setCreateMode(CreateMode::None);
  if (mode == CreateMode::Encode) accepted.next = Step::Encode;
  if (mode == CreateMode::Decode) accepted.next = Step::Decode;
  return accepted;
}

CheckOutcome Controller::checkPassword(const QString& password, const PassWatch& watch) {
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (file && file->age) return checkAgePassphrase(password, watch);
  try {
    const codec::InputFile* source = files_.slot1();
    if (!file || !source || !StillAsLoaded(*file, *source)) throw codec::CodecError(codec::ErrorKind::OpenSource, {});
    // Through the handle checked above, so that the file checked is the one decoded.
    codec::CheckResult check = codec::CheckPassword(*source, file->size, Cp1252(password));
    if (!check.fits()) return missed(Problem::WrongPassword);
    CheckOutcome outcome;
    outcome.tag = QString::fromStdString(codec::Cp1252ToUtf8(check.tagText()));
    const std::string letters = codec::TagForFileName(check.tagText());
    return keepFit(std::move(outcome), std::move(check),
                   [&letters](std::string_view name) { return codec::ProposedPath(name, letters); });
  } catch (const std::exception&) {
    // The file cannot be read.
    return missed(Problem::Device);
  }
}

CheckOutcome Controller::checkAgePassphrase(const QString& passphrase, const PassWatch& watch) {
  const codec::InputFile* source = files_.slot1();
  const std::uint64_t size = session_.loaded()->size;
  std::optional<age::CheckResult> check;
  if (source && StillAsLoaded(*session_.loaded(), *source)) {
    if (watch.begin) watch.begin();
    std::string key = passphrase.toStdString();
    try {
      RunPass([&](const codec::ProgressFn&) { check = age::CheckPassphrase(*source, size, key); }, [](int) {});
    } catch (const std::exception&) {
      check.reset();  // out of memory or the like: as a file that cannot be read
    }
    age::Wipe(key);
  }
  switch (check ? check->status : age::CheckStatus::FileError) {
    case age::CheckStatus::Fits:
      return keepFit({}, std::move(*check), AgeDecodedName);
    case age::CheckStatus::WrongPassphrase:
      return missed(Problem::WrongPassword);
    case age::CheckStatus::Damaged:
      return missed(Problem::Damaged);
    case age::CheckStatus::ForKey:
      return missed(Problem::MadeForKey);
    case age::CheckStatus::FileError:
      break;
  }
  return missed(Problem::Device);
}

CheckOutcome Controller::keepFit(CheckOutcome outcome, session::PasswordCheck check, const NameRule& rule) {
  session_.keepCheck(std::move(check));
  session_.setCreateMode(CreateMode::Decode);
  outcome.proposal = propose(rule);
  if (!outcome.proposal) {
    // No name can be made: a failure, not a fit, and no check is kept.
    session_.dropCheck();
    return CheckOutcome{Verdict::Failed, Failure{Problem::Device, {}}, {}, {}};
  }
  outcome.verdict = Verdict::Fits;
  return outcome;
}

CheckOutcome Controller::missed(Problem problem) {
  session_.dropCheck();
  // A file no password can open ends the create mode as a wrong password
  // does; after a failure to read it the user may try again.
  if (problem != Problem::Device) session_.setCreateMode(CreateMode::None);
  return CheckOutcome{
      problem == Problem::WrongPassword ? Verdict::Wrong : Verdict::Failed, Failure{problem, {}}, {}, {}};
}

void Controller::endCheck() { session_.dropCheck(); }

Outcome Controller::encode(const QString& password, const QString& confirmation, const PassWatch& watch) {
  const bool toAge = age::HasAgeSuffix(session_.target().toStdString());
  if (password.isEmpty()) return Fails(Problem::NoPassword);
  // Counted as the bytes the codec receives, one per character, or as the
  // characters of an age file's passphrase.
  const bool tooShort =
      toAge ? !age::PassphraseLengthFits(password.toStdString()) : Cp1252(password).size() < codec::kMinPasswordLength;
  if (tooShort) return Fails(Problem::PasswordTooShort);
  if (confirmation.isEmpty()) return Fails(Problem::NoConfirmation);
  if (password != confirmation) return Fails(Problem::PasswordMismatch);
  if (watch.begin) watch.begin();
  const codec::InputFile* source = files_.slot1();
  const std::optional<session::LoadedFile>& file = session_.loaded();
  if (!source || !file || !StillAsLoaded(*file, *source)) return Fails(Problem::Device);
  const std::filesystem::path target = ToFsPath(session_.target());
  const std::uint64_t length = file->size;
  if (toAge) {
    std::string key = confirmation.toStdString();
    const Outcome done =
        RunGuarded([&](const codec::ProgressFn& report) { age::Encode(*source, length, target, key, report); }, watch);
    age::Wipe(key);
    return finishPass(done);
  }
  const std::string key = Cp1252(confirmation);
  const std::string tag = Cp1252(session_.extensionTag());
  return finishPass(RunGuarded(
      [&](const codec::ProgressFn& report) { codec::Encode(*source, length, target, key, tag, report); }, watch));
}

Outcome Controller::decode(const PassWatch& watch) {
  if (watch.begin) watch.begin();
  const std::optional<session::PasswordCheck>& check = session_.lastCheck();
  const codec::InputFile* source = files_.slot1();
  const std::optional<session::LoadedFile>& file = session_.loaded();
  const bool fits = check && std::visit([](const auto& kept) { return kept.fits(); }, *check);
  if (!fits || !source || !file || !StillAsLoaded(*file, *source)) return Fails(Problem::Device);
  const std::filesystem::path target = ToFsPath(session_.target());
  return finishPass(RunGuarded(
      [&](const codec::ProgressFn& report) {
        std::visit([&](const auto& kept) { DecodeWith(kept, *source, target, report); }, *check);
      },
      watch));
}

Outcome Controller::finishPass(Outcome outcome) {
  if (outcome) emit targetWritten();
  return outcome;
}

}  // namespace tambril
