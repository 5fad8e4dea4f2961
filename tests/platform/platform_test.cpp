// The platform layer: shared text rules, the open file slot, the twips
// conversion and the recording platform.
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "platform/file_slots.h"
#include "platform/qt_platform.h"
#include "resources/wave_file.h"
#include "tests/platform/gui_test.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

namespace tambril {
namespace {

TEST(NumberText, OneLeadingSpaceForZeroAndPositiveMinusForNegative) {
  EXPECT_EQ(NumberText(1234), QStringLiteral(" 1234"));
  EXPECT_EQ(NumberText(0), QStringLiteral(" 0"));
  EXPECT_EQ(NumberText(-5), QStringLiteral("-5"));
  EXPECT_EQ(NumberText(std::int64_t{68719476736}), QStringLiteral(" 68719476736"));
}

TEST(RoundedMebibytes, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundedMebibytes(0), 0);
  EXPECT_EQ(RoundedMebibytes(1234), 0);
  EXPECT_EQ(RoundedMebibytes(524287), 0);
  EXPECT_EQ(RoundedMebibytes(524288), 0);  // 0.5
  EXPECT_EQ(RoundedMebibytes(524289), 1);
  EXPECT_EQ(RoundedMebibytes(1048576), 1);
  EXPECT_EQ(RoundedMebibytes(1572864), 2);  // 1.5
  EXPECT_EQ(RoundedMebibytes(2621440), 2);  // 2.5
  EXPECT_EQ(RoundedMebibytes(2621441), 3);
  EXPECT_EQ(RoundedMebibytes(3670016), 4);                     // 3.5
  EXPECT_EQ(RoundedMebibytes(std::uint64_t{5} << 32), 20480);  // beyond 32 bits
}

TEST(TextRules, ColoursAreWrittenBlueGreenRed) {
  EXPECT_EQ(BgrColor(0x00400000), QColor(0, 0, 0x40));
  EXPECT_EQ(BgrColor(0x00E0E0E0), QColor(0xE0, 0xE0, 0xE0));
  EXPECT_EQ(BgrColor(0x000000FF), QColor(0xFF, 0, 0));
}

TEST(Twips, FifteenMakeOnePixel) {
  EXPECT_EQ(Px(15), 1);
  EXPECT_EQ(Px(9960), 664);
  EXPECT_EQ(Px(7), 0);
  EXPECT_EQ(Px(8), 1);
  EXPECT_EQ(Px(-8), -1);
  EXPECT_EQ(Twips(664), 9960);
  EXPECT_EQ(TwipsRect(240, 360, 1575, 495), QRect(16, 24, 105, 33));
}

class FileSlotTest : public test::GuiTest {};

TEST_F(FileSlotTest, SlotOneHoldsOneFileAtATimeUntilClosed) {
  const QString a = writeFile("a.bin", QByteArray("\x00\x01\x02xyz", 6));
  const QString b = writeFile("b.bin", "other");
  EXPECT_EQ(program().fileSlots().slot1(), nullptr);
  codec::InputFile& slot = program().fileSlots().openSlot1(a);
  EXPECT_EQ(slot.size(), 6u);
  char c = 0;
  slot.readExactly(3, &c, 1);
  EXPECT_EQ(c, 'x');
  program().fileSlots().openSlot1(b);
  EXPECT_EQ(program().fileSlots().slot1()->size(), 5u);
  EXPECT_EQ(program().fileSlots().slot1()->path(), ToFsPath(b));
  program().fileSlots().closeAll();
  EXPECT_EQ(program().fileSlots().slot1(), nullptr);
  EXPECT_THROW(program().fileSlots().openSlot1(tempPath("missing")), codec::CodecError);
  EXPECT_EQ(program().fileSlots().slot1(), nullptr);
}

TEST_F(FileSlotTest, NamesWithUmlautsReachTheFile) {
  const QString p = writeFile(QStringLiteral("Ärger über Größe.txt"), "abc");
  EXPECT_EQ(program().fileSlots().openSlot1(p).size(), 3u);
}

TEST(RecordingPlatform, RecordsInOrderWhatTheProgramBuiltAroundItAsks) {
  platform::RecordingPlatform outer;
  platform::RecordingPlatform inner;
  Program other(outer);
  {
    Program program(inner);
    QLabel w;
    w.setObjectName("Probe");
    program.platform().beep();
    program.platform().messageBox(&w, QStringLiteral("Text "), QStringLiteral("ERROR"), platform::MessageIcon::Stop);
    program.platform().setPointer(&w, platform::Pointer::Busy);
    program.sounds().PlaySound({.SoundDevice = 2, .SoundMode = 2});
    EXPECT_EQ(inner.events,
              QStringList({"beep", "message ERROR|stop: Text ", "pointer Probe busy", "sound 2 play and wait"}));
    ASSERT_EQ(inner.messages.size(), 1u);
    EXPECT_EQ(inner.messages[0].window, QStringLiteral("Probe"));
  }
  // Another program keeps its own platform.
  EXPECT_TRUE(outer.events.isEmpty());
}

}  // namespace
}  // namespace tambril

namespace tambril {
namespace {

QByteArray SilentWav(int milliseconds) { return wave::SilentWave(22050, 22050 * milliseconds / 1000); }

// The Qt sound players never keep the program waiting longer than the bound,
// with or without an audio device, with or without the file.
TEST(QtSoundPlayer, PlayAndWaitEndsWithinItsBound) {
  QTemporaryDir dir;
  const QString wav = dir.filePath("Ton2.ts2");  // WAV data under another extension
  {
    QFile f(wav);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(SilentWav(200));
  }
  platform::QtPlatform desktop;
  platform::SoundPlayer& player = desktop.player(2);
  for (const QString& file : {wav, dir.filePath("missing.ts2")}) {
    player.open(file);
    QElapsedTimer clock;
    clock.start();
    player.playAndWait(std::chrono::milliseconds(1500));
    EXPECT_LT(clock.elapsed(), 3000) << file.toStdString();
    player.play();
    player.close();
    player.close();  // closing twice is harmless
  }
  player.playAndWait(std::chrono::milliseconds(1500));  // closed: returns at once
}

}  // namespace
}  // namespace tambril
