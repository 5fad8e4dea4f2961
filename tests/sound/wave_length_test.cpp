// The length of a wave file as "play and wait" needs it.
#include "sound/wave_length.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "resources/wave_file.h"

namespace tambril {
namespace {

using std::chrono::milliseconds;
using wave::Chunk;
using wave::FmtBody;
using wave::PutU32;
using wave::Riff;

std::optional<milliseconds> LengthOf(QByteArray bytes) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  return WaveLength(buffer);
}

TEST(WaveLength, PlainPcmWaves) {
  EXPECT_EQ(LengthOf(wave::SilentWave(22050, 22050)), milliseconds(1000));
  EXPECT_EQ(LengthOf(wave::SilentWave(22050, 8820)), milliseconds(400));
  EXPECT_EQ(LengthOf(wave::SilentWave(44100, 44100 * 7)), milliseconds(7000));
  // Stereo 8-bit: two bytes a frame.
  EXPECT_EQ(LengthOf(Riff(Chunk("fmt ", FmtBody(8000, 2, 8)) + Chunk("data", QByteArray(16000, '\x80')))),
            milliseconds(1000));
  // A part of a millisecond counts as a whole one, so no wait ends early.
  EXPECT_EQ(LengthOf(wave::SilentWave(22050, 1)), milliseconds(1));
  EXPECT_EQ(LengthOf(wave::SilentWave(22050, 0)), milliseconds(0));
}

TEST(WaveLength, SkipsOtherChunksAndFormatExtensions) {
  const QByteArray data = Chunk("data", QByteArray(44100, '\0'));  // 1 s at 22050 Hz mono 16-bit
  // An odd-sized chunk is followed by a pad byte.
  EXPECT_EQ(LengthOf(Riff(Chunk("LIST", "INFOabc") + Chunk("fmt ", FmtBody(22050, 1, 16)) + data)), milliseconds(1000));
  EXPECT_EQ(LengthOf(Riff(Chunk("fmt ", FmtBody(22050, 1, 16, 22)) + Chunk("fact", "abcd") + data)),
            milliseconds(1000));
}

TEST(WaveLength, DataLongerThanTheFileCountsWhatIsThere) {
  QByteArray b = Riff(Chunk("fmt ", FmtBody(22050, 1, 16)));
  b += "data";
  PutU32(b, 0xFFFFFFFFu);  // as written by a recorder that never finished
  b += QByteArray(22050, '\0');
  EXPECT_EQ(LengthOf(b), milliseconds(500));
}

TEST(WaveLength, NoLengthForWhatIsNoUsableWave) {
  EXPECT_FALSE(LengthOf({}));
  EXPECT_FALSE(LengthOf("RIFF"));
  EXPECT_FALSE(LengthOf("plain text, not a sound at all"));
  QByteArray notWave = wave::SilentWave(22050, 100);
  notWave.replace(8, 4, "AVI ");
  EXPECT_FALSE(LengthOf(notWave));
  // Data before its format, a format without a byte rate, a short format.
  EXPECT_FALSE(LengthOf(Riff(Chunk("data", QByteArray(100, '\0')) + Chunk("fmt ", FmtBody(22050, 1, 16)))));
  EXPECT_FALSE(LengthOf(Riff(Chunk("fmt ", FmtBody(0, 1, 16)) + Chunk("data", QByteArray(100, '\0')))));
  EXPECT_FALSE(LengthOf(Riff(Chunk("fmt ", QByteArray(10, '\1')) + Chunk("data", QByteArray(100, '\0')))));
  // No data chunk at all, and a chunk that claims more than the file holds.
  EXPECT_FALSE(LengthOf(Riff(Chunk("fmt ", FmtBody(22050, 1, 16)))));
  QByteArray huge = Riff(Chunk("fmt ", FmtBody(22050, 1, 16)));
  huge += "junk";
  PutU32(huge, 0x7FFFFFF0u);
  EXPECT_FALSE(LengthOf(huge));
}

TEST(WaveLength, ReadsFilesWhateverTheirExtension) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Ton9.ts2"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(wave::SilentWave(22050, 11025));
  file.close();
  EXPECT_EQ(WaveLength(path), milliseconds(500));
  EXPECT_FALSE(WaveLength(dir.filePath(QStringLiteral("missing.ts2"))));
  EXPECT_FALSE(WaveLength(dir.path()));  // a folder
}

TEST(WaveLength, TheProgramsOwnSounds) {
  const QString dir = QStringLiteral(TAMBRIL_SOUND_DIR "/");
  EXPECT_EQ(WaveLength(dir + "Ton2.ts2"), milliseconds(400));
  const auto click = WaveLength(dir + "Ton3.ts2");
  ASSERT_TRUE(click);
  EXPECT_LT(*click, milliseconds(100));
}

}  // namespace
}  // namespace tambril
