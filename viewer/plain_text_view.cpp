#include "viewer/plain_text_view.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "codec/cp1252.h"
#include "platform/platform.h"

namespace tambril {
namespace {

constexpr int kTabWidth = 8;
// A view squeezed to almost nothing still wraps at this width, so that it
// never splits a large file into one line per byte.
constexpr int kMinColumns = 16;

QChar CharOf(unsigned char b) { return QChar(static_cast<char16_t>(codec::Cp1252ToUnicode(b))); }

// How many cells byte `b` takes at column `col`: a tab reaches the next tab
// stop, every other byte takes one.
int CellsOf(unsigned char b, int col) { return b == '\t' ? kTabWidth - col % kTabWidth : 1; }

bool IsBreak(unsigned char b) { return b == '\n' || b == '\r'; }

// Drawn as a box instead of a glyph.
bool IsControl(unsigned char b) {
  const char32_t c = codec::Cp1252ToUnicode(b);
  return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// Per byte, the unit a search compares: the character itself, or its case
// folding when letter case does not count. A no-break space is read as a
// plain space, and only letters and digits make up words, as the rich-text
// box's find does it.
struct Tables {
  std::array<char16_t, 256> exact{};
  std::array<char16_t, 256> folded{};
  std::array<bool, 256> word{};
  Tables() {
    for (int b = 0; b < 256; ++b) {
      QChar c = CharOf(static_cast<unsigned char>(b));
      if (c == QChar::Nbsp) c = QLatin1Char(' ');
      exact[b] = c.unicode();
      folded[b] = c.toCaseFolded().unicode();
      word[b] = c.isLetterOrNumber();
    }
  }
};
const Tables& T() {
  static const Tables tables;
  return tables;
}

}  // namespace

PlainTextView::PlainTextView(QWidget* parent) : QAbstractScrollArea(parent) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(9.75);
  setFont(font);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  relayout();
}

void PlainTextView::setBytes(QByteArray bytes) {
  bytes_ = std::move(bytes);
  selStart_ = selLength_ = anchor_ = 0;
  relayout();
  verticalScrollBar()->setValue(0);
  viewport()->update();
}

QString PlainTextView::text(qint64 start, qint64 count) const {
  start = std::clamp<qint64>(start, 0, length());
  count = std::clamp<qint64>(count, 0, length() - start);
  QString out(count, Qt::Uninitialized);
  QChar* d = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData()) + start;
  for (qint64 i = 0; i < count; ++i) d[i] = CharOf(p[i]);
  return out;
}

qint64 PlainTextView::find(const QString& word, qint64 from, bool wholeWord, bool matchCase) const {
  const qint64 n = length();
  const qint64 m = word.size();
  if (m == 0 || from < 0 || from > n) return -1;
  const auto& t = T();
  const std::array<char16_t, 256>& unit = matchCase ? t.exact : t.folded;
  // A count runs one search per match with the same word: prepare it once.
  Prepared& p = prepared_;
  if (p.word != word || p.matchCase != matchCase) {
    p.word = word;
    p.matchCase = matchCase;
    p.needle.resize(static_cast<std::size_t>(m));
    for (qint64 k = 0; k < m; ++k) {
      const QChar c = word[k];
      p.needle[static_cast<std::size_t>(k)] = matchCase ? c.unicode() : c.toCaseFolded().unicode();
    }
    // The bytes that can start a match; a single one is found with memchr.
    p.starters = 0;
    for (int b = 0; b < 256; ++b) {
      if (unit[b] == p.needle[0]) {
        ++p.starters;
        p.starter = static_cast<unsigned char>(b);
      }
    }
  }
  if (p.starters == 0) return -1;
  const std::vector<char16_t>& needle = p.needle;
  const int starters = p.starters;
  const unsigned char starter = p.starter;
  const auto* hay = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const auto matchesAt = [&](qint64 at) {
    for (qint64 k = 1; k < m; ++k) {
      if (unit[hay[at + k]] != needle[static_cast<std::size_t>(k)]) return false;
    }
    return true;
  };
  const auto next = [&](qint64 at) -> qint64 {
    const qint64 last = n - m;  // the last index a match can start at
    if (starters == 1) {
      while (at <= last) {
        const void* hit = std::memchr(hay + at, starter, static_cast<std::size_t>(last - at + 1));
        if (!hit) return -1;
        at = static_cast<const unsigned char*>(hit) - hay;
        if (matchesAt(at)) return at;
        ++at;
      }
      return -1;
    }
    const char16_t first = needle[0];
    for (; at <= last; ++at) {
      if (unit[hay[at]] == first && matchesAt(at)) return at;
    }
    return -1;
  };
  for (qint64 at = next(from); at >= 0; at = next(at + m + 1)) {
    if (!wholeWord) return at;
    if ((at == 0 || !t.word[hay[at - 1]]) && (at + m >= n || !t.word[hay[at + m]])) return at;
    // Not a whole word: the search goes on one character after its end.
  }
  return -1;
}

void PlainTextView::select(qint64 start, qint64 count) {
  selStart_ = std::clamp<qint64>(start, 0, length());
  selLength_ = std::clamp<qint64>(count, 0, length() - selStart_);
  anchor_ = selStart_;
  ensureVisible(selStart_);
  viewport()->update();
}

qint64 PlainTextView::nextLineStart(qint64 pos) const {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const qint64 n = length();
  int col = 0;
  for (qint64 i = pos; i < n; ++i) {
    const unsigned char b = p[i];
    if (b == '\n') return i + 1;
    if (b == '\r') return (i + 1 < n && p[i + 1] == '\n') ? i + 2 : i + 1;
    const int w = CellsOf(b, col);
    if (col > 0 && col + w > columns_) return i;
    col += w;
  }
  return n;
}

void PlainTextView::relayout() {
  const QFontMetrics fm(font());
  cellWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
  lineHeight_ = std::max(1, fm.lineSpacing());
  columns_ = std::max(kMinColumns, (viewport()->width() - 4) / cellWidth_);
  checkpoints_.clear();
  qint64 lines = 0;
  qint64 pos = 0;
  const qint64 n = length();
  do {
    if (lines % kEvery == 0) checkpoints_.push_back(pos);
    ++lines;
    pos = nextLineStart(pos);
  } while (pos < n);
  // Text ending in a line break has one more, empty line.
  if (n > 0 && IsBreak(static_cast<unsigned char>(bytes_[n - 1]))) {
    if (lines % kEvery == 0) checkpoints_.push_back(n);
    ++lines;
  }
  lineCount_ = lines;
  updateScrollBar();
}

qint64 PlainTextView::lineStart(qint64 line) const {
  line = std::clamp<qint64>(line, 0, lineCount_ - 1);
  qint64 pos = checkpoints_[static_cast<std::size_t>(line / kEvery)];
  for (qint64 k = line % kEvery; k > 0; --k) pos = nextLineStart(pos);
  return pos;
}

qint64 PlainTextView::lineOf(qint64 pos) const {
  const auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), pos);
  const auto c = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, it - checkpoints_.begin() - 1));
  qint64 line = static_cast<qint64>(c) * kEvery;
  qint64 start = checkpoints_[c];
  while (line + 1 < lineCount_) {
    const qint64 next = nextLineStart(start);
    if (next > pos) break;
    start = next;
    ++line;
  }
  return line;
}

void PlainTextView::updateScrollBar() {
  const int visible = std::max(1, viewport()->height() / lineHeight_);
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, static_cast<int>(std::max<qint64>(0, lineCount_ - visible)));
  bar->setPageStep(visible);
  bar->setSingleStep(1);
}

void PlainTextView::ensureVisible(qint64 pos) {
  const qint64 line = lineOf(pos);
  const int visible = std::max(1, viewport()->height() / lineHeight_);
  QScrollBar* bar = verticalScrollBar();
  if (line < bar->value() || line >= bar->value() + visible) {
    bar->setValue(static_cast<int>(std::max<qint64>(0, line - visible / 3)));
  }
}

void PlainTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const int columns = std::max(kMinColumns, (viewport()->width() - 4) / cellWidth_);
  if (columns != columns_) {
    const qint64 top = lineStart(verticalScrollBar()->value());
    relayout();
    verticalScrollBar()->setValue(static_cast<int>(lineOf(top)));
  } else {
    updateScrollBar();
  }
}

void PlainTextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) relayout();
}

void PlainTextView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette pal = palette();
  painter.fillRect(viewport()->rect(), pal.base());
  const QFontMetrics fm(font());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const qint64 selEnd = selStart_ + selLength_;
  const int visible = viewport()->height() / lineHeight_ + 1;
  qint64 line = verticalScrollBar()->value();
  qint64 pos = lineStart(line);
  for (int row = 0; row < visible && line < lineCount_; ++row, ++line) {
    const qint64 next = nextLineStart(pos);
    const int y = row * lineHeight_;
    const int baseline = y + fm.ascent();
    int col = 0;
    // Every character is drawn in its own cell: a string drawn in one piece
    // advances by the font's fractional widths (and by other widths for
    // glyphs taken from a fall-back font), so it would drift away from the
    // cells that selection, mouse and wrapping use.
    painter.setPen(pal.color(QPalette::Text));
    for (qint64 i = pos; i < next; ++i) {
      const unsigned char b = p[i];
      if (IsBreak(b)) break;
      const int w = CellsOf(b, col);
      const QRect cell(2 + col * cellWidth_, y, w * cellWidth_, lineHeight_);
      if (i >= selStart_ && i < selEnd) painter.fillRect(cell, pal.highlight());
      if (IsControl(b)) {
        if (b != '\t') {
          painter.setPen(pal.color(QPalette::Mid));
          painter.drawRect(cell.adjusted(2, 4, -3, -4));
          painter.setPen(pal.color(QPalette::Text));
        }
      } else if (b != ' ') {
        painter.drawText(QPoint(cell.x(), baseline), QString(CharOf(b)));
      }
      col += w;
    }
    pos = next;
  }
}

qint64 PlainTextView::hitTest(const QPoint& pt) const {
  const qint64 line = std::clamp<qint64>(verticalScrollBar()->value() + pt.y() / lineHeight_, 0, lineCount_ - 1);
  const qint64 start = lineStart(line);
  const qint64 next = nextLineStart(start);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  int col = 0;
  for (qint64 i = start; i < next; ++i) {
    if (IsBreak(p[i])) return i;
    const int w = CellsOf(p[i], col);
    if (pt.x() < 2 + (col * 2 + w) * cellWidth_ / 2) return i;
    col += w;
  }
  return next;
}

void PlainTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const qint64 at = hitTest(event->position().toPoint());
  if (event->modifiers() & Qt::ShiftModifier) {
    selStart_ = std::min(anchor_, at);
    selLength_ = std::abs(at - anchor_);
  } else {
    anchor_ = selStart_ = at;
    selLength_ = 0;
  }
  viewport()->update();
}

void PlainTextView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const qint64 at = hitTest(event->position().toPoint());
  selStart_ = std::min(anchor_, at);
  selLength_ = std::abs(at - anchor_);
  viewport()->update();
}

void PlainTextView::copySelection() const {
  if (selLength_ > 0) platform::Current().setClipboardText(text(selStart_, selLength_));
}

void PlainTextView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  if (event->matches(QKeySequence::Copy)) {
    copySelection();
  } else if (event->matches(QKeySequence::SelectAll)) {
    selStart_ = anchor_ = 0;
    selLength_ = length();
    viewport()->update();
  } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
    bar->setValue(0);
  } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
    bar->setValue(bar->maximum());
  } else if (event->key() == Qt::Key_Up) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  } else if (event->key() == Qt::Key_Down) {
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  } else if (event->key() == Qt::Key_PageUp) {
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  } else if (event->key() == Qt::Key_PageDown) {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

}  // namespace tambril
