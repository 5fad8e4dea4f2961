#pragma once
// Reads an RTF file into a QTextDocument, on top of the RTF parser.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QTextDocument>
#include <QTextFormat>

class QPainter;

#include <functional>
#include <string_view>

#include "rtf/rtf_parser.h"
#include "rtf/rtf_plain_text.h"

namespace tambril::rtf {

// Replaces the content of `doc` with the document that `rtf` describes:
// fonts, sizes, bold/italic/underline/strike-out, colours, paragraphs with
// alignment and indents; tables become tab-separated lines; PNG and JPEG
// pictures at their size (other kinds, and pictures that cannot be read, as
// an empty frame of their size, see RegisterPictureFrames); headers,
// footers, notes and metadata are left out. Data that does not
// start with an RTF header is shown as Windows-1252 text instead.
// Malformed input never crashes or hangs; what could be read is shown.
// `afterParagraph`, if given, is called after each paragraph written with
// the document's length so far; it may throw to stop the reading.
void LoadRtf(QByteArrayView rtf, QTextDocument& doc, const std::function<void(int length)>& afterParagraph = {});

// The object type of a picture shown as an empty frame; its size is in the
// format's ImageWidth and ImageHeight.
constexpr int kPictureFrame = QTextFormat::UserObject + 1;
// Lets the layout of `doc` draw empty picture frames. Needs the document's
// layout, so it is called on the thread that shows the document.
void RegisterPictureFrames(QTextDocument& doc);

// A table cell of a row paragraph, in pixels from the paragraph's start,
// with its shading and borders (width 0: none), for drawing around the
// row's text; see TableCellsOf and DrawTableCells.
struct CellBox {
  qreal left = 0, right = 0;
  QColor shading;                 // invalid: none
  qreal width[4] = {0, 0, 0, 0};  // top, left, bottom, right
  QColor color[4];
};
// The cells of the table row that `block` shows, or none.
QList<CellBox> TableCellsOf(const QTextBlockFormat& block);
// Draws the cells of the rows among the blocks of `doc` that lie within
// `area` (document coordinates): shading (`shading` true, before the text
// is drawn) or borders (after it).
void DrawTableCells(QPainter& painter, QTextDocument& doc, const QRectF& area, bool shading);

// The text that LoadRtf would show, without formats and pictures:
// paragraphs and forced line breaks end with '\n' (none after the last
// paragraph); see PlainText.
QString RtfToPlainText(QByteArrayView rtf);

}  // namespace tambril::rtf
