// The naming rules on their own, where process tests cannot reach easily:
// names that are not valid UTF-8 and tags with high Windows-1252 bytes.
#include <gtest/gtest.h>

#include "cli/names.h"

namespace tambril::cli {
namespace {

TEST(Names, OverwriteCountsCharactersNotBytes) {
  EXPECT_EQ(EncodedFileName("über.ä"), "über.t");
  EXPECT_EQ(DecodedFileName("x.tmb", {0xE4, 0x80, 'z'}), "x.ä€z");
  EXPECT_EQ(DecodedFileName("x.t", {'d', 'o', 'c'}), "x.d");
  EXPECT_EQ(DecodedFileName("ohne", {'d', 'o', 'c'}), "ohne.doc");
}

TEST(Names, StrayBytesStayAsTheyAre) {
  // 0xFF and a cut-off sequence are single characters each.
  EXPECT_EQ(EncodedFileName(".a\xFF\xC3x"), ".tmbx");
  EXPECT_EQ(EncodedFileName("\xFF\xFE.\xC3\xA4\xFF"), "\xFF\xFE.tm");
  // A sequence cut off after its second byte is one character, as in a
  // password.
  EXPECT_EQ(EncodedFileName("a.\xE2\x82"), "a.t");
  EXPECT_EQ(EncodedFileName("caf\xE9.txt"), "caf\xE9.tmb");  // Latin-1
}

TEST(Names, OnlyTheNameIsRewrittenAndItsFolderKept) {
  EXPECT_EQ(EncodedTarget("/tmp/my.d/plan.txt"), "/tmp/my.d/plan.tmb");
  EXPECT_EQ(EncodedTarget("/tmp/x/README"), "/tmp/x/README.tmb");
  EXPECT_EQ(EncodedTarget("rel.d/a"), "rel.d/a.tmb");
  EXPECT_EQ(DecodedTarget("/tmp/my.d/x.tmb", {'d', 'o', 'c'}), "/tmp/my.d/x.doc");
  EXPECT_EQ(DecodedTarget("/tmp/my.d/x", {'d', 'o', 'c'}), "/tmp/my.d/x.doc");
  // A tag holding a separator never leads out of the folder.
  EXPECT_EQ(DecodedTarget("/tmp/a.b/x.tmb", {'.', '/', '.'}), "/tmp/a.b/x.._.");
}

TEST(Names, ExtensionTagIsWindows1252) {
  EXPECT_EQ(ExtensionTag("/tmp/lied.mp\xC3\xA4"), "mp\xE4");
  EXPECT_EQ(ExtensionTag("/tmp/x.\xE2\x82\xAC\xC4\x89"), ".\x80?");
}

TEST(Names, TagCharactersForNamesAndPrinting) {
  for (std::uint8_t b : {0x00, 0x09, 0x1B, 0x2F, 0x5C, 0x7F, 0x81, 0x9D}) {
    EXPECT_EQ(TagCharacterForFileName(b), "_") << int(b);
  }
  EXPECT_EQ(TagCharacterForFileName(0x9F), "\xC5\xB8");
  EXPECT_EQ(PrintableTag({0x1B, '/', 0xE4}), "?/\xC3\xA4");
}

}  // namespace
}  // namespace tambril::cli
