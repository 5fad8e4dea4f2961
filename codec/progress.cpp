#include "progress.h"

namespace tambril::codec {

std::uint64_t DivideBy20HalfEven(std::uint64_t n) {
  const std::uint64_t q = n / 20, r = n % 20;
  if (r > 10 || (r == 10 && q % 2 == 1)) return q + 1;
  return q;
}

ProgressPlan ProgressPlan::ForEncode(std::uint64_t plainLength) {
  return ProgressPlan(plainLength > 100 ? DivideBy20HalfEven(plainLength) : 0);
}

ProgressPlan ProgressPlan::ForDecode(std::uint64_t encodedLength) {
  return ProgressPlan(encodedLength > 100 ? DivideBy20HalfEven(encodedLength - 15) : 0);
}

ProgressPlan ProgressPlan::ForWhole(std::uint64_t length) { return ProgressPlan(length > 100 ? length / 20 : 0); }

void ProgressPlan::start(const ProgressFn& fn) const {
  if (fn && step_ == 0) fn(20);
}

void ProgressPlan::advance(std::uint64_t before, std::uint64_t after, const ProgressFn& fn) const {
  if (!fn || step_ == 0) return;
  for (std::uint64_t stage = before / step_ + 1; stage <= after / step_; ++stage) {
    if (stage > 20) break;
    fn(static_cast<int>(stage));
  }
}

void ProgressPlan::finish(const ProgressFn& fn) const {
  if (fn) fn(1);
}

}  // namespace tambril::codec
