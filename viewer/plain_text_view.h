#pragma once
// A read-only view of a file's bytes as 8-bit text: each byte is one
// Windows-1252 character, so a character index is a byte offset. It is drawn
// in the text box's own proportional font; lines break at spaces (a word is
// broken only where it alone is wider than the view), tabs reach the next
// tab stop, and control characters (NUL included) are drawn as small boxes
// and never end the text. A caret and a selection are moved by mouse and
// keys as in any read-only text box.
//
// Files of hundreds of megabytes open and re-wrap at once: the text is seen
// as blocks (a line up to its line end, "\n", "\r\n" or "\r"; a longer line
// is cut into blocks of at most 16 KiB, at a space where there is one), and
// only the blocks in sight are laid out. A sparse index of block starts,
// one about every 16 KiB, is built at load. The scroll bar counts bytes: its
// value is the first character of the top line.
#include <QAbstractScrollArea>
#include <QByteArray>
#include <QRawFont>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>
#include "platform/platform.h"

namespace tambril {

class PlainTextView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // `platform` takes the copied text.
  explicit PlainTextView(tambril::platform::Platform& platform, QWidget* parent = nullptr);

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

  // Selects [start, start + count), puts the caret at its end and scrolls
  // it into view.
  void select(qint64 start, qint64 count);
  qint64 selectionStart() const { return std::min(anchor_, caret_); }
  qint64 selectionLength() const { return std::abs(caret_ - anchor_); }
  qint64 caretPosition() const { return caret_; }
  // Moves the caret to `pos`; with `keepAnchor` the selection stretches
  // from the anchor to it, otherwise it is emptied. Scrolls it into view.
  void setCaretPosition(qint64 pos, bool keepAnchor = false);

  // The first character of the top line in view.
  qint64 topPosition() const { return top_; }
  // The first character of every line in view, from the top.
  std::vector<qint64> visibleLineStarts() const;
  int lineHeight() const { return lineHeight_; }
  // Where character `pos` is drawn, in viewport coordinates; a null rectangle
  // when its line is not in view. The line end has the width of a space.
  QRect characterRect(qint64 pos) const;
  // The character drawn at `point` (viewport coordinates), or -1.
  qint64 characterAt(const QPoint& point) const;
  // How many blocks have been laid out since the text was set.
  qint64 layoutsDone() const { return layoutsDone_; }
  // Entries of the index of block starts.
  std::size_t indexSize() const { return checkpoints_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  tambril::platform::Platform& platform_;
  // A block of text: [start, textEnd) is shown, [textEnd, end) is its line
  // end (empty for a long line cut into blocks and for the last block).
  struct Block {
    qint64 start = 0;
    qint64 textEnd = 0;
    qint64 end = 0;
    bool operator==(const Block& o) const { return start == o.start; }
  };
  // The display lines of a block: the offsets of their starts from the
  // block's start, the first being 0.
  using Layout = std::vector<int>;
  // One display line.
  struct Line {
    Block block;
    std::shared_ptr<const Layout> layout;
    int index = 0;
    qint64 start() const { return block.start + (*layout)[static_cast<std::size_t>(index)]; }
    // The end of its shown characters.
    qint64 end() const {
      return index + 1 < static_cast<int>(layout->size()) ? block.start + (*layout)[static_cast<std::size_t>(index) + 1]
                                                          : block.textEnd;
    }
    bool lastOfBlock() const { return index + 1 == static_cast<int>(layout->size()); }
  };

  // Blocks.
  Block blockFrom(qint64 start) const;
  Block blockContaining(qint64 pos) const;
  bool nextBlock(Block& b) const;
  bool previousBlock(Block& b) const;
  void buildIndex();

  // Layout.
  void resetMetrics();
  double textWidth() const;
  double advance(unsigned char b, double x) const;
  std::shared_ptr<const Layout> layoutOf(const Block& b) const;
  void clearLayouts();
  Line lineAt(const Block& b, int index) const;
  // The line that shows `pos`; `afterWrap` picks the end of the line before
  // when `pos` is where a long line wraps.
  Line lineOf(qint64 pos, bool afterWrap = false) const;
  bool nextLine(Line& l) const;
  bool previousLine(Line& l) const;
  // The x of the left edge of each character of `l` from its start, with
  // the end of the line as the last entry.
  std::vector<double> edges(const Line& l) const;
  qint64 positionInLine(const Line& l, double x, bool nearestGap) const;

  // View.
  int visibleRows() const;
  void setTop(qint64 top);
  void scrollLines(qint64 lines);
  void updateScrollBar();
  void ensureCaretVisible(bool centre);
  void moveCaret(qint64 pos, bool keepAnchor, bool afterWrap = false);
  void caretOrSelectionChanged(qint64 oldAnchor, qint64 oldCaret);
  void barAction(int action);
  void barMoved(int value);
  qint64 hitTest(const QPoint& p, bool* afterWrap) const;
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

  // Block starts, about one every 16 KiB, rising.
  std::vector<qint64> checkpoints_{0};
  mutable std::unordered_map<qint64, std::shared_ptr<const Layout>> layouts_;
  mutable qint64 layoutsDone_ = 0;

  // Metrics of the font.
  std::array<double, 256> advances_{};
  std::array<quint32, 256> glyphs_{};
  QRawFont rawFont_;
  double boxWidth_ = 7;
  double spaceWidth_ = 4;
  double layoutWidth_ = 0;  // the width lines are wrapped at
  qint64 lastTop_ = 0;      // the top line's start when the end is in view
  int lineHeight_ = 16;
  int ascent_ = 12;

  qint64 top_ = 0;
  qint64 anchor_ = 0;
  qint64 caret_ = 0;
  bool caretAfterWrap_ = false;  // the caret stands at the end of a wrapped line
  double goalX_ = -1;            // where up and down keys aim, or -1
  bool settingBar_ = false;
  int wheelDelta_ = 0;  // of the wheel, not yet scrolled
};

}  // namespace tambril
