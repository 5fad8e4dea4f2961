#pragma once
// Reads an RTF file into a QTextDocument.
#include <QByteArray>
#include <QString>
#include <QTextDocument>

namespace tambril::rtf {

// Larger RTF files are shown as their 8-bit text: a formatted document of
// that size would take the program's memory and many seconds to build.
inline constexpr qsizetype kMaxRichBytes = qsizetype{8} * 1024 * 1024;

// Replaces the content of `doc` with the document that `rtf` describes:
// fonts, sizes, bold/italic/underline/strike-out, colours, paragraphs with
// alignment and indents; tables become tab-separated lines; pictures,
// headers, footers, notes and metadata are left out. Data that does not
// start with an RTF header is shown as Windows-1252 text instead.
// Malformed input never crashes or hangs; what could be read is shown.
void LoadRtf(QByteArrayView rtf, QTextDocument& doc);

// The text that LoadRtf would show, without formats: paragraphs and forced
// line breaks end with '\n' (none after the last paragraph).
QString RtfToPlainText(QByteArrayView rtf);

}  // namespace tambril::rtf
