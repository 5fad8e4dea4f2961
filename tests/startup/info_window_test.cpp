// The info window and the main window's "Info".
#include <QLabel>
#include <QPushButton>

#include "main_window/form1.h"
#include "main_window/program.h"
#include "startup/form6.h"
#include "startup/form7.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

class InfoWindowTest : public test::GuiTest {};

TEST_F(InfoWindowTest, LooksAsDrawn) {
  Form6& f = program().infoWindow();
  EXPECT_EQ(f.windowTitle(), QStringLiteral("INFO"));
  EXPECT_EQ(f.size(), QSize(230, 170));
  EXPECT_EQ(f.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(Control<QLabel>(f, "Image1")->geometry(), QRect(8, 8, 216, 119));
  ASSERT_FALSE(Control<QLabel>(f, "Image1")->pixmap().isNull());
  EXPECT_EQ(Control<QLabel>(f, "Image1")->pixmap().size(), QSize(216, 119));
  EXPECT_EQ(Control<QPushButton>(f, "Command1")->text(), QStringLiteral("OK"));
  EXPECT_EQ(Control<QPushButton>(f, "Command1")->geometry(), QRect(72, 136, 81, 25));
  // No icon: the design gives INFO none (on Windows its title bar shows none).
  EXPECT_FALSE(f.testAttribute(Qt::WA_SetWindowIcon));
}

TEST_F(InfoWindowTest, InfoPlaysThenShowsTheWindowModallyAndOkHidesIt) {
  Form1& main = program().mainWindow();
  rec.reset();
  int opened = 0;
  const auto pressOk = [&](Form6& f) {
    ++opened;
    EXPECT_TRUE(f.isModal());
    // The sound came before the window.
    EXPECT_EQ(rec.events, QStringList({"sound 2 play"}));
    EXPECT_EQ(f.focusWidget(), Control<QPushButton>(f, "Command1"));  // tab index 0
    rec.reset();
    Control<QPushButton>(f, "Command1")->click();
  };
  test::WhenModal<Form6>(pressOk);
  Control<QAction>(main, "Info")->trigger();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(rec.events, QStringList({"sound 2 play"}));  // OK's own sound
  Form6* first = program().made().infoWindow;
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->isVisible());

  // Hidden, not destroyed: the second time it is the same window.
  rec.reset();
  test::WhenModal<Form6>([&](Form6& f) {
    EXPECT_EQ(&f, first);
    pressOk(f);
  });
  Control<QAction>(main, "Info")->trigger();
  EXPECT_EQ(opened, 2);
}

TEST_F(InfoWindowTest, AfterTheSplashEverySoundIsTheClosingOne) {
  Form7& splash = program().splash();
  splash.show();
  Control<QTimer>(splash, "Timer1")->stop();
  for (int i = 0; i < 10; ++i) splash.Timer1_Timer();
  Form1& main = program().mainWindow();
  ASSERT_TRUE(main.isVisible());
  rec.reset();
  test::WhenModal<Form6>([](Form6& f) { Control<QPushButton>(f, "Command1")->click(); });
  Control<QAction>(main, "Info")->trigger();
  Control<QAction>(main, "Beenden")->trigger();
  // Player 2 played each time, and it held "Ton2.ts2", never the click.
  EXPECT_EQ(rec.events.filter("play"), QStringList({"sound 2 play", "sound 2 play", "sound 2 play and wait"}));
  EXPECT_FALSE(rec.events.join('\n').contains("Ton3"));
}

}  // namespace
}  // namespace tambril
