// Absolute paths made by text: names are kept as they are written, "x." and
// "y " included, on every system; Windows' rules are checked here too.
#include <gtest/gtest.h>

#include "codec/paths.h"

namespace tambril::codec {
namespace {

TEST(Paths, WindowsLongPathsKeepEveryName) {
  const std::wstring here = LR"(C:\work\dir)";
  const auto longPath = [&](const wchar_t* path) { return LongPathText(path, here); };
  // Names ending in dots or spaces reach the system unchanged.
  EXPECT_EQ(longPath(L"x."), LR"(\\?\C:\work\dir\x.)");
  EXPECT_EQ(longPath(L"y "), LR"(\\?\C:\work\dir\y )");
  EXPECT_EQ(longPath(L"x..tmb"), LR"(\\?\C:\work\dir\x..tmb)");
  EXPECT_EQ(longPath(LR"(...\. \x.)"), LR"(\\?\C:\work\dir\...\. \x.)");
  // "." and ".." as Windows resolves them, never above the root; "/"
  // separates too, doubled separators count once.
  EXPECT_EQ(longPath(LR"(..\a\.\b\..\c.)"), LR"(\\?\C:\work\a\c.)");
  EXPECT_EQ(longPath(L"../../../x"), LR"(\\?\C:\x)");
  EXPECT_EQ(longPath(LR"(D:\a\\b\)"), LR"(\\?\D:\a\b)");
  EXPECT_EQ(longPath(L""), LR"(\\?\C:\work\dir)");
  EXPECT_EQ(longPath(L"C:/"), LR"(\\?\C:\)");
  // A path from the root of the current drive, one relative to a drive.
  EXPECT_EQ(longPath(LR"(\top\x.)"), LR"(\\?\C:\top\x.)");
  EXPECT_EQ(longPath(L"c:sub"), LR"(\\?\c:\work\dir\sub)");
  EXPECT_EQ(longPath(L"D:sub"), LR"(\\?\D:\sub)");
  // Network paths: the share is the root.
  EXPECT_EQ(longPath(LR"(\\server\share\a\..\x.)"), LR"(\\?\UNC\server\share\x.)");
  EXPECT_EQ(longPath(LR"(//server/share/../../y )"), LR"(\\?\UNC\server\share\y )");
  EXPECT_EQ(LongPathText(L"x", LR"(\\srv\sh\d)"), LR"(\\?\UNC\srv\sh\d\x)");
  EXPECT_EQ(LongPathText(LR"(\x)", LR"(\\srv\sh\d)"), LR"(\\?\UNC\srv\sh\x)");
  // The long form is taken as it is, as path and as current folder.
  EXPECT_EQ(longPath(LR"(\\?\C:\odd\..\x)"), LR"(\\?\C:\odd\..\x)");
  EXPECT_EQ(LongPathText(L"x.", LR"(\\?\C:\d)"), LR"(\\?\C:\d\x.)");
  EXPECT_EQ(LongPathText(L"x.", LR"(\\?\UNC\srv\sh)"), LR"(\\?\UNC\srv\sh\x.)");
  // Without a current folder a relative path stays as it is.
  EXPECT_EQ(LongPathText(L"x.", L""), L"x.");
}

TEST(Paths, PosixPathsAreJoinedToTheCurrentFolderAndLeftToTheSystem) {
  const auto absolute = [](std::string_view path, std::string_view here) {
    return AbsolutePathText(path, here, PathStyle::Posix);
  };
  EXPECT_EQ(absolute("x.", "/home/u"), "/home/u/x.");
  EXPECT_EQ(absolute("y ", "/home/u/"), "/home/u/y ");
  EXPECT_EQ(absolute("../a/./b", "/home/u"), "/home/u/../a/./b");
  EXPECT_EQ(absolute("a\\..\\b", "/"), "/a\\..\\b");
  EXPECT_EQ(absolute("/abs/x.", "/home/u"), "/abs/x.");
  EXPECT_EQ(absolute("x", ""), "x");
  // The native form ends in the name as it was given.
  EXPECT_EQ(AbsolutePath("x. ").filename(), std::filesystem::path("x. "));
  EXPECT_TRUE(AbsolutePath("x. ").is_absolute());
}

}  // namespace
}  // namespace tambril::codec
