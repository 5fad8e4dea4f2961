#include "age/bytes.h"

#include <algorithm>
#include <cstring>

namespace tambril::age {

std::size_t FileBytes::read(std::uint8_t* to, std::size_t n) {
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - position_));
  const std::size_t got = want == 0 ? 0 : readAt_(position_, to, want);
  position_ += got;
  return got;
}

bool Input::fill() {
  if (ended_) return false;
  at_ = 0;
  end_ = from_.read(buffer_.data(), buffer_.size());
  if (end_ == 0) ended_ = true;
  return end_ > 0;
}

int Input::peek() {
  if (at_ == end_ && !fill()) return -1;
  return buffer_[at_];
}

bool Input::line(std::string& out, std::size_t most, bool lastMayBeOpen) {
  out.clear();
  if (at_ == end_ && !fill()) return false;
  for (;;) {
    const auto* start = buffer_.data() + at_;
    const auto* nl = static_cast<const std::uint8_t*>(std::memchr(start, '\n', end_ - at_));
    const std::size_t take = nl ? static_cast<std::size_t>(nl - start) : end_ - at_;
    if (out.size() + take > most) throw Malformed{};
    out.append(reinterpret_cast<const char*>(start), take);
    at_ += take;
    if (nl) {
      ++at_;
      return true;
    }
    if (!fill()) {
      if (lastMayBeOpen) return true;
      throw Malformed{};  // a last line without its end
    }
  }
}

std::size_t Input::read(std::uint8_t* to, std::size_t n) {
  std::size_t done = 0;
  if (at_ < end_) {
    done = std::min(n, end_ - at_);
    std::memcpy(to, buffer_.data() + at_, done);
    at_ += done;
  }
  while (done < n && !ended_) {
    const std::size_t got = from_.read(to + done, n - done);
    if (got == 0) ended_ = true;
    done += got;
  }
  return done;
}

}  // namespace tambril::age
