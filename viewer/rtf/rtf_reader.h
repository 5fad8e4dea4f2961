#pragma once
// Reads an RTF file into a QTextDocument.
#include <QByteArray>
#include <QTextDocument>

namespace tambril::rtf {

// Replaces the content of `doc` with the document that `rtf` describes.
// Malformed input never crashes or hangs; what could be read is shown.
void LoadRtf(QByteArrayView rtf, QTextDocument& doc);

}  // namespace tambril::rtf
