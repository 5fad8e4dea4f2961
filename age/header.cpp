#include "age/header.h"

#include <algorithm>

#include "age/keys.h"

namespace tambril::age {
namespace {

constexpr std::size_t kColumns = 64;
constexpr std::size_t kMostLine = 4096;

bool Visible(char c) { return c >= 0x21 && c <= 0x7e; }

// "-> a b c" as its arguments; Malformed for an empty one or any byte but a
// visible ASCII character inside one.
std::vector<std::string> StanzaArgs(std::string_view line) {
  std::vector<std::string> args;
  std::size_t at = 3;  // after "-> "
  for (;;) {
    const std::size_t space = line.find(' ', at);
    const std::string_view arg = line.substr(at, space == std::string_view::npos ? space : space - at);
    if (arg.empty() || !std::all_of(arg.begin(), arg.end(), Visible)) throw Malformed{};
    args.emplace_back(arg);
    if (space == std::string_view::npos) return args;
    at = space + 1;
  }
}

std::vector<std::uint8_t> Decoded(std::string_view text) {
  auto bytes = FromBase64(text);
  if (!bytes) throw Malformed{};
  return std::move(*bytes);
}

}  // namespace

Header ReadHeader(Input& in) {
  Header h;
  std::string line;
  if (!in.line(line, kMostLine) || line != kVersionLine) throw Malformed{};
  h.macInput = line + "\n";
  if (!in.line(line, kMostLine)) throw Malformed{};
  for (;;) {
    if (line.starts_with("-> ")) {
      Stanza s;
      s.args = StanzaArgs(line);
      h.macInput += line + "\n";
      // Body lines of 64 columns, ended by a shorter one (which may be empty).
      std::string body;
      for (;;) {
        if (!in.line(line, kMostLine) || line.size() > kColumns) throw Malformed{};
        h.macInput += line + "\n";
        body += line;
        if (h.macInput.size() > kMostHeader) throw Malformed{};
        if (line.size() < kColumns) break;
      }
      s.body = Decoded(body);
      h.stanzas.push_back(std::move(s));
      if (!in.line(line, kMostLine)) throw Malformed{};
      continue;
    }
    if (line.starts_with("--- ") && !h.stanzas.empty()) {
      h.macInput += "---";
      const auto mac = Decoded(std::string_view(line).substr(4));
      if (mac.size() != h.mac.size()) throw Malformed{};
      std::copy(mac.begin(), mac.end(), h.mac.begin());
      return h;
    }
    throw Malformed{};
  }
}

Recipients ReadRecipients(const Header& header, int mostWorkFactor, ScryptStanza& scrypt) {
  const auto isScrypt = [](const Stanza& s) { return s.args[0] == "scrypt"; };
  if (std::none_of(header.stanzas.begin(), header.stanzas.end(), isScrypt)) return Recipients::ForKey;
  // A passphrase file has its scrypt stanza alone: one beside others could
  // let a holder of another key change what the passphrase opens.
  if (header.stanzas.size() != 1) throw Malformed{};
  const Stanza& s = header.stanzas[0];
  if (s.args.size() != 3 || s.body.size() != scrypt.body.size()) throw Malformed{};
  const auto salt = Decoded(s.args[1]);
  if (salt.size() != scrypt.salt.size()) throw Malformed{};
  const std::string& factor = s.args[2];
  if (factor.empty() || factor.size() > 2 || factor[0] < '1' || factor[0] > '9' ||
      !std::all_of(factor.begin(), factor.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw Malformed{};
  }
  scrypt.workFactor = std::stoi(factor);
  if (scrypt.workFactor > mostWorkFactor) throw Malformed{};
  std::copy(salt.begin(), salt.end(), scrypt.salt.begin());
  std::copy(s.body.begin(), s.body.end(), scrypt.body.begin());
  return Recipients::Scrypt;
}

std::string HeaderWithoutMac(const ScryptStanza& scrypt) {
  std::string h(kVersionLine);
  h += "\n-> scrypt " + Base64(scrypt.salt.data(), scrypt.salt.size()) + " " + std::to_string(scrypt.workFactor) + "\n";
  h += Base64(scrypt.body.data(), scrypt.body.size()) + "\n";  // 43 columns: one line
  h += "---";
  return h;
}

std::string MacLine(const std::array<std::uint8_t, 32>& mac) { return " " + Base64(mac.data(), mac.size()) + "\n"; }

}  // namespace tambril::age
