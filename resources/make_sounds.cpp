// Writes the program's three sounds as 16-bit mono PCM WAV files into the
// folder given as the only argument: Ton1.ts2 (a soft chord, the splash's
// subtitle), Ton2.ts2 (two rising tones, everything after the splash) and
// Ton3.ts2 (a short click, one per letter of the splash).
#include "resources/wave_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 2 * std::numbers::pi;

using Samples = std::vector<double>;  // -1..1

int Count(double seconds) { return static_cast<int>(std::lround(seconds * kRate)); }

// Rises over `attack` seconds, falls over `release` seconds at the end, so
// that no sound starts or stops with a crack.
double Edge(int i, int n, double attack, double release) {
  const double t = static_cast<double>(i) / kRate;
  const double left = static_cast<double>(n - 1 - i) / kRate;
  double g = 1;
  if (t < attack) g = std::min(g, t / attack);
  if (left < release) g = std::min(g, left / release);
  return g;
}

Samples Click() {
  const int n = Count(0.060);
  Samples s(n);
  std::uint32_t noise = 0x2545F491u;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    noise = noise * 1664525u + 1013904223u;
    const double hiss = (static_cast<double>(noise >> 8) / (1 << 24)) * 2 - 1;
    const double tone = std::sin(kTwoPi * 1800 * t) + 0.5 * std::sin(kTwoPi * 3100 * t);
    s[i] = 0.55 * std::exp(-t / 0.012) * (0.7 * tone + 0.3 * hiss) * Edge(i, n, 0.001, 0.005);
  }
  return s;
}

Samples Chord() {
  const int n = Count(0.600);
  const double notes[] = {523.25, 659.26, 783.99, 1046.50};  // C E G c
  const double weights[] = {1.0, 0.8, 0.7, 0.35};
  Samples s(n);
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    double v = 0;
    for (int k = 0; k < 4; ++k)
      v += weights[k] * (std::sin(kTwoPi * notes[k] * t) + 0.2 * std::sin(2 * kTwoPi * notes[k] * t));
    s[i] = 0.11 * v * std::exp(-t / 0.25) * Edge(i, n, 0.020, 0.080);
  }
  return s;
}

Samples TwoTone() {
  const int half = Count(0.200);
  Samples s;
  for (double f : {880.0, 1174.66}) {  // A, then the D above it
    for (int i = 0; i < half; ++i) {
      const double t = static_cast<double>(i) / kRate;
      const double v = std::sin(kTwoPi * f * t) + 0.25 * std::sin(2 * kTwoPi * f * t);
      s.push_back(0.35 * v * std::exp(-t / 0.15) * Edge(i, half, 0.008, 0.030));
    }
  }
  return s;
}

QByteArray Wav(const Samples& samples) {
  QByteArray pcm;
  for (double v : samples) {
    const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767);
    tambril::wave::PutU16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(q)));
  }
  return tambril::wave::MonoWave(kRate, pcm);
}

bool Write(const std::filesystem::path& path, const Samples& samples) {
  const QByteArray bytes = Wav(samples);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const bool ok = Write(folder / "Ton1.ts2", Chord()) && Write(folder / "Ton2.ts2", TwoTone()) &&
                  Write(folder / "Ton3.ts2", Click());
  return ok ? 0 : 1;
}
