// The RTF parser on its own, without Qt: the plain text it gives, whole and
// streamed. Built for every system the codec is built for.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "rtf/rtf_plain_text.h"

namespace tambril::rtf {
namespace {

// The text of `rtf` read as a stream that delivers at most `step` bytes per read.
std::string Streamed(std::string_view rtf, size_t step) {
  size_t at = 0;
  std::string text;
  StreamPlainText(
      [&](char* to, std::ptrdiff_t max) {
        const size_t n = std::min({static_cast<size_t>(max), step, rtf.size() - at});
        std::copy_n(rtf.data() + at, n, to);
        at += n;
        return static_cast<std::ptrdiff_t>(n);
      },
      [&](std::string_view piece) { text += piece; });
  return text;
}

// The plain text, checked to be the same whole and streamed in small pieces.
std::string Plain(std::string_view rtf) {
  const std::string whole = PlainText(rtf);
  EXPECT_EQ(Streamed(rtf, 5), whole) << rtf;
  return whole;
}

TEST(RtfPlainText, ControlBytesAreNothingButStillCountAsFallbackCharacters) {
  using namespace std::string_view_literals;
  EXPECT_EQ(Plain("{\\rtf1 a\0\0\r\n\x01\x1f b}"sv), "a b");
  // After \uN the next characters, control bytes among them, stand in for it.
  EXPECT_EQ(Plain("{\\rtf1\\uc1 \\u228\0?x}"sv), "\u00e4?x");
  EXPECT_EQ(Plain("{\\rtf1\\uc2 \\u228\0\0x}"sv), "\u00e4x");
  // A control byte after \* is what the group starts with: the group is left out.
  EXPECT_EQ(Plain("{\\rtf1 a{\\*\0\0 hidden}b}"sv), "ab");
  // Tabs are text.
  EXPECT_EQ(Plain("{\\rtf1 a\0\tb}"sv), "a\tb");
}

TEST(RtfPlainText, LongRunsReadAsAStreamAcrossItsWindows) {
  // Runs longer than the window a stream is read in, cut at every place.
  std::string rtf = "{\\rtf1\\ansi Anfang ";
  rtf += std::string(3 << 20, '\0');
  rtf += "Mitte\\par ";
  for (int i = 0; i < 40000; ++i) rtf += "Gr\\'fc\\'dfe aus K\\'f6ln {\\b fett} ";
  rtf += std::string((1 << 20) + 1, '\n') + "Ende}";
  const std::string whole = PlainText(rtf);
  EXPECT_TRUE(whole.starts_with("Anfang Mitte\nGr\u00fc\u00dfe aus K\u00f6ln fett "));
  EXPECT_TRUE(whole.ends_with("fett Ende"));
  for (const size_t step : {size_t{4093}, size_t{1} << 16, (size_t{1} << 20) + 3})
    EXPECT_EQ(Streamed(rtf, step), whole);
}

TEST(RtfPlainText, CodePagesOfTheDocumentAndOfFonts) {
  EXPECT_EQ(Plain("{\\rtf1\\ansi\\ansicpg1251 \\'e0\\'e1}"), "\u0430\u0431");
  EXPECT_EQ(Plain("{\\rtf1\\mac \\'8a}"), "\u00e4");
  EXPECT_EQ(Plain("{\\rtf1\\pc \\'81}"), "\u00fc");
  EXPECT_EQ(Plain("{\\rtf1{\\fonttbl{\\f0\\fcharset238 Arial;}}\\f0 \\'b9 x}"), "\u0105 x");
  EXPECT_EQ(Plain("{\\rtf1{\\fonttbl{\\f0\\fcharset2 Symbol;}}\\f0 a\\'b3}"), "\u03b1\u2265");
  // A code page of more than one byte per character falls back to Windows-1252.
  EXPECT_EQ(Plain("{\\rtf1\\ansicpg932 \\'e4\\'80}"), "\u00e4\u20ac");
}

TEST(RtfPlainText, DestinationsAndPicturesAreLeftOut) {
  using namespace std::string_view_literals;
  EXPECT_EQ(Plain("{\\rtf1{\\info{\\title T}}{\\*\\generator G;}{\\fonttbl{\\f0 Arial;}}"
                  "{\\pict\\pngblip 89504e47}a\\par b}"),
            "a\nb");
  EXPECT_EQ(Plain("{\\rtf1 a{\\pict\\bin3 {}\\}b}"), "ab");
  EXPECT_EQ(Plain("{\\rtf1 a{\\*\\bkmkstart x}{\\footnote note}b\\line c\\~d}"), "ab\nc\u00a0d");
}

TEST(RtfPlainText, CharactersBeyondTheBmpAndBrokenPairsAsUtf8) {
  EXPECT_EQ(Plain("{\\rtf1\\uc1 \\u-10179?\\u-8704?!}"), "\U0001F600!");
  EXPECT_EQ(Plain("{\\rtf1\\uc1 \\u55357?x\\u56832?}"), "\uFFFDx\uFFFD");
}

TEST(RtfPlainText, OtherDataIsWindows1252Text) {
  using namespace std::string_view_literals;
  EXPECT_EQ(Plain("Gr\xfc\xdf\x80\0!"sv), "Gr\u00fc\u00df\u20ac\0!"sv);
  EXPECT_EQ(Plain(" \r\n{\\rt"), " \r\n{\\rt");
  EXPECT_EQ(Plain("\xEF\xBB\xBF {\\rtf1 x}"), "x");
}

}  // namespace
}  // namespace tambril::rtf
