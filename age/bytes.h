#pragma once
// The bytes of an age file as its readers take them: from a file's start to
// a given end, and through a buffer that hands out lines and blocks.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tambril::age {

// A file that does not read as a well-formed age file; a reader turns it
// into its Damaged outcome.
struct Malformed {};

// Bytes read in order, fewer than asked only at their end.
class Bytes {
 public:
  virtual ~Bytes() = default;
  virtual std::size_t read(std::uint8_t* to, std::size_t n) = 0;
};

// Reads up to n bytes at offset, fewer only at the end.
using ReadAtFn = std::function<std::size_t(std::uint64_t offset, void* to, std::size_t n)>;

// The bytes of a file from its start up to `end` (the length it was
// measured at), read at explicit positions; nothing beyond `end` is read.
class FileBytes : public Bytes {
 public:
  FileBytes(ReadAtFn readAt, std::uint64_t end) : readAt_(std::move(readAt)), end_(end) {}
  std::size_t read(std::uint8_t* to, std::size_t n) override;
  std::uint64_t position() const { return position_; }

 private:
  ReadAtFn readAt_;
  std::uint64_t end_;
  std::uint64_t position_ = 0;
};

// A buffer before a Bytes: whole lines for the text parts, blocks for the
// rest.
class Input {
 public:
  explicit Input(Bytes& from) : from_(from), buffer_(kBuffer) {}

  // The next line without its "\n", at most `most` bytes long; false at the
  // end of the bytes (nothing left). A longer line is Malformed, and so is
  // a last line without "\n" unless `lastMayBeOpen`.
  bool line(std::string& out, std::size_t most, bool lastMayBeOpen = false);
  // Up to n bytes, fewer only at the end.
  std::size_t read(std::uint8_t* to, std::size_t n);
  // The next byte without taking it; -1 at the end.
  int peek();

 private:
  bool fill();
  static constexpr std::size_t kBuffer = 4096;
  Bytes& from_;
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0, end_ = 0;
  bool ended_ = false;
};

}  // namespace tambril::age
