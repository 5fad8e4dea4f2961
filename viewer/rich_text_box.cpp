#include "viewer/rich_text_box.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "platform/platform.h"
#include "viewer/plain_text_view.h"
#include "viewer/rtf/rtf_reader.h"
#include "widget_kit/text_rules.h"

namespace tambril {
namespace {

// Once the text being read holds this many characters or paragraphs, a copy
// of it is shown while the rest is read: the first page of a large file is
// there at once.
constexpr int kPreviewLength = 200000;
constexpr int kPreviewParagraphs = 20000;

struct Cancelled {};

// The text box of formatted text; it also draws the shading and borders of
// table cells, which the text layout knows nothing of.
class RichView final : public QTextEdit {
 public:
  using QTextEdit::QTextEdit;

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QPointF offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRectF area = QRectF(event->rect()).translated(offset);
    {
      QPainter painter(viewport());
      painter.translate(-offset);
      rtf::DrawTableCells(painter, *document(), area, true);
    }
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.translate(-offset);
    rtf::DrawTableCells(painter, *document(), area, false);
  }
};

}  // namespace

// A formatted text being read beside the window thread. The reader builds
// the document there and hands over a copy of its start, then the whole;
// both are moved to the window thread before they are handed over.
struct RichTextBox::Loading {
  QByteArray rtf;
  std::atomic<bool> cancel{false};
  std::mutex mutex;
  QTextDocument* preview = nullptr;  // under mutex, until taken
  QTextDocument* whole = nullptr;    // under mutex, until taken
  bool ended = false;                // under mutex
  std::thread worker;
};

RichTextBox::RichTextBox(platform::Platform& platform, QWidget* parent) : QStackedWidget(parent), platform_(platform) {
  setObjectName(QStringLiteral("RichTextBox1"));
  rich_ = new RichView(this);
  rich_->setReadOnly(true);
  rich_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  rich_->setFont(DialogFont(9.75));
  plain_ = new PlainTextView(platform_, this);
  addWidget(rich_);
  addWidget(plain_);
  rich_->installEventFilter(this);
  rich_->viewport()->installEventFilter(this);
  plain_->installEventFilter(this);
  pendingTimer_ = new QTimer(this);
  pendingTimer_->setInterval(20);
  connect(pendingTimer_, &QTimer::timeout, this, &RichTextBox::applyPendingSelection);
  clear();
}

RichTextBox::~RichTextBox() { cancelLoading(); }

void RichTextBox::cancelLoading() {
  dropPendingSelection();
  shownPreview_ = false;
  if (!loading_) return;
  loading_->cancel = true;
  loading_->worker.join();
  {
    std::lock_guard lock(loading_->mutex);
    delete loading_->preview;
    delete loading_->whole;
  }
  loading_.reset();
}

void RichTextBox::clear() {
  cancelLoading();
  notice_ = false;
  // An empty rich text in MS Sans Serif, 10 points.
  auto* doc = rich_->document();
  doc->clear();
  doc->setDefaultFont(DialogFont(10));
  blockCache_ = {};
  plain_->setBytes({});
  setCurrentWidget(rich_);
}

void RichTextBox::loadRtf(QByteArray rtf) {
  cancelLoading();
  notice_ = false;
  plain_->setBytes({});
  blockCache_ = {};
  setCurrentWidget(rich_);
  auto loading = std::make_shared<Loading>();
  loading->rtf = std::move(rtf);
  loading_ = loading;
  const QFont font = DialogFont(10);
  QThread* const windowThread = thread();
  RichTextBox* const self = this;  // outlives the worker: cancelLoading joins it
  loading->worker = std::thread([loading, font, windowThread, self] {
    const auto handOver = [&](QTextDocument* preview, QTextDocument* whole) {
      {
        std::lock_guard lock(loading->mutex);
        loading->preview = preview;
        loading->whole = whole;
        loading->ended = whole != nullptr;
      }
      QMetaObject::invokeMethod(self, &RichTextBox::takeLoaded, Qt::QueuedConnection);
    };
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    bool previewGiven = false;
    int paragraphs = 0;
    try {
      rtf::LoadRtf(loading->rtf, *doc, [&](int length) {
        if (loading->cancel) throw Cancelled{};
        if (!previewGiven && (length >= kPreviewLength || ++paragraphs >= kPreviewParagraphs)) {
          previewGiven = true;
          QTextDocument* preview = doc->clone();
          preview->moveToThread(windowThread);
          handOver(preview, nullptr);
        }
      });
    } catch (const Cancelled&) {
      return;
    } catch (const std::bad_alloc&) {
      // Too large to build formatted: the text alone, without its formats.
      doc.reset();
      try {
        doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(font);
        doc->setPlainText(rtf::RtfToPlainText(loading->rtf));
      } catch (const std::bad_alloc&) {
        doc = std::make_unique<QTextDocument>();
      }
    }
    loading->rtf = QByteArray();
    doc->moveToThread(windowThread);
    handOver(nullptr, doc.release());
  });
  // The window thread shows the busy pointer and keeps repainting until
  // there is something to show.
  waitForLoading(false);
}

void RichTextBox::waitForWholeText() { waitForLoading(true); }

void RichTextBox::takeLoaded() {
  if (!loading_) return;
  QTextDocument* doc = nullptr;
  bool ended = false;
  {
    std::lock_guard lock(loading_->mutex);
    doc = loading_->whole ? loading_->whole : loading_->preview;
    loading_->whole = loading_->preview = nullptr;
    ended = loading_->ended;
  }
  if (doc) showDocument(doc);
  if (ended) {
    loading_->worker.join();
    loading_.reset();
  }
  if (waitLoop_) waitLoop_->quit();
}

void RichTextBox::showDocument(QTextDocument* doc) {
  // The whole text after its start: the place in it and the selection stay.
  // The box deletes a document of its own when given another.
  const QPointer<QTextDocument> old = rich_->document();
  const QTextCursor cursor = rich_->textCursor();
  const int anchor = cursor.anchor();
  const int position = cursor.position();
  const int scrolled = rich_->verticalScrollBar()->value();
  const bool sameText = shownPreview_;
  doc->setParent(this);
  doc->setUndoRedoEnabled(false);
  rich_->setDocument(doc);
  rtf::RegisterPictureFrames(*doc);
  if (old && old->parent() == this) delete old.data();
  blockCache_ = {};
  shownPreview_ = loading_ && !loading_->ended;
  if (sameText) {
    QTextCursor c(doc);
    c.setPosition(std::min(anchor, doc->characterCount() - 1));
    c.setPosition(std::min(position, doc->characterCount() - 1), QTextCursor::KeepAnchor);
    rich_->setTextCursor(c);
    rich_->verticalScrollBar()->setValue(scrolled);
  } else {
    rich_->moveCursor(QTextCursor::Start);
  }
}

void RichTextBox::waitForLoading(bool whole) {
  const auto done = [&] { return !loading_ || (!whole && shownPreview_); };
  if (done()) return;
  QWidget* shownIn = window();
  platform_.setPointer(shownIn, platform::Pointer::Busy);
  QEventLoop loop;
  waitLoop_ = &loop;
  while (!done()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  waitLoop_ = nullptr;
  platform_.setPointer(shownIn, platform::Pointer::Normal);
}

void RichTextBox::loadPlain(QByteArray bytes) {
  cancelLoading();
  notice_ = false;
  rich_->document()->clear();
  blockCache_ = {};
  plain_->setBytes(std::move(bytes));
  setCurrentWidget(plain_);
}

void RichTextBox::showTooLarge(std::int64_t size) {
  cancelLoading();
  notice_ = true;
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
  if (TooLargeToShow(size)) return Display::TooLarge;
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
  // Inside an edit block a cursor does not ask the layout where its
  // position lies, which would lay out all the text before it.
  c.beginEditBlock();
  c.setPosition(static_cast<int>(start));
  c.setPosition(static_cast<int>(start + count), QTextCursor::KeepAnchor);
  c.endEditBlock();
  return c;
}

std::int64_t RichTextBox::find(const QString& text, std::int64_t start, int options) {
  waitForWholeText();
  const std::int64_t at = locate(text, start, options);
  if (at >= 0) select(at, text.size());
  return at;
}

std::int64_t RichTextBox::locate(const QString& text, std::int64_t start, int options) const {
  if (notice_ || text.isEmpty() || start < 0 || start > textLength()) return -1;
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
    if (blockCache_.doc != doc || blockCache_.revision != doc->revision() ||
        blockCache_.number != block.blockNumber()) {
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
      if (wholeWord &&
          ((at > 0 && t.at(at - 1).isLetterOrNumber()) || (end < t.size() && t.at(end).isLetterOrNumber()))) {
        offset = end + 1;
        continue;
      }
      return block.position() + at;
    }
  }
  return -1;
}

void RichTextBox::select(std::int64_t start, std::int64_t count) {
  waitForLoading(true);
  if (isPlain()) {
    plain_->select(start, count);
    return;
  }
  dropPendingSelection();
  const std::int64_t len = textLength();
  start = std::clamp<std::int64_t>(start, 0, len);
  count = std::clamp<std::int64_t>(count, 0, len - start);
  const QTextBlock last = rich_->document()->findBlock(static_cast<int>(start + count));
  if (last.isValid() && last.layout() && last.layout()->lineCount() == 0) {
    pending_ = {start, count};
    platform_.setPointer(window(), platform::Pointer::Busy);
    pendingTimer_->start();
    return;
  }
  rich_->setTextCursor(richRange(start, count));
  rich_->ensureCursorVisible();
}

void RichTextBox::applyPendingSelection() {
  if (pending_.start < 0) {
    dropPendingSelection();
    return;
  }
  const QTextBlock last = rich_->document()->findBlock(static_cast<int>(pending_.start + pending_.count));
  if (last.isValid() && last.layout() && last.layout()->lineCount() == 0) return;
  const PendingSelection p = pending_;
  dropPendingSelection();
  rich_->setTextCursor(richRange(p.start, p.count));
  rich_->ensureCursorVisible();
}

void RichTextBox::dropPendingSelection() {
  if (!pendingTimer_->isActive() && pending_.start < 0) return;
  pendingTimer_->stop();
  pending_ = {};
  platform_.setPointer(window(), platform::Pointer::Normal);
}

std::int64_t RichTextBox::selectionStart() const {
  if (isPlain()) return plain_->selectionStart();
  return pending_.start >= 0 ? pending_.start : rich_->textCursor().selectionStart();
}

std::int64_t RichTextBox::selectionLength() const {
  if (isPlain()) return plain_->selectionLength();
  if (pending_.start >= 0) return pending_.count;
  const QTextCursor c = rich_->textCursor();
  return c.selectionEnd() - c.selectionStart();
}

QString RichTextBox::selectedText() const { return text(selectionStart(), selectionLength()); }

bool RichTextBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == rich_ || watched == plain_)) {
    emit keyDown(static_cast<QKeyEvent*>(event)->key());
  }
  // The user moves the text cursor himself: a selection still waiting for
  // the layout is given up.
  if ((event->type() == QEvent::KeyPress && watched == rich_) ||
      (event->type() == QEvent::MouseButtonPress && watched == rich_->viewport()))
    dropPendingSelection();
  return QStackedWidget::eventFilter(watched, event);
}

}  // namespace tambril
