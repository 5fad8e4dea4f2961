#pragma once
// The armored form of an age file as the tests and the fuzz target make it.
#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tambril::age::test {

// `file` in base64 with padding between the armor's lines, lines ending in
// `eol`; the first line holds `first` bytes (48 in a well-formed armor,
// which fill its 64 columns).
inline std::string Armored(const std::string& file, const std::string& eol, std::size_t first = 48) {
  std::string out = "-----BEGIN AGE ENCRYPTED FILE-----" + eol;
  for (std::size_t at = 0; at < file.size(); at += at == 0 ? first : 48) {
    const std::string part = file.substr(at, at == 0 ? first : 48);
    std::string line(sodium_base64_ENCODED_LEN(part.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(line.data(), line.size(), reinterpret_cast<const std::uint8_t*>(part.data()), part.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    line.pop_back();
    out += line + eol;
  }
  return out + "-----END AGE ENCRYPTED FILE-----" + eol;
}

}  // namespace tambril::age::test
