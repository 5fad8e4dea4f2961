#pragma once
// A read-only view of a file's bytes as 8-bit text: each byte is one
// Windows-1252 character, so a character index is a byte offset. It keeps
// only the bytes and a sparse index of line starts and draws just the lines
// in sight, so that files of many megabytes open at once. Lines wrap at the
// width of the view; control characters (NUL included) are drawn as small
// boxes and never end the text.
#include <QAbstractScrollArea>
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace tambril {

class PlainTextView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit PlainTextView(QWidget* parent = nullptr);

  void setBytes(QByteArray bytes);
  const QByteArray& bytes() const { return bytes_; }
  qint64 length() const { return bytes_.size(); }
  // The characters [start, start + count) as text.
  QString text(qint64 start, qint64 count) const;

  // The first match of `word` at or after `from`, or -1, by the rules of the
  // rich-text box's find: without match case letters compare case-folded; a
  // no-break space in the text is read as a space; a whole word has no
  // letter or digit on either side, and after an occurrence that is not one
  // the search goes on one character after its end.
  qint64 find(const QString& word, qint64 from, bool wholeWord, bool matchCase) const;

  void select(qint64 start, qint64 count);
  qint64 selectionStart() const { return selStart_; }
  qint64 selectionLength() const { return selLength_; }

  // Number of display lines at the present width.
  qint64 lineCount() const { return lineCount_; }
  // The first character of display line `line`.
  qint64 lineStart(qint64 line) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The start of the display line after the one that starts at `pos`.
  qint64 nextLineStart(qint64 pos) const;
  void relayout();
  void updateScrollBar();
  qint64 lineOf(qint64 pos) const;
  qint64 hitTest(const QPoint& p) const;
  void ensureVisible(qint64 pos);
  void copySelection() const;

  QByteArray bytes_;
  // The last searched word, ready for the next search.
  struct Prepared {
    QString word;
    bool matchCase = false;
    std::vector<char16_t> needle;
    int starters = 0;
    unsigned char starter = 0;
  };
  mutable Prepared prepared_;
  int columns_ = 80;
  int cellWidth_ = 8;
  int lineHeight_ = 16;
  // Start of every kEvery-th display line.
  static constexpr int kEvery = 64;
  std::vector<qint64> checkpoints_;
  qint64 lineCount_ = 1;
  qint64 selStart_ = 0;
  qint64 selLength_ = 0;
  qint64 anchor_ = 0;
};

}  // namespace tambril
