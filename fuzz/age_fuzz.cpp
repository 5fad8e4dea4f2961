// Feeds the age reader (header, armor and payload) two kinds of input, told
// apart by the first byte:
//   - any bytes as a file, which must be read or refused without a fault;
//   - a file written here with a known passphrase and content, then changed
//     as the input says (bytes set, cut, inserted, the armored form with LF
//     or CRLF): whatever the reader accepts must give exactly that content,
//     since every other outcome would be a forgery; unchanged, it must be
//     accepted.
// Work factors above 2 are refused, so that every input runs fast.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "age/age.h"
#include "age/header.h"
#include "age/keys.h"
#include "age/payload.h"
#include "age/reading.h"
#include "armor_text.h"

namespace {

using namespace tambril::age;

constexpr int kMostWorkFactor = 2;
constexpr std::string_view kPass = "Kennwort";

void Die(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The content the reader gives for `file`, or nothing when it refuses it.
std::optional<std::string> Read(const std::string& file) {
  const Form form = RecognizeHead(std::string_view(file).substr(0, kRecognizeLength));
  if (form == Form::None) return std::nullopt;
  const ReadAtFn readAt = [&file](std::uint64_t offset, void* to, std::size_t n) {
    const std::size_t take = offset >= file.size() ? 0 : std::min<std::size_t>(n, file.size() - offset);
    std::memcpy(to, file.data() + offset, take);
    return take;
  };
  Reading checking(readAt, file.size(), form);
  const HeaderCheck check = CheckHeader(checking.in(), kPass, kMostWorkFactor);
  if (check.status != CheckStatus::Fits) return std::nullopt;
  if (!check.fileKey) Die("a fit without a key");
  std::string out;
  try {
    Reading reading(readAt, file.size(), form);
    const Key payloadKey = OpenHeader(reading.in(), *check.fileKey);
    OpenPayload(reading.in(), payloadKey,
                [&out](const std::uint8_t* p, std::size_t n) { out.append(reinterpret_cast<const char*>(p), n); });
  } catch (const Malformed&) {
    return std::nullopt;
  }
  return out;
}

// A file of `content` under kPass, with work factor 1.
std::string Written(const std::string& content, std::uint8_t seed) {
  ScryptStanza scrypt;
  scrypt.workFactor = 1;
  scrypt.salt.fill(seed);
  FileKey fileKey;
  std::memset(fileKey.data(), seed ^ 0x5a, fileKey.size());
  scrypt.body = WrapFileKey(WrapKey(kPass, scrypt.salt, scrypt.workFactor), fileKey);
  std::string file = HeaderWithoutMac(scrypt);
  file += MacLine(HeaderMac(fileKey, file));
  std::array<std::uint8_t, 16> nonce{};
  nonce.fill(static_cast<std::uint8_t>(seed + 1));
  file.append(reinterpret_cast<const char*>(nonce.data()), nonce.size());
  ChunkWriter writer(PayloadKey(fileKey, nonce), content.size());
  std::string sealed(content.size() + (content.size() / kChunk + 1) * kTag, '\0');
  std::size_t at = 0, made = 0;
  do {
    const std::size_t n = std::min(content.size() - at, kChunksPerBlock * kChunk);
    made += writer.seal(reinterpret_cast<const std::uint8_t*>(content.data()) + at, n,
                        reinterpret_cast<std::uint8_t*>(sealed.data()) + made);
    at += n;
  } while (!writer.done());
  return file + sealed.substr(0, made);
}

std::uint32_t Take(std::string_view& in, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes && !in.empty(); ++i) {
    v = v << 8 | static_cast<std::uint8_t>(in[0]);
    in.remove_prefix(1);
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitSodium();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    Read(std::string(in));
    return 0;
  }
  // The content's length (up to a little over three chunks), its seed, the
  // form, then the changes, three bytes each: what, where, which byte.
  const std::size_t length = Take(in, 3) % (3 * kChunk + 100);
  const std::uint8_t seed = static_cast<std::uint8_t>(Take(in, 1));
  const std::uint8_t form = static_cast<std::uint8_t>(Take(in, 1)) % 3;
  std::string content(length, '\0');
  for (std::size_t i = 0; i < length; ++i) content[i] = static_cast<char>(i * 31 + seed);
  std::string file = Written(content, seed);
  if (form > 0) file = test::Armored(file, form == 2 ? "\r\n" : "\n");
  const std::string original = file;
  while (in.size() >= 4 && !file.empty()) {
    const std::uint8_t what = static_cast<std::uint8_t>(Take(in, 1)) % 3;
    const std::size_t where = Take(in, 2) * 97 % (file.size() + 1);
    const char byte = static_cast<char>(Take(in, 1));
    if (what == 0 && where < file.size()) file[where] = byte;
    if (what == 1) file.resize(where);
    if (what == 2) file.insert(where, 1, byte);
  }
  const std::optional<std::string> read = Read(file);
  if (read && *read != content) Die("a changed file was read as other content");
  if (file == original && !read) Die("an unchanged file was refused");
  return 0;
}
