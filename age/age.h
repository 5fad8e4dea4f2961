#pragma once
// age files (format "age-encryption.org/v1") protected by a passphrase:
// recognising one, checking a passphrase against its header, writing one and
// reading one back. Only passphrase files are made and opened here; a file
// made for a key says so when it is checked.
//
// A file is a text header (the version line, one scrypt stanza holding the
// wrapped file key, a MAC over the header) followed by a 16-byte nonce and
// the content in chunks of 64 KiB, each authenticated on its own, the last
// one flagged as last. The armored form is the same bytes in base64 between
// "-----BEGIN AGE ENCRYPTED FILE-----" and "-----END AGE ENCRYPTED FILE-----".
//
// The passes keep every promise of the codec's (codec/codec.h): the target
// is written unnamed or hidden, flushed, named without replacing anything,
// its folder flushed; a source that changes while it is read fails; on any
// failure no target exists. A decode names its target only after the last
// chunk authenticated, so no byte of a damaged or changed file is ever seen
// under the target's name.
//
// Passphrases are UTF-8 bytes, as other programs reading these files take
// them. Keys and passphrases held here are wiped when they go.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "codec/codec.h"
#include "codec/files.h"
#include "codec/progress.h"

namespace tambril::age {

using codec::CheckpointFn;
using codec::ProgressFn;

// ---- Recognising a file -------------------------------------------------

enum class Form {
  None,     // not an age file
  Binary,   // starts with the version line "age-encryption.org/v1"
  Armored,  // "-----BEGIN AGE ENCRYPTED FILE-----", after whitespace at most
};

// How many of a file's first bytes RecognizeHead looks at, at most.
constexpr std::size_t kRecognizeLength = 256;

// The form of a file whose first bytes are `head` (the first
// kRecognizeLength bytes, or the whole file when it is shorter).
Form RecognizeHead(std::string_view head);
// The same, reading the file's first bytes. Throws codec::CodecError
// (ReadSource) when they cannot be read.
Form Recognize(const codec::InputFile& file);
// The same, opening `file`. Throws codec::CodecError when it cannot be
// opened or read.
Form Recognize(const std::filesystem::path& file);

// ---- Names ---------------------------------------------------------------

// The suffix of an age file.
constexpr std::string_view kSuffix = ".age";
// The age file of `path`: ".age" appended to the whole path
//   (brief.doc -> brief.doc.age, x.age -> x.age.age).
std::string EncodedPath(std::string_view path);
// Whether the last component of `path` ends in ".age" (any case) after at
// least one character.
bool HasAgeSuffix(std::string_view path);
// The decoded file of `path`: the path without its ".age"
//   (x.age -> x, /d/brief.doc.AGE -> /d/brief.doc); nothing for a name
// without that suffix, which needs a target named by the caller.
std::optional<std::string> DecodedPath(std::string_view path);

// ---- Passphrases and cost --------------------------------------------------

// A passphrase for a new file has at least this many characters (UTF-8
// characters, not bytes) and may be of any length. Any passphrase may be
// tried on an existing file.
constexpr std::size_t kMinPassphraseLength = 5;
// Whether `passphrase` (UTF-8) is long enough for a new file.
bool PassphraseLengthFits(std::string_view passphrase);
// Overwrites a passphrase held by a caller with zeros and empties it, in a
// way the compiler does not leave out.
void Wipe(std::string& secret);

// The work factor of the key derivation (scrypt with N = 2^workFactor,
// r = 8, p = 1): 2^18 for new files, about 256 MiB of memory and most of a
// second. Files asking for more than 2^22 are refused as too costly to open.
constexpr int kDefaultWorkFactor = 18;
constexpr int kMinWorkFactor = 1;
constexpr int kMaxWorkFactor = 22;

struct EncodeOptions {
  int workFactor = kDefaultWorkFactor;  // kMinWorkFactor..kMaxWorkFactor; lower only in tests
  // Read the whole written file back (header, MAC and every chunk) before
  // the pass counts as done; a file that does not read back fails with
  // WriteTarget. Costs one more reading of the file, not the key derivation.
  bool readBack = false;
};

// ---- Checking a passphrase -------------------------------------------------

enum class CheckStatus {
  Fits,             // the passphrase opens the file key and the header MAC holds
  WrongPassphrase,  // the passphrase does not open the file key
  Damaged,          // not a well-formed age file, its header MAC fails, or its
                    // work factor is over kMaxWorkFactor
  ForKey,           // made for a key (X25519 or another recipient), not a passphrase
  FileError,        // the file cannot be opened or read: `error` says why
};

// The result of a check. On a fit it holds the file's key for the decode
// that follows (wiped when the result goes); a decode needs one that fits.
class CheckResult {
 public:
  CheckResult();
  ~CheckResult();
  CheckResult(const CheckResult& other);
  CheckResult& operator=(const CheckResult& other);

  CheckStatus status = CheckStatus::Damaged;
  std::optional<codec::CodecError> error;  // with FileError
  Form form = Form::None;                  // as the file was read
  int workFactor = 0;                      // of the scrypt stanza, once read
  std::uint64_t fileSize = 0;              // the length the file was checked at

  bool fits() const { return status == CheckStatus::Fits; }

 private:
  friend struct Access;
  struct Secret;
  std::unique_ptr<Secret> secret_;  // the file key and where the payload starts
};

// Checks `passphrase` (UTF-8) against the header of `file`, whose length is
// `fileSize` (as measured when it was loaded): the scrypt stanza's file key
// and the header's MAC. Takes as long as the key derivation (most of a
// second at the default work factor). Never throws for a file's content or a
// read failure: every outcome is a CheckStatus.
CheckResult CheckPassphrase(const codec::InputFile& file, std::uint64_t fileSize, std::string_view passphrase);
// The same, opening `file` (a handle of its own).
CheckResult CheckPassphrase(const std::filesystem::path& file, std::uint64_t fileSize, std::string_view passphrase);
// The same, taking the file's current length.
CheckResult CheckPassphrase(const std::filesystem::path& file, std::string_view passphrase);

// ---- Encoding ----------------------------------------------------------------

// Encrypts the first `length` bytes of `source` (the length measured when it
// was loaded) into a new age file `target` (binary form) with `passphrase`
// (UTF-8): a fresh salt, file key and nonce for every file. The target gets
// the source's permissions less the umask. `progress` and `checkpoint` are
// called as by the codec's passes. Throws codec::CodecError; on any failure
// no target exists.
void Encode(const codec::InputFile& source, std::uint64_t length, const std::filesystem::path& target,
            std::string_view passphrase, const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {},
            const EncodeOptions& options = {});
// The same, opening `source` and taking its current length.
void Encode(const std::filesystem::path& source, const std::filesystem::path& target, std::string_view passphrase,
            const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {}, const EncodeOptions& options = {});

// The plain bytes of an encoding: `length` bytes of `file` from `offset`,
// each block passed through `transform` (when given) before it is
// encrypted, with the block's bytes and their count; the blocks come in
// order. It is how a file that is itself coded is turned into an age file
// without its plain bytes touching the disk.
struct PlainSource {
  const codec::InputFile& file;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::function<void(std::uint8_t* data, std::size_t n)> transform;
};

// For coding many files with one flush of the disk, as codec::EncodeUnnamed:
// the written file is left unflushed and without its name; the caller calls
// its finishUnflushed(), makes it durable and commits it. Given `folder`
// (the target's, already open), the target is made in it.
std::unique_ptr<codec::TargetFile> EncodeUnnamed(const codec::InputFile& source, std::uint64_t length,
                                                 const std::filesystem::path& target, std::string_view passphrase,
                                                 const CheckpointFn& checkpoint = {},
                                                 std::shared_ptr<const codec::Folder> folder = {},
                                                 const EncodeOptions& options = {});
// The same from a PlainSource; the target gets its file's permissions.
std::unique_ptr<codec::TargetFile> EncodeUnnamed(const PlainSource& source, const std::filesystem::path& target,
                                                 std::string_view passphrase, const CheckpointFn& checkpoint = {},
                                                 std::shared_ptr<const codec::Folder> folder = {},
                                                 const EncodeOptions& options = {});

// ---- Decoding ----------------------------------------------------------------

// Decrypts `source` into a new file `target` with the file key of a check
// that fits. Every chunk is authenticated before its bytes are written, and
// the target is named only once the last chunk has authenticated and nothing
// follows it. The target gets the source's permissions less the umask.
// Throws codec::CodecError: NotChecked without a fitting check, Damaged for
// a chunk that does not authenticate, a file cut short, one with bytes after
// its last chunk, or a header that no longer holds with the checked key;
// SourceChanged when the file is not of the checked length or changes while
// it is read; the file errors as the codec's passes. On any failure no
// target exists.
void Decode(const codec::InputFile& source, const std::filesystem::path& target, const CheckResult& check,
            const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {});
void Decode(const std::filesystem::path& source, const std::filesystem::path& target, const CheckResult& check,
            const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {});
// Reads the whole of `source` as Decode does and writes nothing: every
// chunk authenticates and the file ends where it must. Throws as Decode.
void Verify(const codec::InputFile& source, const CheckResult& check, const ProgressFn& progress = {},
            const CheckpointFn& checkpoint = {});
// The decoding counterpart of EncodeUnnamed; the whole file has
// authenticated when it returns.
std::unique_ptr<codec::TargetFile> DecodeUnnamed(const codec::InputFile& source, const std::filesystem::path& target,
                                                 const CheckResult& check, const CheckpointFn& checkpoint = {},
                                                 std::shared_ptr<const codec::Folder> folder = {});

}  // namespace tambril::age
