// What the file layer promises on POSIX systems when things go wrong.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "test_files.h"

// The system's sync_file_range as the file layer calls it, made to fail
// with the error a test sets; the calls are counted.
namespace {
int rangeFailure = 0;
int rangeCalls = 0;
}  // namespace

extern "C" int sync_file_range(int fd, __off64_t offset, __off64_t count, unsigned flags) {
  ++rangeCalls;
  if (rangeFailure != 0) {
    errno = rangeFailure;
    return -1;
  }
  static const auto real =
      reinterpret_cast<int (*)(int, __off64_t, __off64_t, unsigned)>(::dlsym(RTLD_NEXT, "sync_file_range"));
  return real(fd, offset, count, flags);
}

namespace tambril::codec {
namespace {
using namespace test;

TEST(Faults, ExistingTargetIsNeverTouched) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  WriteFile(dir / "a.tmb", Bytes{9, 9});
  try {
    Encode(dir / "a.txt", dir / "a.tmb", "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::TargetExists);
  }
  EXPECT_EQ(ReadFile(dir / "a.tmb"), (Bytes{9, 9}));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.tmb", "a.txt"}));
}

TEST(Faults, MissingSourceNamesTheFile) {
  TempDir dir;
  try {
    Encode(dir / "nope.txt", dir / "nope.tmb", "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::OpenSource);
    EXPECT_NE(std::string(e.what()).find("nope.txt"), std::string::npos);
  }
  EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

TEST(Faults, FolderThatRefusesTheTarget) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  // A "folder" that is a file refuses every new entry, root or not.
  try {
    Encode(dir / "a.txt", dir / "a.txt" / "a.tmb", "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::CreateTarget);
  }

  // A folder without write permission, tried as an ordinary user (root
  // would write there anyway, so a child process drops to nobody first).
  fs::create_directory(dir / "ro");
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                  fs::perms::others_exec | fs::perms::group_read | fs::perms::group_exec);
  fs::permissions(dir.path(), fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
  fs::permissions(dir / "a.txt", fs::perms::others_read, fs::perm_options::add);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    try {
      Encode(dir / "a.txt", dir / "ro" / "a.tmb", "Kennwort", "txt");
    } catch (const CodecError& e) {
      ::_exit(e.kind() == ErrorKind::CreateTarget ? 0 : 2);
    } catch (...) {
      ::_exit(4);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::is_empty(dir / "ro"));
}

// A disk that fills up: the file size limit makes writes fail with EFBIG
// part way through, as a full disk does with ENOSPC.
TEST(Faults, WriteFailureHalfWayLeavesNothingBehind) {
  TempDir dir;
  const Bytes plain = RandomBytes(3 << 20, 6);
  WriteFile(dir / "big.bin", plain);
  Encode(dir / "big.bin", dir / "big.tmb", "Kennwort", "bin");
  const auto check = CheckPassword(dir / "big.tmb", "Kennwort");

  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = old;
  lim.rlim_cur = 1 << 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
  ErrorKind encodeKind{}, decodeKind{};
  try {
    Encode(dir / "big.bin", dir / "again.tmb", "Kennwort", "bin");
  } catch (const CodecError& e) {
    encodeKind = e.kind();
  }
  try {
    Decode(dir / "big.tmb", dir / "back.bin", check);
  } catch (const CodecError& e) {
    decodeKind = e.kind();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(encodeKind, ErrorKind::WriteTarget);
  EXPECT_EQ(decodeKind, ErrorKind::WriteTarget);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"big.bin", "big.tmb"}));

  // Where the limit's signal has its default action (ending the process),
  // the pass ignores it itself and fails like the others.
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_DFL);
    ::setrlimit(RLIMIT_FSIZE, &lim);
    try {
      Encode(dir / "big.bin", dir / "again.tmb", "Kennwort", "bin");
    } catch (const CodecError& e) {
      ::_exit(e.kind() == ErrorKind::WriteTarget && e.errnum() == EFBIG ? 0 : 2);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"big.bin", "big.tmb"}));
}

TEST(Faults, TargetThatAppearsDuringThePassIsNotReplaced) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  TargetFile t(dir / "late.tmb");
  t.write("abc", 3);
  WriteFile(dir / "late.tmb", Bytes{7});
  EXPECT_THROW(t.commit(), CodecError);
  EXPECT_EQ(ReadFile(dir / "late.tmb"), (Bytes{7}));
}

// Nothing of an unfinished target stands in its folder: it has no name at
// all, or, where a file system cannot make unnamed files, a short hidden
// one, private to its owner and removed even after the folder was renamed.
TEST(Faults, UnfinishedTargetIsHiddenAndRemoved) {
  TempDir dir;
  {
    TargetFile t(dir / "x.tmb");
    t.write("abc", 3);
    EXPECT_TRUE(t.temporaryPath().empty());
    EXPECT_TRUE(fs::is_empty(dir.path()));
    t.flush();
    EXPECT_TRUE(fs::is_empty(dir.path()));
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));

  fs::create_directory(dir / "a");
  {
    TargetFile t(dir / "a" / "x.tmb", 0644, TargetFile::Unfinished::HiddenName);
    t.write("abc", 3);
    EXPECT_EQ(t.temporaryPath().parent_path(), dir / "a");
    const std::string hidden = t.temporaryPath().filename().string();
    EXPECT_EQ(hidden[0], '.');
    EXPECT_LE(hidden.size(), 11u);
    struct stat st {};
    ASSERT_EQ(::stat(t.temporaryPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    fs::rename(dir / "a", dir / "b");
  }
  EXPECT_TRUE(fs::is_empty(dir / "b"));
}

// A target name as long as the folder takes (255 bytes) needs no longer
// temporary name beside it; one byte more is refused before any writing.
TEST(Faults, TargetNamesUpToTheLongestTheFolderTakes) {
  TempDir dir;
  WriteFile(dir / "a.txt", Bytes{1, 2, 3});
  for (const std::size_t len : {243u, 250u, 255u}) {
    SCOPED_TRACE(len);
    const std::string name = std::string(len - 4, 'n') + ".tmb";
    Encode(dir / "a.txt", dir / name, "Kennwort", "txt");
    EXPECT_EQ(fs::file_size(dir / name), 24u);
    fs::remove(dir / name);
    {
      TargetFile t(dir / name, 0644, TargetFile::Unfinished::HiddenName);
      t.write("abc", 3);
      t.commit();
    }
    EXPECT_EQ(ReadFile(dir / name), (Bytes{'a', 'b', 'c'}));
    fs::remove(dir / name);
  }
  try {
    Encode(dir / "a.txt", dir / (std::string(252, 'n') + ".tmb"), "Kennwort", "txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::CreateTarget);
    EXPECT_EQ(e.errnum(), ENAMETOOLONG);
  }
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt"}));
}

unsigned Mode(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
}

// The finished file gets its source's permission bits less the umask, as a
// copy does: a private file stays private whatever the umask.
TEST(Faults, NewFileIsNeverMoreOpenThanItsSource) {
  TempDir dir;
  const mode_t oldMask = ::umask(022);
  WriteFile(dir / "geheim.txt", RandomBytes(5000, 8));
  ::chmod((dir / "geheim.txt").c_str(), 0600);
  WriteFile(dir / "tool.sh", Bytes{'#', '!'});
  ::chmod((dir / "tool.sh").c_str(), 04755);  // set-user-id is not copied

  Encode(dir / "geheim.txt", dir / "geheim.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "geheim.tmb"), 0600u);
  ::chmod((dir / "geheim.tmb").c_str(), 0640);
  Decode(dir / "geheim.tmb", dir / "zurueck.txt", CheckPassword(dir / "geheim.tmb", "Kennwort"));
  EXPECT_EQ(Mode(dir / "zurueck.txt"), 0640u);  // the encoded file's bits
  Encode(dir / "tool.sh", dir / "tool.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "tool.tmb"), 0755u);

  ::umask(0);
  Encode(dir / "geheim.txt", dir / "offen.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "offen.tmb"), 0600u);
  ::umask(077);
  Encode(dir / "tool.sh", dir / "privat.tmb", "Kennwort", "txt");
  EXPECT_EQ(Mode(dir / "privat.tmb"), 0700u);
  {
    TargetFile t(dir / "versteckt.tmb", 0644, TargetFile::Unfinished::HiddenName);
    t.commit();
  }
  EXPECT_EQ(Mode(dir / "versteckt.tmb"), 0600u);
  ::umask(oldMask);
}

// Files made through one open folder, as a many-file run makes them: each
// ends with its own permissions less the umask (the folder remembers them
// per permissions, not once for all), none is open to others while
// unfinished, a taken name is refused, and files and inputs stay in the
// folder that was opened even after its path names another one.
TEST(Faults, FilesMadeThroughOneOpenFolder) {
  TempDir dir;
  const mode_t oldMask = ::umask(022);
  fs::create_directory(dir / "a");
  WriteFile(dir / "a" / "x.txt", Bytes{1, 2, 3});
  const auto folder = std::make_shared<const Folder>(dir / "a");
  for (const int round : {1, 2}) {  // the second round makes them with what the first showed
    for (const unsigned permissions : {0644u, 0600u, 0666u, 0604u, 0400u}) {
      const fs::path target = dir / "a" / (std::to_string(round) + "-" + std::to_string(permissions));
      SCOPED_TRACE(target.filename().string());
      TargetFile t(folder, target, permissions,
                   round == 1 ? TargetFile::Unfinished::Unnamed : TargetFile::Unfinished::HiddenName);
      struct stat st {};
      ASSERT_EQ(::fstat(t.handle(), &st), 0);
      EXPECT_EQ(st.st_mode & 077, 0u);
      t.write("abc", 3);
      t.commit();
      EXPECT_EQ(Mode(target), permissions & ~022u);
    }
  }
  try {
    TargetFile t(folder, dir / "a" / "x.txt");
    FAIL();
  } catch (const CodecError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::TargetExists);
  }
  EXPECT_EQ(ReadFile(dir / "a" / "x.txt"), (Bytes{1, 2, 3}));

  fs::rename(dir / "a", dir / "b");
  fs::create_directory(dir / "a");
  WriteFile(dir / "a" / "x.txt", Bytes{9});
  WriteFile(dir / "a" / "x.txt.tmb", Bytes{9});
  const InputFile in(*folder, dir / "a" / "x.txt");
  EXPECT_EQ(in.sizeAtOpen(), 3u);
  {
    TargetFile t(folder, dir / "a" / "x.txt.tmb");
    t.commit();
  }
  EXPECT_TRUE(fs::exists(dir / "b" / "x.txt.tmb"));
  EXPECT_EQ(ReadFile(dir / "a" / "x.txt.tmb"), (Bytes{9}));
  ::umask(oldMask);
}

// A pipe (or a link to one), a device or a folder given as input is
// refused at once; opening a pipe would otherwise wait for a writer for ever.
TEST(Faults, InputsThatAreNoRegularFilesAreRefusedWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir / "pipe", dir / "link");
  ::alarm(30);  // a hang ends the test program instead of the test run
  for (const fs::path& p : {dir / "pipe", dir / "link", fs::path("/dev/null"), dir.path()}) {
    SCOPED_TRACE(p);
    try {
      InputFile in(p);
      ADD_FAILURE();
    } catch (const CodecError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::NotRegularFile);
      EXPECT_EQ(e.errnum(), p == dir.path() ? EISDIR : 0);
      EXPECT_NE(std::string(e.what()).find(p.string()), std::string::npos);
    }
  }
  EXPECT_THROW(Encode(dir / "link", dir / "x.tmb", "Kennwort", "txt"), CodecError);
  EXPECT_THROW(CheckPassword(dir / "pipe", "Kennwort"), CodecError);
  ::alarm(0);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"link", "pipe"}));
}

// The checkpoint runs between blocks, so a pass stops within a block of
// being told to, long before its next progress stage; and still after the
// last block, while the flushed file has no name yet.
TEST(Faults, CheckpointStopsAPassBetweenBlocks) {
  struct Stop {};
  TempDir dir;
  const std::size_t mib = std::size_t{1} << 20;
  WriteFile(dir / "a.dat", RandomBytes(5 * mib + 3, 9));
  int calls = 0;
  Encode(dir / "a.dat", dir / "a.tmb", "Kennwort", "dat", {}, [&] { ++calls; });
  EXPECT_GE(calls, 6);  // six blocks, the last one short
  const auto check = CheckPassword(dir / "a.tmb", "Kennwort");

  for (const int stopAt : {3, calls}) {
    SCOPED_TRACE(stopAt);
    for (const bool encode : {true, false}) {
      int seen = 0, highest = 0;
      const CheckpointFn stop = [&] {
        if (++seen == stopAt) throw Stop{};
      };
      const ProgressFn progress = [&](int v) { highest = std::max(highest, v); };
      if (encode) {
        EXPECT_THROW(Encode(dir / "a.dat", dir / "b.tmb", "Kennwort", "dat", progress, stop), Stop);
      } else {
        EXPECT_THROW(Decode(dir / "a.tmb", dir / "b.dat", check, progress, stop), Stop);
      }
      // Two blocks of a 5 MiB pass are 8 of its 20 stages.
      if (stopAt == 3) {
        EXPECT_LE(highest, 8);
      }
      EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.dat", "a.tmb"}));
    }
  }
}
// A large target is written back to disk while it is written. A failure
// to do so is a failed write: the system reports it once only, so the
// final flush would not see it and the file would be named as if whole. A
// system that refuses the call gets a plain write and a flush at the end.
TEST(Faults, FailedWriteBackFailsThePassAndARefusedOneIsLeftOut) {
  TempDir dir;
  const Bytes plain = RandomBytes(2 * TargetFile::kWriteBehindStretch + 5, 4);
  WriteFile(dir / "big.bin", plain);
  for (const int failure : {0, EIO, ENOSYS}) {
    SCOPED_TRACE(failure);
    rangeFailure = failure;
    rangeCalls = 0;
    std::optional<ErrorKind> failed;
    try {
      Encode(dir / "big.bin", dir / "big.tmb", "Kennwort", "bin");
    } catch (const CodecError& e) {
      failed = e.kind();
      EXPECT_EQ(e.errnum(), EIO);
    }
    rangeFailure = 0;
    if (failure == EIO) {
      EXPECT_EQ(failed, ErrorKind::WriteTarget);
      EXPECT_EQ(dir.names(), (std::vector<std::string>{"big.bin"}));
      continue;
    }
    ASSERT_FALSE(failed);
    // Two finished stretches, neither old enough to be waited for; a
    // refusal is asked once.
    EXPECT_EQ(rangeCalls, failure == 0 ? 2 : 1);
    Decode(dir / "big.tmb", dir / "back.bin", CheckPassword(dir / "big.tmb", "Kennwort"));
    EXPECT_EQ(ReadFile(dir / "back.bin"), plain);
    fs::remove(dir / "big.tmb");
    fs::remove(dir / "back.bin");
  }
}

}  // namespace
}  // namespace tambril::codec
