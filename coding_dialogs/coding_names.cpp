#include "coding_dialogs/coding_names.h"

#include "codec/names.h"

namespace tambril {

std::optional<QString> OverwriteAfterFirstDot(const QString& text, const QString& letters) {
  const auto proposed = codec::ProposedPath(text.toStdString(), letters.toStdString());
  if (!proposed) return std::nullopt;
  return QString::fromStdString(*proposed);
}

}  // namespace tambril
