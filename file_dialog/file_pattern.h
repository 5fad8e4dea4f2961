#pragma once
// The file dialog's file types as patterns of names.
#include <QRegularExpression>
#include <QString>
#include <vector>

namespace tambril {

// A file-type pattern such as "*.txt" or "*.tmb;*.txt": "*" stands for any
// run of characters, "?" for one, letters match in either case, and "*.*"
// matches every name, with or without a dot.
class FilePattern {
 public:
  // Whether the file list accepts `text` as a pattern: no folder separators,
  // no characters that no file name may hold ("<>:\"|" and control codes).
  // An empty text means every file.
  static bool IsAcceptable(const QString& text);
  // `text` must be acceptable.
  explicit FilePattern(const QString& text = QStringLiteral("*.*"));
  bool matches(const QString& name) const;
  const QString& text() const { return text_; }

 private:
  QString text_;
  std::vector<QRegularExpression> parts_;
};

}  // namespace tambril
