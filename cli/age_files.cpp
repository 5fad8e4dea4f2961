#include "cli/age_files.h"

#include "cli/messages.h"
#include "codec/format.h"
#include "codec/names.h"

namespace tambril::cli {

std::optional<std::string_view> RefuseNewPassphrase(std::string_view utf8) {
  if (utf8.empty()) return Text(Msg::NoPassword);
  if (!age::PassphraseLengthFits(utf8)) return Text(Msg::PasswordTooShort);
  return std::nullopt;
}

std::optional<std::string_view> RefuseTypedPassphrase(std::string_view utf8) {
  if (utf8.empty()) return Text(Msg::NoPassword);
  return std::nullopt;
}

std::optional<age::CheckResult> CheckAge(const codec::InputFile& in, std::uint64_t size, std::string_view passphrase) {
  age::CheckResult check = age::CheckPassphrase(in, size, passphrase);
  switch (check.status) {
    case age::CheckStatus::Fits:
      return check;
    case age::CheckStatus::WrongPassphrase:
      return std::nullopt;
    case age::CheckStatus::Damaged:
      throw codec::CodecError(codec::ErrorKind::Damaged, in.path());
    case age::CheckStatus::ForKey:
      throw codec::CodecError(codec::ErrorKind::MadeForKey, in.path());
    case age::CheckStatus::FileError:
      break;
  }
  throw check.error ? *check.error : codec::CodecError(codec::ErrorKind::ReadSource, in.path());
}

std::string ConvertedPath(std::string_view tmbPath, std::string_view tag) {
  return age::EncodedPath(codec::DecodedPath(tmbPath, tag));
}

std::unique_ptr<codec::TargetFile> ConvertUnnamed(const codec::InputFile& in, const codec::CheckResult& check,
                                                  const std::filesystem::path& target, std::string_view passphrase,
                                                  const codec::CheckpointFn& checkpoint,
                                                  std::shared_ptr<const codec::Folder> folder) {
  if (!check.fits()) throw codec::CodecError(codec::ErrorKind::NotChecked, in.path());
  if (!codec::HoldsHeader(check.fileSize)) throw codec::CodecError(codec::ErrorKind::NotEncoded, in.path());
  // The body decoded block by block on its way into the encryption; the
  // table cycle runs on across the blocks.
  unsigned phase = 0;
  const age::PlainSource source{
      in, codec::kHeaderSize, check.fileSize - codec::kHeaderSize,
      [&](std::uint8_t* data, std::size_t n) { codec::DecodeBlock(data, n, check.tables, phase); }};
  age::EncodeOptions options;
  options.readBack = true;
  return age::EncodeUnnamed(source, target, passphrase, checkpoint, std::move(folder), options);
}

}  // namespace tambril::cli
