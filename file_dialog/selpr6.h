#pragma once
// Selpr6: the program's own file dialog, which loads a file or names the
// file a coding pass is to create. Its callers put it into one of three
// modes and show it modally: open mode ("ÖFFNEN" enabled) loads a file; the
// two create modes ("ERSTELLEN" enabled, the session's create mode Encode or
// Decode) name the file an encoding or decoding is to write. It is created
// once and afterwards only hidden, so drive, folder, file type and name box
// carry over from one showing to the next.
//
// Its state between showings is the session's; these tiny labels show it:
//   Label4  mode word: "CODEON", "CODEOFF" or empty
//   Label5  folder of the loaded file, remembered by "ÖFFNEN"
//   Label6  drive of the loaded file, remembered by "ÖFFNEN"
#include <QDialog>

#include "controller/controller.h"
#include "file_dialog/browse_lists.h"
#include "help_window/help_procedures.h"
#include "platform/platform.h"
#include "presenter/presenter.h"
#include "session/session.h"

class Form14;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

class Selpr6 : public QDialog {
  Q_OBJECT

 public:
  // `chain` loads and accepts names, `presenter` shows what fails; `help` is
  // its help window's, handed on
  // to the new-folder dialog; `parent` owns it (the main window).
  Selpr6(tambril::platform::Platform& platform, tambril::Controller& chain, tambril::Presenter& presenter,
         Module2::HelpWindow help, QWidget* parent = nullptr);

  // What the other windows ask of the dialog before showing it. Open mode:
  // caption " Datei öffnen", "ERSTELLEN" off, "ÖFFNEN" on, menu "Ordner"
  // off, proposed name and name box emptied, name box locked. Create
  // modes: caption " Datei erstellen", "ERSTELLEN" on, "ÖFFNEN" off, menu
  // "Ordner" on.
  void PrepareOpenMode();
  void PrepareCreateMode();
  // Whether the dialog was last prepared for open mode (also before the
  // first preparation).
  bool InOpenMode() const { return openMode_; }
  // Prepares to create in `mode`: the lists are re-read, the mode is set
  // and the name box is open for typing. False when the lists cannot be
  // read.
  bool OpenForCreating(tambril::session::CreateMode mode);
  // Shows `proposal` (the controller's) in the name box, with the lists in
  // the folder and drive the file was loaded from. False when that place
  // cannot be reached.
  bool ShowProposal(const tambril::Proposal& proposal);
  // The new-folder dialog of "Neuer Ordner..", the file dialog's own.
  Form14& newFolderDialog() const { return *newFolder_; }

  // Shows the loaded file's path in the name box, as after a load.
  void ShowLoadedFile();

  // Loads `path` (the "ÖFFNEN" step): remembers the lists' place, loads,
  // reports a failure over this dialog and hides it after a success.
  void OpenFile(const QString& path);
  // Shows the folder of `path` (absolute) in the lists, re-read, with its
  // file selected; a file hidden by the file type is shown by taking "*.*".
  // Nothing changes when that folder cannot be opened.
  void ShowFolderOf(const QString& path);

 signals:
  // "ERSTELLEN" accepted the name now in the session's target; the chain
  // goes on in the window `next`.
  void targetAccepted(tambril::Step next);

 public slots:
  void Form_Load();
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click();
  void File1_DblClick();
  void Combo1_Click();
  void Combo1_Change();
  void Command1_Click();  // ERSTELLEN
  void Command2_Click();  // ÖFFNEN: loads the file named in Text1
  void Command3_Click();  // ABBRECHEN
  void Command4_Click();  // HILFE
  void New_directory_Click();

  // Re-reads the file and folder lists from disk; false when the folder
  // shown last can no longer be read.
  bool RefreshLists();

 public:
  // Puts drive and folder list on the fall-back place, the file system's
  // root ("C:\" on Windows), running their change actions.
  void GoToFallbackPlace();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Connects the controls, the session and the controller to the handlers.
  void Connect();
  void Dir1_OpenFailed();
  void ShowError(const QString& text, bool beep);
  // Shows the session's state in Label4 to Label6.
  void ShowState();
  // The tooltips, four of them as the mode wants them.
  void ShowToolTips();
  // True while "ÖFFNEN" loads: a load from elsewhere moves the lists.
  bool loading_ = false;
  // What the lists show, as the dialog set it or the user chose it: the
  // folder, the drive, the selected file's bare name (empty when none is
  // selected) and the file type.
  QString folder_;
  QString drive_;
  QString listed_;
  QString pattern_ = QStringLiteral("*.*");
  tambril::platform::Platform& platform_;
  tambril::Controller& chain_;
  tambril::Presenter& presenter_;
  const tambril::session::Session& session_;
  Module2::HelpWindow help_;
  Form14* newFolder_;
  bool settingCombo_ = false;
  bool openMode_ = true;

 private:
  // The controls; others reach them only by their objectName.
  tambril::DriveList* Drive1;
  tambril::FolderList* Dir1;
  tambril::FileList* File1;
  QComboBox* Combo1;      // file type
  QLabel* Label1;         // "Dateiname:"
  QLabel* Label2;         // "Dateityp:"
  QLineEdit* Text1;       // full path of the chosen or the new file
  QPushButton* Command1;  // "ERSTELLEN"
  QPushButton* Command2;  // "ÖFFNEN"
  QPushButton* Command3;  // "ABBRECHEN"
  QPushButton* Command4;  // "HILFE"
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;

  // The menu; others reach it only by its objectName.
  QMenuBar* MenuBar;
  QMenu* Directory;        // "Ordner"
  QAction* New_directory;  // "Neuer Ordner.."
};
