#pragma once
// age files on the command line: the passphrase rule of a new one, the
// check that tells a fit from everything else, and turning a .tmb file into
// an age file without its plain bytes touching the disk.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "age/age.h"
#include "codec/codec.h"

namespace tambril::cli {

// The refusal of a new age passphrase (UTF-8): none, or fewer than five
// characters; longer ones have no limit but the line that is read.
std::optional<std::string_view> RefuseNewPassphrase(std::string_view utf8);
// The refusal of a passphrase to try on an age file: only none.
std::optional<std::string_view> RefuseTypedPassphrase(std::string_view utf8);

// Checks `passphrase` (UTF-8) against the age file `in` of length `size`:
// the check on a fit, nothing for a wrong passphrase. Throws
// codec::CodecError for a damaged file (Damaged), one made for a key
// (MadeForKey) or one that cannot be read.
std::optional<age::CheckResult> CheckAge(const codec::InputFile& in, std::uint64_t size, std::string_view passphrase);

// The age file a .tmb file becomes: the name its decode would get, with
// ".age" appended (brief.doc.tmb with tag doc gives brief.doc.age).
std::string ConvertedPath(std::string_view tmbPath, std::string_view tag);

// Writes the plain bytes of the .tmb file `in` (checked by `check`) into a
// new age file `target` with `passphrase` (UTF-8), unnamed and unflushed,
// as age::EncodeUnnamed does, and reads it back whole before it returns.
std::unique_ptr<codec::TargetFile> ConvertUnnamed(const codec::InputFile& in, const codec::CheckResult& check,
                                                  const std::filesystem::path& target, std::string_view passphrase,
                                                  const codec::CheckpointFn& checkpoint,
                                                  std::shared_ptr<const codec::Folder> folder);

}  // namespace tambril::cli
