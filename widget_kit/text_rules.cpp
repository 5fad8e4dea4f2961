#include "widget_kit/text_rules.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <algorithm>

#include "resources/font_faces.h"
#include "widget_kit/twips.h"

namespace tambril {

QString NumberText(std::int64_t n) {
  const QString digits = QString::number(n);
  return n < 0 ? digits : QLatin1Char(' ') + digits;
}

std::int64_t RoundedMebibytes(std::uint64_t bytes) {
  constexpr std::uint64_t kMiB = 1048576;
  const std::uint64_t whole = bytes / kMiB;
  const std::uint64_t rest = bytes % kMiB;
  std::uint64_t m = whole;
  if (rest > kMiB / 2 || (rest == kMiB / 2 && (whole & 1) != 0)) ++m;
  return static_cast<std::int64_t>(m);
}

bool ContainsNoCase(const QString& text, const QString& needle) { return text.contains(needle, Qt::CaseInsensitive); }

QColor BgrColor(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

namespace {

// The mean width in pixels of the strokes of a line of dialog text in
// `family` at the dialogs' smallest size, drawn as the windows draw it:
// twice its ink (1 for a black pixel, less for the grey ones at its edges)
// over the length of its outline (the sides between a pixel at least half
// black and one that is not), as a stroke of width w and length l has the
// ink w*l and an outline of about 2*l.
double StrokeWidth(const QString& family, bool bold) {
  QFont font(family);
  font.setPointSizeF(8.25);
  font.setBold(bold);
  QImage image(240, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, 22, QStringLiteral("Kennwortbestätigung: OK HILFE"));
  }
  const auto cover = [&image](int x, int y) {
    return x < 0 || y < 0 || x >= image.width() ? 0.0 : 1.0 - qGray(image.pixel(x, y)) / 255.0;
  };
  double ink = 0;
  int outline = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x <= image.width(); ++x) {
      const bool inked = cover(x, y) >= 0.5;
      ink += cover(x, y);
      outline += (inked != (cover(x - 1, y) >= 0.5)) + (inked != (cover(x, y - 1) >= 0.5));
    }
  }
  return outline == 0 ? 0 : 2 * ink / outline;
}

// Whether `family` is a scalable face with a bold of its own that is drawn
// bold at the dialogs' sizes. A bitmap face (Wine's "MS Sans Serif") has no
// bold, and scaled to 8 or 10 points its letters stand apart. Qt on Windows
// lists a bold for every face, one that the system makes up where the face
// has none, and some faces' bold comes out as thin as their regular letters
// at 11 pixels (under Wine at 96 dpi: Liberation Sans and Nimbus Sans).
bool HasScalableBold(const QString& family) {
  if (!QFontDatabase::hasFamily(family) || !QFontDatabase::isSmoothlyScalable(family)) return false;
  const QStringList styles = QFontDatabase::styles(family);
  if (std::none_of(styles.begin(), styles.end(),
                   [&family](const QString& style) { return QFontDatabase::weight(family, style) >= QFont::Bold; })) {
    return false;
  }
  return StrokeWidth(family, true) >= 1.25 * StrokeWidth(family, false);
}

// Whether `family` suits the dialogs: a bold drawn bold, narrow enough for
// the captions as the dialogs were laid out ("Kennworteingabe:" in 1575
// twips, at 8.25 points bold).
bool SuitsTheDialogs(const QString& family) {
  if (!HasScalableBold(family)) return false;
  QFont bold(family);
  bold.setPointSizeF(8.25);
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(QStringLiteral("Kennworteingabe:")) <= Px(1575);
}

// The faces Qt is asked for, in order: the first of `faces` (the design's)
// where it is usable or not installed at all, then the first usable one of
// the others; where none is usable, all of them.
QStringList ChosenFaces(const QStringList& faces, bool (*isUsable)(const QString&) = HasScalableBold) {
  const auto usable = std::find_if(faces.begin(), faces.end(), isUsable);
  QStringList chosen;
  if (usable == faces.begin() || !QFontDatabase::hasFamily(faces.front())) chosen << faces.front();
  if (usable == faces.end()) {
    chosen << faces.mid(1);
  } else if (usable != faces.begin()) {
    chosen << *usable;
  }
  return chosen;
}

QFont Face(const QStringList& families, QFont::StyleHint hint, double points, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setStyleHint(hint);
  return font;
}

template <std::size_t N>
QStringList Faces(const char* const (&faces)[N]) {
  QStringList list;
  for (const char* face : faces) list << QLatin1String(face);
  return list;
}

}  // namespace

QStringList DialogFaces() {
  // The design's face, its successors on Windows, then similar faces.
  static const QStringList faces =
      ChosenFaces({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")},
                  SuitsTheDialogs);
  return faces;
}

QFont DialogFont(double points, bool bold) { return Face(DialogFaces(), QFont::SansSerif, points, bold); }

QFont SerifFont(double points, bool bold) {
  static const QStringList faces = ChosenFaces(Faces(resources::kSerifFaces));
  return Face(faces, QFont::Serif, points, bold);
}

}  // namespace tambril
