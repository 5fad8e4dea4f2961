#pragma once
// Builds RIFF/WAVE files: the program's three sounds at build time and the
// waves of the sound tests.
#include <QByteArray>
#include <QtEndian>
#include <cstdint>

namespace tambril::wave {

inline void PutU32(QByteArray& b, std::uint32_t v) {
  char raw[4];
  qToLittleEndian(v, raw);
  b.append(raw, 4);
}
inline void PutU16(QByteArray& b, std::uint16_t v) {
  char raw[2];
  qToLittleEndian(v, raw);
  b.append(raw, 2);
}

inline QByteArray Chunk(const char* id, const QByteArray& body) {
  QByteArray b(id, 4);
  PutU32(b, static_cast<std::uint32_t>(body.size()));
  b += body;
  if (body.size() % 2) b += '\0';  // chunks are padded to an even length
  return b;
}

inline QByteArray FmtBody(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, int extra = 0) {
  QByteArray b;
  PutU16(b, 1);  // PCM
  PutU16(b, channels);
  PutU32(b, rate);
  PutU32(b, rate * channels * bits / 8);
  PutU16(b, static_cast<std::uint16_t>(channels * bits / 8));
  PutU16(b, bits);
  if (extra) {
    PutU16(b, static_cast<std::uint16_t>(extra - 2));
    b += QByteArray(extra - 2, '\0');
  }
  return b;
}

inline QByteArray Riff(const QByteArray& chunks) {
  QByteArray b("RIFF");
  PutU32(b, static_cast<std::uint32_t>(chunks.size() + 4));
  return b + "WAVE" + chunks;
}

// A mono 16-bit wave at `rate` of the samples `pcm` (little-endian pairs).
inline QByteArray MonoWave(std::uint32_t rate, const QByteArray& pcm) {
  return Riff(Chunk("fmt ", FmtBody(rate, 1, 16)) + Chunk("data", pcm));
}

// A silent mono 16-bit wave of `samples` samples at `rate`.
inline QByteArray SilentWave(std::uint32_t rate, std::uint32_t samples) {
  return MonoWave(rate, QByteArray(samples * 2, '\0'));
}

}  // namespace tambril::wave
