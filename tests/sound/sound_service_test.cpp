// The sound service: which player a request reaches, how files are named,
// how long "play and wait" may wait, and that the real players never stall.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "help_window/help_procedures.h"
#include "platform/qt_platform.h"
#include "resources/wave_file.h"
#include "sound/sound_service.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

using std::chrono::milliseconds;

// Runs the test in a folder of its own as the current directory.
class SoundServiceTest : public test::GuiTest {
 protected:
  SoundServiceTest() : previous_(QDir::currentPath()) { QDir::setCurrent(temp.path()); }
  ~SoundServiceTest() override { QDir::setCurrent(previous_); }

  QString here(const QString& name) const {
    return QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator() + name;
  }
  void request(int device, int mode, Module2::SoundService& sounds) {
    sounds.PlaySound({static_cast<unsigned char>(device), static_cast<unsigned char>(mode)});
  }
  void request(int device, int mode) { request(device, mode, program().sounds()); }

 private:
  QString previous_;
};

TEST_F(SoundServiceTest, LoadSoundClosesThenOpensTheFileOfTheCurrentFolder) {
  program().sounds().LoadSound(1, "Ton1.ts2");
  program().sounds().LoadSound(2, "Ton3.ts2");
  EXPECT_EQ(rec.events, QStringList({"sound 1 close", "sound 1 open " + here("Ton1.ts2"), "sound 2 close",
                                     "sound 2 open " + here("Ton3.ts2")}));
  // No check that the file is there: a missing file is passed on all the same.
  EXPECT_FALSE(QFile::exists(here("Ton1.ts2")));
  EXPECT_TRUE(rec.player1.isOpen());
  EXPECT_TRUE(rec.player2.isOpen());
}

TEST_F(SoundServiceTest, LoadSoundReadsTheFolderAtTheTimeOfTheCall) {
  const QString first = here("Ton2.ts2");
  ASSERT_TRUE(QDir::setCurrent(makeFolder("elsewhere")));
  program().sounds().LoadSound(2, "Ton2.ts2");
  EXPECT_EQ(rec.player2.file(), here("Ton2.ts2"));
  EXPECT_NE(rec.player2.file(), first);
  EXPECT_TRUE(rec.player2.file().endsWith(QStringLiteral("elsewhere") + QDir::separator() + "Ton2.ts2"));
}

TEST_F(SoundServiceTest, InTheRootFolderTheNameIsPassedOnAsBuilt) {
  ASSERT_TRUE(QDir::setCurrent(QDir::rootPath()));
  program().sounds().LoadSound(1, "Ton1.ts2");
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  EXPECT_EQ(rec.player1.file(), root + QDir::separator() + "Ton1.ts2");
}

TEST_F(SoundServiceTest, LoadSoundOnAnyOtherPlayerDoesNothing) {
  for (int device : {0, 3, -1, 258}) program().sounds().LoadSound(device, "Ton1.ts2");
  EXPECT_TRUE(rec.events.isEmpty()) << rec.events.join('\n').toStdString();
}

TEST_F(SoundServiceTest, CloseSoundsClosesPlayerOneThenTwo) {
  program().sounds().LoadSound(1, "Ton1.ts2");
  program().sounds().LoadSound(2, "Ton2.ts2");
  rec.reset();
  program().sounds().CloseSounds();
  EXPECT_EQ(rec.events, QStringList({"sound 1 close", "sound 2 close"}));
  EXPECT_FALSE(rec.player1.isOpen());
  EXPECT_FALSE(rec.player2.isOpen());
}

TEST_F(SoundServiceTest, OnlyPlayerOneOrTwoWithModeOneOrTwoPlays) {
  for (int device : {0, 1, 2, 3, 255}) {
    for (int mode : {0, 1, 2, 3, 255}) {
      SCOPED_TRACE(testing::Message() << "request " << device << ", " << mode);
      rec.reset();
      request(device, mode);
      QStringList expected;
      if ((device == 1 || device == 2) && mode == 1) expected << QStringLiteral("sound %1 play").arg(device);
      if ((device == 1 || device == 2) && mode == 2) expected << QStringLiteral("sound %1 play and wait").arg(device);
      EXPECT_EQ(rec.events, expected);
    }
  }
}

TEST_F(SoundServiceTest, PlayAndWaitIsBoundByTheSoundsLengthPlusAMargin) {
  writeFile("Long.ts2", wave::SilentWave(22050, 22050 * 7));   // 7 s
  writeFile("Short.ts2", wave::SilentWave(22050, 22050 / 5));  // 200 ms
  program().sounds().LoadSound(1, "Long.ts2");
  program().sounds().LoadSound(2, "Short.ts2");
  request(1, 2);
  request(2, 2);
  EXPECT_GE(rec.player1.lastBound, milliseconds(7000));
  EXPECT_LE(rec.player1.lastBound, milliseconds(9000));
  EXPECT_GE(rec.player2.lastBound, milliseconds(200));
  EXPECT_LE(rec.player2.lastBound, milliseconds(2200));
  // The margin is the same for both.
  EXPECT_EQ(rec.player1.lastBound - milliseconds(7000), rec.player2.lastBound - milliseconds(200));
  EXPECT_GT(rec.player2.lastBound, milliseconds(200));
}

TEST_F(SoundServiceTest, AMissingOrBrokenSoundIsWaitedForOnlyTheMargin) {
  writeFile("Broken.ts2", "not a sound");
  program().sounds().LoadSound(1, "Missing.ts2");
  program().sounds().LoadSound(2, "Broken.ts2");
  request(1, 2);
  request(2, 2);
  EXPECT_GT(rec.player1.lastBound, milliseconds(0));
  EXPECT_LE(rec.player1.lastBound, milliseconds(2000));
  EXPECT_EQ(rec.player2.lastBound, rec.player1.lastBound);
}

// The Qt players themselves, on whatever audio this machine has (often
// none): neither a missing file nor a real one may hold the program longer
// than the bound.
TEST_F(SoundServiceTest, TheQtPlayersNeverStall) {
  platform::QtPlatform desktop;
  Module2::SoundService qt(desktop);
  QFile::copy(QStringLiteral(TAMBRIL_SOUND_DIR "/Ton2.ts2"), temp.filePath("Ton2.ts2"));
  qt.LoadSound(1, "Missing.ts2");
  qt.LoadSound(2, "Ton2.ts2");
  QElapsedTimer clock;
  clock.start();
  request(1, 2, qt);
  const qint64 missing = clock.restart();
  request(2, 2, qt);
  const qint64 real = clock.elapsed();
  request(2, 1, qt);  // returns at once
  qt.CloseSounds();
  qt.CloseSounds();  // closing closed players is harmless
  EXPECT_LE(missing, qt.WaitBound(1).count() + 500);
  EXPECT_LE(real, qt.WaitBound(2).count() + 500);
}

}  // namespace
}  // namespace tambril
