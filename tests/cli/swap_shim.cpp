// Loaded into tambril-cli by a test (LD_PRELOAD) to play someone who swaps
// folders under a running walk, and to count what the program opens.
// - Once the program opens a name whose last part is $TAMBRIL_SWAP_WHEN for
//   the $TAMBRIL_SWAP_NTH time (the first where unset), just before that
//   open: $TAMBRIL_SWAP_FROM is renamed to $TAMBRIL_SWAP_ASIDE and in its
//   place comes a link to $TAMBRIL_SWAP_LINK, or the folder
//   $TAMBRIL_SWAP_WITH renamed there; "swapped" is appended to
//   $TAMBRIL_SWAP_LOG.
// - With $TAMBRIL_OPEN_COUNT, the number of names the system looked up for
//   the program's opens (a path of n parts counts n) is appended to that
//   file when the program ends.
// - With $TAMBRIL_WIDE_LOG, "wide" is appended to that file for each write
//   to a file that was made open to others than its owner (its mode bits
//   when it was made); with $TAMBRIL_NO_UNNAMED, unnamed files are refused
//   as some file systems refuse them.
// - With $TAMBRIL_SHORT_READ, the first read at a position past the start
//   of a file ends early, as a read may on a network file system.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> g_parts{0};
std::atomic<long> g_seen{0};
std::atomic<bool> g_swapped{false};
constexpr int kMostTracked = 4096;
std::atomic<bool> g_wide[kMostTracked];  // per descriptor: made open to others

void Append(const char* file, const char* line) {
  if (!file) return;
  const int f = ::open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (f < 0) return;
  (void)!::write(f, line, std::strlen(line));
  ::close(f);
}

void BeforeOpen(const char* path) {
  if (!path) return;
  long parts = 0;
  for (const char* p = path; *p; ++p) {
    if (*p != '/' && (p == path || p[-1] == '/')) ++parts;
  }
  g_parts += parts;
  const char* when = std::getenv("TAMBRIL_SWAP_WHEN");
  if (!when || g_swapped) return;
  const char* slash = std::strrchr(path, '/');
  if (std::strcmp(slash ? slash + 1 : path, when) != 0) return;
  const char* nth = std::getenv("TAMBRIL_SWAP_NTH");
  if (++g_seen < (nth ? std::atol(nth) : 1) || g_swapped.exchange(true)) return;
  const char* from = std::getenv("TAMBRIL_SWAP_FROM");
  const char* link = std::getenv("TAMBRIL_SWAP_LINK");
  const char* with = std::getenv("TAMBRIL_SWAP_WITH");
  if (!from || std::rename(from, std::getenv("TAMBRIL_SWAP_ASIDE")) != 0) return;
  if ((link && ::symlink(link, from) == 0) || (with && std::rename(with, from) == 0)) {
    Append(std::getenv("TAMBRIL_SWAP_LOG"), "swapped\n");
  }
}

struct AtEnd {
  ~AtEnd() {
    char line[32];
    std::snprintf(line, sizeof line, "%ld\n", g_parts.load());
    Append(std::getenv("TAMBRIL_OPEN_COUNT"), line);
  }
} g_atEnd;

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool Creates(int flags) { return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE; }

mode_t ModeOf(int flags, va_list args) { return Creates(flags) ? static_cast<mode_t>(va_arg(args, int)) : 0; }

// Whether to refuse the open as a file system without unnamed files would.
bool RefuseUnnamed(int flags) {
  if ((flags & O_TMPFILE) != O_TMPFILE || !std::getenv("TAMBRIL_NO_UNNAMED")) return false;
  errno = EOPNOTSUPP;
  return true;
}

int AfterOpen(int fd, int flags, mode_t mode) {
  if (fd >= 0 && fd < kMostTracked) g_wide[fd] = Creates(flags) && (mode & 077) != 0;
  return fd;
}

}  // namespace

// Around a real open: the swap and the count before it, the refusal of an
// unnamed file in its place, and the note of what it made after it.
template <typename Call>
int Around(const char* path, int flags, mode_t mode, Call call) {
  BeforeOpen(path);
  if (RefuseUnnamed(flags)) return -1;
  return AfterOpen(call(), flags, mode);
}

#define TAMBRIL_MODE(flags)                \
  va_list args;                            \
  va_start(args, flags);                   \
  const mode_t mode = ModeOf(flags, args); \
  va_end(args)
#define TAMBRIL_OPEN(name)                                                     \
  extern "C" int name(const char* path, int flags, ...) {                      \
    static const auto real = Real<int (*)(const char*, int, mode_t)>(#name);   \
    TAMBRIL_MODE(flags);                                                       \
    return Around(path, flags, mode, [&] { return real(path, flags, mode); }); \
  }
#define TAMBRIL_OPENAT(name)                                                           \
  extern "C" int name(int folder, const char* path, int flags, ...) {                  \
    static const auto real = Real<int (*)(int, const char*, int, mode_t)>(#name);      \
    TAMBRIL_MODE(flags);                                                               \
    return Around(path, flags, mode, [&] { return real(folder, path, flags, mode); }); \
  }

TAMBRIL_OPEN(open)
TAMBRIL_OPEN(open64)
TAMBRIL_OPENAT(openat)
TAMBRIL_OPENAT(openat64)

extern "C" ssize_t write(int fd, const void* data, size_t n) {
  static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
  if (fd >= 0 && fd < kMostTracked && n > 0 && g_wide[fd].exchange(false)) {
    Append(std::getenv("TAMBRIL_WIDE_LOG"), "wide\n");
  }
  return real(fd, data, n);
}

extern "C" int close(int fd) {
  static const auto real = Real<int (*)(int)>("close");
  if (fd >= 0 && fd < kMostTracked) g_wide[fd] = false;
  return real(fd);
}

namespace {

std::atomic<bool> g_shortened{false};

template <typename Real>
ssize_t MaybeShort(Real real, int fd, void* buffer, size_t n, off_t offset) {
  if (offset > 0 && n > 1 && std::getenv("TAMBRIL_SHORT_READ") && !g_shortened.exchange(true)) return 0;
  return real(fd, buffer, n, offset);
}

}  // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t n, off_t offset) {
  static const auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  return MaybeShort(real, fd, buffer, n, offset);
}

extern "C" ssize_t pread64(int fd, void* buffer, size_t n, off_t offset) {
  static const auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
  return MaybeShort(real, fd, buffer, n, offset);
}
