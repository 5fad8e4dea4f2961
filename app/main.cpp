// The desktop program: the application object, the Qt platform and the
// program object, whose splash opens the main window when it has run its
// course, and with it the file named on the command line. The program ends
// through the end sequence: "Beenden", the main window's close box, or
// termination.
#include <QApplication>

#include "main_window/outside_files.h"
#include "main_window/program.h"
#include "main_window/program_end.h"
#include "platform/background_work.h"
#include "platform/qt_platform.h"
#include "platform/termination.h"
#include "resources/pictures.h"
#include "startup/form7.h"
#include "widget_kit/dialog_look.h"

int main(int argc, char** argv) {
  // Qt reads its own options ("-style", "-reverse" ...) only before "--".
  tambril::CommandLine line = tambril::SplitCommandLine(argc, argv);
  QApplication app(line.forQtCount, line.forQt.data());
  QApplication::setApplicationName(QStringLiteral("Tambril"));
  QApplication::setApplicationVersion(QStringLiteral(TAMBRIL_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("tambril"));
  QApplication::setWindowIcon(tambril::resources::ProgramIcon());
  tambril::SetUpApplicationLook();
  // Hiding the splash or a dialog never ends the program; only the end
  // sequence does.
  QApplication::setQuitOnLastWindowClosed(false);
  tambril::platform::QtPlatform desktop;
  tambril::Program program(desktop);
  tambril::TerminationHandling termination([&program] { program.terminate(); });

  // A file named on the command line (the file manager's "open with") is
  // loaded when the main window appears; further arguments are ignored.
  const QString file = tambril::FileArgument(line, QApplication::arguments());
  if (!file.isEmpty()) {
    program.loadWhenMainWindowAppears(tambril::OutsidePathOfBytes(tambril::ArgumentBytes(line, file)));
  }

  program.splash().show();
  const int rc = QApplication::exec();

  // Normally the end sequence has done this already.
  tambril::WaitForBackgroundWork();
  program.fileSlots().closeAll();
  return rc;
}
