// Loaded into tambril-cli by a test (LD_PRELOAD): records each name given
// (linkat, renameat2) and each flush (fsync of a folder, syncfs) to the file
// $TAMBRIL_TRACE_LOG, a line each, in the order they happen in the program
// and in the processes it starts: "WHAT DEV INO NAME SIZE", where DEV and INO
// are those of the handle the call was given (for a link, the folder), WHAT
// is "link" once a name was given, "fsync<" or "syncfs<" as a flush begins,
// "fsync>" or "syncfs>" when it has ended, and SIZE the size of
// $TAMBRIL_TRACE_OUT (the program's standard output) just after the call
// returned, which is what the program had printed by then (-1 at a begin).
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

void Record(const char* what, int fd, const char* name, bool withSize) {
  const int savedErrno = errno;
  const char* log = std::getenv("TAMBRIL_TRACE_LOG");
  const char* out = std::getenv("TAMBRIL_TRACE_OUT");
  struct stat st {
  }, os{};
  if (log && ::fstat(fd, &st) == 0) {
    long long size = -1;
    if (withSize && out && ::stat(out, &os) == 0) size = static_cast<long long>(os.st_size);
    char line[4400];
    const int n =
        std::snprintf(line, sizeof line, "%s %llu %llu %s %lld\n", what, static_cast<unsigned long long>(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino), name ? name : "-", size);
    const int f = ::open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (f >= 0 && n > 0) (void)!::write(f, line, static_cast<std::size_t>(n) < sizeof line ? n : sizeof line - 1);
    if (f >= 0) ::close(f);
  }
  errno = savedErrno;
}

}  // namespace

extern "C" int linkat(int oldFolder, const char* oldName, int newFolder, const char* newName, int flags) {
  static const auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
  const int r = real(oldFolder, oldName, newFolder, newName, flags);
  if (r == 0) Record("link", newFolder, newName, true);
  return r;
}

extern "C" int renameat2(int oldFolder, const char* oldName, int newFolder, const char* newName, unsigned flags) {
  static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  const int r = real(oldFolder, oldName, newFolder, newName, flags);
  if (r == 0) Record("link", newFolder, newName, true);
  return r;
}

extern "C" int fsync(int fd) {
  static const auto real = Real<int (*)(int)>("fsync");
  struct stat st {};
  const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
  if (folder) Record("fsync<", fd, nullptr, false);
  const int r = real(fd);
  if (folder && r == 0) Record("fsync>", fd, nullptr, true);
  return r;
}

extern "C" int syncfs(int fd) {
  static const auto real = Real<int (*)(int)>("syncfs");
  Record("syncfs<", fd, nullptr, false);
  const int r = real(fd);
  if (r == 0) Record("syncfs>", fd, nullptr, true);
  return r;
}
