#include "widget_kit/text_rules.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>

#include "resources/font_faces.h"

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

// Whether `family` is a scalable face with a bold of its own. A bitmap face
// (Wine's "MS Sans Serif") has no bold, and scaled to 8 or 10 points its
// letters stand apart.
bool HasScalableBold(const QString& family) {
  if (!QFontDatabase::hasFamily(family) || !QFontDatabase::isSmoothlyScalable(family)) return false;
  const QStringList styles = QFontDatabase::styles(family);
  return std::any_of(styles.begin(), styles.end(),
                     [&family](const QString& style) { return QFontDatabase::weight(family, style) >= QFont::Bold; });
}

// The faces Qt is asked for, in order: the first of `faces` (the design's)
// where it is usable or not installed at all, then the first usable one of
// the others; where none is usable, all of them.
QStringList ChosenFaces(const QStringList& faces) {
  const auto usable = std::find_if(faces.begin(), faces.end(), HasScalableBold);
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
                   QStringLiteral("DejaVu Sans")});
  return faces;
}

QFont DialogFont(double points, bool bold) { return Face(DialogFaces(), QFont::SansSerif, points, bold); }

QFont SerifFont(double points, bool bold) {
  static const QStringList faces = ChosenFaces(Faces(resources::kSerifFaces));
  return Face(faces, QFont::Serif, points, bold);
}

}  // namespace tambril
