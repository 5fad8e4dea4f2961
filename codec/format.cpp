#include "format.h"

namespace tambril::codec {

std::array<std::uint8_t, 3> TagValues(std::string_view tag) {
  std::array<std::uint8_t, 3> v{32, 32, 32};
  if (tag.empty()) return v;
  for (size_t n = 3; n >= 1; --n) {
    const size_t start = tag.size() > n ? tag.size() - n : 0;
    v[3 - n] = static_cast<std::uint8_t>(tag[start]);
  }
  return v;
}

HeaderRecord BuildPlainHeader(std::string_view tag, const KeyCodeArray& keys) {
  HeaderRecord h{};
  const auto t = TagValues(tag);
  h[0] = t[0];
  h[1] = t[1];
  h[2] = t[2];
  h[3] = 1;
  h[4] = 0;
  h[5] = 0;
  for (int i = 0; i < kTableCount; ++i) h[6 + i] = keys[i];
  return h;
}

void EncodeHeader(HeaderRecord& header, const CodeTables& tables) {
  for (size_t i = 0; i < kHeaderSize; ++i) header[i] = tables.table[i % kTableCount][header[i]];
}

void DecodeHeader(HeaderRecord& header, const CodeTables& tables) {
  for (size_t i = 0; i < kHeaderSize; ++i) header[i] = ReverseLookup(tables.table[i % kTableCount], header[i]);
}

int ScoreHeader(const HeaderRecord& d, const KeyCodeArray& keys) {
  int score = 0;
  if (d[3] == 1) ++score;
  if (d[4] == 0) ++score;
  if (d[5] == 0) ++score;
  for (int i = 0; i < kTableCount; ++i) {
    if (d[6 + i] == keys[i]) ++score;
  }
  return score;
}

}  // namespace tambril::codec
