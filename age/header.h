#pragma once
// The text header of an age file: the version line, the recipient stanzas
// and the MAC line, parsed strictly and written in its one canonical form.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "age/bytes.h"

namespace tambril::age {

constexpr std::string_view kVersionLine = "age-encryption.org/v1";

struct Stanza {
  std::vector<std::string> args;  // the type first
  std::vector<std::uint8_t> body;
};

struct Header {
  std::vector<Stanza> stanzas;
  std::string macInput;  // the header's bytes from its first through "---"
  std::array<std::uint8_t, 32> mac{};
};

// Reads the header from `in`, leaving it at the first byte after the MAC
// line. Throws Malformed for anything the format does not allow: a missing
// or other version line, a stanza line with an empty or invisible argument,
// a body that is not canonical base64 in lines of 64 columns ended by a
// shorter one, no stanza, a MAC that is not 32 bytes, a "\r" anywhere, a
// header of more than kMostHeader bytes.
Header ReadHeader(Input& in);
constexpr std::size_t kMostHeader = std::size_t{1} << 20;

// What the one scrypt stanza of a passphrase file holds.
struct ScryptStanza {
  std::array<std::uint8_t, 16> salt{};
  int workFactor = 0;
  std::array<std::uint8_t, 32> body{};
};

enum class Recipients {
  Scrypt,  // one scrypt stanza, alone
  ForKey,  // only stanzas of other types
};

// What the header's stanzas are for. Throws Malformed for a scrypt stanza
// beside others, or one whose salt is not 16 bytes, whose work factor is
// not a decimal from 1 without a leading zero, or whose body is not 32
// bytes; a work factor over `mostWorkFactor` too.
Recipients ReadRecipients(const Header& header, int mostWorkFactor, ScryptStanza& scrypt);

// The header of a new file up to and including "---", for its MAC.
std::string HeaderWithoutMac(const ScryptStanza& scrypt);
// The whole header line for line: HeaderWithoutMac, " ", the MAC, "\n".
std::string MacLine(const std::array<std::uint8_t, 32>& mac);

}  // namespace tambril::age
