#include "age/age.h"

#include <sodium.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <stdexcept>

#include "age/armor.h"
#include "age/bytes.h"
#include "age/header.h"
#include "age/keys.h"
#include "age/payload.h"
#include "age/reading.h"

namespace tambril::age {
namespace fs = std::filesystem;

struct CheckResult::Secret {
  FileKey fileKey;
};

// The file key a check found, for the passes.
struct Access {
  static const FileKey* fileKey(const CheckResult& r) { return r.secret_ ? &r.secret_->fileKey : nullptr; }
  static void keep(CheckResult& r, const FileKey& key) {
    r.secret_ = std::make_unique<CheckResult::Secret>();
    r.secret_->fileKey = key;
  }
};

CheckResult::CheckResult() = default;
CheckResult::~CheckResult() = default;
CheckResult::CheckResult(const CheckResult& other)
    : status(other.status),
      error(other.error),
      form(other.form),
      workFactor(other.workFactor),
      fileSize(other.fileSize),
      secret_(other.secret_ ? std::make_unique<Secret>(*other.secret_) : nullptr) {}
CheckResult& CheckResult::operator=(const CheckResult& other) {
  if (this != &other) {
    CheckResult copy(other);
    status = copy.status;
    error = std::move(copy.error);
    form = copy.form;
    workFactor = copy.workFactor;
    fileSize = copy.fileSize;
    secret_ = std::move(copy.secret_);
  }
  return *this;
}

namespace {

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

ReadAtFn ReaderOf(const codec::InputFile& file) {
  return [&file](std::uint64_t offset, void* to, std::size_t n) { return file.readAt(offset, to, n); };
}

// Flushes the finished target and names it, unless the checkpoint stops the
// pass in between.
void Finish(codec::TargetFile& out, const CheckpointFn& checkpoint) {
  out.flush();
  if (checkpoint) checkpoint();
  out.commit();
}

std::unique_ptr<codec::TargetFile> MakeTarget(const fs::path& target, unsigned permissions,
                                              std::shared_ptr<const codec::Folder> folder) {
  return folder ? std::make_unique<codec::TargetFile>(std::move(folder), target, permissions)
                : std::make_unique<codec::TargetFile>(target, permissions);
}

// Reads the written file back as a reader would, with the keys it was
// written with: the stanza must open to the file key, the MAC hold and
// every chunk open.
void ReadBack(const codec::TargetFile& out, std::uint64_t size, const Key& wrapKey, const FileKey& fileKey,
              const fs::path& target) {
  try {
    Reading reading([&out](std::uint64_t o, void* to, std::size_t n) { return out.readAt(o, to, n); }, size,
                    Form::Binary);
    const Key payloadKey = OpenHeader(reading.in(), fileKey, &wrapKey);
    OpenPayload(reading.in(), payloadKey, [](const std::uint8_t*, std::size_t) {});
  } catch (const Malformed&) {
    throw codec::CodecError(codec::ErrorKind::WriteTarget, target);
  }
}

// Encrypts the source's bytes into `out`: header, nonce and chunks.
void WriteAge(const PlainSource& source, codec::TargetFile& out, std::string_view passphrase,
              const EncodeOptions& options, const codec::ProgressPlan& plan, const ProgressFn& progress,
              const CheckpointFn& checkpoint, const fs::path& target) {
  InitSodium();
  if (options.workFactor < kMinWorkFactor || options.workFactor > kMaxWorkFactor) {
    throw std::invalid_argument("age work factor out of range");
  }
  ScryptStanza scrypt;
  scrypt.workFactor = options.workFactor;
  randombytes_buf(scrypt.salt.data(), scrypt.salt.size());
  FileKey fileKey;
  randombytes_buf(fileKey.data(), fileKey.size());
  const Key wrapKey = WrapKey(passphrase, scrypt.salt, scrypt.workFactor);
  scrypt.body = WrapFileKey(wrapKey, fileKey);
  std::string head = HeaderWithoutMac(scrypt);
  head += MacLine(HeaderMac(fileKey, head));
  std::array<std::uint8_t, 16> nonce{};
  randombytes_buf(nonce.data(), nonce.size());
  head.append(reinterpret_cast<const char*>(nonce.data()), nonce.size());
  ChunkWriter writer(PayloadKey(fileKey, nonce), source.length);

  // The sealed blocks follow the header in one buffer, so that every write
  // after the first starts at a whole block of the file.
  const std::size_t blockPlain = kChunksPerBlock * kChunk;
  const codec::BlockBuffer plain = codec::MakeBlockBuffer(blockPlain);
  const codec::BlockBuffer sealed = codec::MakeBlockBuffer(head.size() + kChunksPerBlock * kSealedChunk);
  std::memcpy(sealed.get(), head.data(), head.size());
  std::size_t headLeft = head.size();
  // A source that changes while it is read would give a file that is
  // neither its old content nor its new: the pass must end where the file
  // ends, and its length and time of last change be the same at the end.
  const codec::FileStamp before = source.file.stamp();
  if (before.size != source.offset + source.length)
    throw codec::CodecError(codec::ErrorKind::SourceChanged, source.file.path());
  std::uint64_t done = 0;
  std::uint64_t written = 0;
  while (!writer.done()) {
    if (checkpoint) checkpoint();
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(blockPlain, source.length - done));
    source.file.readExactly(source.offset + done, plain.get(), n);
    if (source.transform && n > 0) source.transform(plain.get(), n);
    const std::size_t len = writer.seal(plain.get(), n, sealed.get() + headLeft);
    out.write(sealed.get(), headLeft + len);
    written += headLeft + len;
    plan.advance(done, done + n, progress);
    done += n;
    headLeft = 0;
  }
  if (source.file.stamp() != before) throw codec::CodecError(codec::ErrorKind::SourceChanged, source.file.path());
  if (options.readBack) ReadBack(out, written, wrapKey, fileKey, target);
}

using Sink = std::function<void(const std::uint8_t*, std::size_t)>;

// Opens the payload of `source` into `out` with the checked key.
void ReadAge(const codec::InputFile& source, const Sink& out, const CheckResult& check, const codec::ProgressPlan& plan,
             const ProgressFn& progress, const CheckpointFn& checkpoint) {
  const FileKey* fileKey = Access::fileKey(check);
  if (!check.fits() || !fileKey) throw codec::CodecError(codec::ErrorKind::NotChecked, source.path());
  InitSodium();
  const codec::FileStamp before = source.stamp();
  if (before.size != check.fileSize) throw codec::CodecError(codec::ErrorKind::SourceChanged, source.path());
  Reading reading(ReaderOf(source), check.fileSize, check.form);
  std::uint64_t shown = 0;
  try {
    const Key payloadKey = OpenHeader(reading.in(), *fileKey);
    OpenPayload(reading.in(), payloadKey, out, [&] {
      if (checkpoint) checkpoint();
      const std::uint64_t now = reading.position();
      plan.advance(shown, now, progress);
      shown = now;
    });
  } catch (const Malformed&) {
    throw codec::CodecError(codec::ErrorKind::Damaged, source.path());
  }
  plan.advance(shown, check.fileSize, progress);
  if (source.stamp() != before) throw codec::CodecError(codec::ErrorKind::SourceChanged, source.path());
}

Sink Into(codec::TargetFile& out) {
  return [&out](const std::uint8_t* p, std::size_t n) { out.write(p, n); };
}

std::size_t Utf8Characters(std::string_view s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

Form RecognizeHead(std::string_view head) {
  if (head.starts_with(kVersionLine) && head.substr(kVersionLine.size()).starts_with('\n')) return Form::Binary;
  const std::size_t first = std::find_if_not(head.begin(), head.end(), Space) - head.begin();
  if (head.substr(first).starts_with(kArmorBegin)) return Form::Armored;
  return Form::None;
}

Form Recognize(const codec::InputFile& file) {
  std::string head(kRecognizeLength, '\0');
  head.resize(file.readAt(0, head.data(), head.size()));
  return RecognizeHead(head);
}

Form Recognize(const fs::path& file) { return Recognize(codec::InputFile(file)); }

std::string EncodedPath(std::string_view path) { return std::string(path) + std::string(kSuffix); }

bool HasAgeSuffix(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  if (name.size() <= kSuffix.size()) return false;
  const std::string_view end = name.substr(name.size() - kSuffix.size());
  return std::equal(end.begin(), end.end(), kSuffix.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::optional<std::string> DecodedPath(std::string_view path) {
  if (!HasAgeSuffix(path)) return std::nullopt;
  return std::string(path.substr(0, path.size() - kSuffix.size()));
}

bool PassphraseLengthFits(std::string_view passphrase) { return Utf8Characters(passphrase) >= kMinPassphraseLength; }

void Wipe(std::string& secret) {
  if (!secret.empty()) sodium_memzero(secret.data(), secret.size());
  secret.clear();
}

CheckResult CheckPassphrase(const codec::InputFile& file, std::uint64_t fileSize, std::string_view passphrase) {
  CheckResult r;
  r.fileSize = fileSize;
  try {
    InitSodium();
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(kRecognizeLength, fileSize)), '\0');
    head.resize(file.readAt(0, head.data(), head.size()));
    r.form = RecognizeHead(head);
    if (r.form == Form::None) return r;  // Damaged: no age file at all
    Reading reading(ReaderOf(file), fileSize, r.form);
    HeaderCheck check = CheckHeader(reading.in(), passphrase);
    r.status = check.status;
    r.workFactor = check.workFactor;
    if (check.fileKey) Access::keep(r, *check.fileKey);
  } catch (const codec::CodecError& e) {
    r.status = CheckStatus::FileError;
    r.error = e;
  }
  return r;
}

CheckResult CheckPassphrase(const fs::path& file, std::uint64_t fileSize, std::string_view passphrase) {
  try {
    const codec::InputFile in(file);
    return CheckPassphrase(in, fileSize, passphrase);
  } catch (const codec::CodecError& e) {
    CheckResult r;
    r.fileSize = fileSize;
    r.status = CheckStatus::FileError;
    r.error = e;
    return r;
  }
}

CheckResult CheckPassphrase(const fs::path& file, std::string_view passphrase) {
  try {
    const codec::InputFile in(file);
    return CheckPassphrase(in, in.size(), passphrase);
  } catch (const codec::CodecError& e) {
    CheckResult r;
    r.status = CheckStatus::FileError;
    r.error = e;
    return r;
  }
}

void Encode(const codec::InputFile& source, std::uint64_t length, const fs::path& target, std::string_view passphrase,
            const ProgressFn& progress, const CheckpointFn& checkpoint, const EncodeOptions& options) {
  const codec::ProgressPlan plan = codec::ProgressPlan::ForWhole(length);
  plan.start(progress);
  codec::TargetFile out(target, source.permissions());
  source.adviseSequential();
  WriteAge({source, 0, length, {}}, out, passphrase, options, plan, progress, checkpoint, target);
  Finish(out, checkpoint);
  plan.finish(progress);
}

void Encode(const fs::path& source, const fs::path& target, std::string_view passphrase, const ProgressFn& progress,
            const CheckpointFn& checkpoint, const EncodeOptions& options) {
  const codec::InputFile in(source);
  Encode(in, in.size(), target, passphrase, progress, checkpoint, options);
}

std::unique_ptr<codec::TargetFile> EncodeUnnamed(const codec::InputFile& source, std::uint64_t length,
                                                 const fs::path& target, std::string_view passphrase,
                                                 const CheckpointFn& checkpoint,
                                                 std::shared_ptr<const codec::Folder> folder,
                                                 const EncodeOptions& options) {
  return EncodeUnnamed(PlainSource{source, 0, length, {}}, target, passphrase, checkpoint, std::move(folder), options);
}

std::unique_ptr<codec::TargetFile> EncodeUnnamed(const PlainSource& source, const fs::path& target,
                                                 std::string_view passphrase, const CheckpointFn& checkpoint,
                                                 std::shared_ptr<const codec::Folder> folder,
                                                 const EncodeOptions& options) {
  auto out = MakeTarget(target, source.file.permissions(), std::move(folder));
  source.file.adviseSequential();
  const codec::ProgressPlan plan = codec::ProgressPlan::ForWhole(source.length);
  WriteAge(source, *out, passphrase, options, plan, {}, checkpoint, target);
  return out;
}

void Decode(const codec::InputFile& source, const fs::path& target, const CheckResult& check,
            const ProgressFn& progress, const CheckpointFn& checkpoint) {
  if (!check.fits()) throw codec::CodecError(codec::ErrorKind::NotChecked, source.path());
  const codec::ProgressPlan plan = codec::ProgressPlan::ForWhole(check.fileSize);
  plan.start(progress);
  codec::TargetFile out(target, source.permissions());
  source.adviseSequential();
  ReadAge(source, Into(out), check, plan, progress, checkpoint);
  Finish(out, checkpoint);
  plan.finish(progress);
}

void Decode(const fs::path& source, const fs::path& target, const CheckResult& check, const ProgressFn& progress,
            const CheckpointFn& checkpoint) {
  const codec::InputFile in(source);
  Decode(in, target, check, progress, checkpoint);
}

void Verify(const codec::InputFile& source, const CheckResult& check, const ProgressFn& progress,
            const CheckpointFn& checkpoint) {
  const codec::ProgressPlan plan = codec::ProgressPlan::ForWhole(check.fileSize);
  plan.start(progress);
  source.adviseSequential();
  ReadAge(
      source, [](const std::uint8_t*, std::size_t) {}, check, plan, progress, checkpoint);
  plan.finish(progress);
}

std::unique_ptr<codec::TargetFile> DecodeUnnamed(const codec::InputFile& source, const fs::path& target,
                                                 const CheckResult& check, const CheckpointFn& checkpoint,
                                                 std::shared_ptr<const codec::Folder> folder) {
  if (!check.fits()) throw codec::CodecError(codec::ErrorKind::NotChecked, source.path());
  auto out = MakeTarget(target, source.permissions(), std::move(folder));
  source.adviseSequential();
  const codec::ProgressPlan plan = codec::ProgressPlan::ForWhole(check.fileSize);
  ReadAge(source, Into(*out), check, plan, {}, checkpoint);
  return out;
}

}  // namespace tambril::age
