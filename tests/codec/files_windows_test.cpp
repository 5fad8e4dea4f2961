// What the file layer promises on Windows: names in any script and of any
// length, no target overwritten, none visible unfinished, clear errors.
// Run under Wine here.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "codec/files_windows.h"
#include "test_files.h"

namespace tambril::codec {
namespace {
using namespace test;

std::vector<std::u8string> Names(const fs::path& folder) {
  std::vector<std::u8string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().u8string());
  std::sort(names.begin(), names.end());
  return names;
}

// Whether the wide API sees an entry under `path` (through the long form).
bool Exists(const fs::path& path) { return EntryExists(path); }

std::string What(const std::function<void()>& f, ErrorKind& kind) {
  try {
    f();
  } catch (const CodecError& e) {
    kind = e.kind();
    return e.what();
  }
  ADD_FAILURE() << "no error";
  return {};
}

TEST(WindowsFiles, NamesInAnyScriptAndBeyondTheOldLengthLimit) {
  TempDir dir;
  const Bytes plain = RandomBytes(3 << 20, 7);
  // Umlauts, a character beyond the basic plane, and a path of more than
  // 260 characters made of folders of 200 characters each.
  fs::path deep = dir.path();
  for (int i = 0; i < 2; ++i) {
    deep /= std::u8string(200, u8'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + fs::absolute(deep).wstring()).c_str(), nullptr));
  }
  for (const fs::path& folder : {dir.path(), deep}) {
    const fs::path src = folder / u8"Grüße aus Köln \U0001F600.txt";
    const fs::path enc = folder / u8"Grüße aus Köln \U0001F600.tmb";
    const fs::path dec = folder / u8"zurück \U0001F600.txt";
    ASSERT_GT(fs::absolute(dec).wstring().size(), folder == deep ? 400u : 0u);
    {
      TargetFile out(src);
      out.write(plain.data(), plain.size());
      out.commit();
    }
    Encode(src, enc, "Kennwort", "txt");
    const CheckResult check = CheckPassword(enc, "Kennwort");
    ASSERT_TRUE(check.fits());
    Decode(enc, dec, check);
    InputFile back(dec);
    Bytes got(plain.size() + 1);
    ASSERT_EQ(back.readAt(0, got.data(), got.size()), plain.size());
    got.resize(plain.size());
    EXPECT_EQ(got, plain);
    EXPECT_TRUE(Exists(enc));
    // Finished files are listed like any other: the hidden mark of the
    // unfinished name is gone.
    for (const fs::path& made : {src, enc, dec}) {
      const DWORD attributes = GetFileAttributesW((L"\\\\?\\" + fs::absolute(made).wstring()).c_str());
      ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(attributes & FILE_ATTRIBUTE_HIDDEN, 0u) << made;
    }
  }
  EXPECT_EQ(Names(dir.path()).size(), 4u);  // three files and the deep folder
}

// Names that Windows' own path rules would cut ("x." to "x", "y " to "y")
// are files of their own, read, made and coded as they are named, from an
// absolute path and from one relative to the current folder.
TEST(WindowsFiles, NamesEndingInADotOrASpaceAreTakenAsTheyAre) {
  TempDir dir;
  const auto make = [](const fs::path& path, const Bytes& bytes) {
    TargetFile out(path);
    out.write(bytes.data(), bytes.size());
    out.commit();
  };
  const auto read = [](const fs::path& path) {
    InputFile in(path);
    Bytes got(in.size());
    in.readExactly(0, got.data(), got.size());
    return got;
  };
  for (const char* name : {"x", "x.", "y", "y ", "z. ."}) make(dir / name, Bytes(name, name + std::strlen(name)));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::u8string>{u8"x", u8"x.", u8"y", u8"y ", u8"z. ."}));
  EXPECT_FALSE(Exists(dir / "z"));
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  for (const fs::path& folder : {dir.path(), fs::path("sub\\..")}) {
    for (const char* name : {"x.", "y ", "z. ."}) {
      const fs::path source = folder / name, encoded = folder / (std::string(name) + ".tmb"),
                     back = folder / (std::string(name) + ".back.");
      EXPECT_EQ(read(source), Bytes(name, name + std::strlen(name))) << source;
      Encode(source, encoded, "Kennwort", "txt");
      Decode(encoded, back, CheckPassword(encoded, "Kennwort"));
      EXPECT_EQ(read(back), read(source)) << back;
      EXPECT_TRUE(DeleteFileW(LongPath(encoded).c_str()) && DeleteFileW(LongPath(back).c_str()));
    }
  }
  fs::current_path(before);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::u8string>{u8"x", u8"x.", u8"y", u8"y ", u8"z. ."}));
  // The library's own removal would take such names for others.
  for (const char* name : {"x.", "y ", "z. ."}) EXPECT_TRUE(DeleteFileW(LongPath(dir / name).c_str())) << name;
}

TEST(WindowsFiles, NoTargetIsOverwrittenEvenOneTakenWhileThePassRuns) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  WriteFile(dir / "a.tmb", Bytes{9});
  ErrorKind kind{};
  What([&] { Encode(dir / "a.txt", dir / "a.tmb", "Kennwort", "txt"); }, kind);
  EXPECT_EQ(kind, ErrorKind::TargetExists);
  EXPECT_EQ(ReadFile(dir / "a.tmb"), Bytes{9});

  // The name is taken after the pass has begun: at the last checkpoint,
  // when the file is complete but not yet named.
  WriteFile(dir / "b.txt", RandomBytes(5 << 20, 3));
  int calls = 0;
  What(
      [&] {
        Encode(dir / "b.txt", dir / "b.tmb", "Kennwort", "txt", {}, [&] {
          if (++calls == 1) WriteFile(dir / "b.tmb", Bytes{7, 7});
        });
      },
      kind);
  EXPECT_EQ(kind, ErrorKind::TargetExists);
  EXPECT_EQ(ReadFile(dir / "b.tmb"), (Bytes{7, 7}));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::u8string>{u8"a.tmb", u8"a.txt", u8"b.tmb", u8"b.txt"}));
}

TEST(WindowsFiles, AnUnfinishedTargetIsNeverVisibleAndGoesOnEveryWayOut) {
  TempDir dir;
  WriteFile(dir / "c.txt", RandomBytes(4 << 20, 5));
  // While the pass runs there is no entry of the target's name, only the
  // hidden one, which no one else can open: it is to be deleted.
  int calls = 0;
  ErrorKind kind{};
  What(
      [&] {
        Encode(dir / "c.txt", dir / "c.tmb", "Kennwort", "txt", {}, [&] {
          EXPECT_FALSE(Exists(dir / "c.tmb"));
          const auto names = Names(dir.path());
          EXPECT_EQ(names.size(), 2u);
          for (const auto& n : names) {
            if (n == u8"c.txt") continue;
            EXPECT_TRUE(n.starts_with(u8".tmb-"));
            const DWORD attributes = GetFileAttributesW((dir.path() / n).wstring().c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN));
            const HANDLE h =
                CreateFileW((dir.path() / n).wstring().c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
            EXPECT_EQ(h, INVALID_HANDLE_VALUE);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
          }
          if (++calls == 3) throw CodecError(ErrorKind::WriteTarget, dir / "c.tmb");  // interrupted
        });
      },
      kind);
  EXPECT_EQ(kind, ErrorKind::WriteTarget);
  EXPECT_EQ(Names(dir.path()), std::vector<std::u8string>{u8"c.txt"});
  // A file dropped unfinished leaves nothing either.
  { TargetFile dropped(dir / "d.tmb"); }
  EXPECT_EQ(Names(dir.path()), std::vector<std::u8string>{u8"c.txt"});
}

TEST(WindowsFiles, ClearErrorsForMissingLockedAndFolderInputs) {
  TempDir dir;
  ErrorKind kind{};
  std::string what = What([&] { InputFile in(dir / "fehlt.txt"); }, kind);
  EXPECT_EQ(kind, ErrorKind::OpenSource);
  EXPECT_NE(what.find("no such file or folder"), std::string::npos) << what;

  what = What([&] { InputFile in(dir.path()); }, kind);
  EXPECT_EQ(kind, ErrorKind::NotRegularFile);

  // Another program holds the file without sharing it.
  WriteFile(dir / "gesperrt.txt", Bytes{1});
  const HANDLE lock = CreateFileW((dir / "gesperrt.txt").wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  what = What([&] { Encode(dir / "gesperrt.txt", dir / "gesperrt.tmb", "Kennwort", "txt"); }, kind);
  CloseHandle(lock);
  EXPECT_EQ(kind, ErrorKind::OpenSource);
  EXPECT_NE(what.find("sharing violation"), std::string::npos) << what;
  EXPECT_FALSE(Exists(dir / "gesperrt.tmb"));

  what = What([&] { TargetFile out(dir / "kein Ordner" / "x.tmb"); }, kind);
  EXPECT_EQ(kind, ErrorKind::CreateTarget);
  EXPECT_NE(what.find("no such file or folder"), std::string::npos) << what;
}

}  // namespace
}  // namespace tambril::codec
