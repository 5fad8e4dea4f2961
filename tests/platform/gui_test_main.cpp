// main() of the window tests: one QApplication on the offscreen platform
// (on Linux, unless told otherwise).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
#ifndef Q_OS_WIN
  // On Windows (under Wine) the look tests want the system's own platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tambril"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
