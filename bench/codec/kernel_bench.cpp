// Throughput of the block kernels that code a file's body, against memcpy of
// the same buffer (the least any pass that copies a file must do).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "codec/codec.h"
#include "codec/key_schedule.h"

namespace {

using namespace tambril::codec;

const CodeTables& Tables() {
  static const CodeTables tables = BuildCodeTables(KeyCodes("Benchmark-Pw1"));
  return tables;
}

std::vector<std::uint8_t> Buffer(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
  return v;
}

void BM_EncodeBlock(benchmark::State& state) {
  auto buf = Buffer(static_cast<std::size_t>(state.range(0)));
  unsigned phase = 0;
  for (auto _ : state) {
    EncodeBlock(buf.data(), buf.size(), Tables(), phase);
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_DecodeBlock(benchmark::State& state) {
  auto buf = Buffer(static_cast<std::size_t>(state.range(0)));
  unsigned phase = 0;
  for (auto _ : state) {
    DecodeBlock(buf.data(), buf.size(), Tables(), phase);
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// The kernel codes in place; memcpy reads one buffer and writes another, as
// a file copy does.
void BM_Memcpy(benchmark::State& state) {
  const auto src = Buffer(static_cast<std::size_t>(state.range(0)));
  std::vector<std::uint8_t> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// 1 MiB (the block a pass codes at once, cache-resident) to 16 MiB (memory-bound).
BENCHMARK(BM_EncodeBlock)->RangeMultiplier(4)->Range(1 << 20, 16 << 20);
BENCHMARK(BM_DecodeBlock)->RangeMultiplier(4)->Range(1 << 20, 16 << 20);
BENCHMARK(BM_Memcpy)->RangeMultiplier(4)->Range(1 << 20, 16 << 20);

}  // namespace

BENCHMARK_MAIN();
