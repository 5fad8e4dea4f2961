#include "codec/format.h"

#include <gtest/gtest.h>

namespace tambril::codec {
namespace {

using Tag = std::array<std::uint8_t, 3>;

TEST(TagValues, KeepTheLastThreeCharacters) {
  EXPECT_EQ(TagValues("txt"), (Tag{'t', 'x', 't'}));
  EXPECT_EQ(TagValues("html"), (Tag{'t', 'm', 'l'}));
  EXPECT_EQ(TagValues("ab"), (Tag{'a', 'a', 'b'}));
  EXPECT_EQ(TagValues("x"), (Tag{'x', 'x', 'x'}));
  EXPECT_EQ(TagValues(""), (Tag{32, 32, 32}));
}

TEST(Header, CodedHeaderWorkedByHand) {
  // Password abcde (offsets 123 125 123 123 123 123 124 123 123 123 123 128
  // 125 126 130), tag txt: plain header t x t 1 0 0, keys a x 9, then
  // a a b c d e; value i coded with table ((i - 1) mod 15) + 1.
  const KeyCodeArray keys = KeyCodes("abcde");
  HeaderRecord h = BuildPlainHeader("txt", keys);
  EncodeHeader(h, BuildCodeTables(keys));
  const HeaderRecord expected = {239, 245, 239, 124, 123, 123, 221, 220, 220, 220, 220,
                                 225, 222, 223, 227, 220, 222, 221, 222, 223, 224};
  EXPECT_EQ(h, expected);
}

TEST(Header, RightKeysScoreEighteenOthersLess) {
  const KeyCodeArray keys = KeyCodes("Passwort1");
  const CodeTables tables = BuildCodeTables(keys);
  HeaderRecord h = BuildPlainHeader("doc", keys);
  EncodeHeader(h, tables);

  HeaderRecord right = h;
  DecodeHeader(right, tables);
  EXPECT_EQ(ScoreHeader(right, keys), kFullScore);
  EXPECT_EQ(right[0], 'd');
  EXPECT_EQ(right[2], 'c');

  const KeyCodeArray wrongKeys = KeyCodes("Passwort2");
  HeaderRecord wrong = h;
  DecodeHeader(wrong, BuildCodeTables(wrongKeys));
  EXPECT_LT(ScoreHeader(wrong, wrongKeys), kFullScore);
}

TEST(Header, TagBytesAreNeverScored) {
  const KeyCodeArray keys = KeyCodes("Passwort1");
  const CodeTables tables = BuildCodeTables(keys);
  HeaderRecord h = BuildPlainHeader("doc", keys);
  EncodeHeader(h, tables);
  h[0] ^= 0x55;
  h[1] += 1;
  h[2] = 0;
  DecodeHeader(h, tables);
  EXPECT_EQ(ScoreHeader(h, keys), kFullScore);
  EXPECT_NE(h[0], 'd');
}

TEST(Header, MarkerAloneScoresThree) {
  const KeyCodeArray keys = KeyCodes("abcde");
  HeaderRecord plain{};
  plain[3] = 1;
  EXPECT_EQ(ScoreHeader(plain, keys), 3);
}

}  // namespace
}  // namespace tambril::codec
