#include "pictures.h"

#include <random>

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QString>

namespace tambril::resources {

namespace {

const QColor kLineBlue(0x60, 0x60, 0xA0);
const QColor kFoldGrey(0xC8, 0xC8, 0xDC);

QImage Blank(int width, int height, QColor fill = Qt::transparent) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

// A font of the given family whose pixel size is reduced until `text` fits
// into `maxWidth`, so that a different font on another machine never spills
// over the picture's edge.
QFont FittedFont(const QString& family, QFont::StyleHint hint, int pixelSize, bool bold, bool italic,
                 const QString& text, qreal maxWidth) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setBold(bold);
  font.setItalic(italic);
  for (; pixelSize > 6; --pixelSize) {
    font.setPixelSize(pixelSize);
    if (QFontMetricsF(font).horizontalAdvance(text) <= maxWidth) break;
  }
  return font;
}

// A sheet of paper with a folded top-right corner in a 64 x 64 grid, its body
// filled with lines of text, or with broken lines when `coded`. `bold` draws
// thicker strokes and fewer lines, for the smallest sizes.
void DrawDocument(QPainter& p, bool coded, bool bold = false) {
  const qreal stroke = bold ? 5 : 2.5;
  QPainterPath sheet;
  sheet.moveTo(8, 4);
  sheet.lineTo(33, 4);
  sheet.lineTo(44, 15);
  sheet.lineTo(44, 58);
  sheet.lineTo(8, 58);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(kDarkBlue), stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(sheet);

  QPainterPath fold;
  fold.moveTo(33, 4);
  fold.lineTo(33, 15);
  fold.lineTo(44, 15);
  fold.closeSubpath();
  p.setBrush(bold ? QColor(Qt::white) : kFoldGrey);
  p.drawPath(fold);

  p.setPen(QPen(kLineBlue, stroke, Qt::SolidLine, Qt::RoundCap));
  if (bold) {
    for (int i = 0; i < 2; ++i) p.drawLine(QPointF(17, 26 + 12 * i), QPointF(30, 26 + 12 * i));
    return;
  }
  if (!coded) {
    const qreal ends[] = {28, 38, 36, 38, 30, 35};
    for (int i = 0; i < 6; ++i) p.drawLine(QPointF(14, 21 + 6 * i), QPointF(ends[i], 21 + 6 * i));
    return;
  }
  // Short dashes in an irregular pattern: the look of coded text.
  static const qreal dashes[][4] = {{14, 17, 21, 27}, {14, 22, 26, 30}, {14, 15, 19, 25},
                                    {14, 20, 24, 26}, {14, 18, 22, 29}, {14, 16, 20, 23}};
  for (int i = 0; i < 6; ++i) {
    const qreal y = 21 + 6 * i;
    p.drawLine(QPointF(dashes[i][0], y), QPointF(dashes[i][1], y));
    p.drawLine(QPointF(dashes[i][2], y), QPointF(dashes[i][3], y));
  }
}

// A red padlock in the lower right of the 64 x 64 grid.
void DrawPadlock(QPainter& p, bool bold = false) {
  const qreal stroke = bold ? 4 : 2.5;
  QPainterPath shackle;
  shackle.moveTo(33, 36);
  shackle.lineTo(33, 26);
  shackle.arcTo(QRectF(33, 16, 20, 20), 180, -180);
  shackle.lineTo(53, 36);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(kDarkBlue), bold ? 6 : 4.5, Qt::SolidLine, Qt::FlatCap));
  p.drawPath(shackle);

  p.setPen(QPen(QColor(kDarkBlue), stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(kRed));
  p.drawRoundedRect(QRectF(28, 34, 30, 24), 4, 4);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(kDarkBlue));
  if (bold) {
    p.drawRect(QRectF(40.5, 41, 5, 10));
    return;
  }
  p.drawEllipse(QPointF(43, 43), 3.2, 3.2);
  const QPointF slot[] = {{41.6, 44}, {44.4, 44}, {45.2, 52}, {40.8, 52}};
  p.drawPolygon(slot, 4);
}

// The icon motif drawn into `target` (a square); below 32 pixels with bold
// strokes, which stay visible there.
void DrawIcon(QPainter& p, const QRectF& target) {
  const bool bold = target.width() < 32;
  p.save();
  p.translate(target.topLeft());
  p.scale(target.width() / 64.0, target.height() / 64.0);
  DrawDocument(p, false, bold);
  DrawPadlock(p, bold);
  p.restore();
}

// A 50 x 45 marker: the document in the 64-grid scaled to the height, with
// the padlock for an encoded file.
QImage MarkerPicture(bool encoded) {
  QImage image = Blank(50, 45);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal scale = 45.0 / 64.0;
  // The drawing spans x 8..58 of the grid with the padlock, 8..44 without;
  // centre that span in the 50 pixels.
  const qreal right = encoded ? 58 : 44;
  p.translate((50 - (right - 8) * scale) / 2 - 8 * scale, 0);
  p.scale(scale, scale);
  DrawDocument(p, encoded);
  if (encoded) DrawPadlock(p);
  return image;
}

}  // namespace

QImage ProgramIconImage(int size) {
  QImage image = Blank(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  DrawIcon(p, QRectF(0, 0, size, size));
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : kIconSizes) icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}

QImage EncodedFileIconImage(int size) {
  QImage image = Blank(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const bool bold = size < 32;
  p.scale(size / 64.0, size / 64.0);
  DrawDocument(p, true, bold);
  DrawPadlock(p, bold);
  return image;
}

QImage EncodedFilePicture() { return MarkerPicture(true); }

QImage PlainFilePicture() { return MarkerPicture(false); }

QImage StartPicture() {
  const int w = 362, h = 48;
  QImage image = Blank(w, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient ground(0, 0, w, 0);
  ground.setColorAt(0, QColor(kDarkBlue));
  ground.setColorAt(1, QColor(0x18, 0x18, 0x78));
  p.setPen(Qt::NoPen);
  p.setBrush(ground);
  p.drawRoundedRect(QRectF(0, 0, w, h), 6, 6);

  // The icon's dark outlines need a light tile on the dark ground.
  p.setBrush(QColor(0xE8, 0xE8, 0xF4));
  p.drawRoundedRect(QRectF(4, 4, 40, 40), 5, 5);
  DrawIcon(p, QRectF(6, 6, 36, 36));

  const QString name = QStringLiteral("TAMBRIL");
  const QFont nameFont = FittedFont(QStringLiteral("DejaVu Serif"), QFont::Serif, 28, true, false, name, 130);
  p.setFont(nameFont);
  p.setPen(QColor(0xFF, 0x40, 0x40));
  p.drawText(QPointF(52, 34), name);
  const qreal nameEnd = 52 + QFontMetricsF(nameFont).horizontalAdvance(name);

  const QString line1 = QStringLiteral("Programm für");
  const QString line2 = QStringLiteral("individuelle Codierung");
  const qreal left = nameEnd + 14;
  const QFont small = FittedFont(QStringLiteral("DejaVu Sans"), QFont::SansSerif, 13, false, true, line2, w - left - 8);
  p.setFont(small);
  p.setPen(Qt::white);
  p.drawText(QPointF(left, 21), line1);
  p.drawText(QPointF(left, 38), line2);
  return image;
}

QImage SplashBackground() {
  const int w = 550, h = 257;
  QImage image = Blank(w, h, QColor(kDarkBlue));
  QPainter p(&image);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(13);
  p.setFont(font);

  // A fixed seed and the engine's raw output (no distribution, whose results
  // differ between standard libraries) make the same picture everywhere.
  std::mt19937 random(19970417u);
  const QString glyphs = QStringLiteral(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
      "!#$%&*+-/<=>?@[]{}|~^§¤µßÄÖÜäöü¿×");
  const int columnWidth = 10, rowHeight = 17;
  for (int y = 13; y < h + rowHeight; y += rowHeight) {
    for (int x = 3; x < w; x += columnWidth) {
      const std::uint32_t r = random();
      // About one place in nine stays empty, like gaps between words.
      if (r % 9 == 0) continue;
      const QChar c = glyphs[static_cast<qsizetype>((r >> 4) % glyphs.size())];
      const int alpha = 50 + static_cast<int>((r >> 12) % 70);
      p.setPen(QColor(0xB0, 0xB8, 0xFF, alpha));
      p.drawText(QPointF(x, y), QString(c));
    }
  }
  return image;
}

QImage InfoLogo() {
  const int w = 216, h = 119;
  QImage image = Blank(w, h, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  DrawIcon(p, QRectF(6, 8, 72, 72));

  const QString name = QStringLiteral("TAMBRIL");
  const qreal left = 84;
  const QFont nameFont = FittedFont(QStringLiteral("DejaVu Serif"), QFont::Serif, 30, true, false, name, w - left - 4);
  p.setFont(nameFont);
  p.setPen(QColor(kDarkBlue));
  p.drawText(QPointF(left, 46), name);
  const qreal nameEnd = left + QFontMetricsF(nameFont).horizontalAdvance(name);
  p.setPen(QPen(QColor(kRed), 3, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(left, 56), QPointF(nameEnd, 56));

  const QString line1 = QStringLiteral("Programm für");
  const QString line2 = QStringLiteral("individuelle Codierung");
  const QFont small = FittedFont(QStringLiteral("DejaVu Sans"), QFont::SansSerif, 11, false, true, line2, w - left - 4);
  p.setFont(small);
  p.setPen(QColor(kDarkBlue));
  p.drawText(QPointF(left, 74), line1);
  p.drawText(QPointF(left, 88), line2);

  const QString version = QStringLiteral("Version " TAMBRIL_VERSION);
  QFont versionFont(QStringLiteral("DejaVu Sans"));
  versionFont.setStyleHint(QFont::SansSerif);
  versionFont.setPixelSize(10);
  p.setFont(versionFont);
  p.setPen(QColor(0x70, 0x70, 0x70));
  p.drawText(QRectF(0, h - 22, w - 8, 16), Qt::AlignRight | Qt::AlignVCenter, version);
  return image;
}

QByteArray IconFile(QImage (*draw)(int)) {
  QList<QByteArray> images;
  for (int size : kIconSizes) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    draw(size).save(&buffer, "PNG");
    images << png;
  }
  // Little-endian throughout: a header, one 16-byte entry per image, then
  // the images.
  QByteArray file;
  const auto u16 = [&file](quint32 v) {
    file.append(static_cast<char>(v & 0xFF));
    file.append(static_cast<char>((v >> 8) & 0xFF));
  };
  const auto u32 = [&u16](quint32 v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  u16(0);  // reserved
  u16(1);  // an icon, not a cursor
  u16(static_cast<quint32>(images.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  for (qsizetype i = 0; i < images.size(); ++i) {
    const int size = kIconSizes[i];
    // Width and height as one byte each; 0 stands for 256.
    file.append(static_cast<char>(size >= 256 ? 0 : size));
    file.append(static_cast<char>(size >= 256 ? 0 : size));
    file.append('\0');  // no palette
    file.append('\0');  // reserved
    u16(1);             // planes
    u16(32);            // bits per pixel
    u32(static_cast<quint32>(images[i].size()));
    u32(offset);
    offset += static_cast<quint32>(images[i].size());
  }
  for (const QByteArray& png : images) file += png;
  return file;
}

}  // namespace tambril::resources
