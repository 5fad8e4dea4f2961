#pragma once
// Progress of a pass as the dialogs show it on a bar of 1..20: a short input
// shows 20 at once; a longer one advances one stage every `step` bytes and
// shows stages 1..20 (a 21st stage is not shown); the end shows 1.
#include <cstdint>
#include <functional>

namespace tambril::codec {

using ProgressFn = std::function<void(int value)>;

// n / 20 rounded to the nearest whole number, an exact half to the even one.
std::uint64_t DivideBy20HalfEven(std::uint64_t n);

class ProgressPlan {
 public:
  // Encoding: the plain length decides, the step is length / 20.
  static ProgressPlan ForEncode(std::uint64_t plainLength);
  // Decoding: the encoded length decides, the step is (length - 15) / 20,
  // while the pass itself runs over length - 21 bytes.
  static ProgressPlan ForDecode(std::uint64_t encodedLength);

  // Any other pass (age files): the step is length / 20 rounded down, so
  // that the bar shows each of 1..20 once and 20 when the last byte is done.
  static ProgressPlan ForWhole(std::uint64_t length);

  bool stepped() const { return step_ != 0; }
  std::uint64_t step() const { return step_; }

  // Reports what the bar shows before the first byte (20 for a short input).
  void start(const ProgressFn& fn) const;
  // Reports every stage reached between `before` and `after` bytes done.
  void advance(std::uint64_t before, std::uint64_t after, const ProgressFn& fn) const;
  // Reports the bar's value at the end of the pass.
  void finish(const ProgressFn& fn) const;

 private:
  explicit ProgressPlan(std::uint64_t step) : step_(step) {}
  std::uint64_t step_;
};

}  // namespace tambril::codec
