#include "coding_dialogs/coding_names.h"

#include "codec/names.h"

namespace tambril {

std::optional<QString> OverwriteAfterFirstDot(const QString& text, const QString& letters) {
  const auto proposed = codec::ProposedPath(text.toStdString(), letters.toStdString());
  if (!proposed) return std::nullopt;
  return QString::fromStdString(*proposed);
}

std::uint64_t LeadingNumber(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == QLatin1Char(' ')) ++i;
  std::uint64_t n = 0;
  for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80; ++i) {
    n = n * 10 + static_cast<std::uint64_t>(text[i].unicode() - u'0');
  }
  return n;
}

}  // namespace tambril
