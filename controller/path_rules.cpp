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

}  // namespace tambril
