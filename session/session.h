#pragma once
// The state the windows share, as typed values: the loaded file, the file
// dialog's create mode, proposed name and remembered place, the extension
// tag an encoding stores, the kept password check and the coding command
// started last. Windows write it and show it in their controls; none reads a
// number, a path or a mode back out of a control. No widgets here.
//
// The program makes one session with its first window and hands it to each
// window that uses it:
//
//   if (const auto& file = session.loaded()) ShowSize(file->size);
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>

#include "age/age.h"
#include "codec/codec.h"
#include "codec/files.h"

namespace tambril::session {

// What the name chosen by "ERSTELLEN" is for.
enum class CreateMode { None, Encode, Decode };

// The mode word the file dialog shows for a create mode: "CODEON",
// "CODEOFF", or empty.
QString ModeWord(CreateMode mode);

// A password check that fitted, with what the decode needs: the tables of a
// .tmb file, or the file key of an age file.
using PasswordCheck = std::variant<codec::CheckResult, age::CheckResult>;

// A file that loading has made the loaded file.
struct LoadedFile {
  QString path;  // full path, as named in the file dialog's name box
  QString name;  // bare name selected in the file list; empty when none was
  std::uint64_t size = 0;
  QDateTime changed;       // time of the last change
  codec::FileStamp stamp;  // which file it was and how it stood when loaded
  bool encoded = false;    // ".tmb" occurs in the path, in any case, or it is an age file
  bool age = false;        // it starts as an age file (binary or armored), whatever its name
  bool rich = false;       // ".rtf" occurs in the path: shown formatted
};

class Session : public QObject {
  Q_OBJECT

 public:
  // ---- The loaded file. Loading (the controller's) is its only writer; the main window shows it, the coding commands
  // and dialogs read it.

  // The loaded file; empty before the first load and after a failed one.
  const std::optional<LoadedFile>& loaded() const { return loaded_; }
  // The path of the load begun last (the main window's caption); empty
  // before the first load.
  const QString& lastAttempt() const { return lastAttempt_; }
  // The kind marker the main window shows: set by a load once it has
  // classified the path and kept when a later step of it fails; empty
  // before the first load got that far.
  std::optional<bool> markedEncoded() const { return markedEncoded_; }
  // The last file loaded successfully; its megabyte and date lines stay
  // shown when a later load fails.
  const std::optional<LoadedFile>& lastLoaded() const { return lastLoaded_; }

  // Loading's steps, in their order. `content` is what the viewer shows of
  // the file: its bytes, or nothing for a file too large to show.
  void beginLoad(const QString& path);
  void markKind(bool encoded);
  void finishLoad(const LoadedFile& file, const QByteArray& content);
  void failLoad();

  // While one lives, the changes of the session are announced once, as the
  // last one ends: a load, made of several steps, is one change (the main
  // window draws its record once).
  class Hold {
   public:
    explicit Hold(Session& session) : session_(session) { ++session_.holds_; }
    ~Hold() { session_.release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    Session& session_;
  };

  // ---- The file dialog's state between two showings.

  // The create mode; None in open mode and once "ERSTELLEN" has handed on.
  CreateMode createMode() const { return createMode_; }
  void setCreateMode(CreateMode mode);
  // The bare name proposed for the file to create; a folder change in the
  // file dialog puts it after the folder. Empty in open mode.
  const QString& proposedName() const { return proposedName_; }
  void setProposedName(const QString& name);
  // The folder and drive of the file loaded last, where the create modes
  // start; set by loading even when the load then fails.
  const QString& rememberedFolder() const { return rememberedFolder_; }
  const QString& rememberedDrive() const { return rememberedDrive_; }
  void rememberPlace(const QString& folder, const QString& drive);

  // The path of the file to create, as "ERSTELLEN" accepted it last; the
  // encode and decode dialogs write to it. Empty until then.
  const QString& target() const { return target_; }
  void acceptTarget(const QString& path);

  // ---- The coding chains.

  // The coding command started last ("Code_An.." or "Code_Aus.."), which
  // the main window marks in its menu.
  CreateMode lastCommand() const { return lastCommand_; }
  void setLastCommand(CreateMode command);
  // The extension tag an encoding stores: the last three characters of the
  // loaded path, taken by "Code_An..".
  const QString& extensionTag() const { return extensionTag_; }
  void setExtensionTag(const QString& tag);
  // The last fitting password check, with what the decode needs; empty
  // after a miss and once the chain the check opened has closed.
  const std::optional<PasswordCheck>& lastCheck() const { return lastCheck_; }
  void keepCheck(PasswordCheck check);
  void dropCheck();

 signals:
  // Any of the values above changed.
  void changed();
  // A load ended: `content` for the viewer, after a failed load empty with
  // no file loaded.
  void loadedContent(const QByteArray& content);

 private:
  template <class T, class V>
  void set(T& field, V&& value) {
    field = std::forward<V>(value);
    announce();
  }
  void announce();
  void release();

  std::optional<LoadedFile> loaded_;
  std::optional<LoadedFile> lastLoaded_;
  QString lastAttempt_;
  std::optional<bool> markedEncoded_;
  CreateMode createMode_ = CreateMode::None;
  QString proposedName_;
  QString target_;
  QString rememberedFolder_;
  QString rememberedDrive_;
  CreateMode lastCommand_ = CreateMode::None;
  QString extensionTag_;
  std::optional<PasswordCheck> lastCheck_;
  int holds_ = 0;
  bool held_ = false;  // a change came while held
};

}  // namespace tambril::session
