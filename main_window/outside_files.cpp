#include "main_window/outside_files.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "file_dialog/path_rules.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "main_window/program.h"
#include "platform/background_work.h"
#include "platform/windows.h"

namespace tambril {

namespace {

// Selects `name` in the dialog's file list; false when it is not listed.
bool SelectFile(Selpr6& dialog, const QString& name) {
  const auto found = dialog.File1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (found.isEmpty()) return false;
  dialog.File1->setCurrentItem(found.first());
  return true;
}

// Loads a file when it sees the main window shown, then goes away.
class LoadOnFirstShow : public QObject {
 public:
  explicit LoadOnFirstShow(QString path) : QObject(qApp), path_(std::move(path)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<Form1*>(watched)) {
      qApp->removeEventFilter(this);
      // After the window's own showing has finished.
      QTimer::singleShot(0, qApp, [path = path_] { LoadFromOutside(path); });
      deleteLater();
    }
    return false;
  }

 private:
  QString path_;
};

// Takes drags of URLs on the main window and loads the first dropped one.
class FileDrops : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (MayLoadFromOutside() && !DroppedPath(*drag->mimeData()).isEmpty()) {
          drag->setDropAction(Qt::CopyAction);
          drag->accept();
        } else {
          drag->ignore();
        }
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DroppedPath(*drop->mimeData());
        if (!MayLoadFromOutside() || path.isEmpty()) {
          drop->ignore();
          return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Not inside the drop: a message box there would hold up the file
        // manager that started the drag.
        QTimer::singleShot(0, watched, [path] {
          if (MayLoadFromOutside()) LoadFromOutside(path);
        });
        return true;
      }
      default:
        return false;
    }
  }
};

}  // namespace

QString OutsidePath(const QString& argument) {
  QString path = argument;
  if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
    const QUrl url(argument);
    if (url.isLocalFile()) path = url.toLocalFile();
  }
  if (path.isEmpty()) return path;
  return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

QString DroppedPath(const QMimeData& data) {
  if (!data.hasUrls()) return {};
  const QList<QUrl> urls = data.urls();
  if (urls.isEmpty()) return {};
  const QUrl& first = urls.first();
  if (first.isLocalFile()) return OutsidePath(first.toLocalFile());
  return first.toString();
}

bool MayLoadFromOutside() { return QApplication::activeModalWidget() == nullptr && BackgroundWorkRunning() == 0; }

void LoadFromOutside(const QString& path) {
  Selpr6& dialog = Windows::get<Selpr6>();
  // What "Datei öffnen.." does before the dialog is shown.
  dialog.PrepareOpenMode();
  Module2::SetToolTips();

  const QFileInfo info(path);
  const QString folder = QDir::toNativeSeparators(info.absolutePath());
  if (info.isAbsolute() && FolderList::CanOpen(folder)) {
    // The folder change re-reads the lists; in the same folder they are
    // re-read here, so that a file made since the last showing is listed.
    if (QDir::cleanPath(dialog.Dir1->path()) == QDir::cleanPath(folder)) {
      dialog.RefreshLists();
    } else {
      dialog.Dir1->setPath(folder);
    }
    const QString name = info.fileName();
    if (!name.isEmpty() && !SelectFile(dialog, name) && info.isFile() &&
        dialog.Combo1->currentText() != QStringLiteral("*.*")) {
      // Hidden by the file type filter: show every file, as the user would.
      dialog.Combo1->setEditText(QStringLiteral("*.*"));
      SelectFile(dialog, name);
    }
  }
  dialog.Text1->setText(path);
  dialog.Command2_Click();
}

void LoadWhenMainWindowAppears(const QString& path) { qApp->installEventFilter(new LoadOnFirstShow(path)); }

void AcceptFileDrops(Form1& window) {
  window.setAcceptDrops(true);
  // The name field would otherwise take the drop as text.
  window.Text1->setAcceptDrops(false);
  window.installEventFilter(new FileDrops(&window));
}

}  // namespace tambril
