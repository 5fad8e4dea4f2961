#pragma once
// Key bytes that are wiped when they go.
#include <sodium.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace tambril::age {

template <std::size_t N>
struct Secret {
  std::array<std::uint8_t, N> bytes{};

  Secret() = default;
  Secret(const Secret& other) : bytes(other.bytes) {}
  Secret& operator=(const Secret& other) {
    bytes = other.bytes;
    return *this;
  }
  ~Secret() { sodium_memzero(bytes.data(), N); }

  std::uint8_t* data() { return bytes.data(); }
  const std::uint8_t* data() const { return bytes.data(); }
  static constexpr std::size_t size() { return N; }
};

using FileKey = Secret<16>;
using Key = Secret<32>;

}  // namespace tambril::age
