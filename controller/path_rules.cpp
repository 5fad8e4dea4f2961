#include "controller/path_rules.h"

#include <QDir>

namespace tambril {

QString JoinPath(const QString& folder, const QString& name) {
  if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())) return folder + name;
  return folder + QDir::separator() + name;
}

QByteArray JoinRealPath(const QByteArray& folder, const QByteArray& name) {
  return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool FilePattern::IsAcceptable(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('<') ||
        c == QLatin1Char('>') || c == QLatin1Char(':') || c == QLatin1Char('"') || c == QLatin1Char('|')) {
      return false;
    }
  }
  return true;
}

QString WildcardRegex(const QString& pattern) {
  QString re;
  for (const QChar c : pattern) {
    if (c == QLatin1Char('*')) {
      re += QLatin1String(".*");
    } else if (c == QLatin1Char('?')) {
      re += QLatin1Char('.');
    } else {
      re += QRegularExpression::escape(QString(c));
    }
  }
  return re;
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
