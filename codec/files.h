#pragma once
// The two files of a pass: the input, read at explicit positions, and the
// target. The target is written as a file without a name in its folder,
// flushed to disk and only then given its name, never replacing anything.
// Until then no entry of any kind stands for it, so a pass that fails half
// way, is killed or loses power leaves nothing behind: the system drops an
// unnamed file by itself. Where a file system cannot make unnamed files the
// target is written under a short hidden name instead, which is removed on
// every way out the program still controls.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace tambril::codec {

enum class ErrorKind {
  OpenSource,      // the input cannot be opened
  NotRegularFile,  // the input is a folder, a pipe, a device or a socket
  ReadSource,      // reading the input failed
  ShortSource,     // the input ended before the length the pass was given
  TargetExists,    // a file of the target's name is already there
  CreateTarget,    // the target's folder refuses the new file
  WriteTarget,     // writing, flushing or naming the target failed (disk full ...)
  NotEncoded,      // the encoded file is shorter than its header
  NotChecked,      // a decode without a successful password check
};

class CodecError : public std::runtime_error {
 public:
  CodecError(ErrorKind kind, std::filesystem::path path, int errnum = 0);
  ErrorKind kind() const { return kind_; }
  const std::filesystem::path& path() const { return path_; }
  // The system's error number, 0 when there is none (EISDIR for a folder
  // given as input).
  int errnum() const { return errnum_; }

 private:
  ErrorKind kind_;
  std::filesystem::path path_;
  int errnum_;
};

// A regular file opened for reading at explicit positions. Opening never
// waits: a pipe, a device, a socket or a folder (links followed) is refused
// with NotRegularFile before anything is read from it. Several threads may
// read through one handle.
class InputFile {
 public:
  explicit InputFile(const std::filesystem::path& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The length of the open file in bytes.
  std::uint64_t size() const;
  // The permission bits (rwx for owner, group and others) of the file.
  unsigned permissions() const { return permissions_; }
  // Reads up to n bytes at offset; returns how many were read (0 at the end).
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Reads exactly n bytes at offset or throws ShortSource.
  void readExactly(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Tells the system that the file will be read from start to end.
  void adviseSequential() const;

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  unsigned permissions_ = 0;
};

// Whether anything stands under `path`, a dangling link included: a name
// a target file can never take.
bool EntryExists(const std::filesystem::path& path);

class TargetFile {
 public:
  // How the file is kept until it is complete.
  enum class Unfinished {
    Unnamed,     // without a name where the file system allows it, else hidden
    HiddenName,  // always under a short hidden name (what file systems
                 // without unnamed files get)
  };

  // Makes the unfinished file in the folder of `target`, readable and
  // writable by its owner only. The finished file gets `permissions` less
  // the umask, as a copy gets its source's. Fails with TargetExists when the
  // name is taken, CreateTarget when the folder refuses the new file.
  // Creating the first target also makes writes past the file size limit
  // fail (EFBIG) instead of ending the process.
  explicit TargetFile(const std::filesystem::path& target, unsigned permissions = 0666,
                      Unfinished unfinished = Unfinished::Unnamed);
  // Drops the unfinished file unless commit() succeeded.
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  void write(const void* data, std::size_t n);
  // Flushes the content to disk and gives the file its permissions; still
  // without its name. commit() does it when it has not been done.
  void flush();
  // Gives the flushed file its name (never replacing: TargetExists if the
  // name was taken meanwhile) and flushes the folder.
  void commit();
  // The hidden name of the unfinished file, empty while it has no name.
  const std::filesystem::path& temporaryPath() const { return temp_; }

 private:
  void discard() noexcept;
  std::filesystem::path target_;
  std::string name_;   // the target's name in its folder
  std::filesystem::path temp_;
  int folder_ = -1;    // the target's folder, which the names are relative to
  bool folderSyncable_ = false;
  int fd_ = -1;
  unsigned finalMode_ = 0600;
  bool flushed_ = false;
  bool committed_ = false;
};

}  // namespace tambril::codec
