#pragma once
// The .tmb file: a 21-byte coded header followed by the coded bytes of the
// plain file, nothing else. Header values 1..3 are the extension tag, 4..6
// the marker 1, 0, 0, and 7..21 the 15 key codes. Header value i is coded with
// table ((i - 1) mod 15) + 1; the body starts the cycle again at table 1.
#include <array>
#include <cstdint>
#include <string_view>

#include "key_schedule.h"

namespace tambril::codec {

constexpr std::size_t kHeaderSize = 21;
// A password fits a file when the marker and all 15 key codes match.
constexpr int kFullScore = 18;

// Whether a file of `size` bytes is long enough to hold the header; a shorter
// one is no encoded file, whatever its name.
constexpr bool HoldsHeader(std::uint64_t size) { return size >= kHeaderSize; }

// HeaderRecord[1..21] at index 0..20.
using HeaderRecord = std::array<std::uint8_t, kHeaderSize>;

// The three tag values: the first character of the last 3, 2 and 1
// characters of the tag (a short tag repeats its first character, an empty
// one gives three spaces).
std::array<std::uint8_t, 3> TagValues(std::string_view tagCp1252);

// The plain header for a tag and a password's key codes.
HeaderRecord BuildPlainHeader(std::string_view tagCp1252, const KeyCodeArray& keys);

// Codes or decodes the header in place with tables 1..15, then 1..6.
void EncodeHeader(HeaderRecord& header, const CodeTables& tables);
void DecodeHeader(HeaderRecord& header, const CodeTables& tables);

// How many of the 18 check values of a decoded header match: the marker
// 1, 0, 0 and the key codes. The tag is never scored.
int ScoreHeader(const HeaderRecord& decoded, const KeyCodeArray& keys);

}  // namespace tambril::codec
