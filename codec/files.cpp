#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

namespace tambril::codec {
namespace fs = std::filesystem;

namespace {

std::string Reason(ErrorKind kind, int errnum) {
  const char* what = "";
  switch (kind) {
    case ErrorKind::OpenSource:
      what = "cannot open";
      break;
    case ErrorKind::NotRegularFile:
      what = "not a regular file";
      break;
    case ErrorKind::ReadSource:
      what = "cannot read";
      break;
    case ErrorKind::ShortSource:
      what = "file is shorter than when it was loaded";
      break;
    case ErrorKind::TargetExists:
      what = "file exists already";
      break;
    case ErrorKind::CreateTarget:
      what = "cannot create";
      break;
    case ErrorKind::WriteTarget:
      what = "cannot write";
      break;
    case ErrorKind::NotEncoded:
      what = "too short for an encoded file";
      break;
    case ErrorKind::NotChecked:
      what = "password was not checked";
      break;
    case ErrorKind::UnknownLength:
      what = "its length is not known in advance (0 bytes said, more there)";
      break;
  }
  std::string s = what;
  if (errnum != 0) s += std::string(": ") + std::strerror(errnum);
  return s;
}

// Opens a folder whose path is too long for one call, a part at a time
// through the handle of the part before.
int OpenFolderByParts(const fs::path& folder, int flags) {
  int at = folder.is_absolute() ? ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : AT_FDCWD;
  for (const fs::path& part : folder.relative_path()) {
    if (part.empty()) continue;
    const int next = ::openat(at, part.c_str(), flags);
    const int e = errno;
    if (at != AT_FDCWD) ::close(at);
    if (next < 0) {
      errno = e;
      return -1;
    }
    at = next;
  }
  return at == AT_FDCWD ? ::open(".", flags) : at;
}

// A write past the file size limit ends the process by SIGXFSZ unless the
// signal is ignored; ignored, the write fails with EFBIG like any full disk.
// A handler the program installed itself stays.
void IgnoreFileSizeSignal() {
  struct sigaction old {};
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
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

}  // namespace

Folder::Folder(const fs::path& folder) : path_(folder) {
  IgnoreFileSizeSignal();
  const char* p = folder.empty() ? "." : folder.c_str();
  fd_ = ::open(p, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0 && errno == ENAMETOOLONG) fd_ = OpenFolderByParts(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  syncable_ = fd_ >= 0;
  if (fd_ < 0 && errno == EACCES) fd_ = ::open(p, O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throw CodecError(ErrorKind::CreateTarget, folder, errno);
  struct stat st;
  if (::fstat(fd_, &st) == 0) device_ = static_cast<std::uint64_t>(st.st_dev);
}

Folder::~Folder() { ::close(fd_); }

void Folder::sync() const {
  if (syncable_) ::fsync(fd_);
}

bool Folder::knownMode(unsigned permissions, unsigned& finalMode) const {
  std::lock_guard guard(modesMutex_);
  for (const auto& [p, f] : modes_) {
    if (p == permissions) {
      finalMode = f;
      return true;
    }
  }
  return false;
}

void Folder::learnMode(unsigned permissions, unsigned finalMode) const {
  unsigned known;
  if (knownMode(permissions, known)) return;
  std::lock_guard guard(modesMutex_);
  modes_.emplace_back(permissions, finalMode);
}

void RequireKnownLength(const InputFile& in, std::uint64_t size) {
  char byte;
  if (size == 0 && in.readAt(0, &byte, 1) > 0) throw CodecError(ErrorKind::UnknownLength, in.path());
}

bool EntryExists(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

CodecError::CodecError(ErrorKind kind, fs::path path, int errnum)
    : std::runtime_error(path.string() + ": " + Reason(kind, errnum)),
      kind_(kind),
      path_(std::move(path)),
      errnum_(errnum) {}

InputFile::InputFile(const fs::path& path) : path_(path) { open(AT_FDCWD, path.c_str()); }

InputFile::InputFile(const Folder& folder, const fs::path& path) : path_(path) {
  open(folder.handle(), path.filename().c_str());
}

void InputFile::open(int folder, const char* name) {
  // Without O_NONBLOCK, opening a pipe waits for a writer for ever; without
  // O_NOCTTY, a terminal could become the controlling one.
  fd_ = ::openat(folder, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) throw CodecError(ErrorKind::OpenSource, path_, errno);
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    const int e = errno;
    ::close(fd_);
    fd_ = -1;
    throw CodecError(ErrorKind::OpenSource, path_, e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw CodecError(ErrorKind::NotRegularFile, path_, S_ISDIR(st.st_mode) ? EISDIR : 0);
  }
  // Reads of a regular file never wait anyway; the flag is cleared so that
  // nothing that inherits the handle sees it (none of the other flags that
  // F_SETFL changes was set).
  ::fcntl(fd_, F_SETFL, 0);
  permissions_ = st.st_mode & 0777;
  sizeAtOpen_ = static_cast<std::uint64_t>(st.st_size);
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
  if (sizeAtOpen_ >= kAdviceFrom) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

namespace {

// The target's own folder, opened for it alone; a failure is the target's.
std::shared_ptr<const Folder> OpenFolderOf(const fs::path& target) {
  if (target.filename().empty()) throw CodecError(ErrorKind::CreateTarget, target, EISDIR);
  try {
    return std::make_shared<const Folder>(target.parent_path());
  } catch (const CodecError& e) {
    throw CodecError(ErrorKind::CreateTarget, target, e.errnum());
  }
}

}  // namespace

TargetFile::TargetFile(const fs::path& target, unsigned permissions, Unfinished unfinished)
    : TargetFile(OpenFolderOf(target), target, permissions, unfinished) {}

TargetFile::TargetFile(std::shared_ptr<const Folder> folder, const fs::path& target, unsigned permissions,
                       Unfinished unfinished)
    : target_(target), name_(target.filename().string()), folder_(std::move(folder)) {
  if (name_.empty()) throw CodecError(ErrorKind::CreateTarget, target, EISDIR);
  struct stat st;
  if (::fstatat(folder_->handle(), name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    throw CodecError(ErrorKind::TargetExists, target);
  }
  // A name too long fails here, before any byte is written.
  if (errno != ENOENT) throw CodecError(ErrorKind::CreateTarget, target, errno);
  create(permissions & 0777, unfinished);
}

void TargetFile::create(unsigned permissions, Unfinished unfinished) {
  // The first file of its permissions in the folder is made with them, so
  // that the system applies the umask (or the folder's default access list)
  // as for any new file; the outcome is read back, and the file closed to
  // all but the owner until it is complete. Later ones are made with that
  // outcome where it is no wider than the owner's, else with the owner's
  // bits of it, and given the rest when they are finished.
  unsigned known = 0;
  const bool isKnown = folder_->knownMode(permissions, known);
  mode_t mode = static_cast<mode_t>(permissions);
  if (isKnown) {
    finalMode_ = known;
    modeLeft_ = (known & ~0600u) != 0;
    if (modeLeft_) mode = static_cast<mode_t>(known & 0600u);
  }
  const int folder = folder_->handle();
  if (unfinished == Unfinished::Unnamed) {
    fd_ = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd_ < 0 && !RefusesUnnamedFiles(errno)) {
      const int e = errno;
      discard();
      throw CodecError(ErrorKind::CreateTarget, target_, e);
    }
  }
  for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
    const std::string hidden = HiddenName();
    fd_ = ::openat(folder, hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      temp_ = target_.parent_path() / hidden;
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (fd_ < 0) {
    const int e = errno;
    discard();
    throw CodecError(ErrorKind::CreateTarget, target_, e);
  }
  if (isKnown) return;
  struct stat st;
  if (::fstat(fd_, &st) == 0) {
    finalMode_ = st.st_mode & 0777;
    folder_->learnMode(permissions, finalMode_);
  }
  modeLeft_ = (finalMode_ & ~0600u) != 0;
  if (modeLeft_) ::fchmod(fd_, finalMode_ & 0600u);
}

void TargetFile::giveFinalMode() {
  // Some file systems keep no permissions; that is no failure.
  if (modeLeft_) ::fchmod(fd_, static_cast<mode_t>(finalMode_));
  modeLeft_ = false;
}

TargetFile::~TargetFile() { discard(); }

void TargetFile::discard() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temp_.empty() && folder_) {
    // Relative to the folder's handle: found even if the folder was renamed.
    ::unlinkat(folder_->handle(), temp_.filename().c_str(), 0);
  }
  temp_.clear();
  folder_.reset();
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
  // The permissions first, so that the flush makes them durable too.
  giveFinalMode();
  if (::fsync(fd_) != 0) throw CodecError(ErrorKind::WriteTarget, target_, errno);
  flushed_ = true;
}

void TargetFile::finishUnflushed() {
  giveFinalMode();
  flushed_ = true;
}

void SyncFileSystem(int handle, const fs::path& path) {
  if (::syncfs(handle) != 0) throw CodecError(ErrorKind::WriteTarget, path, errno);
}

void TargetFile::commit(bool flushFolder) {
  flush();
  int e = 0;
  if (temp_.empty()) {
    // An unnamed file is linked through its handle: directly, or by its
    // entry in /proc where the system allows that only to privileged callers.
    const int folder = folder_->handle();
    const bool direct = !linkByHandleRefused.load(std::memory_order_relaxed);
    if (direct && ::linkat(fd_, "", folder, name_.c_str(), AT_EMPTY_PATH) == 0) {
      e = 0;
    } else {
      e = direct ? errno : ENOENT;
      if (e != EEXIST) {
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
        if (::linkat(AT_FDCWD, self, folder, name_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          if (direct) linkByHandleRefused.store(true, std::memory_order_relaxed);
          e = 0;
        } else if (errno != ENOENT || !direct) {
          e = errno;  // else /proc is missing: the direct link's error stands
        }
      }
    }
    ::close(fd_);
    fd_ = -1;
  } else {
    // Closed first: some network file systems report write failures only
    // when the file is closed.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) throw CodecError(ErrorKind::WriteTarget, target_, errno);
    const int folder = folder_->handle();
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
  if (flushFolder) folder_->sync();
  discard();
}

}  // namespace tambril::codec
