// The end of the program from each of its triggers: the closing sound played
// to its end, both players and every open file closed, the program ended
// once; and a coding pass still running beside the window finishes first.
#include <QDir>
#include <QTest>
#include <atomic>
#include <csignal>
#include <thread>

#include "codec/files.h"
#include "controller/pass_runner.h"
#include "help_window/help_procedures.h"
#include "main_window/form1.h"
#include "main_window/program.h"
#include "main_window/program_end.h"
#include "platform/background_work.h"
#include "platform/file_slots.h"
#include "platform/termination.h"
#include "sound/sound_service.h"
#include "startup/form7.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

const QStringList kEnd = {"sound 2 play and wait", "sound 1 close", "sound 2 close", "end"};

class EndSequenceTest : public test::GuiTest {
 protected:
  EndSequenceTest() {
    // The state of a running program: a file loaded, both players open.
    program().fileSlots().openSlot1(writeFile("loaded.txt", "abc"));
    program().sounds().LoadSound(1, "Ton1.ts2");
    program().sounds().LoadSound(2, "Ton2.ts2");
    rec.reset();
  }
  void expectEnded() {
    EXPECT_EQ(rec.events, kEnd);
    EXPECT_EQ(rec.ends, 1);
    EXPECT_EQ(program().fileSlots().slot1(), nullptr);
    EXPECT_FALSE(rec.player1.isOpen());
    EXPECT_FALSE(rec.player2.isOpen());
    // The wait is bound by the closing sound's length and a margin.
    EXPECT_EQ(rec.player2.lastBound, program().sounds().WaitBound(2));
    EXPECT_GT(rec.player2.lastBound.count(), 0);
  }
  Form1& main = program().mainWindow();
};

TEST_F(EndSequenceTest, FromTheMenu) {
  rec.reset();
  Control<QAction>(main, "Beenden")->trigger();
  expectEnded();
}

TEST_F(EndSequenceTest, FromTheCloseBox) {
  main.show();
  rec.reset();
  EXPECT_TRUE(main.close());  // never refused
  expectEnded();
}

TEST_F(EndSequenceTest, OnlyOnceWhateverComesAfter) {
  main.show();
  rec.reset();
  Control<QAction>(main, "Beenden")->trigger();
  main.close();
  main.Form_Terminate();
  program().terminate();
  expectEnded();
}

class TerminationTest : public EndSequenceTest, public testing::WithParamInterface<int> {};

TEST_P(TerminationTest, FromASignal) {
  TerminationHandling handling([this] { program().terminate(); });
  rec.reset();
  ASSERT_EQ(::raise(GetParam()), 0);
  // The signal handler only wakes the event loop; the end runs there.
  EXPECT_TRUE(rec.events.isEmpty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return rec.ends > 0; }, 5000));
  expectEnded();
  // A second signal while or after ending changes nothing.
  ::raise(SIGINT);
  QTest::qWait(50);
  EXPECT_EQ(rec.ends, 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationTest, testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST_F(EndSequenceTest, SignalHandlingIsGivenBackAfterwards) {
  struct sigaction before {};
  ::sigaction(SIGTERM, nullptr, &before);
  {
    TerminationHandling handling([this] { program().terminate(); });
    struct sigaction during {};
    ::sigaction(SIGTERM, nullptr, &during);
    EXPECT_NE(during.sa_handler, before.sa_handler);
  }
  struct sigaction after {};
  ::sigaction(SIGTERM, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(EndDuringTheSplash, StopsTheSplashAndNeverOpensTheMainWindow) {
  platform::RecordingPlatform rec;
  Program program(rec);
  Form7& splash = program.splash();
  splash.show();
  for (int i = 0; i < 3; ++i) splash.Timer1_Timer();
  rec.reset();
  program.terminate();
  EXPECT_EQ(rec.events, kEnd);
  EXPECT_FALSE(Control<QTimer>(splash, "Timer1")->isActive());
  EXPECT_EQ(program.made().mainWindow, nullptr);
}

// A pass that runs on a worker thread when the program is told to end:
// the end waits for it, so its target is given its name and no temporary
// file is left behind; the loaded file it reads is closed only afterwards.
TEST_F(EndSequenceTest, ARunningPassFinishesBeforeTheEnd) {
  const QString folder = makeFolder("out");
  const std::filesystem::path target = ToFsPath(folder + "/coded.tmb");
  std::atomic<bool> passDone{false};
  std::atomic<bool> slotOpenAtTheEnd{false};
  TerminationHandling handling([this] { program().terminate(); });
  // The signal arrives while the pass is running.
  QTimer::singleShot(20, [] { ::raise(SIGTERM); });
  RunBeside([&] {
    codec::TargetFile out(target);
    for (int i = 0; i < 20; ++i) {
      char byte = 0;
      program().fileSlots().slot1()->readExactly(i % 3, &byte, 1);  // the loaded file stays open meanwhile
      out.write(&byte, 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    out.commit();
    slotOpenAtTheEnd = rec.ends == 0;
    passDone = true;
  });
  EXPECT_TRUE(passDone);
  EXPECT_TRUE(slotOpenAtTheEnd);
  EXPECT_TRUE(QTest::qWaitFor([&] { return rec.ends > 0; }, 5000));
  expectEnded();
  EXPECT_TRUE(std::filesystem::exists(target));
  EXPECT_EQ(std::filesystem::file_size(target), 20u);
  const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  EXPECT_EQ(left, QStringList({"coded.tmb"}));
}

// The same through the coding dialogs' pass runner, with its progress.
TEST_F(EndSequenceTest, TheCodingDialogsPassesAreWaitedForToo) {
  const std::filesystem::path target = ToFsPath(makeFolder("out") + "/plain.txt");
  TerminationHandling handling([this] { program().terminate(); });
  QTimer::singleShot(20, [] { ::raise(SIGTERM); });
  std::vector<int> shown;
  bool endedDuringThePass = false;
  RunPass(
      [&](const codec::ProgressFn& progress) {
        codec::TargetFile out(target);
        for (int i = 1; i <= 20; ++i) {
          char byte = 0;
          program().fileSlots().slot1()->readExactly(0, &byte, 1);
          out.write(&byte, 1);
          progress(i);
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        endedDuringThePass = rec.ends > 0;
        out.commit();
      },
      [&](int value) { shown.push_back(value); });
  EXPECT_FALSE(endedDuringThePass);
  EXPECT_TRUE(QTest::qWaitFor([&] { return rec.ends > 0; }, 5000));
  expectEnded();
  EXPECT_EQ(shown.size(), 20u);
  EXPECT_EQ(std::filesystem::file_size(target), 20u);
  EXPECT_EQ(QDir(QString::fromStdString(target.parent_path().string()))
                .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"plain.txt"}));
}

TEST(RunBeside, HandlesEventsMeanwhileAndPassesFailuresOn) {
  bool timerRan = false;
  QTimer::singleShot(10, [&] { timerRan = true; });
  RunBeside([] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
  EXPECT_TRUE(timerRan);
  EXPECT_EQ(BackgroundWorkRunning(), 0);
  EXPECT_THROW(RunBeside([] { throw codec::CodecError(codec::ErrorKind::ReadSource, "x"); }), codec::CodecError);
  EXPECT_EQ(BackgroundWorkRunning(), 0);
  WaitForBackgroundWork();  // returns at once with nothing running
}

}  // namespace
}  // namespace tambril
