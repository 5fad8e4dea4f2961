#include "age/payload.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "codec/files.h"

namespace tambril::age {
namespace {

std::array<std::uint8_t, 12> ChunkNonce(std::uint64_t counter, bool last) {
  std::array<std::uint8_t, 12> nonce{};
  for (int i = 0; i < 8; ++i) nonce[10 - i] = static_cast<std::uint8_t>(counter >> (8 * i));
  nonce[11] = last ? 1 : 0;
  return nonce;
}

}  // namespace

std::size_t ChunkWriter::seal(const std::uint8_t* plain, std::size_t n, std::uint8_t* sealed) {
  std::size_t written = 0;
  do {
    const std::size_t len = std::min(n, kChunk);
    const bool last = left_ == len;
    const auto nonce = ChunkNonce(counter_++, last);
    crypto_aead_chacha20poly1305_ietf_encrypt_detached(sealed + written, sealed + written + len, nullptr, plain, len,
                                                       nullptr, 0, nullptr, nonce.data(), key_.data());
    written += len + kTag;
    plain += len;
    n -= len;
    left_ -= len;
    done_ = last;
  } while (n > 0);
  return written;
}

void OpenPayload(Input& in, const Key& payloadKey, const std::function<void(const std::uint8_t*, std::size_t)>& out,
                 const std::function<void()>& between) {
  // Room for a block of chunks and one byte more: a full chunk is known to
  // be the last one only when nothing follows it.
  const std::size_t room = kChunksPerBlock * kSealedChunk + 1;
  // The bytes left of a block are moved to just before an aligned point,
  // so that the next read into the buffer starts aligned, which the system
  // copies into fastest.
  constexpr std::size_t kAlign = 64;
  const codec::BlockBuffer buffer = codec::MakeBlockBuffer(room + kAlign);
  // Each chunk is opened into the same buffer and handed on at once: its
  // bytes are still in the processor's cache when they are written, which
  // makes writing them several times cheaper than from a block's worth.
  const codec::BlockBuffer plain = codec::MakeBlockBuffer(kChunk);
  std::uint8_t* sealed = buffer.get();
  std::size_t filled = 0;
  std::uint64_t counter = 0;
  for (bool ended = false;;) {
    if (between) between();
    const std::size_t got = in.read(sealed + filled, room - filled);
    filled += got;
    ended = filled < room;
    std::size_t at = 0;
    bool last = false;
    while (!last) {
      const std::size_t left = filled - at;
      if (left <= kSealedChunk && !ended) break;  // whether more follows is not known yet
      last = left <= kSealedChunk;
      const std::size_t len = last ? left : kSealedChunk;
      // A cut inside a tag, or an empty chunk that is not the only one.
      if (len < kTag || (last && len == kTag && counter > 0)) throw Malformed{};
      const auto nonce = ChunkNonce(counter++, last);
      if (crypto_aead_chacha20poly1305_ietf_decrypt_detached(plain.get(), nullptr, sealed + at, len - kTag,
                                                             sealed + at + len - kTag, nullptr, 0, nonce.data(),
                                                             payloadKey.data()) != 0) {
        throw Malformed{};
      }
      out(plain.get(), len - kTag);
      at += len;
    }
    if (last) return;
    filled -= at;
    std::uint8_t* const moved = buffer.get() + (kAlign - filled % kAlign) % kAlign;
    std::memmove(moved, sealed + at, filled);
    sealed = moved;
  }
}

}  // namespace tambril::age
