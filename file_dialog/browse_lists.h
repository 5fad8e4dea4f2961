#pragma once
// The three browsing lists of the file dialog: drives (the mounted file
// system roots; drive letters on Windows), the folder being browsed with its
// parents and sub-folders, and the files of a folder that match a pattern.
// Paths are handed in and out in the platform's own notation, as shown; the
// folder and file lists also keep the real bytes of every path they show,
// since a name that is not UTF-8 cannot be told from its shown text alone.
// Only folders and regular files are listed (links followed): a pipe,
// socket or device is no file to load, and opening a pipe would wait.
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QString>

#include "controller/path_rules.h"
#include "file_dialog/file_pattern.h"

namespace tambril {

class DriveList : public QComboBox {
  Q_OBJECT

 public:
  explicit DriveList(QWidget* parent = nullptr);
  // Re-reads the mounted roots.
  void reload();
  // The shown drive's root, for example "/" or "C:\".
  QString drive() const { return drive_; }
  // Shows the drive `root` (taken into the list when missing) and emits
  // changed() if that is another drive than before.
  void setDrive(const QString& root);
  // Shows the drive that holds `path`, without a change; returns it.
  QString followPath(const QString& path);
  // Whether the drive can be browsed.
  static bool IsReadable(const QString& root);
  // The roots the list offers.
  static QStringList Roots();
  // The root among them that holds `path` (the longest), or the file
  // system's root.
  static QString RootOf(const QString& path);
  // Opening the list reads the mounted roots again.
  void showPopup() override;

 signals:
  // The user chose the drive `root`.
  void changed(const QString& root);

 private:
  int indexOfRoot(const QString& root) const;
  QString drive_;
};

class FolderList : public QListWidget {
  Q_OBJECT

 public:
  explicit FolderList(QWidget* parent = nullptr);
  QString path() const { return path_; }
  // The shown folder as the file system names it.
  const QByteArray& realPath() const { return realPath_; }
  // Shows `folder`. Returns false, changing nothing, when it cannot be
  // opened; emits changed() when the shown folder became another one.
  bool setPath(const QString& folder);
  bool setRealPath(const QByteArray& folder);
  // Re-reads the folder; false when it is gone or cannot be read.
  bool refresh();
  static bool CanOpen(const QString& folder);
  static bool CanOpenReal(const QByteArray& folder);
  // Typing jumps to the next folder whose name starts with what was typed;
  // the indentation of the names plays no part.
  void keyboardSearch(const QString& search) override;

 signals:
  // The list shows another folder now, `folder`.
  void changed(const QString& folder);
  // A folder the user chose could not be opened.
  void openFailed(const QString& folder);

 private:
  void fill();
  QString path_;
  QByteArray realPath_;
  QString typed_;
  QElapsedTimer sinceTyped_;
};

class FileList : public QListWidget {
  Q_OBJECT

 public:
  explicit FileList(QWidget* parent = nullptr);
  QString path() const { return path_; }
  // Lists the files of `folder`; false, changing nothing, when it cannot be read.
  bool setPath(const QString& folder);
  bool setRealPath(const QByteArray& folder);
  const FilePattern& pattern() const { return pattern_; }
  void setPattern(const FilePattern& pattern);
  // Re-reads the folder; false when it is gone or cannot be read.
  bool refresh();
  // The selected file's bare name as shown, empty when none is selected.
  QString fileName() const;
  // The selected file's whole path as the file system names it.
  QByteArray realFilePath() const;

 signals:
  // The user (or a caller) selected the file `name`.
  void clicked(const QString& name);
  void doubleClicked();
  // The list was read again: no file is selected.
  void refilled();

 private:
  void fill();
  QString path_;
  QByteArray realPath_;
  FilePattern pattern_;
  bool filling_ = false;
};

}  // namespace tambril
