#include "key_schedule.h"

#include <algorithm>

namespace tambril::codec {

KeyCodeArray KeyCodes(std::string_view password) {
  KeyCodeArray keys{};
  for (int i = 1; i <= kTableCount; ++i) {
    const size_t n = static_cast<size_t>(16 - i);
    // The last n characters (all of them when the password is shorter); a
    // one-character buffer keeps the first of them, or a space when empty.
    const std::string_view tail = password.size() <= n ? password : password.substr(password.size() - n);
    keys[i - 1] = tail.empty() ? std::uint8_t{32} : static_cast<std::uint8_t>(tail.front());
  }
  return keys;
}

CodeTables BuildCodeTables(const KeyCodeArray& keys) {
  unsigned sum = 0;
  for (auto k : keys) sum += k;
  CodeTables t;
  for (int h = 0; h < kTableCount; ++h) {
    const auto d = static_cast<std::uint8_t>(keys[h] + keys[kSeedOrder[h] - 1] + sum);
    t.offset[h] = d;
    for (int x = 0; x < 256; ++x) t.table[h][x] = static_cast<std::uint8_t>(x + d);
  }
  return t;
}

CodeTables BuildCodeTablesStepwise(const KeyCodeArray& keys) {
  std::array<int, 256> base{};
  for (int i = 0; i < 256; ++i) base[i] = i;

  std::array<std::array<int, 256>, kTableCount> shift{};
  for (int k = 0; k < kTableCount; ++k) {
    int s = keys[k];
    for (int j = 0; j < 256; ++j) {
      shift[k][j] = base[s];
      if (++s == 256) s = 0;
    }
  }

  CodeTables t;
  for (int h = 0; h < kTableCount; ++h) {
    int cur = shift[kSeedOrder[h] - 1][keys[h]];
    for (int k = 0; k < kTableCount; ++k) cur = shift[k][cur];
    int s = cur;
    for (int l = 0; l < 256; ++l) {
      t.table[h][l] = static_cast<std::uint8_t>(base[s]);
      if (++s == 256) s = 0;
    }
    t.offset[h] = t.table[h][0];
  }
  return t;
}

std::uint8_t ReverseLookup(const CodeTable& table, std::uint8_t coded) {
  const auto it = std::find(table.begin(), table.end(), coded);
  return it == table.end() ? coded : static_cast<std::uint8_t>(it - table.begin());
}

}  // namespace tambril::codec
