#include "sound/wave_length.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QtEndian>
#include <cstdint>

namespace tambril {
namespace {

// A file with more chunks than this before its data is not taken as a sound.
constexpr int kMaxChunks = 64;

bool ReadExactly(QIODevice& file, char* into, qint64 n) { return file.read(into, n) == n; }

}  // namespace

std::optional<std::chrono::milliseconds> WaveLength(QIODevice& file) {
  char head[12];
  if (!ReadExactly(file, head, sizeof head)) return std::nullopt;
  if (QByteArrayView(head, 4) != "RIFF" || QByteArrayView(head + 8, 4) != "WAVE") return std::nullopt;

  std::uint32_t byteRate = 0;
  for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
    char header[8];
    if (!ReadExactly(file, header, sizeof header)) return std::nullopt;
    const QByteArrayView id(header, 4);
    const std::uint32_t size = qFromLittleEndian<std::uint32_t>(header + 4);
    if (id == "fmt ") {
      if (size < 16) return std::nullopt;
      char fmt[16];
      if (!ReadExactly(file, fmt, sizeof fmt)) return std::nullopt;
      byteRate = qFromLittleEndian<std::uint32_t>(fmt + 8);
      if (byteRate == 0) return std::nullopt;
      // The rest of the chunk (extension fields) and its pad byte.
      const qint64 rest = static_cast<qint64>(size) - 16 + (size & 1);
      if (!file.seek(file.pos() + rest)) return std::nullopt;
    } else if (id == "data") {
      if (byteRate == 0) return std::nullopt;  // data before its format
      const qint64 left = file.size() - file.pos();
      const qint64 bytes = std::min<qint64>(size, std::max<qint64>(left, 0));
      return std::chrono::milliseconds((bytes * 1000 + byteRate - 1) / byteRate);
    } else {
      const qint64 skip = static_cast<qint64>(size) + (size & 1);
      if (file.pos() + skip > file.size() || !file.seek(file.pos() + skip)) return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::chrono::milliseconds> WaveLength(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return WaveLength(file);
}

}  // namespace tambril
