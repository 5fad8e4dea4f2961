#pragma once
// The coding passes: encoding a plain file into a .tmb file, checking a
// password against a .tmb file's header, and decoding the body back.
// Files of any size are streamed in large blocks with constant memory; the
// bytes and their positions are those of coding one byte at a time.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "files.h"
#include "format.h"
#include "key_schedule.h"
#include "progress.h"

namespace tambril::codec {

// Called between the blocks of a pass (at least once per MiB) and once more
// when the target is flushed but not yet named. It may throw to stop the
// pass, which then leaves no target; that is how a pass is interrupted.
using CheckpointFn = std::function<void()>;

// Codes n bytes in place. `phase` is the table cycle position (0..14) of the
// first byte and is advanced past the last one, so calls chain across blocks.
void EncodeBlock(std::uint8_t* data, std::size_t n, const CodeTables& tables, unsigned& phase);
void DecodeBlock(std::uint8_t* data, std::size_t n, const CodeTables& tables, unsigned& phase);

// Encodes the first `length` bytes of `source` (the length measured when the
// file was loaded) into a new file `target`. `password` and `tag` are
// Windows-1252 bytes; the tag is normally the last three characters of the
// source's path. The target gets the source's permissions less the umask.
// Throws CodecError; on any failure no target exists.
void Encode(const InputFile& source, std::uint64_t length, const std::filesystem::path& target,
            std::string_view password, std::string_view tag, const ProgressFn& progress = {},
            const CheckpointFn& checkpoint = {});
// The same, opening `source` and taking its current length.
void Encode(const std::filesystem::path& source, const std::filesystem::path& target, std::string_view password,
            std::string_view tag, const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {});

// For coding many files with one flush of the disk: writes the encoded file
// as Encode does but leaves it unflushed and without its name. The caller
// calls its finishUnflushed(), makes it durable (a FlushHandle of it) and
// then commits it; dropped, it leaves nothing. Given `folder`
// (the target's, already open), the target is made in it.
std::unique_ptr<TargetFile> EncodeUnnamed(const InputFile& source, std::uint64_t length,
                                          const std::filesystem::path& target, std::string_view password,
                                          std::string_view tag, const CheckpointFn& checkpoint = {},
                                          std::shared_ptr<const Folder> folder = {});

struct CheckResult {
  int score = 0;                      // matching check values, 0..18
  std::array<std::uint8_t, 3> tag{};  // decoded extension tag (Windows-1252)
  KeyCodeArray keys{};                // key codes of the typed password
  CodeTables tables;                  // its tables, which the decode uses
  std::uint64_t fileSize = 0;         // length of the encoded file

  bool fits() const { return score == kFullScore; }
  std::string tagText() const { return std::string(tag.begin(), tag.end()); }
};

// The password of an encoding has 5 to 15 characters, counted as the
// Windows-1252 bytes the codec receives (one per character); the key codes
// take up to 15. A password typed for a check is at most 15 long as well.
constexpr std::size_t kMinPasswordLength = 5;
constexpr std::size_t kMaxPasswordLength = 15;
// Whether `password` (Windows-1252 bytes) is of a length an encoding takes.
constexpr bool PasswordLengthFits(std::string_view password) {
  return password.size() >= kMinPasswordLength && password.size() <= kMaxPasswordLength;
}

// Checks `password` (Windows-1252 bytes) against the header of `encoded`,
// whose length is `fileSize` (the length measured when it was loaded). A file
// shorter than the header never fits. Throws CodecError when the file cannot
// be read.
CheckResult CheckPassword(const std::filesystem::path& encoded, std::uint64_t fileSize, std::string_view password);
// The same, taking the file's current length.
CheckResult CheckPassword(const std::filesystem::path& encoded, std::string_view password);
// The same through a handle already open on the file.
CheckResult CheckPassword(const InputFile& encoded, std::uint64_t fileSize, std::string_view password);

// Decodes the body of `encoded` into a new file `target` with the tables of a
// successful check. The target gets the encoded file's permissions less the
// umask. Throws CodecError (NotChecked without one); on any failure no target
// exists.
void Decode(const InputFile& encoded, const std::filesystem::path& target, const CheckResult& check,
            const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {});
void Decode(const std::filesystem::path& encoded, const std::filesystem::path& target, const CheckResult& check,
            const ProgressFn& progress = {}, const CheckpointFn& checkpoint = {});
// The decoding counterpart of EncodeUnnamed.
std::unique_ptr<TargetFile> DecodeUnnamed(const InputFile& encoded, const std::filesystem::path& target,
                                          const CheckResult& check, const CheckpointFn& checkpoint = {},
                                          std::shared_ptr<const Folder> folder = {});

}  // namespace tambril::codec
