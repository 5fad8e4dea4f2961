#include "codec/cp1252.h"

#include <gtest/gtest.h>

namespace tambril::codec {
namespace {

TEST(Cp1252, GermanAndSpecialCharacters) {
  EXPECT_EQ(Utf8ToCp1252("Größe äÄöÖüÜß"),
            "Gr\xF6\xDF"
            "e \xE4\xC4\xF6\xD6\xFC\xDC\xDF");
  EXPECT_EQ(Utf8ToCp1252("€‚„…‘’“”–—™"), "\x80\x82\x84\x85\x91\x92\x93\x94\x96\x97\x99");
  EXPECT_EQ(Utf8ToCp1252("abc ~"), "abc ~");
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("Ωж漢😀"), "????");
  // Malformed UTF-8: a stray continuation byte, a truncated sequence, an
  // overlong encoding, a surrogate.
  EXPECT_EQ(Utf8ToCp1252("a\x80"
                         "b"),
            "a?b");
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "?");
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "?");
}

TEST(Cp1252, EveryByteRoundTripsAsOneCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<unsigned char>(b))), b);
  EXPECT_EQ(Cp1252ToUnicode(0x81), 0x81u);  // undefined: its control character
  EXPECT_EQ(Cp1252ToUnicode(0x80), 0x20ACu);
}

TEST(Cp1252, ControlCharactersAreC0DelAndC1) {
  int controls = 0;
  for (int b = 0; b < 256; ++b) controls += IsControl(Cp1252ToUnicode(static_cast<unsigned char>(b)));
  // 32 below the space, DEL, and the five bytes the code page leaves undefined.
  EXPECT_EQ(controls, 38);
  EXPECT_TRUE(IsControl(0x9F));
  EXPECT_FALSE(IsControl(U' '));
  EXPECT_FALSE(IsControl(0xA0));  // the no-break space is drawn
  EXPECT_FALSE(IsControl(0x20AC));
}

}  // namespace
}  // namespace tambril::codec
