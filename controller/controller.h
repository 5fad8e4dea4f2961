#pragma once
// The coding chain below the windows: loading a file, starting a coding
// command, proposing and accepting the file to create, checking a password
// and running a pass, each as one operation with a typed result. It is the
// only writer of the session; the windows read the session, call one
// operation from a handler and hand a failure to the presenter
// (presenter/presenter.h), which shows it over the window that asked. It
// links Qt Core, the codec and the file adapters only: no widgets here.
//
//   const Outcome done = chain.encode(Text1->text(), Text2->text(), watch);
//   if (done.failure) presenter.show(*done.failure, this);
//
// Which window comes next is said by a Step; the program opens it.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "session/session.h"

namespace tambril {

class FileSlots;

// What went wrong in a step of the chain; each has its message (or only a
// beep) in the presenter.
enum class Problem {
  AlreadyEncoded,    // "Code_An.." on a file marked as encoded
  AlreadyDecoded,    // "Code_Aus.." on a file marked as plain
  NothingLoaded,     // a coding command without a loaded file: a beep
  Device,            // a drive, folder or file failed: beep, message, file dialog to the root
  Access,            // loading: the path or the file refused
  Read,              // loading: reading failed
  TargetTaken,       // "ERSTELLEN" on a name that is taken (`name`)
  NoPassword,        // encoding: the password box is empty
  PasswordTooShort,  // encoding: fewer than five characters
  NoConfirmation,    // encoding: the confirmation box is empty
  PasswordMismatch,  // encoding: password and confirmation differ
  WrongPassword,     // the check: the password does not fit the file
  Damaged,           // an age file that is not well formed or whose content fails its check
  MadeForKey,        // an age file made for a key, which no password opens
};

struct Failure {
  Problem problem;
  QString name;  // the name a TargetTaken refusal names
};

// The result of an operation: nothing, or what went wrong.
struct Outcome {
  std::optional<Failure> failure;
  explicit operator bool() const { return !failure; }
};

// The file proposed for a coding pass to create: the path shown in the file
// dialog's name box, and the real bytes of the bare name that a change of
// folder puts after the new folder.
struct Proposal {
  QString path;
  QByteArray bareReal;
};

// The window the chain goes on in after a step.
enum class Step {
  Nothing,        // the chain ends here
  NameTarget,     // the file dialog, in its create mode, with the proposed file
  CheckPassword,  // the check dialog
  Encode,         // the encode dialog
  Decode,         // the decode dialog
};

// What "Code_An.." or "Code_Aus.." starts: a failure to show over the main
// window, or the window that comes next. The file dialog goes into its
// create mode first where `createMode` says so, even when a failure (a bare
// beep for NothingLoaded) ends the command.
struct Start {
  std::optional<Failure> failure;
  bool createMode = false;
  Step next = Step::Nothing;
  // An encoding's proposed file, shown in the file dialog.
  std::optional<Proposal> proposal;
  explicit operator bool() const { return !failure; }
};

// "ERSTELLEN": the accepted name goes on to the coding dialog `next`
// (Nothing: nothing follows).
struct Acceptance {
  std::optional<Failure> failure;
  Step next = Step::Nothing;
};

// What a password check came to: exactly one of these.
enum class Verdict {
  Fits,    // the password fits; the decoded file's name is proposed
  Wrong,   // it does not fit (WrongPassword)
  Failed,  // the file cannot be read or no name can be made (Device)
};

// A password check: its verdict, the failure to show for Wrong and Failed,
// and on a fit the stored extension tag as shown (Label3 of the check
// dialog) and the proposed name of the decoded file.
struct CheckOutcome {
  Verdict verdict = Verdict::Failed;
  std::optional<Failure> failure;
  QString tag;
  std::optional<Proposal> proposal;
};

// How a dialog follows its pass: `begin` as the pass is about to start
// (after the passwords were accepted), then every progress value.
struct PassWatch {
  std::function<void()> begin;
  std::function<void(int)> progress;
};

// A place in the file system as the file dialog shows it.
struct Place {
  QString folder;
  QString drive;
};

class Controller : public QObject {
  Q_OBJECT

 public:
  // `files` holds the loaded file open.
  Controller(session::Session& session, FileSlots& files);

  const session::Session& session() const { return session_; }
  // What the viewer shows of the loaded file now: its bytes, or nothing
  // when it is too large to show, none is loaded or it cannot be read.
  QByteArray loadedContent() const;

  // Loads `path` ("ÖFFNEN", the command line, a drop): file slot 1 opens it,
  // the session describes it and the viewer gets its content. `listedName`
  // is the bare name the file list selected (empty when none); `place` is
  // remembered as where the create modes start, even when the load fails.
  // Access or Read when it fails; no file is loaded then.
  Outcome load(const QString& path, const QString& listedName, const Place& place);

  // "Code_An.." and "Code_Aus..": a file already coded the wanted way is
  // refused (AlreadyEncoded, AlreadyDecoded), and without a loaded file
  // there is NothingLoaded; otherwise the command is marked as the one
  // started last. An encoding takes the extension tag of the loaded path and
  // goes on in the file dialog with the proposed .tmb file (Device when no
  // name can be made); a decoding goes on in the check dialog.
  Start startCoding(session::CreateMode command);
  // The file dialog's lists are ready for naming a file in `mode`.
  void beginCreating(session::CreateMode mode);
  // The file dialog back in open mode: no proposed name.
  void beginOpening();
  // The file to create for the loaded file: its path and bare name with
  // `letters` written after the first "." (the name's own bytes kept).
  // Empty when no file is loaded or no name can be made.
  std::optional<Proposal> proposeTarget(const QString& letters);
  // The name box after the file dialog changed to `folder`: the file
  // selected in its list (`listed`, empty for none) and the proposed name
  // after it; with none selected, the proposed name keeps its own bytes.
  QString targetIn(const QString& folder, const QString& listed) const;
  // "ERSTELLEN" with `name`: refused when anything has that name
  // (TargetTaken) or its folder cannot be searched (Device); otherwise the
  // session's target, the create mode ends and the coding dialog of that
  // mode is next.
  Acceptance acceptTarget(const QString& name);

  // "OK" of the check dialog: `password` against the loaded file. A fit is
  // kept for the decode, with the create mode Decode and the proposed name
  // of the decoded file; a miss (Wrong, WrongPassword) ends the create mode;
  // a file that cannot be read, or a name that cannot be made, is Failed
  // (Device), and no check is kept. An age file's key derivation takes
  // about a second: it runs beside the windows, as a pass does, after
  // `watch.begin`; its proposed name is its own without ".age" (the name
  // itself where it has none, for the user to change), and a file that does
  // not read as one with a fitting password is Failed (Damaged or
  // MadeForKey).
  CheckOutcome checkPassword(const QString& password, const PassWatch& watch = {});
  // The chain a check opened is over; a decode needs a new check.
  void endCheck();

  // "OK" of the encode dialog: the password and its confirmation are
  // checked, then the loaded file is encoded into the session's target: an
  // age file where that name ends in ".age", a .tmb file otherwise.
  // The pass runs beside the windows (they repaint, input is dropped),
  // followed by `watch`. No target is left after a Device failure.
  Outcome encode(const QString& password, const QString& confirmation, const PassWatch& watch);
  // "OK" of the decode dialog: the loaded file decoded into the target with
  // the kept check; Device without one. An age file whose content fails its
  // check is Damaged, and leaves no target either.
  Outcome decode(const PassWatch& watch);

 signals:
  // `path` was loaded: a file dialog that did not load it itself goes to
  // its folder.
  void fileLoaded(const QString& path);
  // A pass has written its target: the file dialog's name box shows the
  // loaded file again.
  void targetWritten();

 private:
  Outcome finishPass(Outcome outcome);
  // A name made from another (UTF-8), or nothing when none can be made.
  using NameRule = std::function<std::optional<std::string>(std::string_view)>;
  CheckOutcome checkAgePassphrase(const QString& passphrase, const PassWatch& watch);
  // Keeps a fitting check for the decode and proposes the decoded file's
  // name, made by `rule` from the loaded file's path and name.
  CheckOutcome keepFit(CheckOutcome outcome, session::PasswordCheck check, const NameRule& rule);
  // A check that failed with `problem`: nothing is kept.
  CheckOutcome missed(Problem problem);
  std::optional<Proposal> propose(const NameRule& rule);

  session::Session& session_;
  FileSlots& files_;
  // The proposed file's bare name as the file system names it.
  QByteArray proposedReal_;
};

}  // namespace tambril
