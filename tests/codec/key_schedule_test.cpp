#include "codec/key_schedule.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tambril::codec {
namespace {

KeyCodeArray Fill(std::uint8_t v) {
  KeyCodeArray k;
  k.fill(v);
  return k;
}

TEST(KeyCodes, FifteenCharactersAreTakenInOrder) {
  const std::string pw = "ABCDEFGHIJKLMNO";
  const auto k = KeyCodes(pw);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(k[i], static_cast<std::uint8_t>(pw[i])) << i;
}

TEST(KeyCodes, ShortPasswordRepeatsItsFirstCharacterAtTheFront) {
  const auto k = KeyCodes("abcde");
  for (int i = 0; i < 11; ++i) EXPECT_EQ(k[i], 'a') << i;
  EXPECT_EQ(k[11], 'b');
  EXPECT_EQ(k[12], 'c');
  EXPECT_EQ(k[13], 'd');
  EXPECT_EQ(k[14], 'e');
}

TEST(KeyCodes, RepeatingTheFirstCharacterGivesTheSameKeys) {
  EXPECT_EQ(KeyCodes("abcde"), KeyCodes("aabcde"));
  EXPECT_EQ(KeyCodes("abcde"), KeyCodes("aaaaaaaaaaabcde"));
  EXPECT_NE(KeyCodes("abcde"), KeyCodes("babcde"));
}

TEST(KeyCodes, EmptyPasswordIsFifteenSpaces) {
  EXPECT_EQ(KeyCodes(""), Fill(32));
  EXPECT_EQ(KeyCodes(""), KeyCodes("     "));
}

TEST(KeyCodes, OnlyTheLastFifteenCharactersCount) {
  EXPECT_EQ(KeyCodes("xyz0123456789ABCDE"), KeyCodes("0123456789ABCDE"));
}

TEST(KeyCodes, HighBytesAreUnsignedCodes) {
  const auto k = KeyCodes("\xE4\xF6\xFC\x80\xFF");  // ä ö ü € ÿ in Windows-1252
  EXPECT_EQ(k[0], 0xE4);
  EXPECT_EQ(k[14], 0xFF);
  EXPECT_EQ(k[13], 0x80);
}

TEST(CodeTables, OffsetsOfAFiveCharacterPasswordWorkedByHand) {
  // keys: 'a' x 11, b, c, d, e; sum 1465 = 185 mod 256;
  // offset(H) = key[H] + key[S(H)] + 185.
  const CodeTables t = BuildCodeTables(KeyCodes("abcde"));
  const std::array<std::uint8_t, 15> expected = {123, 125, 123, 123, 123, 123, 124, 123,
                                                 123, 123, 123, 128, 125, 126, 130};
  EXPECT_EQ(t.offset, expected);
  EXPECT_EQ(t.table[0][0], 123);
  EXPECT_EQ(t.table[14][200], (200 + 130) % 256);
}

TEST(CodeTables, StepwiseBuildEqualsClosedForm) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 500; ++round) {
    KeyCodeArray k;
    for (auto& v : k) v = static_cast<std::uint8_t>(byte(rng));
    ASSERT_EQ(BuildCodeTablesStepwise(k), BuildCodeTables(k)) << "round " << round;
  }
  for (int v : {0, 32, 255}) EXPECT_EQ(BuildCodeTablesStepwise(Fill(v)), BuildCodeTables(Fill(v)));
}

TEST(CodeTables, EveryTableIsARotationAndAPermutation) {
  const CodeTables t = BuildCodeTables(KeyCodes("Geheimnis!"));
  for (int h = 0; h < 15; ++h) {
    std::array<int, 256> seen{};
    for (int x = 0; x < 256; ++x) {
      ++seen[t.table[h][x]];
      EXPECT_EQ(t.table[h][x], static_cast<std::uint8_t>(x + t.offset[h]));
    }
    for (int v = 0; v < 256; ++v) ASSERT_EQ(seen[v], 1) << "table " << h + 1 << " value " << v;
  }
  EXPECT_EQ(BuildCodeTables(KeyCodes("Geheimnis!")), t);
}

TEST(CodeTables, ReverseLookupUndoesEveryTable) {
  const CodeTables t = BuildCodeTables(KeyCodes("0123456789"));
  for (int h = 0; h < 15; ++h)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(ReverseLookup(t.table[h], t.table[h][x]), x);
}

TEST(CodeTables, ZeroOffsetGivesTheIdentity) {
  // All keys 0: every offset is 0 and bytes pass unchanged.
  const CodeTables t = BuildCodeTables(Fill(0));
  for (int h = 0; h < 15; ++h) EXPECT_EQ(t.table[h][77], 77);
}

}  // namespace
}  // namespace tambril::codec
