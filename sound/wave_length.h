#pragma once
// How long a waveform file plays, read from its RIFF header, so that "play
// and wait" can wait for the real end of the sound and no longer.
#include <QString>
#include <chrono>
#include <optional>

class QIODevice;

namespace tambril {

// The playing time of the PCM data in a RIFF/WAVE file, whatever the file's
// extension. Nothing when the file cannot be read or is no usable wave file.
// A data chunk that claims more bytes than the file holds counts what is there.
std::optional<std::chrono::milliseconds> WaveLength(const QString& path);
std::optional<std::chrono::milliseconds> WaveLength(QIODevice& file);

}  // namespace tambril
