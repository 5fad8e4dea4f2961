#include "codec/path_marks.h"

#include <gtest/gtest.h>

namespace tambril::codec {
namespace {

TEST(PathMarks, AnyLetterCaseAnywhereInThePath) {
  EXPECT_TRUE(NamesEncodedFile("/home/a/brief.tmb"));
  EXPECT_TRUE(NamesEncodedFile("/home/a/BRIEF.TmB"));
  EXPECT_TRUE(NamesEncodedFile("/alt.tmb.d/plan.txt"));  // a folder's name counts too
  EXPECT_TRUE(NamesEncodedFile("a.tmbl"));
  EXPECT_FALSE(NamesEncodedFile("/home/a/brieftmb"));
  EXPECT_FALSE(NamesEncodedFile("/home/a/b.tm"));
  EXPECT_FALSE(NamesEncodedFile(""));
  EXPECT_TRUE(NamesRtfFile("brief.RTF"));
  EXPECT_FALSE(NamesRtfFile("brief.rt"));
  EXPECT_FALSE(NamesRtfFile("brief.tmb"));
  // Bytes that are not ASCII are never taken for letters of the marks.
  EXPECT_FALSE(NamesRtfFile("brief.\xD2TF"));
  EXPECT_TRUE(NamesEncodedFile("caf\xE9.tmb"));
}

}  // namespace
}  // namespace tambril::codec
