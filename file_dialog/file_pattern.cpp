#include "file_dialog/file_pattern.h"

#include "controller/path_rules.h"

namespace tambril {

bool FilePattern::IsAcceptable(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('<') ||
        c == QLatin1Char('>') || c == QLatin1Char(':') || c == QLatin1Char('"') || c == QLatin1Char('|')) {
      return false;
    }
  }
  return true;
}

FilePattern::FilePattern(const QString& text) : text_(text) {
  for (QString part : text.split(QLatin1Char(';'))) {
    part = part.trimmed();
    if (part.isEmpty() && text.trimmed().isEmpty()) part = QStringLiteral("*");
    if (part.isEmpty()) continue;
    if (part == QLatin1String("*.*")) part = QStringLiteral("*");
    parts_.emplace_back(QRegularExpression::anchoredPattern(WildcardRegex(part)),
                        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  }
}

bool FilePattern::matches(const QString& name) const {
  for (const auto& re : parts_) {
    if (re.match(name).hasMatch()) return true;
  }
  return false;
}

}  // namespace tambril
