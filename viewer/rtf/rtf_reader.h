#pragma once
// Reads an RTF file into a QTextDocument.
#include <QByteArray>
#include <QString>
#include <QTextDocument>

#include <functional>

namespace tambril::rtf {

// The largest RTF file read as a document; the viewer shows nothing larger,
// and the command line's show prints a larger one as its 8-bit text.
inline constexpr qsizetype kMaxRichBytes = qsizetype{256} * 1024 * 1024;

// Replaces the content of `doc` with the document that `rtf` describes:
// fonts, sizes, bold/italic/underline/strike-out, colours, paragraphs with
// alignment and indents; tables become tab-separated lines; pictures,
// headers, footers, notes and metadata are left out. Data that does not
// start with an RTF header is shown as Windows-1252 text instead.
// Malformed input never crashes or hangs; what could be read is shown.
// `afterParagraph`, if given, is called after each paragraph written with
// the document's length so far; it may throw to stop the reading.
void LoadRtf(QByteArrayView rtf, QTextDocument& doc,
             const std::function<void(int length)>& afterParagraph = {});

// The text that LoadRtf would show, without formats: paragraphs and forced
// line breaks end with '\n' (none after the last paragraph).
QString RtfToPlainText(QByteArrayView rtf);

}  // namespace tambril::rtf
