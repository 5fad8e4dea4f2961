#include "viewer/rich_text_box.h"

#include <QKeyEvent>
#include <algorithm>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "platform/text_rules.h"
#include "viewer/plain_text_view.h"
#include "viewer/rtf/rtf_reader.h"

namespace tambril {

RichTextBox::RichTextBox(QWidget* parent) : QStackedWidget(parent) {
  setObjectName(QStringLiteral("RichTextBox1"));
  rich_ = new QTextEdit(this);
  rich_->setReadOnly(true);
  rich_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  rich_->setFont(DialogFont(9.75));
  plain_ = new PlainTextView(this);
  addWidget(rich_);
  addWidget(plain_);
  rich_->installEventFilter(this);
  plain_->installEventFilter(this);
  clear();
}

void RichTextBox::clear() {
  // An empty rich text in MS Sans Serif, 10 points.
  auto* doc = rich_->document();
  doc->clear();
  doc->setDefaultFont(DialogFont(10));
  blockCache_ = {};
  plain_->setBytes({});
  setCurrentWidget(rich_);
}

void RichTextBox::loadRtf(QByteArrayView rtf) {
  QTextDocument* doc = rich_->document();
  doc->setDefaultFont(DialogFont(10));
  rtf::LoadRtf(rtf, *doc);
  rich_->moveCursor(QTextCursor::Start);
  blockCache_ = {};
  plain_->setBytes({});
  setCurrentWidget(rich_);
}

void RichTextBox::loadPlain(QByteArray bytes) {
  rich_->document()->clear();
  blockCache_ = {};
  plain_->setBytes(std::move(bytes));
  setCurrentWidget(plain_);
}

void RichTextBox::showTooLarge(std::int64_t size) {
  plain_->setBytes({});
  auto* doc = rich_->document();
  doc->clear();
  doc->setDefaultFont(DialogFont(10));
  blockCache_ = {};
  rich_->setPlainText(QStringLiteral("Die Datei ist mit%1 Byte zu groß für die Anzeige.\n"
                                     "Sie ist trotzdem geladen und kann codiert und entcodiert werden.")
                          .arg(NumberText(size)));
  setCurrentWidget(rich_);
}

RichTextBox::Display RichTextBox::DisplayFor(std::int64_t size, bool rich) {
  if (size > kMaxShownBytes) return Display::TooLarge;
  return rich ? Display::Rich : Display::Plain;
}

bool RichTextBox::isPlain() const { return currentWidget() == plain_; }

std::int64_t RichTextBox::textLength() const {
  if (isPlain()) return plain_->length();
  // Positions count one for every block break but not the last.
  return rich_->document()->characterCount() - 1;
}

QString RichTextBox::text(std::int64_t start, std::int64_t count) const {
  if (isPlain()) return plain_->text(start, count);
  return richRange(start, count).selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

QTextCursor RichTextBox::richRange(std::int64_t start, std::int64_t count) const {
  const std::int64_t len = textLength();
  start = std::clamp<std::int64_t>(start, 0, len);
  count = std::clamp<std::int64_t>(count, 0, len - start);
  QTextCursor c(rich_->document());
  c.setPosition(static_cast<int>(start));
  c.setPosition(static_cast<int>(start + count), QTextCursor::KeepAnchor);
  return c;
}

std::int64_t RichTextBox::find(const QString& text, std::int64_t start, int options) {
  const std::int64_t at = locate(text, start, options);
  if (at >= 0) select(at, text.size());
  return at;
}

std::int64_t RichTextBox::locate(const QString& text, std::int64_t start, int options) const {
  if (text.isEmpty() || start < 0 || start > textLength()) return -1;
  const bool wholeWord = (options & WholeWord) != 0;
  const bool matchCase = (options & MatchCase) != 0;
  if (isPlain()) return plain_->find(text, start, wholeWord, matchCase);
  return richFind(text, start, wholeWord, matchCase);
}

// The rules of the document's own find, paragraph by paragraph: a no-break
// space reads as a space, a whole word has no letter or digit on either
// side, and after an occurrence that is not one the search goes on one
// character after its end. The document's find copies the paragraph on
// every call, which makes counting in one long paragraph quadratic; here
// the last paragraph's text is kept for the next call.
std::int64_t RichTextBox::richFind(const QString& word, std::int64_t start, bool wholeWord, bool matchCase) const {
  const QTextDocument* doc = rich_->document();
  const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
  QTextBlock block = doc->findBlock(static_cast<int>(start));
  qsizetype offset = static_cast<qsizetype>(start - block.position());
  for (; block.isValid(); block = block.next(), offset = 0) {
    if (blockCache_.doc != doc || blockCache_.revision != doc->revision() || blockCache_.number != block.blockNumber()) {
      blockCache_.text = block.text();
      blockCache_.text.replace(QChar::Nbsp, QLatin1Char(' '));
      blockCache_.doc = doc;
      blockCache_.revision = doc->revision();
      blockCache_.number = block.blockNumber();
    }
    const QString& t = blockCache_.text;
    while (offset >= 0 && offset <= t.size()) {
      const qsizetype at = t.indexOf(word, offset, cs);
      if (at < 0) break;
      const qsizetype end = at + word.size();
      if (wholeWord && ((at > 0 && t.at(at - 1).isLetterOrNumber()) || (end < t.size() && t.at(end).isLetterOrNumber()))) {
        offset = end + 1;
        continue;
      }
      return block.position() + at;
    }
  }
  return -1;
}

void RichTextBox::select(std::int64_t start, std::int64_t count) {
  if (isPlain()) {
    plain_->select(start, count);
    return;
  }
  rich_->setTextCursor(richRange(start, count));
  rich_->ensureCursorVisible();
}

std::int64_t RichTextBox::selectionStart() const {
  return isPlain() ? plain_->selectionStart() : rich_->textCursor().selectionStart();
}

std::int64_t RichTextBox::selectionLength() const {
  if (isPlain()) return plain_->selectionLength();
  const QTextCursor c = rich_->textCursor();
  return c.selectionEnd() - c.selectionStart();
}

QString RichTextBox::selectedText() const { return text(selectionStart(), selectionLength()); }

bool RichTextBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == rich_ || watched == plain_)) {
    emit keyDown(static_cast<QKeyEvent*>(event)->key());
  }
  return QStackedWidget::eventFilter(watched, event);
}

}  // namespace tambril
