// main() of the window tests: one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "main_window/program.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tambril"));
  // The windows handed on to each other as in the program.
  tambril::ConnectWindows();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
