#include "viewer/plain_text_view.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "codec/cp1252.h"
#include "platform/platform.h"
#include "widget_kit/text_rules.h"

namespace tambril {
namespace {

// A line without a line end is cut into blocks of at most this many bytes,
// so that no layout ever walks more than this.
constexpr qint64 kMaxBlock = 16384;
// The index holds a block start about this often.
constexpr qint64 kIndexSpacing = 16384;
// Tab stops every 80 pixels, as in a text box.
constexpr double kTabStop = 80;
// Space around the text, as in a text box.
constexpr int kMargin = 4;
// A view squeezed to almost nothing still wraps at this many average
// characters, so that it never splits a large file into one line per byte.
constexpr int kMinColumns = 16;
// Laid-out blocks kept; beyond that the cache starts afresh.
constexpr std::size_t kMaxCachedLayouts = 2048;

QChar CharOf(unsigned char b) { return QChar(static_cast<char16_t>(codec::Cp1252ToUnicode(b))); }

bool IsLineEnd(unsigned char b) { return b == '\n' || b == '\r'; }

// Drawn as a box instead of a glyph.
bool IsControl(unsigned char b) { return codec::IsControl(codec::Cp1252ToUnicode(b)); }

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

// The first line end ("\n" or "\r") in [from, to), or -1.
qint64 FindLineEnd(const char* p, qint64 from, qint64 to) {
  if (from >= to) return -1;
  const auto* nl = static_cast<const char*>(std::memchr(p + from, '\n', static_cast<std::size_t>(to - from)));
  const qint64 limit = nl ? nl - p : to;
  const auto* cr = static_cast<const char*>(std::memchr(p + from, '\r', static_cast<std::size_t>(limit - from)));
  if (cr) return cr - p;
  return nl ? nl - p : -1;
}

}  // namespace

PlainTextView::PlainTextView(platform::Platform& platform, QWidget* parent)
    : QAbstractScrollArea(parent), platform_(platform) {
  setFont(DialogFont(9.75));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &PlainTextView::barAction);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, this, &PlainTextView::barMoved);
  resetMetrics();
  buildIndex();
  updateScrollBar();
}

void PlainTextView::setBytes(QByteArray bytes) {
  const qint64 oldAnchor = anchor_, oldCaret = caret_;
  bytes_ = std::move(bytes);
  buildIndex();
  clearLayouts();
  layoutsDone_ = 0;
  anchor_ = caret_ = top_ = 0;
  caretAfterWrap_ = false;
  goalX_ = -1;
  updateScrollBar();
  setTop(0);
  caretOrSelectionChanged(oldAnchor, oldCaret);
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

// ---- Blocks

PlainTextView::Block PlainTextView::blockFrom(qint64 start) const {
  const qint64 n = length();
  if (start >= n) return {n, n, n};
  const char* p = bytes_.constData();
  // A line end right after the longest block still ends it, so that a line
  // of exactly that length gets no empty line after it.
  const qint64 q = FindLineEnd(p, start, std::min(n, start + kMaxBlock + 1));
  if (q >= 0) {
    const qint64 end = (p[q] == '\r' && q + 1 < n && p[q + 1] == '\n') ? q + 2 : q + 1;
    return {start, q, end};
  }
  if (start + kMaxBlock >= n) return {start, n, n};
  // Cut after the last space of the second half, or else at the limit.
  qint64 cut = start + kMaxBlock;
  const qint64 from = start + kMaxBlock / 2;
  const std::size_t sp = std::string_view(p + from, static_cast<std::size_t>(cut - from)).rfind(' ');
  if (sp != std::string_view::npos) cut = from + static_cast<qint64>(sp) + 1;
  return {start, cut, cut};
}

void PlainTextView::buildIndex() {
  checkpoints_.assign(1, 0);
  const qint64 n = length();
  const char* p = bytes_.constData();
  qint64 last = 0;
  for (qint64 mark = kIndexSpacing; mark < n; mark = last + kIndexSpacing) {
    // After any line end a block starts; only within a long line do the
    // blocks have to be walked.
    qint64 next = -1;
    const qint64 q = FindLineEnd(p, mark, std::min(n, mark + kMaxBlock));
    if (q >= 0) {
      next = (p[q] == '\r' && q + 1 < n && p[q + 1] == '\n') ? q + 2 : q + 1;
    } else {
      Block b = blockFrom(last);
      while (b.end <= mark) b = blockFrom(b.end);
      next = b.end;
    }
    if (next >= n) break;
    checkpoints_.push_back(next);
    last = next;
  }
}

PlainTextView::Block PlainTextView::blockContaining(qint64 pos) const {
  const qint64 n = length();
  if (pos >= n) {
    if (n == 0 || IsLineEnd(static_cast<unsigned char>(bytes_[n - 1]))) return {n, n, n};
    pos = n - 1;
  }
  pos = std::max<qint64>(pos, 0);
  const auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), pos);
  Block b = blockFrom(*(it - 1));
  while (b.end <= pos) b = blockFrom(b.end);
  return b;
}

bool PlainTextView::nextBlock(Block& b) const {
  const qint64 n = length();
  if (b.end < n) {
    b = blockFrom(b.end);
    return true;
  }
  // Text that ends in a line end has one more, empty line.
  if (b.textEnd < b.end) {
    b = {n, n, n};
    return true;
  }
  return false;
}

bool PlainTextView::previousBlock(Block& b) const {
  if (b.start == 0) return false;
  // After a line end, the block before is most often a whole short line
  // that starts after the line end before it; otherwise the blocks are
  // walked from the index.
  const char* p = bytes_.constData();
  const qint64 s = b.start;
  if (IsLineEnd(static_cast<unsigned char>(p[s - 1]))) {
    const qint64 textEnd = (s >= 2 && p[s - 2] == '\r' && p[s - 1] == '\n') ? s - 2 : s - 1;
    const qint64 from = std::max<qint64>(0, textEnd - kMaxBlock - 1);
    qint64 q = textEnd - 1;
    while (q >= from && !IsLineEnd(static_cast<unsigned char>(p[q]))) --q;
    if (q >= from || from == 0) {
      const Block before = blockFrom(q + 1);
      if (before.end == s) {
        b = before;
        return true;
      }
    }
  }
  b = blockContaining(s - 1);
  return true;
}

// ---- Layout

void PlainTextView::resetMetrics() {
  const QFont f = font();
  const QFontMetricsF fm(f);
  rawFont_ = QRawFont::fromFont(f);
  for (int b = 0; b < 256; ++b) {
    const QChar c = CharOf(static_cast<unsigned char>(b));
    advances_[b] = fm.horizontalAdvance(c);
    quint32 glyph = 0;
    int count = 1;
    if (!rawFont_.isValid() || !rawFont_.glyphIndexesForChars(&c, 1, &glyph, &count) || count != 1) glyph = 0;
    glyphs_[b] = glyph;
  }
  spaceWidth_ = std::max(1.0, advances_[' ']);
  boxWidth_ = std::max(4.0, std::round(fm.averageCharWidth()));
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(fm.lineSpacing())));
  ascent_ = static_cast<int>(std::round(fm.ascent()));
  layoutWidth_ = textWidth();
}

double PlainTextView::textWidth() const {
  return std::max(kMinColumns * boxWidth_, static_cast<double>(viewport()->width() - 2 * kMargin));
}

double PlainTextView::advance(unsigned char b, double x) const {
  if (b == '\t') return (std::floor(x / kTabStop) + 1) * kTabStop - x;
  if (IsControl(b)) return boxWidth_;
  return advances_[b];
}

void PlainTextView::clearLayouts() { layouts_.clear(); }

std::shared_ptr<const PlainTextView::Layout> PlainTextView::layoutOf(const Block& b) const {
  if (const auto it = layouts_.find(b.start); it != layouts_.end()) return it->second;
  if (layouts_.size() >= kMaxCachedLayouts) layouts_.clear();
  ++layoutsDone_;
  auto lines = std::make_shared<Layout>(1, 0);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData()) + b.start;
  const int len = static_cast<int>(b.textEnd - b.start);
  const double width = layoutWidth_;
  double x = 0;
  int lineStart = 0;
  int afterSpace = -1;  // just after the last space or tab of the line
  for (int i = 0; i < len; ++i) {
    const unsigned char c = p[i];
    // A line breaks after spaces and tabs. A space may stand out beyond the
    // edge, but no further space, and no tab.
    if (c == ' ' || c == '\t') {
      if ((c == ' ' ? x > width : x + advance(c, x) > width) && i > lineStart) {
        lines->push_back(i);
        lineStart = i;
        x = 0;
      }
      x += advance(c, x);
      afterSpace = i + 1;
      continue;
    }
    const double w = advance(c, x);
    if (x + w > width && i > lineStart) {
      // The word goes to the next line whole, unless it alone fills a line.
      const int at = afterSpace > lineStart ? afterSpace : i;
      lines->push_back(at);
      lineStart = at;
      x = 0;
      for (int k = at; k < i; ++k) x += advance(p[k], x);
      // A word that now fills the new line alone is broken as well.
      if (x + w > width && i > lineStart) {
        lines->push_back(i);
        lineStart = i;
        x = 0;
      }
    }
    x += w;
  }
  layouts_.emplace(b.start, lines);
  return lines;
}

PlainTextView::Line PlainTextView::lineAt(const Block& b, int index) const {
  Line l{b, layoutOf(b), 0};
  l.index = std::clamp(index, 0, static_cast<int>(l.layout->size()) - 1);
  return l;
}

PlainTextView::Line PlainTextView::lineOf(qint64 pos, bool afterWrap) const {
  const Block b = blockContaining(pos);
  Line l = lineAt(b, 0);
  const Layout& lines = *l.layout;
  const int offset = static_cast<int>(std::clamp<qint64>(pos - b.start, 0, b.textEnd - b.start));
  l.index = static_cast<int>(std::upper_bound(lines.begin(), lines.end(), offset) - lines.begin()) - 1;
  if (afterWrap && offset > 0 && l.index > 0 && lines[static_cast<std::size_t>(l.index)] == offset) {
    --l.index;
  } else if (afterWrap && pos == b.start && b.start > 0) {
    // The end of a long line's block before, which has no line end.
    Block prev = b;
    if (previousBlock(prev) && prev.textEnd == pos) return lineAt(prev, std::numeric_limits<int>::max());
  }
  return l;
}

bool PlainTextView::nextLine(Line& l) const {
  if (!l.lastOfBlock()) {
    ++l.index;
    return true;
  }
  Block b = l.block;
  if (!nextBlock(b)) return false;
  l = lineAt(b, 0);
  return true;
}

bool PlainTextView::previousLine(Line& l) const {
  if (l.index > 0) {
    --l.index;
    return true;
  }
  Block b = l.block;
  if (!previousBlock(b)) return false;
  l = lineAt(b, std::numeric_limits<int>::max());
  return true;
}

std::vector<double> PlainTextView::edges(const Line& l) const {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const qint64 start = l.start(), end = l.end();
  std::vector<double> e;
  e.reserve(static_cast<std::size_t>(end - start + 1));
  double x = 0;
  for (qint64 i = start; i < end; ++i) {
    e.push_back(x);
    x += advance(p[i], x);
  }
  e.push_back(x);
  return e;
}

qint64 PlainTextView::positionInLine(const Line& l, double x, bool nearestGap) const {
  const std::vector<double> e = edges(l);
  const qint64 start = l.start();
  const std::size_t count = e.size() - 1;
  if (!nearestGap && x < 0) return -1;
  for (std::size_t i = 0; i < count; ++i) {
    if (x < (nearestGap ? (e[i] + e[i + 1]) / 2 : e[i + 1])) return start + static_cast<qint64>(i);
  }
  if (nearestGap) return l.end();
  // The line end, and the end of the text, are as wide as a space.
  const bool end = l.block.textEnd < l.block.end || l.block.end == length();
  if (l.lastOfBlock() && end && x < e[count] + spaceWidth_) return l.end();
  return -1;
}

// ---- View

int PlainTextView::visibleRows() const { return std::max(1, (viewport()->height() - kMargin) / lineHeight_); }

void PlainTextView::setTop(qint64 top) {
  top_ = lineOf(std::clamp<qint64>(top, 0, lastTop_)).start();
  settingBar_ = true;
  verticalScrollBar()->setValue(static_cast<int>(top_));
  settingBar_ = false;
  viewport()->update();
}

void PlainTextView::scrollLines(qint64 lines) {
  Line l = lineOf(top_);
  for (; lines > 0 && l.start() < lastTop_ && nextLine(l); --lines) {
  }
  for (; lines < 0 && previousLine(l); ++lines) {
  }
  setTop(l.start());
}

void PlainTextView::updateScrollBar() {
  // The top line of the last page; the scroll bar reaches up to it.
  const int rows = visibleRows();
  Line l = lineOf(length());
  for (int k = 1; k < rows && previousLine(l); ++k) {
  }
  lastTop_ = l.start();
  QScrollBar* bar = verticalScrollBar();
  settingBar_ = true;
  bar->setRange(0, static_cast<int>(lastTop_));
  // A page of the text at the end as the page step, which sizes the handle.
  bar->setPageStep(static_cast<int>(std::max<qint64>(1, length() - lastTop_)));
  bar->setSingleStep(1);
  settingBar_ = false;
  if (top_ > lastTop_) setTop(lastTop_);
}

void PlainTextView::barAction(int action) {
  // Steps of the scroll bar go by lines and pages, not by bytes.
  qint64 lines = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      lines = 1;
      break;
    case QAbstractSlider::SliderSingleStepSub:
      lines = -1;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      lines = std::max(1, visibleRows() - 1);
      break;
    case QAbstractSlider::SliderPageStepSub:
      lines = -std::max(1, visibleRows() - 1);
      break;
    default:
      return;
  }
  scrollLines(lines);
  verticalScrollBar()->setSliderPosition(static_cast<int>(top_));
}

void PlainTextView::barMoved(int value) {
  if (settingBar_) return;
  // A dragged handle shows the line that holds the byte it points at.
  top_ = lineOf(std::clamp<qint64>(value, 0, lastTop_)).start();
  viewport()->update();
}

void PlainTextView::scrollContentsBy(int, int) {}

std::vector<qint64> PlainTextView::visibleLineStarts() const {
  std::vector<qint64> starts;
  Line l = lineOf(top_);
  const int rows = visibleRows();
  for (int row = 0; row < rows; ++row) {
    starts.push_back(l.start());
    if (!nextLine(l)) break;
  }
  return starts;
}

void PlainTextView::ensureCaretVisible(bool centre) {
  const Line target = lineOf(caret_, caretAfterWrap_);
  const qint64 targetStart = target.start();
  const int rows = visibleRows();
  Line l = lineOf(top_);
  if (targetStart >= top_) {
    for (int row = 0; row < rows; ++row) {
      if (l.start() == targetStart) return;
      if (!nextLine(l)) break;
    }
  }
  // Out of view: the caret's line goes to the edge it comes from, or a
  // third down the view after a jump.
  const bool above = targetStart < top_;
  const int back = centre ? rows / 3 : (above ? 0 : rows - 1);
  l = target;
  for (int k = 0; k < back && previousLine(l); ++k) {
  }
  setTop(l.start());
}

void PlainTextView::caretOrSelectionChanged(qint64 oldAnchor, qint64 oldCaret) {
  viewport()->update();
  if (oldCaret != caret_) {
    QAccessibleTextCursorEvent event(this, static_cast<int>(caret_));
    QAccessible::updateAccessibility(&event);
  }
  const qint64 oldStart = std::min(oldAnchor, oldCaret), oldEnd = std::max(oldAnchor, oldCaret);
  const qint64 start = selectionStart(), end = start + selectionLength();
  if (oldStart != start || oldEnd != end) {
    QAccessibleTextSelectionEvent event(this, static_cast<int>(start), static_cast<int>(end));
    event.setCursorPosition(static_cast<int>(caret_));
    QAccessible::updateAccessibility(&event);
  }
}

void PlainTextView::moveCaret(qint64 pos, bool keepAnchor, bool afterWrap) {
  const qint64 oldAnchor = anchor_, oldCaret = caret_;
  caret_ = std::clamp<qint64>(pos, 0, length());
  if (!keepAnchor) anchor_ = caret_;
  caretAfterWrap_ = afterWrap;
  ensureCaretVisible(false);
  caretOrSelectionChanged(oldAnchor, oldCaret);
}

void PlainTextView::setCaretPosition(qint64 pos, bool keepAnchor) {
  goalX_ = -1;
  moveCaret(pos, keepAnchor);
}

void PlainTextView::select(qint64 start, qint64 count) {
  const qint64 oldAnchor = anchor_, oldCaret = caret_;
  anchor_ = std::clamp<qint64>(start, 0, length());
  caret_ = std::clamp<qint64>(count, 0, length() - anchor_) + anchor_;
  caretAfterWrap_ = caret_ > anchor_;
  goalX_ = -1;
  ensureCaretVisible(true);
  caretOrSelectionChanged(oldAnchor, oldCaret);
}

QRect PlainTextView::characterRect(qint64 pos) const {
  if (pos < 0 || pos > length()) return {};
  const Line target = lineOf(pos);
  Line l = lineOf(top_);
  const int rows = visibleRows();
  for (int row = 0; row <= rows; ++row) {
    if (l.start() == target.start() && l.block == target.block) {
      const std::vector<double> e = edges(l);
      // A place inside "\r\n" is the line end.
      const auto i = std::min(static_cast<std::size_t>(pos - l.start()), e.size() - 1);
      const double x0 = kMargin + e[i];
      const double x1 = i + 1 < e.size() ? kMargin + e[i + 1] : x0 + spaceWidth_;
      const int left = static_cast<int>(std::floor(x0));
      return QRect(left, kMargin + row * lineHeight_, std::max(1, static_cast<int>(std::ceil(x1)) - left), lineHeight_);
    }
    if (!nextLine(l)) break;
  }
  return {};
}

qint64 PlainTextView::characterAt(const QPoint& point) const {
  if (point.y() < kMargin) return -1;
  Line l = lineOf(top_);
  for (int row = (point.y() - kMargin) / lineHeight_; row > 0; --row) {
    if (!nextLine(l)) return -1;
  }
  return positionInLine(l, point.x() + 0.5 - kMargin, false);
}

qint64 PlainTextView::hitTest(const QPoint& point, bool* afterWrap) const {
  Line l = lineOf(top_);
  for (int row = std::max(0, point.y() - kMargin) / lineHeight_; row > 0 && nextLine(l); --row) {
  }
  const qint64 pos = positionInLine(l, point.x() + 0.5 - kMargin, true);
  *afterWrap = pos == l.end() && !l.lastOfBlock();
  return pos;
}

// ---- Events

void PlainTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (textWidth() != layoutWidth_) {
    // Only what is in sight is laid out anew; the top character stays on top.
    layoutWidth_ = textWidth();
    clearLayouts();
  }
  updateScrollBar();
  setTop(top_);
}

void PlainTextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    resetMetrics();
    clearLayouts();
    updateScrollBar();
    setTop(top_);
  }
}

void PlainTextView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette pal = palette();
  painter.fillRect(viewport()->rect(), pal.base());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const qint64 selStart = selectionStart(), selEnd = selStart + selectionLength();
  const Line caretLine = lineOf(caret_, caretAfterWrap_);
  const bool showCaret = hasFocus();
  const int rows = visibleRows() + 1;
  Line l = lineOf(top_);
  QList<quint32> glyphs;
  QList<QPointF> positions;
  for (int row = 0; row < rows; ++row) {
    const qint64 start = l.start(), end = l.end();
    const std::vector<double> e = edges(l);
    const int y = kMargin + row * lineHeight_;
    const double baseline = y + ascent_;
    // The selection, and the line end when it is selected.
    const qint64 from = std::max(selStart, start), to = std::min(selEnd, end);
    if (from < to) {
      painter.fillRect(
          QRectF(kMargin + e[static_cast<std::size_t>(from - start)], y,
                 e[static_cast<std::size_t>(to - start)] - e[static_cast<std::size_t>(from - start)], lineHeight_),
          pal.highlight());
    }
    if (l.lastOfBlock() && l.block.textEnd < l.block.end && selStart <= end && selEnd > end) {
      painter.fillRect(QRectF(kMargin + e.back(), y, spaceWidth_, lineHeight_), pal.highlight());
    }
    // Every glyph stands at the place that wrapping, mouse and selection
    // use; a string drawn in one piece would drift by kerning and rounding.
    glyphs.clear();
    positions.clear();
    painter.setPen(pal.color(QPalette::Text));
    for (qint64 i = start; i < end; ++i) {
      const unsigned char b = p[i];
      const double x = kMargin + e[static_cast<std::size_t>(i - start)];
      if (b == ' ' || b == '\t') continue;
      if (IsControl(b)) {
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawRect(QRectF(x + 1.5, y + 3.5, boxWidth_ - 3, lineHeight_ - 7));
        painter.setPen(pal.color(QPalette::Text));
      } else if (glyphs_[b] != 0) {
        glyphs.append(glyphs_[b]);
        positions.append(QPointF(x, baseline));
      } else {
        painter.drawText(QPointF(x, baseline), QString(CharOf(b)));
      }
    }
    if (!glyphs.isEmpty()) {
      QGlyphRun run;
      run.setRawFont(rawFont_);
      run.setGlyphIndexes(glyphs);
      run.setPositions(positions);
      painter.drawGlyphRun(QPointF(0, 0), run);
    }
    if (showCaret && l.block == caretLine.block && l.index == caretLine.index) {
      const double x = kMargin + e[static_cast<std::size_t>(std::clamp<qint64>(caret_ - start, 0, end - start))];
      painter.fillRect(QRectF(std::floor(x), y, 1, lineHeight_), pal.color(QPalette::Text));
    }
    if (!nextLine(l)) break;
  }
}

void PlainTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  bool afterWrap = false;
  const qint64 at = hitTest(event->position().toPoint(), &afterWrap);
  goalX_ = -1;
  moveCaret(at, (event->modifiers() & Qt::ShiftModifier) != 0, afterWrap);
}

void PlainTextView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  QPoint pt = event->position().toPoint();
  // Dragging beyond the top or bottom scrolls a line.
  if (pt.y() < 0) {
    scrollLines(-1);
    pt.setY(0);
  } else if (pt.y() >= viewport()->height()) {
    scrollLines(1);
    pt.setY(viewport()->height() - 1);
  }
  bool afterWrap = false;
  const qint64 at = hitTest(pt, &afterWrap);
  moveCaret(at, true, afterWrap);
}

void PlainTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const qint64 at = characterAt(event->position().toPoint());
  if (at < 0 || at >= length()) return;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const auto& word = T().word;
  qint64 start = at, end = at + 1;
  if (IsLineEnd(p[at])) {
    end = at;
  } else if (word[p[at]]) {
    // The whole word; a word is never longer than its block.
    const Block b = blockContaining(at);
    while (start > b.start && word[p[start - 1]]) --start;
    while (end < b.textEnd && word[p[end]]) ++end;
  }
  const qint64 oldAnchor = anchor_, oldCaret = caret_;
  anchor_ = start;
  caret_ = end;
  caretAfterWrap_ = true;
  goalX_ = -1;
  caretOrSelectionChanged(oldAnchor, oldCaret);
}

void PlainTextView::wheelEvent(QWheelEvent* event) {
  // Three lines a notch of 120; finer wheels add up.
  wheelDelta_ += event->angleDelta().y();
  const int lines = wheelDelta_ / 40;
  wheelDelta_ -= lines * 40;
  if (lines != 0) scrollLines(-lines);
  event->accept();
}

void PlainTextView::copySelection() const {
  if (selectionLength() > 0) platform_.setClipboardText(text(selectionStart(), selectionLength()));
}

void PlainTextView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) return copySelection();
  if (event->matches(QKeySequence::SelectAll)) {
    const qint64 oldAnchor = anchor_, oldCaret = caret_;
    anchor_ = 0;
    caret_ = length();
    caretAfterWrap_ = false;
    return caretOrSelectionChanged(oldAnchor, oldCaret);
  }
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
  const auto& word = T().word;
  const qint64 n = length();
  const bool vertical = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down || event->key() == Qt::Key_PageUp ||
                        event->key() == Qt::Key_PageDown;
  if (!vertical) goalX_ = -1;
  switch (event->key()) {
    case Qt::Key_Left: {
      qint64 pos = caret_;
      if (!shift && selectionLength() > 0 && !ctrl) {
        pos = selectionStart();
      } else if (ctrl) {
        // By words, but never further than a block's length at once.
        const qint64 limit = std::max<qint64>(0, pos - kMaxBlock);
        while (pos > limit && !word[p[pos - 1]]) --pos;
        while (pos > limit && word[p[pos - 1]]) --pos;
      } else if (pos > 0) {
        // A line end ("\r\n" too) is one step.
        Block b = blockContaining(pos);
        if (pos > b.start) {
          --pos;
        } else if (previousBlock(b)) {
          pos = b.textEnd < pos ? b.textEnd : pos - 1;
        }
      }
      return moveCaret(pos, shift);
    }
    case Qt::Key_Right: {
      qint64 pos = caret_;
      if (!shift && selectionLength() > 0 && !ctrl) {
        pos = selectionStart() + selectionLength();
      } else if (ctrl) {
        const qint64 limit = std::min(n, pos + kMaxBlock);
        while (pos < limit && word[p[pos]]) ++pos;
        while (pos < limit && !word[p[pos]]) ++pos;
      } else if (pos < n) {
        const Block b = blockContaining(pos);
        pos = pos < b.textEnd ? pos + 1 : b.end;
      }
      return moveCaret(pos, shift);
    }
    case Qt::Key_Home:
      return moveCaret(ctrl ? 0 : lineOf(caret_, caretAfterWrap_).start(), shift);
    case Qt::Key_End: {
      if (ctrl) return moveCaret(n, shift);
      const Line l = lineOf(caret_, caretAfterWrap_);
      return moveCaret(l.end(), shift, !l.lastOfBlock());
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const bool down = event->key() == Qt::Key_Down || event->key() == Qt::Key_PageDown;
      const bool page = event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
      Line l = lineOf(caret_, caretAfterWrap_);
      if (goalX_ < 0)
        goalX_ = edges(l)[static_cast<std::size_t>(std::clamp<qint64>(caret_ - l.start(), 0, l.end() - l.start()))];
      const int lines = page ? std::max(1, visibleRows() - 1) : 1;
      int moved = 0;
      while (moved < lines && (down ? nextLine(l) : previousLine(l))) ++moved;
      // A page key moves the view by as many lines as the caret.
      if (page) scrollLines(down ? moved : -moved);
      qint64 pos = positionInLine(l, goalX_, true);
      if (moved < lines) pos = down ? n : 0;  // no further line: to the end or start
      return moveCaret(pos, shift, pos == l.end() && !l.lastOfBlock() && moved == lines);
    }
    default:
      QAbstractScrollArea::keyPressEvent(event);
  }
}

}  // namespace tambril
