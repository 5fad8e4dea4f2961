#pragma once
// Key codes and code tables: the password becomes 15 key codes, the key codes
// become 15 code tables, and bytes are coded through the tables in turn
// 1, 2, ..., 15, 1, 2, ...
#include <array>
#include <cstdint>
#include <string_view>

namespace tambril::codec {

constexpr int kTableCount = 15;

// KeyCodes[1..15] of the password, stored here at index 0..14.
using KeyCodeArray = std::array<std::uint8_t, kTableCount>;
using CodeTable = std::array<std::uint8_t, 256>;

struct CodeTables {
  // CodeTable1..CodeTable15 at index 0..14.
  std::array<CodeTable, kTableCount> table{};
  // Every code table is a rotation: table[h][x] == (x + offset[h]) mod 256.
  std::array<std::uint8_t, kTableCount> offset{};

  bool operator==(const CodeTables&) const = default;
};

// The table that seeds code table H is ShiftTable S(H), H = 1..15.
constexpr std::array<int, kTableCount> kSeedOrder = {5, 13, 8, 10, 3, 6, 12, 1, 9, 11, 4, 15, 2, 7, 14};

// Key codes of a password given as Windows-1252 bytes (see cp1252.h). Each key
// code takes the first character of the last 15, 14, ..., 1 characters, so a
// short password repeats its first character at the front and an empty one
// gives fifteen spaces.
KeyCodeArray KeyCodes(std::string_view passwordCp1252);

// The tables by the closed form: offset(H) = KeyCodes[H] + KeyCodes[S(H)] + sum.
CodeTables BuildCodeTables(const KeyCodeArray& keys);

// The same tables built the long way, through the shift tables and the seed
// chains. Kept as the reference that the closed form is tested against.
CodeTables BuildCodeTablesStepwise(const KeyCodeArray& keys);

// The lowest index whose entry equals `coded`, searched from 0 upwards; a value
// no entry holds comes back unchanged.
std::uint8_t ReverseLookup(const CodeTable& table, std::uint8_t coded);

}  // namespace tambril::codec
