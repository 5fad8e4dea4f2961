#include "files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tambril::codec {
namespace fs = std::filesystem;

namespace {

std::string Describe(ErrorKind kind, const fs::path& path, int errnum) {
  const char* what = "";
  switch (kind) {
    case ErrorKind::OpenSource: what = "cannot open"; break;
    case ErrorKind::NotRegularFile: what = "not a regular file"; break;
    case ErrorKind::ReadSource: what = "cannot read"; break;
    case ErrorKind::ShortSource: what = "file is shorter than when it was loaded"; break;
    case ErrorKind::TargetExists: what = "file exists already"; break;
    case ErrorKind::CreateTarget: what = "cannot create"; break;
    case ErrorKind::WriteTarget: what = "cannot write"; break;
    case ErrorKind::NotEncoded: what = "too short for an encoded file"; break;
    case ErrorKind::NotChecked: what = "password was not checked"; break;
  }
  std::string s = path.string() + ": " + what;
  if (errnum != 0) s += std::string(": ") + std::strerror(errnum);
  return s;
}

// A write past the file size limit ends the process by SIGXFSZ unless the
// signal is ignored; ignored, the write fails with EFBIG like any full disk.
// A handler the program installed itself stays.
void IgnoreFileSizeSignal() {
  struct sigaction old{};
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
}

// The folder a new file goes into. A folder that may be written but not
// listed is still usable, through a handle that cannot be flushed.
int OpenFolder(const fs::path& folder, bool& syncable) {
  const char* path = folder.empty() ? "." : folder.c_str();
  int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  syncable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
  return fd;
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

}  // namespace

bool EntryExists(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

CodecError::CodecError(ErrorKind kind, fs::path path, int errnum)
    : std::runtime_error(Describe(kind, path, errnum)), kind_(kind), path_(std::move(path)), errnum_(errnum) {}

InputFile::InputFile(const fs::path& path) : path_(path) {
  // Without O_NONBLOCK, opening a pipe waits for a writer for ever; without
  // O_NOCTTY, a terminal could become the controlling one.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) throw CodecError(ErrorKind::OpenSource, path, errno);
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    const int e = errno;
    ::close(fd_);
    fd_ = -1;
    throw CodecError(ErrorKind::OpenSource, path, e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw CodecError(ErrorKind::NotRegularFile, path, S_ISDIR(st.st_mode) ? EISDIR : 0);
  }
  // Reads of a regular file never wait anyway; the flag is cleared so that
  // nothing that inherits the handle sees it.
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  permissions_ = st.st_mode & 0777;
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t InputFile::size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw CodecError(ErrorKind::ReadSource, path_, errno);
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw CodecError(ErrorKind::ReadSource, path_, errno);
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

void InputFile::readExactly(std::uint64_t offset, void* buffer, std::size_t n) const {
  if (readAt(offset, buffer, n) != n) throw CodecError(ErrorKind::ShortSource, path_);
}

void InputFile::adviseSequential() const {
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

TargetFile::TargetFile(const fs::path& target, unsigned permissions, Unfinished unfinished)
    : target_(target), name_(target.filename().string()) {
  IgnoreFileSizeSignal();
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0) throw CodecError(ErrorKind::TargetExists, target);
  // A name too long or a path through a file fails here, before any byte
  // is written; a missing folder fails when it is opened.
  if (errno != ENOENT) throw CodecError(ErrorKind::CreateTarget, target, errno);
  if (name_.empty()) throw CodecError(ErrorKind::CreateTarget, target, EISDIR);
  folder_ = OpenFolder(target.parent_path(), folderSyncable_);
  if (folder_ < 0) throw CodecError(ErrorKind::CreateTarget, target, errno);

  // Made with the final permissions, so that the system applies the umask
  // (or the folder's default access list) as for any new file; read back,
  // and closed to all but the owner until the file is complete.
  const mode_t mode = static_cast<mode_t>(permissions & 0777);
  if (unfinished == Unfinished::Unnamed) {
    fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd_ < 0 && !RefusesUnnamedFiles(errno)) {
      const int e = errno;
      discard();
      throw CodecError(ErrorKind::CreateTarget, target, e);
    }
  }
  for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
    const std::string hidden = HiddenName();
    fd_ = ::openat(folder_, hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      temp_ = target.parent_path() / hidden;
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (fd_ < 0) {
    const int e = errno;
    discard();
    throw CodecError(ErrorKind::CreateTarget, target, e);
  }
  if (::fstat(fd_, &st) == 0) finalMode_ = st.st_mode & 0777;
  ::fchmod(fd_, 0600);
}

TargetFile::~TargetFile() { discard(); }

void TargetFile::discard() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temp_.empty() && folder_ >= 0) {
    // Relative to the folder's handle: found even if the folder was renamed.
    ::unlinkat(folder_, temp_.filename().c_str(), 0);
  }
  temp_.clear();
  if (folder_ >= 0) {
    ::close(folder_);
    folder_ = -1;
  }
}

void TargetFile::write(const void* data, std::size_t n) {
  const auto* p = static_cast<const char*>(data);
  while (n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      throw CodecError(ErrorKind::WriteTarget, target_, errno);
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

void TargetFile::flush() {
  if (flushed_) return;
  // The permissions first, so that the flush makes them durable too. Some
  // file systems keep no permissions; that is no failure.
  ::fchmod(fd_, static_cast<mode_t>(finalMode_));
  if (::fsync(fd_) != 0) throw CodecError(ErrorKind::WriteTarget, target_, errno);
  flushed_ = true;
}

void TargetFile::commit() {
  flush();
  int e = 0;
  if (temp_.empty()) {
    // An unnamed file is linked through its handle: by its entry in /proc,
    // or directly where /proc is missing.
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
    if (::linkat(AT_FDCWD, self, folder_, name_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      e = errno;
      if (e != EEXIST && ::linkat(fd_, "", folder_, name_.c_str(), AT_EMPTY_PATH) == 0) e = 0;
    }
    ::close(fd_);
    fd_ = -1;
  } else {
    // Closed first: some network file systems report write failures only
    // when the file is closed.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) throw CodecError(ErrorKind::WriteTarget, target_, errno);
    const std::string hidden = temp_.filename().string();
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder_, hidden.c_str(), folder_, name_.c_str(), RENAME_NOREPLACE) != 0) e = errno;
    if (e == EINVAL || e == ENOSYS)
#endif
    {
      // File systems without renameat2 flags: a link never replaces either.
      e = ::linkat(folder_, hidden.c_str(), folder_, name_.c_str(), 0) == 0 ? 0 : errno;
      if (e == 0) ::unlinkat(folder_, hidden.c_str(), 0);
    }
  }
  if (e != 0) throw CodecError(e == EEXIST ? ErrorKind::TargetExists : ErrorKind::WriteTarget, target_, e);
  committed_ = true;
  if (folderSyncable_) ::fsync(folder_);
  discard();
}

}  // namespace tambril::codec
