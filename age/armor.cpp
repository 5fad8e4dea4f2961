#include "age/armor.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>

namespace tambril::age {
namespace {

constexpr std::size_t kColumns = 64;

bool Space(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// `line` without the "\r" of a "\r\n" end.
void DropCr(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

bool ArmorBytes::nextLine() {
  if (!begun_) {
    while (Space(in_.peek())) {
      std::uint8_t skip;
      in_.read(&skip, 1);
    }
    if (!in_.line(line_, kArmorBegin.size() + 1)) throw Malformed{};
    DropCr(line_);
    if (line_ != kArmorBegin) throw Malformed{};
    begun_ = true;
  }
  if (ended_) return false;
  // The closing line may end the file without a line end.
  if (!in_.line(line_, kColumns + 1, /*lastMayBeOpen=*/true)) throw Malformed{};
  DropCr(line_);
  if (line_ == kArmorEnd) {
    // Never right after the opening line.
    if (decoded_.empty()) throw Malformed{};
    for (int c = in_.peek(); c >= 0; c = in_.peek()) {
      if (!Space(c)) throw Malformed{};
      std::uint8_t skip;
      in_.read(&skip, 1);
    }
    ended_ = true;
    return false;
  }
  if (lastLine_ || line_.empty() || line_.size() > kColumns || line_.size() % 4 != 0) throw Malformed{};
  decoded_.assign(line_.size() / 4 * 3, '\0');
  std::size_t length = 0;
  if (sodium_base642bin(reinterpret_cast<std::uint8_t*>(decoded_.data()), decoded_.size(), line_.data(), line_.size(),
                        nullptr, &length, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
    throw Malformed{};
  }
  decoded_.resize(length);  // canonical: the decoder refuses unused bits that are not zero
  lastLine_ = line_.size() < kColumns || line_.back() == '=';
  at_ = 0;
  return true;
}

std::size_t ArmorBytes::read(std::uint8_t* to, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    if (at_ == decoded_.size()) {
      if (!nextLine()) break;
      continue;
    }
    const std::size_t take = std::min(n - done, decoded_.size() - at_);
    std::memcpy(to + done, decoded_.data() + at_, take);
    at_ += take;
    done += take;
  }
  return done;
}

}  // namespace tambril::age
