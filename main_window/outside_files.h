#pragma once
// Files that come from outside the program: a file named on the command line
// (the file manager's "open with") and files dropped on the main window. Both
// are loaded by the controller's one loading step, as if the user had chosen
// the file in the file dialog and pressed "ÖFFNEN": same record, same
// messages, and the dialog is left in the file's folder.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class Form1;
class QMimeData;

namespace tambril {

// The local path that a command-line argument names: a path as it is, or a
// file:// URL. Relative paths are taken from the current folder; ".." in
// the path is resolved as the system resolves it, after any link before it.
QString OutsidePath(const QString& argument);
// The same for an argument given as the bytes of a path or a URL: the path
// is shown in UTF-8, and one that is not UTF-8 is noted with its real bytes
// (platform/file_slots.h), so that it loads the very file it names.
QString OutsidePathOfBytes(const QByteArray& argument);

// The command line split at the first "--": the arguments before it are
// for Qt (which takes the options it knows out of them), those after it are
// files, whatever they look like ("-reverse" is then a file's name).
struct CommandLine {
  std::vector<char*> forQt;  // argv for QApplication, ended by nullptr
  int forQtCount = 0;
  bool endOfOptions = false;      // a "--" was given
  QStringList files;              // the arguments after it
  std::vector<QByteArray> given;  // every argument as given
};
CommandLine SplitCommandLine(int argc, char** argv);
// The bytes `argument` of `line` was given as: its text read as Qt reads
// arguments does not give back a name that is not UTF-8.
QByteArray ArgumentBytes(const CommandLine& line, const QString& argument);
// The file to load: the first after "--" when there is one, otherwise the
// first argument Qt left (`leftByQt` is QApplication::arguments()); empty
// when there is none.
QString FileArgument(const CommandLine& line, const QStringList& leftByQt);

// The path a drop would load: the first URL of `data` (a local file's path,
// or the text of any other URL, which then cannot be loaded); empty when
// `data` carries no URL at all.
QString DroppedPath(const QMimeData& data);

// Whether a file may be loaded from outside now: not while a modal window is
// open or a coding pass runs.
bool MayLoadFromOutside();

// Makes the main window take dropped files (loaded through
// Form1::OpenFromOutside).
void AcceptFileDrops(Form1& window);

}  // namespace tambril
