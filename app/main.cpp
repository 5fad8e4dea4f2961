// The desktop program: the application object and the first window.
#include <QApplication>

#include "main_window/form1.h"
#include "platform/file_slots.h"
#include "platform/windows.h"
#include "resources/pictures.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tambril"));
  QApplication::setWindowIcon(tambril::resources::ProgramIcon());
  tambril::Windows::get<Form1>().show();
  const int rc = QApplication::exec();
  tambril::Files().closeAll();
  tambril::Windows::clear();
  return rc;
}
