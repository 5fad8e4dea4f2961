#pragma once
// The keys of an age file and the text encoding of its header's binary
// parts, all from libsodium: scrypt for the passphrase, ChaCha20-Poly1305
// for the wrapped file key, HMAC-SHA-256 and HKDF-SHA-256 on top of it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "age/secret.h"

namespace tambril::age {

// Makes libsodium ready; throws std::runtime_error where it cannot be.
void InitSodium();

// Base64 in the standard alphabet without "=" padding, as the header
// writes it.
std::string Base64(const std::uint8_t* data, std::size_t n);
// The bytes of `text` in that encoding; nothing unless it is canonical (no
// padding, no other character, the unused low bits of the last character
// zero).
std::optional<std::vector<std::uint8_t>> FromBase64(std::string_view text);

// The scrypt stanza's key: scrypt(passphrase, "age-encryption.org/v1/scrypt"
// followed by `salt`, N = 2^workFactor, r = 8, p = 1). Throws
// std::bad_alloc when its memory cannot be had.
Key WrapKey(std::string_view passphrase, const std::array<std::uint8_t, 16>& salt, int workFactor);
// The stanza's body: the file key sealed under the wrap key (32 bytes).
std::array<std::uint8_t, 32> WrapFileKey(const Key& wrapKey, const FileKey& fileKey);
// The file key out of a body of 32 bytes; nothing when it does not open.
std::optional<FileKey> UnwrapFileKey(const Key& wrapKey, const std::array<std::uint8_t, 32>& body);

// HMAC-SHA-256 of `data` under `key`.
std::array<std::uint8_t, 32> Hmac(const std::uint8_t* key, std::size_t keyLength, std::string_view data);
// HKDF-SHA-256 (extract, then expand to 32 bytes) of `ikm`.
Key Hkdf(const FileKey& ikm, const std::uint8_t* salt, std::size_t saltLength, std::string_view info);
// The header's MAC over `header` (its bytes through "---").
std::array<std::uint8_t, 32> HeaderMac(const FileKey& fileKey, std::string_view header);
// The payload's key for the file's nonce.
Key PayloadKey(const FileKey& fileKey, const std::array<std::uint8_t, 16>& nonce);

}  // namespace tambril::age
