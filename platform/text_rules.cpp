#include "platform/text_rules.h"

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

// `family`, with `substitutes` taking its place where it is missing.
QFont Substituted(const QString& family, const QStringList& substitutes, QFont::StyleHint hint, double points,
                  bool bold) {
  if (QFont::substitutes(family).isEmpty()) QFont::insertSubstitutions(family, substitutes);
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setStyleHint(hint);
  return font;
}

}  // namespace

QFont DialogFont(double points, bool bold) {
  return Substituted(QStringLiteral("MS Sans Serif"),
                     {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Tahoma")},
                     QFont::SansSerif, points, bold);
}

QFont SerifFont(double points, bool bold) {
  return Substituted(QStringLiteral("Times New Roman"),
                     {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("Nimbus Roman"),
                      QStringLiteral("DejaVu Serif")},
                     QFont::Serif, points, bold);
}

}  // namespace tambril
