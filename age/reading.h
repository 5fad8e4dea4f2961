#pragma once
// Reading an age file from bytes at explicit positions, as the passes and
// the fuzz target do: its binary or armored form as one stream, the check of
// a passphrase against its header, and the header read again with a key
// found before.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "age/age.h"
#include "age/armor.h"
#include "age/bytes.h"
#include "age/secret.h"

namespace tambril::age {

// A file's bytes as its header and payload: straight from the file, or
// through its armor.
class Reading {
 public:
  Reading(ReadAtFn readAt, std::uint64_t size, Form form);
  Input& in() { return decoded_ ? *decoded_ : raw_; }
  // How far through the file's own bytes reading has come.
  std::uint64_t position() const { return file_.position(); }

 private:
  FileBytes file_;
  Input raw_;
  std::unique_ptr<ArmorBytes> armor_;
  std::unique_ptr<Input> decoded_;
};

struct HeaderCheck {
  CheckStatus status = CheckStatus::Damaged;  // not FileError: a read failure is thrown
  int workFactor = 0;                         // of the scrypt stanza, once read
  std::optional<FileKey> fileKey;             // on a fit
};

// Checks `passphrase` against the header read from `in`, refusing a work
// factor over `mostWorkFactor`. Malformed headers are Damaged; a failed
// read throws codec::CodecError.
HeaderCheck CheckHeader(Input& in, std::string_view passphrase, int mostWorkFactor = kMaxWorkFactor);

// Reads the header and the nonce from `in` with a file key found before:
// the header must be one whose MAC holds with it and, given `wrapKey`,
// whose stanza opens to it. Returns the payload key; throws Malformed.
Key OpenHeader(Input& in, const FileKey& fileKey, const Key* wrapKey = nullptr);

}  // namespace tambril::age
