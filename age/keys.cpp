#include "age/keys.h"

#include <sodium.h>

#include <new>
#include <stdexcept>

namespace tambril::age {
namespace {
constexpr std::string_view kScryptLabel = "age-encryption.org/v1/scrypt";
}

void InitSodium() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot be initialised");
}

std::string Base64(const std::uint8_t* data, std::size_t n) {
  constexpr int variant = sodium_base64_VARIANT_ORIGINAL_NO_PADDING;
  std::string text(sodium_base64_ENCODED_LEN(n, variant), '\0');
  sodium_bin2base64(text.data(), text.size(), data, n, variant);
  text.resize(text.size() - 1);  // the terminating NUL
  return text;
}

// libsodium's decoder is strict: it refuses padding where none is wanted and
// unused low bits that are not zero, so one text stands for one value.
std::optional<std::vector<std::uint8_t>> FromBase64(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.size() * 3 / 4 + 1);
  std::size_t length = 0;
  if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length, nullptr,
                        sodium_base64_VARIANT_ORIGINAL_NO_PADDING) != 0) {
    return std::nullopt;
  }
  bytes.resize(length);
  return bytes;
}

Key WrapKey(std::string_view passphrase, const std::array<std::uint8_t, 16>& salt, int workFactor) {
  std::array<std::uint8_t, kScryptLabel.size() + 16> fullSalt{};
  std::copy(kScryptLabel.begin(), kScryptLabel.end(), fullSalt.begin());
  std::copy(salt.begin(), salt.end(), fullSalt.begin() + kScryptLabel.size());
  Key key;
  if (crypto_pwhash_scryptsalsa208sha256_ll(reinterpret_cast<const std::uint8_t*>(passphrase.data()), passphrase.size(),
                                            fullSalt.data(), fullSalt.size(), std::uint64_t{1} << workFactor, 8, 1,
                                            key.data(), key.size()) != 0) {
    throw std::bad_alloc();
  }
  return key;
}

std::array<std::uint8_t, 32> WrapFileKey(const Key& wrapKey, const FileKey& fileKey) {
  std::array<std::uint8_t, 32> body{};
  const std::array<std::uint8_t, 12> zero{};
  crypto_aead_chacha20poly1305_ietf_encrypt(body.data(), nullptr, fileKey.data(), fileKey.size(), nullptr, 0, nullptr,
                                            zero.data(), wrapKey.data());
  return body;
}

std::optional<FileKey> UnwrapFileKey(const Key& wrapKey, const std::array<std::uint8_t, 32>& body) {
  FileKey fileKey;
  const std::array<std::uint8_t, 12> zero{};
  if (crypto_aead_chacha20poly1305_ietf_decrypt(fileKey.data(), nullptr, nullptr, body.data(), body.size(), nullptr, 0,
                                                zero.data(), wrapKey.data()) != 0) {
    return std::nullopt;
  }
  return fileKey;
}

std::array<std::uint8_t, 32> Hmac(const std::uint8_t* key, std::size_t keyLength, std::string_view data) {
  crypto_auth_hmacsha256_state state;
  static const std::uint8_t none = 0;
  crypto_auth_hmacsha256_init(&state, keyLength > 0 ? key : &none, keyLength);
  crypto_auth_hmacsha256_update(&state, reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
  std::array<std::uint8_t, 32> mac{};
  crypto_auth_hmacsha256_final(&state, mac.data());
  sodium_memzero(&state, sizeof state);
  return mac;
}

Key Hkdf(const FileKey& ikm, const std::uint8_t* salt, std::size_t saltLength, std::string_view info) {
  // Extract: the pseudo-random key is the HMAC of the input under the salt;
  // expand: one block, HMAC(prk, info || 0x01), gives the 32 bytes.
  Key prk;
  prk.bytes = Hmac(salt, saltLength, std::string_view(reinterpret_cast<const char*>(ikm.data()), ikm.size()));
  std::string block(info);
  block.push_back('\x01');
  Key okm;
  okm.bytes = Hmac(prk.data(), prk.size(), block);
  return okm;
}

std::array<std::uint8_t, 32> HeaderMac(const FileKey& fileKey, std::string_view header) {
  const Key key = Hkdf(fileKey, nullptr, 0, "header");
  return Hmac(key.data(), key.size(), header);
}

Key PayloadKey(const FileKey& fileKey, const std::array<std::uint8_t, 16>& nonce) {
  return Hkdf(fileKey, nonce.data(), nonce.size(), "payload");
}

}  // namespace tambril::age
