#include "main_window/outside_files.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <cstring>

#include "controller/path_rules.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/background_work.h"

namespace tambril {

namespace {

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
        auto* main = static_cast<Form1*>(watched);
        QTimer::singleShot(0, main, [main, path] {
          if (MayLoadFromOutside()) main->OpenFromOutside(path);
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
  path = QDir::fromNativeSeparators(path);
  const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
  // Without "..", dropping "." and doubled separators changes nothing the
  // system would see, and links stay as named.
  if (!absolute.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
    return QDir::toNativeSeparators(QDir::cleanPath(absolute));
  }
  // ".." is resolved as the system does: after the link before it, so
  // that "lnk/../x.txt" is x.txt beside the folder lnk leads to. Only the
  // folder is resolved; the file itself keeps the name it was given.
  const qsizetype cut = absolute.lastIndexOf(QLatin1Char('/'));
  const QString name = absolute.mid(cut + 1);
  const QString folder = QFileInfo(cut == 0 ? QStringLiteral("/") : absolute.left(cut)).canonicalFilePath();
  if (folder.isEmpty() || name == QLatin1String("..") || name == QLatin1String(".")) {
    // A folder that is not there (the load then says so) or a folder named.
    return QDir::toNativeSeparators(QDir::cleanPath(absolute));
  }
  return QDir::toNativeSeparators(JoinPath(folder, name));
}

CommandLine SplitCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--") == 0) {
      for (int j = i + 1; j < argc; ++j) line.files << QString::fromLocal8Bit(argv[j]);
      break;
    }
    line.forQt.push_back(argv[i]);
  }
  line.forQtCount = static_cast<int>(line.forQt.size());
  line.forQt.push_back(nullptr);
  line.endOfOptions = line.forQtCount < argc;
  return line;
}

QString FileArgument(const CommandLine& line, const QStringList& leftByQt) {
  if (line.endOfOptions) return line.files.value(0);
  return leftByQt.value(1);
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

void LoadFromOutside(Selpr6& dialog, const QString& path) {
  // What "Datei öffnen.." does before the dialog is shown.
  dialog.PrepareOpenMode();
  dialog.ShowFolderOf(path);
  dialog.OpenFile(path);
}

void AcceptFileDrops(Form1& window) {
  window.setAcceptDrops(true);
  window.installEventFilter(new FileDrops(&window));
}

}  // namespace tambril
