#pragma once
// The payload of an age file: a 16-byte nonce, then the content in chunks
// of 64 KiB, each sealed with ChaCha20-Poly1305 under the payload key. A
// chunk's nonce is its number (11 bytes, big-endian) and one byte, 1 for
// the last chunk and 0 before it. The last chunk is shorter than 64 KiB or
// exactly as long; it is empty only when the whole content is.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "age/bytes.h"
#include "age/secret.h"

namespace tambril::age {

constexpr std::size_t kChunk = std::size_t{1} << 16;
constexpr std::size_t kTag = 16;
constexpr std::size_t kSealedChunk = kChunk + kTag;
// Chunks coded at once: reading and writing go in blocks of about a MiB.
constexpr std::size_t kChunksPerBlock = 16;

// Seals the chunks of a content of known length, block by block.
class ChunkWriter {
 public:
  ChunkWriter(const Key& payloadKey, std::uint64_t length) : key_(payloadKey), left_(length) {}
  // Seals `n` plain bytes from `plain` into `sealed` (room for n plus a tag
  // per chunk) and returns the sealed length. `n` is a whole number of
  // chunks except for the last call, which takes what is left; a content of
  // no bytes is one call with n = 0.
  std::size_t seal(const std::uint8_t* plain, std::size_t n, std::uint8_t* sealed);
  bool done() const { return done_; }

 private:
  Key key_;
  std::uint64_t left_;
  std::uint64_t counter_ = 0;
  bool done_ = false;
};

// Opens the payload read from `in` after the nonce, calling `out` with each
// chunk's plain bytes once the chunk authenticated (an empty content: once,
// with none), and `between` (when given) before each block of chunks is
// read. Throws Malformed for a chunk that
// does not open, a cut anywhere, an empty chunk after others, a missing
// last chunk or bytes after it.
void OpenPayload(Input& in, const Key& payloadKey, const std::function<void(const std::uint8_t*, std::size_t)>& out,
                 const std::function<void()>& between = {});

}  // namespace tambril::age
