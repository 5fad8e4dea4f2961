// The splash: its look, the players it prepares, and its steps driven tick
// by tick, with the time of each step summed from the intervals it set.
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "main_window/form1.h"
#include "main_window/program.h"
#include "sound/sound_service.h"
#include "startup/form7.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

class SplashTest : public test::GuiTest {
 protected:
  QString here(const QString& name) const {
    return QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator() + name;
  }
  QList<QLabel*> letters(Form7& f) const {
    return {Control<QLabel>(f, "Label3"), Control<QLabel>(f, "Label4"), Control<QLabel>(f, "Label5"),
            Control<QLabel>(f, "Label6"), Control<QLabel>(f, "Label7"), Control<QLabel>(f, "Label8"),
            Control<QLabel>(f, "Label9")};
  }
};

TEST_F(SplashTest, LooksAsDrawn) {
  Form7& f = program().splash();
  EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(f.size(), QSize(550, 257));
  QString name;
  for (QLabel* l : letters(f)) {
    name += l->text();
    EXPECT_TRUE(l->isHidden());
    EXPECT_TRUE(l->font().bold());
    EXPECT_DOUBLE_EQ(l->font().pointSizeF(), 72);
    EXPECT_EQ(l->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_FALSE(l->autoFillBackground());
    EXPECT_EQ(l->y(), 40);
    EXPECT_EQ(l->height(), 97);
  }
  EXPECT_EQ(name, QStringLiteral("TAMBRIL"));
  // Left edges in twips 480, 1320, 2280, 3360, 4560, 5520, 6600.
  EXPECT_EQ(Control<QLabel>(f, "Label3")->geometry(), QRect(32, 40, 57, 97));
  EXPECT_EQ(Control<QLabel>(f, "Label6")->geometry(), QRect(224, 40, 81, 97));
  EXPECT_EQ(Control<QLabel>(f, "Label9")->geometry(), QRect(440, 40, 73, 97));

  EXPECT_EQ(Control<QLabel>(f, "Label2")->text(), QStringLiteral("Programm für individuelle Codierung"));
  EXPECT_EQ(Control<QLabel>(f, "Label2")->geometry(), QRect(32, 144, 465, 41));
  EXPECT_TRUE(Control<QLabel>(f, "Label2")->font().bold());
  EXPECT_TRUE(Control<QLabel>(f, "Label2")->font().italic());
  EXPECT_DOUBLE_EQ(Control<QLabel>(f, "Label2")->font().pointSizeF(), 18);
  EXPECT_EQ(Control<QLabel>(f, "Label2")->palette().color(QPalette::WindowText), QColor(Qt::white));
  EXPECT_TRUE(Control<QLabel>(f, "Label2")->isHidden());

  EXPECT_EQ(Control<QLabel>(f, "Label1")->text(), QStringLiteral("Tambril 1.1"));
  EXPECT_EQ(Control<QLabel>(f, "Label1")->geometry(), QRect(8, 232, 297, 17));
  EXPECT_TRUE(Control<QLabel>(f, "Label1")->font().bold());
  EXPECT_FALSE(Control<QLabel>(f, "Label1")->font().italic());
  EXPECT_DOUBLE_EQ(Control<QLabel>(f, "Label1")->font().pointSizeF(), 9.75);
  EXPECT_EQ(Control<QLabel>(f, "Label1")->palette().color(QPalette::WindowText), QColor(Qt::yellow));
  EXPECT_TRUE(Control<QLabel>(f, "Label1")->isHidden());

  // The subtitle fits its label in the font that stands in for the original.
  EXPECT_LE(Control<QLabel>(f, "Label2")->sizeHint().width(), Control<QLabel>(f, "Label2")->width());

  // The background picture fills the window: dark blue with light characters.
  const QImage shot = f.grab().toImage();
  ASSERT_EQ(shot.size(), QSize(550, 257));
  const QColor corner = shot.pixelColor(1, 1);
  EXPECT_LT(corner.red(), 0x40);
  EXPECT_GE(corner.blue(), 0x40);
}

TEST_F(SplashTest, LoadPreparesBothPlayersBeforeTheWindowIsShown) {
  Form7& f = program().splash();
  EXPECT_EQ(rec.events, QStringList({"sound 1 close", "sound 2 close",                        // CloseSounds
                                     "sound 1 close", "sound 1 open " + here("Ton1.ts2"),     // LoadSound 1
                                     "sound 2 close", "sound 2 open " + here("Ton3.ts2")}));  // LoadSound 2
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.SplashStep, 0);
  EXPECT_EQ(Control<QTimer>(f, "Timer1")->interval(), 1000);
  EXPECT_FALSE(Control<QTimer>(f, "Timer1")->isActive());  // its time counts from the showing
}

TEST_F(SplashTest, ShownCentredWithItsTimerRunning) {
  Form7& f = program().splash();
  rec.screen = QRect(0, 0, 1000, 800);
  f.show();
  EXPECT_TRUE(Control<QTimer>(f, "Timer1")->isActive());
  EXPECT_EQ(Control<QTimer>(f, "Timer1")->interval(), 1000);
  EXPECT_EQ(f.frameGeometry().topLeft(), QPoint((1000 - 550) / 2, (800 - 257) / 2));
  // It cannot be closed early.
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  // Showing it again does not start its time anew.
  f.hide();
  Control<QTimer>(f, "Timer1")->stop();
  f.show();
  EXPECT_FALSE(Control<QTimer>(f, "Timer1")->isActive());
  f.hide();
}

TEST_F(SplashTest, StepsComeAtTheirTimesWithTheirSounds) {
  Form7& f = program().splash();
  f.show();
  ASSERT_TRUE(Control<QTimer>(f, "Timer1")->isActive());
  Control<QTimer>(f, "Timer1")->stop();  // the test drives the ticks
  rec.reset();

  struct Step {
    int time;     // ms after the splash appeared
    int letters;  // letters shown after the step
    bool subtitle, nameLine;
    QStringList sounds;
  };
  const QStringList click = {"sound 2 play"};
  const Step steps[] = {
      {1000, 1, false, false, click}, {1150, 2, false, false, click},
      {1300, 3, false, false, click}, {1450, 4, false, false, click},
      {1600, 5, false, false, click}, {1750, 6, false, false, click},
      {1900, 7, false, false, click}, {2400, 7, true, false, {"sound 1 play"}},
      {4400, 7, true, true, {}},      {6400, 7, true, true, {"sound 2 close", "sound 2 open " + here("Ton2.ts2")}},
  };
  int now = 0;
  int number = 0;
  for (const Step& s : steps) {
    ++number;
    SCOPED_TRACE(testing::Message() << "step " << number);
    now += Control<QTimer>(f, "Timer1")->interval();  // the tick comes one interval after the last
    EXPECT_EQ(now, s.time);
    EXPECT_EQ(program().made().mainWindow, nullptr) << "the main window must not exist before 6400 ms";
    rec.reset();
    f.Timer1_Timer();
    EXPECT_EQ(rec.events, s.sounds);
    const QList<QLabel*> all = letters(f);
    for (int i = 0; i < all.size(); ++i) EXPECT_EQ(!all[i]->isHidden(), i < s.letters) << "letter " << i;
    EXPECT_EQ(!Control<QLabel>(f, "Label2")->isHidden(), s.subtitle);
    EXPECT_EQ(!Control<QLabel>(f, "Label1")->isHidden(), s.nameLine);
    if (number < 10) {
      EXPECT_EQ(f.SplashStep, number);
      EXPECT_TRUE(f.isVisible());
    }
  }
  // The last step: the counter back to 0, the timer off, the splash hidden
  // (not destroyed) and the main window shown, not modal.
  EXPECT_EQ(f.SplashStep, 0);
  EXPECT_FALSE(Control<QTimer>(f, "Timer1")->isActive());
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(program().made().splash, &f);
  Form1* main = program().made().mainWindow;
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(main->isModal());
  // Player 2 now holds the sound of everything after the splash; player 1 is
  // left as it was.
  EXPECT_TRUE(rec.player2.file().endsWith("Ton2.ts2"));
  EXPECT_TRUE(rec.player1.file().endsWith("Ton1.ts2"));
  EXPECT_TRUE(rec.player1.isOpen());
  main->hide();
}

TEST_F(SplashTest, TheRealTimerStartsWithOneSecond) {
  Form7& f = program().splash();
  f.show();
  rec.reset();
  // Nothing happens before the first second is over.
  QTest::qWait(300);
  EXPECT_EQ(f.SplashStep, 0);
  EXPECT_TRUE(rec.events.isEmpty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return f.SplashStep == 1; }, 3000));
  EXPECT_EQ(rec.events, QStringList({"sound 2 play"}));
  EXPECT_EQ(Control<QTimer>(f, "Timer1")->interval(), 150);
  Control<QTimer>(f, "Timer1")->stop();
  f.hide();
}

}  // namespace
}  // namespace tambril
