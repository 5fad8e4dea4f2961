#pragma once
// The two files of a pass: the input, read at explicit positions, and the
// target, which is written under a temporary name in its own folder, flushed
// to disk and only then given its name, never replacing anything. Until then
// no file of the target's name exists, so a pass that fails half way leaves
// nothing that looks finished.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace tambril::codec {

enum class ErrorKind {
  OpenSource,    // the input cannot be opened
  ReadSource,    // reading the input failed
  ShortSource,   // the input ended before the length the pass was given
  TargetExists,  // a file of the target's name is already there
  CreateTarget,  // the target's folder refuses the new file
  WriteTarget,   // writing, flushing or naming the target failed (disk full ...)
  NotEncoded,    // the encoded file is shorter than its header
  NotChecked,    // a decode without a successful password check
};

class CodecError : public std::runtime_error {
 public:
  CodecError(ErrorKind kind, std::filesystem::path path, int errnum = 0);
  ErrorKind kind() const { return kind_; }
  const std::filesystem::path& path() const { return path_; }
  int errnum() const { return errnum_; }

 private:
  ErrorKind kind_;
  std::filesystem::path path_;
  int errnum_;
};

// A file opened for reading at explicit positions. Several threads may read
// through one handle.
class InputFile {
 public:
  explicit InputFile(const std::filesystem::path& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The length of the open file in bytes.
  std::uint64_t size() const;
  // Reads up to n bytes at offset; returns how many were read (0 at the end).
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Reads exactly n bytes at offset or throws ShortSource.
  void readExactly(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Tells the system that the file will be read from start to end.
  void adviseSequential() const;

 private:
  std::filesystem::path path_;
  int fd_ = -1;
};

// Whether anything stands under `path`, a dangling link included: a name
// a target file can never take.
bool EntryExists(const std::filesystem::path& path);

class TargetFile {
 public:
  // Fails with TargetExists when the name is taken, CreateTarget when the
  // temporary file cannot be made.
  explicit TargetFile(const std::filesystem::path& target);
  // Removes the temporary file unless commit() succeeded.
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  void write(const void* data, std::size_t n);
  // Flushes to disk and gives the file its name; fails with TargetExists if
  // the name was taken meanwhile.
  void commit();
  const std::filesystem::path& temporaryPath() const { return temp_; }

 private:
  void discard() noexcept;
  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace tambril::codec
