#include "age/reading.h"

#include <sodium.h>

#include "age/header.h"
#include "age/keys.h"

namespace tambril::age {
namespace {

bool MacHolds(const FileKey& fileKey, const Header& header) {
  return sodium_memcmp(HeaderMac(fileKey, header.macInput).data(), header.mac.data(), header.mac.size()) == 0;
}

}  // namespace

Reading::Reading(ReadAtFn readAt, std::uint64_t size, Form form) : file_(std::move(readAt), size), raw_(file_) {
  if (form == Form::Armored) {
    armor_ = std::make_unique<ArmorBytes>(raw_);
    decoded_ = std::make_unique<Input>(*armor_);
  }
}

HeaderCheck CheckHeader(Input& in, std::string_view passphrase, int mostWorkFactor) {
  HeaderCheck c;
  try {
    const Header header = ReadHeader(in);
    ScryptStanza scrypt;
    if (ReadRecipients(header, mostWorkFactor, scrypt) == Recipients::ForKey) {
      c.status = CheckStatus::ForKey;
      return c;
    }
    c.workFactor = scrypt.workFactor;
    const auto fileKey = UnwrapFileKey(WrapKey(passphrase, scrypt.salt, scrypt.workFactor), scrypt.body);
    if (!fileKey) {
      c.status = CheckStatus::WrongPassphrase;
    } else if (MacHolds(*fileKey, header)) {
      c.status = CheckStatus::Fits;
      c.fileKey = fileKey;
    }
    // else: the passphrase is right, so a MAC that fails means the header
    // was changed: Damaged.
  } catch (const Malformed&) {
    c.status = CheckStatus::Damaged;
  }
  return c;
}

Key OpenHeader(Input& in, const FileKey& fileKey, const Key* wrapKey) {
  const Header header = ReadHeader(in);
  ScryptStanza scrypt;
  if (ReadRecipients(header, kMaxWorkFactor, scrypt) != Recipients::Scrypt) throw Malformed{};
  if (wrapKey) {
    const auto opened = UnwrapFileKey(*wrapKey, scrypt.body);
    if (!opened || sodium_memcmp(opened->data(), fileKey.data(), fileKey.size()) != 0) throw Malformed{};
  }
  if (!MacHolds(fileKey, header)) throw Malformed{};
  std::array<std::uint8_t, 16> nonce{};
  if (in.read(nonce.data(), nonce.size()) != nonce.size()) throw Malformed{};
  return PayloadKey(fileKey, nonce);
}

}  // namespace tambril::age
