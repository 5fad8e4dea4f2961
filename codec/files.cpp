#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

namespace tambril::codec {
namespace fs = std::filesystem;

namespace {

// Opens a folder whose path is too long for one call, a part at a time
// through the handle of the part before.
SystemHandle OpenFolderByParts(const fs::path& folder, int flags) {
  SystemHandle at(folder.is_absolute() ? ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : ::open(".", flags));
  for (const fs::path& part : folder.relative_path()) {
    if (!at) break;
    if (part.empty()) continue;
    SystemHandle next(::openat(at.get(), part.c_str(), flags));
    const int e = errno;
    at = std::move(next);
    errno = e;
  }
  return at;
}

// File systems that cannot make unnamed files say so in one of these ways
// (older kernels take the flag for a request to open the folder).
bool RefusesUnnamedFiles(int errnum) {
  return errnum == EOPNOTSUPP || errnum == EISDIR || errnum == EINVAL || errnum == ENOSYS;
}

// A short hidden name: 11 bytes, so it fits beside any name the folder can
// hold, whatever the length of the target's.
std::string HiddenName() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 rng{std::random_device{}()};
  std::string name = ".tmb-";
  for (int i = 0; i < 6; ++i) name += kLetters[rng() % (sizeof kLetters - 1)];
  return name;
}

// A file that one read takes in gets no advice about reading.
constexpr std::uint64_t kAdviceFrom = std::uint64_t{1} << 20;

// Whether linking a file through its own handle was refused (older kernels
// allow it only to privileged callers); the link then goes through /proc.
std::atomic<bool> linkByHandleRefused{false};

// Reads up to n bytes at offset through `fd`, fewer only at the end;
// throws `kind` about `path` when reading fails.
std::size_t ReadAtOf(int fd, std::uint64_t offset, void* buffer, std::size_t n, ErrorKind kind, const fs::path& path) {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd, p + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw CodecError(kind, path, errno);
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

}  // namespace

std::string SystemErrorText(int errnum) { return std::strerror(errnum); }

// A write past the file size limit ends the process by SIGXFSZ unless the
// signal is ignored; ignored, the write fails with EFBIG like any full disk.
void IgnoreFileSizeSignal() {
  struct sigaction old {};
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
}

int SystemHandle::close() noexcept {
  if (h_ < 0) return 0;
  const int result = ::close(h_) == 0 ? 0 : errno;
  h_ = kNone;
  return result;
}

Folder::Folder(const fs::path& folder) : path_(folder) {
  IgnoreFileSizeSignal();
  const char* p = folder.empty() ? "." : folder.c_str();
  handle_ = SystemHandle(::open(p, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!handle_ && errno == ENAMETOOLONG) handle_ = OpenFolderByParts(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  syncable_ = bool(handle_);
  if (!handle_ && errno == EACCES) handle_ = SystemHandle(::open(p, O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!handle_) throw CodecError(ErrorKind::CreateTarget, folder, errno);
  struct stat st;
  if (::fstat(handle_.get(), &st) == 0) {
    device_ = static_cast<std::uint64_t>(st.st_dev);
    fileId_ = static_cast<std::uint64_t>(st.st_ino);
  }
}

// The name alone is kept as its path: it is reached through handles only,
// and a whole path would cost as much as the folder is deep.
Folder::Folder(const Folder& parent, const fs::path& name) : path_(name) {
  // ".." is never a link; any other name that is one is refused.
  handle_ = SystemHandle(::openat(parent.handle_.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!handle_) throw CodecError(ErrorKind::CreateTarget, path_, errno);
  syncable_ = true;
  struct stat st;
  if (::fstat(handle_.get(), &st) != 0) throw CodecError(ErrorKind::CreateTarget, path_, errno);
  device_ = static_cast<std::uint64_t>(st.st_dev);
  fileId_ = static_cast<std::uint64_t>(st.st_ino);
}

Folder::~Folder() = default;

int Folder::sync() const noexcept {
  if (syncable_) return ::fsync(handle_.get()) == 0 ? 0 : errno;
  ::sync();
  return 0;
}

std::optional<bool> EntryStands(const fs::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  return std::nullopt;
}

void InputFile::open(const Folder* folder, const fs::path& name, bool followLink) {
  // Without O_NONBLOCK, opening a pipe waits for a writer for ever; without
  // O_NOCTTY, a terminal could become the controlling one.
  SystemHandle opened(::openat(folder ? folder->handle_.get() : AT_FDCWD, name.c_str(),
                               O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
  if (!opened) throw CodecError(ErrorKind::OpenSource, path_, errno);
  struct stat st;
  if (::fstat(opened.get(), &st) != 0) throw CodecError(ErrorKind::OpenSource, path_, errno);
  if (!S_ISREG(st.st_mode)) throw CodecError(ErrorKind::NotRegularFile, path_, S_ISDIR(st.st_mode) ? EISDIR : 0);
  handle_ = std::move(opened);
  // Reads of a regular file never wait anyway; the flag is cleared so that
  // nothing that inherits the handle sees it (none of the other flags that
  // F_SETFL changes was set).
  ::fcntl(handle_.get(), F_SETFL, 0);
  permissions_ = st.st_mode & 0777;
  sizeAtOpen_ = static_cast<std::uint64_t>(st.st_size);
}

InputFile::~InputFile() = default;

namespace {

FileStamp Stamp(const struct stat& st) {
  const auto nanoseconds = [](const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  return {static_cast<std::uint64_t>(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
          static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

FileStamp InputFile::stamp() const {
  struct stat st;
  if (::fstat(handle_.get(), &st) != 0) throw CodecError(ErrorKind::ReadSource, path_, errno);
  return Stamp(st);
}

FileStamp StampOf(const fs::path& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) throw CodecError(ErrorKind::OpenSource, path, errno);
  return Stamp(st);
}

std::uint64_t InputFile::size() const {
  struct stat st;
  if (::fstat(handle_.get(), &st) != 0) throw CodecError(ErrorKind::ReadSource, path_, errno);
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  return ReadAtOf(handle_.get(), offset, buffer, n, ErrorKind::ReadSource, path_);
}

void InputFile::adviseSequential() const {
#ifdef POSIX_FADV_SEQUENTIAL
  if (sizeAtOpen_ >= kAdviceFrom) ::posix_fadvise(handle_.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

TargetFile::TargetFile(std::shared_ptr<const Folder> folder, const fs::path& target, unsigned permissions,
                       Unfinished unfinished)
    : target_(target), name_(target.filename().string()), folder_(std::move(folder)) {
  if (name_.empty()) throw CodecError(ErrorKind::CreateTarget, target, EISDIR);
  struct stat st;
  if (::fstatat(folder_->handle_.get(), name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    throw CodecError(ErrorKind::TargetExists, target);
  }
  // A name too long fails here, before any byte is written.
  if (errno != ENOENT) throw CodecError(ErrorKind::CreateTarget, target, errno);
  create(permissions & 0777, unfinished);
}

namespace {

// What a new file made with `permissions` ends up with in `folder` (the
// umask or the folder's default access list applied), learnt from an empty
// file made for it alone: unnamed where the system allows, else under a
// hidden name removed at once. Nothing where no file can be made.
std::optional<unsigned> ProbeMode(int folder, unsigned permissions, bool unnamed) {
  const mode_t mode = static_cast<mode_t>(permissions);
  SystemHandle probe;
  if (unnamed) probe = SystemHandle(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
  std::string hidden;
  for (int attempt = 0; !probe && attempt < 100; ++attempt) {
    hidden = HiddenName();
    probe = SystemHandle(::openat(folder, hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!probe && errno != EEXIST) return std::nullopt;
  }
  if (!probe) return std::nullopt;
  struct stat st;
  const bool known = ::fstat(probe.get(), &st) == 0;
  probe.reset();
  if (!hidden.empty()) ::unlinkat(folder, hidden.c_str(), 0);
  if (!known) return std::nullopt;
  return static_cast<unsigned>(st.st_mode & 0777);
}

}  // namespace

void TargetFile::create(unsigned permissions, Unfinished unfinished) {
  // The file is made readable and writable by its owner at most until it
  // is complete, and then given what a new file of its permissions gets
  // here, which an empty file made for the purpose shows once per folder.
  unsigned known = 0;
  const int folder = folder_->handle_.get();
  if (!folder_->knownMode(permissions, known)) {
    known = ProbeMode(folder, permissions, unfinished == Unfinished::Unnamed).value_or(permissions & 0600u);
    folder_->learnMode(permissions, known);
  }
  finalMode_ = known;
  modeLeft_ = (known & ~0600u) != 0;
  const mode_t mode = static_cast<mode_t>(known & 0600u);
  scope_ = folder_->device();
  if (unfinished == Unfinished::Unnamed) {
    handle_ = SystemHandle(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (!handle_ && !RefusesUnnamedFiles(errno)) {
      const int e = errno;
      discard();
      throw CodecError(ErrorKind::CreateTarget, target_, e);
    }
  }
  for (int attempt = 0; !handle_ && attempt < 100; ++attempt) {
    const std::string hidden = HiddenName();
    handle_ = SystemHandle(::openat(folder, hidden.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (handle_) {
      temp_ = target_.parent_path() / hidden;
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (!handle_) {
    const int e = errno;
    discard();
    throw CodecError(ErrorKind::CreateTarget, target_, e);
  }
}

void TargetFile::giveFinalMode() {
  // Some file systems keep no permissions; that is no failure.
  if (modeLeft_) ::fchmod(handle_.get(), static_cast<mode_t>(finalMode_));
  modeLeft_ = false;
}

void TargetFile::discard() noexcept {
  handle_.reset();
  if (!committed_ && !temp_.empty() && folder_) {
    // Relative to the folder's handle: found even if the folder was renamed.
    ::unlinkat(folder_->handle_.get(), temp_.filename().c_str(), 0);
  }
  temp_.clear();
  folder_.reset();
}

void TargetFile::write(const void* data, std::size_t n) {
  const auto* p = static_cast<const char*>(data);
  while (n > 0) {
    // Up to the end of the stretch being written, so that a finished one
    // goes to disk before the next is begun.
    const std::uint64_t stretchLeft = kWriteBehindStretch - written_ % kWriteBehindStretch;
    const ssize_t w = ::write(handle_.get(), p, static_cast<std::size_t>(std::min<std::uint64_t>(n, stretchLeft)));
    if (w < 0) {
      if (errno == EINTR) continue;
      throw CodecError(ErrorKind::WriteTarget, target_, errno);
    }
    p += w;
    n -= static_cast<std::size_t>(w);
    written_ += static_cast<std::uint64_t>(w);
    if (written_ % kWriteBehindStretch == 0) writeBehind();
  }
}

// Left to itself, the system keeps a large new file in memory and starts
// writing it only once much has piled up or aged; the flush at the end
// would then find all of it still to do and take as long as the disk needs
// for the whole file, after the coding is done. Started stretch by
// stretch, the disk writes while the pass codes.
void TargetFile::writeBehind() {
  if (writeBehindRefused_) return;
  const int fd = handle_.get();
  const auto range = [&](std::uint64_t end, unsigned flags) {
    if (::sync_file_range(fd, static_cast<off_t>(end - kWriteBehindStretch), static_cast<off_t>(kWriteBehindStretch),
                          flags) == 0) {
      return true;
    }
    // Refused where the system or the file system cannot do it: the final
    // flush does all of it then. Any other failure is a failed write: the
    // system reports it once, and the flush would no longer see it.
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == ESPIPE) {
      writeBehindRefused_ = true;
      return false;
    }
    throw CodecError(ErrorKind::WriteTarget, target_, errno);
  };
  if (!range(written_, SYNC_FILE_RANGE_WRITE)) return;
  const std::uint64_t back = kWriteBehindAhead * kWriteBehindStretch;
  if (written_ > back) {
    range(written_ - back, SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  }
}

std::size_t TargetFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  return ReadAtOf(handle_.get(), offset, buffer, n, ErrorKind::WriteTarget, target_);
}

void TargetFile::flush() {
  if (flushed_) return;
  // The permissions first, so that the flush makes them durable too.
  giveFinalMode();
  if (::fsync(handle_.get()) != 0) throw CodecError(ErrorKind::WriteTarget, target_, errno);
  flushed_ = true;
}

void TargetFile::finishUnflushed() {
  giveFinalMode();
  flushed_ = true;
}

FlushHandle::FlushHandle(const TargetFile& file) : handle_(::fcntl(file.handle(), F_DUPFD_CLOEXEC, 0)) {
  if (!handle_) throw CodecError(ErrorKind::WriteTarget, file.target_, errno);
}

int FlushHandle::flush() const noexcept { return ::syncfs(handle_.get()) == 0 ? 0 : errno; }

void TargetFile::commit(bool flushFolder) {
  flush();
  int e = 0;
  if (temp_.empty()) {
    // An unnamed file is linked through its handle: directly, or by its
    // entry in /proc where the system allows that only to privileged callers.
    const int folder = folder_->handle_.get();
    const int fd = handle_.get();
    const bool direct = !linkByHandleRefused.load(std::memory_order_relaxed);
    if (direct && ::linkat(fd, "", folder, name_.c_str(), AT_EMPTY_PATH) == 0) {
      e = 0;
    } else {
      e = direct ? errno : ENOENT;
      if (e != EEXIST) {
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        if (::linkat(AT_FDCWD, self, folder, name_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          if (direct) linkByHandleRefused.store(true, std::memory_order_relaxed);
          e = 0;
        } else if (errno != ENOENT || !direct) {
          e = errno;  // else /proc is missing: the direct link's error stands
        }
      }
    }
    handle_.reset();
  } else {
    // Closed first: some network file systems report write failures only
    // when the file is closed.
    if (const int closed = handle_.close(); closed != 0) throw CodecError(ErrorKind::WriteTarget, target_, closed);
    const int folder = folder_->handle_.get();
    const std::string hidden = temp_.filename().string();
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, hidden.c_str(), folder, name_.c_str(), RENAME_NOREPLACE) != 0) e = errno;
    if (e == EINVAL || e == ENOSYS)
#endif
    {
      // File systems without renameat2 flags: a link never replaces either.
      e = ::linkat(folder, hidden.c_str(), folder, name_.c_str(), 0) == 0 ? 0 : errno;
      if (e == 0) ::unlinkat(folder, hidden.c_str(), 0);
    }
  }
  if (e != 0) throw CodecError(e == EEXIST ? ErrorKind::TargetExists : ErrorKind::WriteTarget, target_, e);
  committed_ = true;
  const int flushed = flushFolder ? folder_->sync() : 0;
  discard();
  if (flushed != 0) throw CodecError(ErrorKind::WriteTarget, target_, flushed);
}

}  // namespace tambril::codec
