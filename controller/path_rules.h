#pragma once
// Rules of paths and name patterns that the file dialog and the controller
// share; no controls.
#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <vector>

namespace tambril {

// Joins a folder and a name: directly after a folder that already ends in
// the separator (a root such as "/" or "C:\"), with one separator otherwise.
QString JoinPath(const QString& folder, const QString& name);
// The same for a folder and a name as the file system names them.
QByteArray JoinRealPath(const QByteArray& folder, const QByteArray& name);

// A name pattern as the text of a regular expression (not anchored): "*"
// stands for any run of characters, "?" for one, everything else for itself.
QString WildcardRegex(const QString& pattern);

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
