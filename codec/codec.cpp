#include "codec.h"

#include <algorithm>
#include <memory>

namespace tambril::codec {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// Offsets of the tables repeated along a short stretch, so that a block is
// coded with one plain loop the compiler turns into vector adds.
class OffsetPattern {
 public:
  static constexpr std::size_t kSpan = kTableCount * 256;
  static constexpr std::size_t kChunk = 64;

  OffsetPattern(const CodeTables& tables, bool reverse) {
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
      const std::uint8_t d = tables.offset[i % kTableCount];
      pattern_[i] = reverse ? static_cast<std::uint8_t>(256 - d) : d;
    }
  }

  void apply(std::uint8_t* data, std::size_t n, unsigned& phase) const {
    while (n > 0) {
      const std::size_t len = std::min(n, kSpan);
      const std::uint8_t* pat = pattern_.data() + phase;
      // Fixed-size chunks, so that the compiler turns them into vector adds
      // even where its cost model refuses an open-ended byte loop.
      std::size_t i = 0;
      for (; i + kChunk <= len; i += kChunk) {
        for (std::size_t k = 0; k < kChunk; ++k) data[i + k] = static_cast<std::uint8_t>(data[i + k] + pat[i + k]);
      }
      for (; i < len; ++i) data[i] = static_cast<std::uint8_t>(data[i] + pat[i]);
      phase = static_cast<unsigned>((phase + len) % kTableCount);
      data += len;
      n -= len;
    }
  }

 private:
  std::array<std::uint8_t, kSpan + kTableCount> pattern_{};
};

// Flushes the finished target and names it, unless the checkpoint stops the
// pass in between (the flush of a large file may take a while).
void Finish(TargetFile& out, const CheckpointFn& checkpoint) {
  out.flush();
  if (checkpoint) checkpoint();
  out.commit();
}

// Writes `prefix` and then `count` bytes of `in` from `offset` to `out`,
// coding the bytes with `pattern`, the first of them at table cycle
// position 0. The prefix goes out with the first block, so that every later
// write starts at a whole block of the file: a write into a page the system
// is already writing to disk would have to wait for it.
void StreamCoded(const InputFile& in, std::uint64_t offset, std::uint64_t count, std::string_view prefix,
                 TargetFile& out, const OffsetPattern& pattern, const ProgressPlan& plan, const ProgressFn& progress,
                 const CheckpointFn& checkpoint) {
  const std::size_t blockSize =
      static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, std::max<std::uint64_t>(count + prefix.size(), 1)));
  auto buffer = std::make_unique<std::uint8_t[]>(blockSize);
  std::size_t head = prefix.size();
  std::copy(prefix.begin(), prefix.end(), buffer.get());
  // A source that changes while it is read would give a target that is
  // neither its old content nor its new, or a cut one: the pass must end
  // where the file ends, and the file's length and time of last change must
  // be the same at the end as at the start.
  const FileStamp before = in.stamp();
  if (before.size != offset + count) throw CodecError(ErrorKind::SourceChanged, in.path());
  unsigned phase = 0;
  std::uint64_t done = 0;
  while (done < count || head > 0) {
    if (checkpoint) checkpoint();
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize - head, count - done));
    in.readExactly(offset + done, buffer.get() + head, n);
    pattern.apply(buffer.get() + head, n, phase);
    out.write(buffer.get(), head + n);
    plan.advance(done, done + n, progress);
    done += n;
    head = 0;
  }
  if (in.stamp() != before) throw CodecError(ErrorKind::SourceChanged, in.path());
}

}  // namespace

void EncodeBlock(std::uint8_t* data, std::size_t n, const CodeTables& tables, unsigned& phase) {
  OffsetPattern(tables, false).apply(data, n, phase);
}

void DecodeBlock(std::uint8_t* data, std::size_t n, const CodeTables& tables, unsigned& phase) {
  OffsetPattern(tables, true).apply(data, n, phase);
}

std::unique_ptr<TargetFile> EncodeUnnamed(const InputFile& source, std::uint64_t length,
                                          const std::filesystem::path& target, std::string_view password,
                                          std::string_view tag, const CheckpointFn& checkpoint,
                                          std::shared_ptr<const Folder> folder) {
  const KeyCodeArray keys = KeyCodes(password);
  const CodeTables tables = BuildCodeTables(keys);
  HeaderRecord header = BuildPlainHeader(tag, keys);
  EncodeHeader(header, tables);
  auto out = folder ? std::make_unique<TargetFile>(std::move(folder), target, source.permissions())
                    : std::make_unique<TargetFile>(target, source.permissions());
  source.adviseSequential();
  const auto pattern = std::make_unique<OffsetPattern>(tables, false);
  const std::string_view coded(reinterpret_cast<const char*>(header.data()), header.size());
  const ProgressPlan plan = ProgressPlan::ForEncode(length);
  StreamCoded(source, 0, length, coded, *out, *pattern, plan, {}, checkpoint);
  return out;
}

void Encode(const InputFile& source, std::uint64_t length, const std::filesystem::path& target,
            std::string_view password, std::string_view tag, const ProgressFn& progress,
            const CheckpointFn& checkpoint) {
  const KeyCodeArray keys = KeyCodes(password);
  const CodeTables tables = BuildCodeTables(keys);
  HeaderRecord header = BuildPlainHeader(tag, keys);
  EncodeHeader(header, tables);

  const ProgressPlan plan = ProgressPlan::ForEncode(length);
  plan.start(progress);
  TargetFile out(target, source.permissions());
  source.adviseSequential();
  const auto pattern = std::make_unique<OffsetPattern>(tables, false);
  const std::string_view coded(reinterpret_cast<const char*>(header.data()), header.size());
  StreamCoded(source, 0, length, coded, out, *pattern, plan, progress, checkpoint);
  Finish(out, checkpoint);
  plan.finish(progress);
}

void Encode(const std::filesystem::path& source, const std::filesystem::path& target, std::string_view password,
            std::string_view tag, const ProgressFn& progress, const CheckpointFn& checkpoint) {
  InputFile in(source);
  Encode(in, in.size(), target, password, tag, progress, checkpoint);
}

CheckResult CheckPassword(const std::filesystem::path& encoded, std::uint64_t fileSize, std::string_view password) {
  const InputFile in(encoded);  // a handle of its own, beside the loaded file's
  return CheckPassword(in, fileSize, password);
}

CheckResult CheckPassword(const InputFile& in, std::uint64_t fileSize, std::string_view password) {
  CheckResult r;
  r.fileSize = fileSize;
  r.keys = KeyCodes(password);
  r.tables = BuildCodeTables(r.keys);
  HeaderRecord header{};
  if (!HoldsHeader(fileSize) || in.readAt(0, header.data(), header.size()) != header.size()) {
    return r;  // not an encoded file: never fits
  }
  DecodeHeader(header, r.tables);
  r.score = ScoreHeader(header, r.keys);
  if (r.fits()) r.tag = {header[0], header[1], header[2]};
  return r;
}

CheckResult CheckPassword(const std::filesystem::path& encoded, std::string_view password) {
  std::uint64_t size;
  {
    InputFile in(encoded);
    size = in.size();
  }
  return CheckPassword(encoded, size, password);
}

void Decode(const InputFile& encoded, const std::filesystem::path& target, const CheckResult& check,
            const ProgressFn& progress, const CheckpointFn& checkpoint) {
  if (!check.fits()) throw CodecError(ErrorKind::NotChecked, encoded.path());
  if (!HoldsHeader(check.fileSize)) throw CodecError(ErrorKind::NotEncoded, encoded.path());
  const ProgressPlan plan = ProgressPlan::ForDecode(check.fileSize);
  plan.start(progress);
  TargetFile out(target, encoded.permissions());
  encoded.adviseSequential();
  const auto pattern = std::make_unique<OffsetPattern>(check.tables, true);
  StreamCoded(encoded, kHeaderSize, check.fileSize - kHeaderSize, {}, out, *pattern, plan, progress, checkpoint);
  Finish(out, checkpoint);
  plan.finish(progress);
}

std::unique_ptr<TargetFile> DecodeUnnamed(const InputFile& encoded, const std::filesystem::path& target,
                                          const CheckResult& check, const CheckpointFn& checkpoint,
                                          std::shared_ptr<const Folder> folder) {
  if (!check.fits()) throw CodecError(ErrorKind::NotChecked, encoded.path());
  if (!HoldsHeader(check.fileSize)) throw CodecError(ErrorKind::NotEncoded, encoded.path());
  auto out = folder ? std::make_unique<TargetFile>(std::move(folder), target, encoded.permissions())
                    : std::make_unique<TargetFile>(target, encoded.permissions());
  encoded.adviseSequential();
  const auto pattern = std::make_unique<OffsetPattern>(check.tables, true);
  const ProgressPlan plan = ProgressPlan::ForDecode(check.fileSize);
  StreamCoded(encoded, kHeaderSize, check.fileSize - kHeaderSize, {}, *out, *pattern, plan, {}, checkpoint);
  return out;
}

void Decode(const std::filesystem::path& encoded, const std::filesystem::path& target, const CheckResult& check,
            const ProgressFn& progress, const CheckpointFn& checkpoint) {
  InputFile in(encoded);
  Decode(in, target, check, progress, checkpoint);
}

}  // namespace tambril::codec
