// Checks the sound files the build generates beside the programs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace {

std::uint32_t U32(const QByteArray& b, int at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
         static_cast<std::uint8_t>(b[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
std::uint16_t U16(const QByteArray& b, int at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}
std::int16_t Sample(const QByteArray& b, int at) { return static_cast<std::int16_t>(U16(b, at)); }

struct Expected {
  const char* file;
  double minSeconds, maxSeconds;
};

TEST(Sounds, GeneratedFilesArePlainPcmWavesOfTheIntendedLength) {
  const Expected sounds[] = {
      {"Ton1.ts2", 0.5, 0.7},    // soft chord
      {"Ton2.ts2", 0.35, 0.45},  // two tones
      {"Ton3.ts2", 0.04, 0.08},  // click
  };
  for (const Expected& e : sounds) {
    SCOPED_TRACE(e.file);
    QFile file(QStringLiteral(TAMBRIL_SOUND_DIR "/") + QString::fromLatin1(e.file));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray b = file.readAll();
    ASSERT_GE(b.size(), 44);
    EXPECT_EQ(b.mid(0, 4), "RIFF");
    EXPECT_EQ(U32(b, 4), static_cast<std::uint32_t>(b.size() - 8));
    EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32(b, 16), 16u);
    EXPECT_EQ(U16(b, 20), 1);  // PCM
    EXPECT_EQ(U16(b, 22), 1);  // mono
    const std::uint32_t rate = U32(b, 24);
    EXPECT_TRUE(rate == 22050 || rate == 44100) << rate;
    EXPECT_EQ(U32(b, 28), rate * 2);
    EXPECT_EQ(U16(b, 32), 2);
    EXPECT_EQ(U16(b, 34), 16);
    EXPECT_EQ(b.mid(36, 4), "data");
    const std::uint32_t dataBytes = U32(b, 40);
    ASSERT_EQ(dataBytes, static_cast<std::uint32_t>(b.size() - 44));
    ASSERT_EQ(dataBytes % 2, 0u);

    const double seconds = static_cast<double>(dataBytes / 2) / rate;
    EXPECT_GE(seconds, e.minSeconds);
    EXPECT_LE(seconds, e.maxSeconds);

    // Audible but not clipped, and starting and ending near silence so that
    // neither end cracks.
    int peak = 0;
    for (int at = 44; at < b.size(); at += 2) peak = std::max(peak, std::abs(int{Sample(b, at)}));
    EXPECT_GT(peak, 3000);
    EXPECT_LT(peak, 32767);
    EXPECT_LT(std::abs(int{Sample(b, 44)}), 300);
    EXPECT_LT(std::abs(int{Sample(b, b.size() - 2)}), 300);
  }
}

}  // namespace
