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

bool ContainsNoCase(const QString& text, const QString& needle) {
  return text.contains(needle, Qt::CaseInsensitive);
}

QColor BgrColor(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QFont DialogFont(double points, bool bold) {
  static const bool substituted = [] {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    return true;
  }();
  (void)substituted;
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace tambril
