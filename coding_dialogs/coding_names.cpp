#include "coding_dialogs/coding_names.h"

#include "codec/names.h"

namespace tambril {

std::optional<QString> OverwriteAfterFirstDot(const QString& text, const QString& letters) {
  const auto proposed = codec::ProposedPath(text.toStdString(), letters.toStdString());
  if (!proposed) return std::nullopt;
  return QString::fromStdString(*proposed);
}

QString ExtensionTag(const QString& loadedPath) { return loadedPath.right(3); }

QString TagForFileName(const QString& tag) {
  QString safe = tag;
  for (QChar& c : safe) {
    const bool separator = c == QLatin1Char('/') || c == QLatin1Char('\\');
    if (separator || c.category() == QChar::Other_Control) c = QLatin1Char('_');
  }
  return safe;
}

}  // namespace tambril
