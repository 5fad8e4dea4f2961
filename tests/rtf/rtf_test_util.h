#pragma once
// Helpers shared by the RTF reader tests.
#include <QFile>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

#include "viewer/rtf/rtf_reader.h"

namespace tambril::rtf::test {

inline std::unique_ptr<QTextDocument> Load(QByteArrayView rtf) {
  auto doc = std::make_unique<QTextDocument>();
  LoadRtf(rtf, *doc);
  return doc;
}

inline QString Text(QByteArrayView rtf) { return Load(rtf)->toPlainText(); }

// The document's text with paragraph ends and line breaks as '\n', pictures
// left out and every other character as it is (unlike toPlainText, which
// turns no-break spaces into spaces).
inline QString RawText(const QTextDocument& doc) {
  QString text = doc.toRawText();
  text.remove(QChar::ObjectReplacementCharacter);
  text.replace(QChar::ParagraphSeparator, u'\n');
  text.replace(QChar::LineSeparator, u'\n');
  return text;
}

// The format of the character at `position`.
inline QTextCharFormat FormatAt(const QTextDocument& doc, int position) {
  QTextCursor cursor(const_cast<QTextDocument*>(&doc));
  cursor.setPosition(position);
  cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
  return cursor.charFormat();
}

// The format of the first occurrence of `word`; fails the test if absent.
inline QTextCharFormat FormatOf(const QTextDocument& doc, const QString& word) {
  const int at = doc.toPlainText().indexOf(word);
  EXPECT_GE(at, 0) << "missing: " << word.toStdString();
  return FormatAt(doc, std::max(at, 0));
}

inline QTextBlockFormat BlockOf(const QTextDocument& doc, const QString& word) {
  const int at = doc.toPlainText().indexOf(word);
  EXPECT_GE(at, 0) << "missing: " << word.toStdString();
  return doc.findBlock(std::max(at, 0)).blockFormat();
}

inline QString Family(const QTextCharFormat& f) {
  const QStringList families = f.fontFamilies().toStringList();
  return families.isEmpty() ? QString() : families.first();
}

inline QByteArray Fixture(const char* name) {
  QFile file(QStringLiteral(TAMBRIL_RTF_FIXTURES "/") + QString::fromUtf8(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return file.readAll();
}

}  // namespace tambril::rtf::test

// Lets gtest print QStrings readably in failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
