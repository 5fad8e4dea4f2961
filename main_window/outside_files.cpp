#include "main_window/outside_files.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
// windows.h first
#include <shellapi.h>
#endif

#include "controller/path_rules.h"
#include "main_window/form1.h"
#include "platform/background_work.h"
#include "platform/file_slots.h"

namespace tambril {

namespace {

// A name as bytes and back: the system's own bytes on POSIX; on Windows,
// whose names are UTF-16 text, UTF-8, as the file slots take them.
QByteArray NameBytes(const QString& text) {
#ifdef Q_OS_WIN
  return text.toUtf8();
#else
  return QFile::encodeName(text);
#endif
}

QString NameText(const QByteArray& bytes) {
#ifdef Q_OS_WIN
  return QString::fromUtf8(bytes);
#else
  return QFile::decodeName(bytes);
#endif
}

// The arguments in the text the system holds them in: on Windows the
// command line's own UTF-16 (argv has it in the ANSI code page, which turns
// every character outside it into another or into "?"); empty where that is
// not to be had or does not split into `argc` arguments as argv does.
QStringList SystemArguments(int argc) {
  QStringList list;
#ifdef Q_OS_WIN
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) list << QString::fromWCharArray(wide[i]);
    LocalFree(wide);
  }
#endif
  if (list.size() != argc) list.clear();
  return list;
}

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

QString OutsidePath(const QString& argument) { return OutsidePathOfBytes(NameBytes(argument)); }

QString OutsidePathOfBytes(const QByteArray& argument) {
  QByteArray given = argument;
  if (argument.left(5).toLower() == "file:") {
    // A URL given as text may hold bytes a URL escapes; its escapes stay.
    QByteArray escaped;
    for (const char c : argument) {
      const auto byte = static_cast<unsigned char>(c);
      escaped +=
          byte <= ' ' || byte >= 0x7F ? "%" + QByteArray::number(byte, 16).rightJustified(2, '0') : QByteArray(1, c);
    }
    const QUrl url = QUrl::fromEncoded(escaped);
    if (url.isLocalFile()) {
      // A URL carries a name that is not UTF-8 as escaped bytes, which its
      // text no longer gives back.
      const QString local = url.toLocalFile();
      given = local.contains(QChar::ReplacementCharacter)
                  ? QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                  : NameBytes(local);
    }
  }
  if (given.isEmpty()) return {};
  // The path is worked out on text with one character for each byte, so
  // that a name that is not UTF-8 keeps its bytes.
  const auto bytes = [](const QString& text) { return QString::fromLatin1(NameBytes(text)); };
  const QString path = QDir::fromNativeSeparators(QString::fromLatin1(given));
  const QString absolute = QDir::isAbsolutePath(path) ? path : bytes(QDir::currentPath()) + QLatin1Char('/') + path;
  QString real = QDir::cleanPath(absolute);
  // Without "..", dropping "." and doubled separators changes nothing the
  // system would see, and links stay as named.
  if (absolute.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
    // ".." is resolved as the system does: after the link before it, so
    // that "lnk/../x.txt" is x.txt beside the folder lnk leads to. Only the
    // folder is resolved; the file itself keeps the name it was given.
    const qsizetype cut = absolute.lastIndexOf(QLatin1Char('/'));
    const QString name = absolute.mid(cut + 1);
    const QString folder =
        QFileInfo(cut == 0 ? QStringLiteral("/") : NameText(absolute.left(cut).toLatin1())).canonicalFilePath();
    // A folder that is not there (the load then says so) or a folder named
    // keeps the path as given.
    if (!folder.isEmpty() && name != QLatin1String("..") && name != QLatin1String(".")) {
      real = JoinPath(bytes(folder), name);
    }
  }
  const QByteArray realPath = QDir::toNativeSeparators(real).toLatin1();
  const QString shown = ShownName(realPath);
  RememberShownPath(shown, realPath);
  return shown;
}

QByteArray ArgumentBytes(const CommandLine& line, const QString& argument) {
  // Only a text with a replacement character can stand for other bytes.
  if (argument.contains(QChar::ReplacementCharacter)) {
    for (const QByteArray& given : line.given) {
      if (NameText(given) == argument) return given;
    }
  }
  return NameBytes(argument);
}

CommandLine SplitCommandLine(int argc, char** argv) {
  CommandLine line;
  const QStringList system = SystemArguments(argc);
  for (int i = 0; i < argc; ++i) line.given.push_back(system.isEmpty() ? QByteArray(argv[i]) : NameBytes(system[i]));
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--") == 0) {
      for (int j = i + 1; j < argc; ++j) line.files << (system.isEmpty() ? QString::fromLocal8Bit(argv[j]) : system[j]);
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
  if (first.isLocalFile()) return OutsidePathOfBytes(first.toEncoded());
  return first.toString();
}

bool MayLoadFromOutside() { return QApplication::activeModalWidget() == nullptr && BackgroundWorkRunning() == 0; }

void AcceptFileDrops(Form1& window) {
  window.setAcceptDrops(true);
  window.installEventFilter(new FileDrops(&window));
}

}  // namespace tambril
