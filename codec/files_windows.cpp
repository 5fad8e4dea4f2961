// The files of a pass on Windows, behind the same interface as on POSIX
// systems. Paths go to the wide ("W") API as UTF-16, absolute and with the
// "\\?\" prefix, so that names beyond 260 characters, every Unicode
// character and names ending in a dot or a space work. A target is written under a short hidden name in its
// folder, marked to be deleted when its handle closes (so that a pass that
// is interrupted, killed or fails leaves nothing behind), flushed, and only
// then renamed to its name without replacing anything.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "files.h"
#include "files_windows.h"
#include "paths.h"

namespace tambril::codec {
namespace fs = std::filesystem;

namespace {

// The result of CreateFileW as a handle that closes itself.
SystemHandle Own(HANDLE h) { return SystemHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

// Each file is flushed on its own: each is a scope of its own.
std::atomic<std::uint64_t> nextScope{1};

bool SetDeleteOnClose(HANDLE h, bool on) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = on ? TRUE : FALSE;
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
}

// A short hidden name, as on other systems.
std::wstring HiddenName() {
  static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 rng{std::random_device{}()};
  std::wstring name = L".tmb-";
  for (int i = 0; i < 6; ++i) name += kLetters[rng() % (sizeof kLetters / sizeof kLetters[0] - 1)];
  return name;
}

}  // namespace

// The system's error as the error number the rest of the program knows.
int ErrnoOf(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_INVALID_NAME:
      return EINVAL;
    default:
      return EIO;
  }
}

namespace {
int LastErrno() { return ErrnoOf(::GetLastError()); }

// Reads up to n bytes at offset through `h`, fewer only at the end; throws
// `kind` about `path` when reading fails.
std::size_t ReadAtOf(HANDLE h, std::uint64_t offset, void* buffer, std::size_t n, ErrorKind kind,
                     const fs::path& path) {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, std::size_t{1} << 30));
    DWORD got = 0;
    if (!::ReadFile(h, p + done, want, &got, &where)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      throw CodecError(kind, path, LastErrno());
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}
}  // namespace

std::wstring LongPath(const fs::path& path) {
  std::error_code ec;
  const fs::path current = fs::current_path(ec);
  return LongPathText(path.native(), ec ? std::wstring() : current.native());
}

// Texts for the errors a user meets on Windows; others as the C library says.
std::string SystemErrorText(int errnum) {
  switch (errnum) {
    case ENOENT:
      return "no such file or folder";
    case EACCES:
      return "access denied (read-only, or not allowed)";
    case EBUSY:
      return "in use by another program (sharing violation)";
    case ENOSPC:
      return "no space left on the disk";
    case EEXIST:
      return "file exists";
    case ENAMETOOLONG:
      return "name too long";
    case EISDIR:
      return "is a folder";
    default:
      return std::strerror(errnum);
  }
}

// Windows has no file size limit that ends a program.
void IgnoreFileSizeSignal() {}

int SystemHandle::close() noexcept {
  if (!h_) return 0;
  const int result = ::CloseHandle(h_) ? 0 : LastErrno();
  h_ = kNone;
  return result;
}

namespace {

// Opens a folder without letting others delete or rename it, so that the
// files made through it stay in this very folder; without `followLink` a
// link or junction is opened itself and refused.
SystemHandle OpenFolderHandle(const fs::path& folder, bool followLink, std::uint64_t& device, std::uint64_t& fileId) {
  SystemHandle handle = Own(::CreateFileW(
      LongPath(folder).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr));
  if (!handle) throw CodecError(ErrorKind::CreateTarget, folder, LastErrno());
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = ::GetFileInformationByHandle(handle.get(), &info) != 0;
  if (known && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw CodecError(ErrorKind::CreateTarget, folder, ENOTDIR);
  }
  if (known && !followLink && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    throw CodecError(ErrorKind::CreateTarget, folder, ELOOP);
  }
  if (known) {
    device = info.dwVolumeSerialNumber;
    fileId = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  }
  return handle;
}

}  // namespace

Folder::Folder(const fs::path& folder) : path_(folder) { handle_ = OpenFolderHandle(folder, true, device_, fileId_); }

// By path: the folder `parent` cannot be renamed while it is open, so its
// path still leads to it.
Folder::Folder(const Folder& parent, const std::filesystem::path& name)
    : path_(name == fs::path("..") ? parent.path_.parent_path() : parent.path_ / name) {
  handle_ = OpenFolderHandle(path_, name == fs::path(".."), device_, fileId_);
}

Folder::~Folder() = default;

// A folder's entries cannot be flushed on their own here; the rename that
// names a file is written through (MOVEFILE_WRITE_THROUGH) instead.
int Folder::sync() const noexcept { return 0; }

std::optional<bool> EntryStands(const fs::path& path) {
  // Links are not followed: a dangling one is an entry too.
  if (::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const int error = LastErrno();
  if (error == ENOENT || error == ENOTDIR) return false;
  return std::nullopt;
}

void InputFile::open(const Folder* folder, const fs::path& name, bool followLink) {
  // Others may go on reading, writing or renaming the file meanwhile, as on
  // other systems. Folders open too, to be refused by their kind. A file of
  // an open folder is found by the folder's path: the folder cannot be
  // renamed while it is open.
  SystemHandle opened =
      Own(::CreateFileW(LongPath(folder ? folder->path() / name : name).c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr));
  if (!opened) throw CodecError(ErrorKind::OpenSource, path_, LastErrno());
  const HANDLE h = opened.get();
  BY_HANDLE_FILE_INFORMATION info;
  const bool disk = ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info);
  if (disk && !followLink && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    throw CodecError(ErrorKind::OpenSource, path_, ELOOP);
  }
  if (!disk || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw CodecError(ErrorKind::NotRegularFile, path_, disk ? EISDIR : 0);
  }
  permissions_ = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  sizeAtOpen_ = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  handle_ = std::move(opened);
}

InputFile::~InputFile() = default;

namespace {

// The stamp of the open file `h`; false when the system does not tell it.
bool Stamp(HANDLE h, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  if (!::GetFileInformationByHandle(h, &info) ||
      !::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
    return false;
  }
  // Times in 100 ns since 1601.
  const auto nanoseconds = [](std::int64_t ticks) { return (ticks - 116444736000000000) * 100; };
  stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  stamp.changed = nanoseconds(basic.LastWriteTime.QuadPart);
  stamp.statusChanged = nanoseconds(basic.ChangeTime.QuadPart);
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace

FileStamp InputFile::stamp() const {
  FileStamp stamp;
  if (!Stamp(handle_.get(), stamp)) throw CodecError(ErrorKind::ReadSource, path_, LastErrno());
  return stamp;
}

FileStamp StampOf(const fs::path& path) {
  // Asking for the attributes alone meets no sharing rule.
  const SystemHandle opened = Own(::CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FileStamp stamp;
  if (!opened || !Stamp(opened.get(), stamp)) throw CodecError(ErrorKind::OpenSource, path, LastErrno());
  return stamp;
}

std::uint64_t InputFile::size() const {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(handle_.get(), &size)) throw CodecError(ErrorKind::ReadSource, path_, LastErrno());
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  return ReadAtOf(handle_.get(), offset, buffer, n, ErrorKind::ReadSource, path_);
}

void InputFile::adviseSequential() const {}

FlushHandle::FlushHandle(const TargetFile& file) {
  // Windows flushes a volume as a whole only for administrators: the file
  // is flushed alone, through a handle of its own.
  HANDLE copy = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (!::DuplicateHandle(self, file.handle(), self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    throw CodecError(ErrorKind::WriteTarget, file.target_, LastErrno());
  }
  handle_ = SystemHandle(copy);
}

int FlushHandle::flush() const noexcept { return ::FlushFileBuffers(handle_.get()) ? 0 : LastErrno(); }

TargetFile::TargetFile(std::shared_ptr<const Folder> folder, const fs::path& target, unsigned permissions,
                       Unfinished unfinished)
    : target_(target), folder_(std::move(folder)) {
  const std::u8string name = target.filename().u8string();
  name_.assign(name.begin(), name.end());
  if (name_.empty()) throw CodecError(ErrorKind::CreateTarget, target, EISDIR);
  if (::GetFileAttributesW(LongPath(folder_->path() / target.filename()).c_str()) != INVALID_FILE_ATTRIBUTES)
    throw CodecError(ErrorKind::TargetExists, target);
  const DWORD missing = ::GetLastError();
  if (missing != ERROR_FILE_NOT_FOUND) throw CodecError(ErrorKind::CreateTarget, target, ErrnoOf(missing));
  create(permissions & 0777, unfinished);
}

// The way the file is kept unfinished is not asked: Windows has no unnamed
// files, so both ways are the hidden name.
void TargetFile::create(unsigned permissions, Unfinished) {
  // The hidden name is deleted by the system when the handle closes,
  // whatever ends the program, until commit takes that back. A file
  // without the owner's write bit is made read-only when it is finished.
  finalMode_ = permissions;
  modeLeft_ = (finalMode_ & 0200u) == 0;
  scope_ = nextScope++;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; !handle_ && attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
    const fs::path hidden = folder_->path() / HiddenName();
    SystemHandle made =
        Own(::CreateFileW(LongPath(hidden).c_str(), GENERIC_READ | GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE,
                          FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!made) {
      error = ::GetLastError();
      continue;
    }
    if (!SetDeleteOnClose(made.get(), true)) {
      error = ::GetLastError();
      made.reset();
      ::DeleteFileW(LongPath(hidden).c_str());
      break;
    }
    handle_ = std::move(made);
    temp_ = hidden;
  }
  if (!handle_) {
    temp_.clear();
    folder_.reset();
    throw CodecError(ErrorKind::CreateTarget, target_, ErrnoOf(error));
  }
}

void TargetFile::giveFinalMode() {
  // The finished file is shown like any other: the hidden mark of its
  // unfinished name goes (else Explorer and file dialogs would not list
  // it), and it becomes read-only where its mode says so.
  FILE_BASIC_INFO info{};
  if (::GetFileInformationByHandleEx(handle_.get(), FileBasicInfo, &info, sizeof info)) {
    DWORD attributes = info.FileAttributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN};
    if (modeLeft_) attributes |= FILE_ATTRIBUTE_READONLY;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    if (attributes != DWORD{FILE_ATTRIBUTE_NORMAL}) attributes &= ~DWORD{FILE_ATTRIBUTE_NORMAL};
    info.FileAttributes = attributes;
    ::SetFileInformationByHandle(handle_.get(), FileBasicInfo, &info, sizeof info);
  }
  modeLeft_ = false;
}

void TargetFile::discard() noexcept {
  if (handle_) {
    // Still marked: closing the handle deletes the unfinished file.
    if (!committed_) SetDeleteOnClose(handle_.get(), true);
    handle_.reset();
  }
  if (!committed_ && !temp_.empty()) ::DeleteFileW(LongPath(temp_).c_str());
  temp_.clear();
  folder_.reset();
}

void TargetFile::write(const void* data, std::size_t n) {
  const auto* p = static_cast<const char*>(data);
  while (n > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, std::size_t{1} << 30));
    DWORD written = 0;
    if (!::WriteFile(handle_.get(), p, chunk, &written, nullptr)) {
      throw CodecError(ErrorKind::WriteTarget, target_, LastErrno());
    }
    if (written == 0) throw CodecError(ErrorKind::WriteTarget, target_, ENOSPC);
    p += written;
    n -= written;
  }
}

std::size_t TargetFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  // A read at a position moves the handle's file pointer: it reads back
  // what is complete, after the last write.
  return ReadAtOf(handle_.get(), offset, buffer, n, ErrorKind::WriteTarget, target_);
}

void TargetFile::flush() {
  if (flushed_) return;
  if (!::FlushFileBuffers(handle_.get())) throw CodecError(ErrorKind::WriteTarget, target_, LastErrno());
  flushed_ = true;
}

void TargetFile::finishUnflushed() { flushed_ = true; }

// Whether to flush the folder is not asked: a folder cannot be flushed on
// its own here (Folder::sync), and the rename that names the file is
// written through (MOVEFILE_WRITE_THROUGH) whatever the caller wants.
void TargetFile::commit(bool) {
  flush();
  // The mark is taken back only for the rename; a rename refused (the name
  // taken meanwhile, say) puts it back, and the handle's close deletes it.
  const HANDLE h = handle_.get();
  if (!SetDeleteOnClose(h, false)) throw CodecError(ErrorKind::WriteTarget, target_, LastErrno());
  const std::wstring from = LongPath(temp_);
  const std::wstring to = LongPath(folder_->path() / target_.filename());
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const int e = LastErrno();
    SetDeleteOnClose(h, true);
    throw CodecError(e == EEXIST ? ErrorKind::TargetExists : ErrorKind::WriteTarget, target_, e);
  }
  // The attributes last: read-only would refuse the rename above, and the
  // name must stay hidden until it is the finished file's.
  giveFinalMode();
  committed_ = true;
  discard();
}

}  // namespace tambril::codec
