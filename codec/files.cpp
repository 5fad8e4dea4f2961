#include "files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tambril::codec {
namespace fs = std::filesystem;

namespace {

std::string Describe(ErrorKind kind, const fs::path& path, int errnum) {
  const char* what = "";
  switch (kind) {
    case ErrorKind::OpenSource: what = "cannot open"; break;
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

// Gives `from` the name `to` without replacing anything that is there.
int RenameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  // File systems without renameat2 flags: link() never replaces either.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool EntryExists(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

CodecError::CodecError(ErrorKind kind, fs::path path, int errnum)
    : std::runtime_error(Describe(kind, path, errnum)), kind_(kind), path_(std::move(path)), errnum_(errnum) {}

InputFile::InputFile(const fs::path& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw CodecError(ErrorKind::OpenSource, path, errno);
  struct stat st;
  const bool statted = ::fstat(fd_, &st) == 0;
  if (!statted || S_ISDIR(st.st_mode)) {
    const int e = statted ? EISDIR : errno;
    ::close(fd_);
    fd_ = -1;
    throw CodecError(ErrorKind::OpenSource, path, e);
  }
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

TargetFile::TargetFile(const fs::path& target) : target_(target) {
  if (EntryExists(target)) throw CodecError(ErrorKind::TargetExists, target);
  // A hidden name in the same folder, so that the final rename stays on one
  // file system and the unfinished file is never mistaken for the target.
  fs::path pattern = target.parent_path() / ("." + target.filename().string() + ".part-XXXXXX");
  std::string buf = pattern.string();
  fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
  if (fd_ < 0) throw CodecError(ErrorKind::CreateTarget, target, errno);
  temp_ = buf;
  // mkstemp makes the file private; give it the permissions a new file gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
}

TargetFile::~TargetFile() { discard(); }

void TargetFile::discard() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
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

void TargetFile::commit() {
  if (::fsync(fd_) != 0) throw CodecError(ErrorKind::WriteTarget, target_, errno);
  if (::close(fd_) != 0) {
    fd_ = -1;
    throw CodecError(ErrorKind::WriteTarget, target_, errno);
  }
  fd_ = -1;
  if (const int e = RenameNoReplace(temp_, target_); e != 0) {
    throw CodecError(e == EEXIST ? ErrorKind::TargetExists : ErrorKind::WriteTarget, target_, e);
  }
  committed_ = true;
  SyncFolder(target_.parent_path());
}

}  // namespace tambril::codec
