#pragma once
// The viewer's text box. It shows an RTF file formatted (a QTextEdit holding
// the document the RTF reader built) or any other file as 8-bit text (a
// PlainTextView over the bytes), and offers what the rest of the program
// uses: replace or empty the whole content, find a word from a character
// index with the options whole word (2) and match case (4), and the
// selection. Keys pressed in it are reported through keyDown().
//
// A formatted text arrives in two steps (its start, then the whole). The
// const members read what is there now and never wait; find(), select()
// and waitForWholeText() wait for the whole, handling events meanwhile.
#include <QByteArray>
#include <QStackedWidget>
#include <cstdint>
#include <memory>

#include "controller/load_file.h"
#include "platform/platform.h"

class QTextCursor;
class QEventLoop;
class QTextDocument;
class QTextEdit;
class QTimer;

namespace tambril {

class PlainTextView;

class RichTextBox : public QStackedWidget {
  Q_OBJECT

 public:
  // Option flags of find().
  enum FindOption { WholeWord = 2, MatchCase = 4 };
  // Larger files are not shown, so that a load stays within a second or
  // two and the memory within about the file's size; the box says so instead.
  static constexpr std::int64_t kMaxShownBytes = tambril::kMaxShownBytes;
  enum class Display { Rich, Plain, TooLarge };
  // How a file of `size` bytes is shown; `rich` tells an RTF file.
  static Display DisplayFor(std::int64_t size, bool rich);

  // `platform` shows the busy pointer and takes copied text.
  explicit RichTextBox(tambril::platform::Platform& platform, QWidget* parent = nullptr);
  ~RichTextBox() override;

  // The empty document the box starts with.
  void clear();
  // Replaces the content with the RTF document `rtf` describes. The document
  // is read beside the window thread; the call returns once its start can be
  // shown, and the rest follows. Everything that reads the text or the
  // selection waits for the whole (busy pointer, repainting meanwhile).
  void loadRtf(QByteArray rtf);
  // Replaces the content with `bytes` as 8-bit text, one character per byte.
  void loadPlain(QByteArray bytes);
  // Replaces the content with a notice for a file too large to show. The
  // notice is no text of the file: a search finds nothing in it.
  void showTooLarge(std::int64_t size);

  // Waits, with the busy pointer, until a formatted text being read is
  // whole (handles events other than user input meanwhile).
  void waitForWholeText();

  // Finds `text` from the 0-based character index `start` to the end; on a
  // match selects it and returns its index, otherwise returns -1 and leaves
  // the selection. An empty `text` never matches. Waits for the whole text.
  std::int64_t find(const QString& text, std::int64_t start, int options);
  // The same search without touching the selection, for counting, in the
  // text as it is now (call waitForWholeText() first).
  std::int64_t locate(const QString& text, std::int64_t start, int options) const;
  // Selects the characters [start, start + count) and scrolls them into
  // view. Waits for the whole text.
  void select(std::int64_t start, std::int64_t count);

  bool isPlain() const;
  std::int64_t textLength() const;
  // The characters [start, start + count) of the content.
  QString text(std::int64_t start, std::int64_t count) const;
  std::int64_t selectionStart() const;
  std::int64_t selectionLength() const;
  QString selectedText() const;

  QTextEdit* richView() const { return rich_; }
  PlainTextView* plainView() const { return plain_; }

 signals:
  // A key went down in the box; the box handles it as well afterwards.
  void keyDown(int key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  // A cursor of the rich text selecting `count` characters from `start`,
  // both kept inside the text.
  QTextCursor richRange(std::int64_t start, std::int64_t count) const;

  struct Loading;
  void cancelLoading();
  // Shows what the reader has handed over (on the window thread).
  void takeLoaded();
  void showDocument(QTextDocument* doc);
  // Handles events other than user input until the text being read is
  // whole, or (whole false) until its start is shown.
  void waitForLoading(bool whole);

  std::int64_t richFind(const QString& word, std::int64_t start, bool wholeWord, bool matchCase) const;
  // Selects in the rich text once the layout has reached the selection.
  void applyPendingSelection();
  void dropPendingSelection();

  QTextEdit* rich_;
  PlainTextView* plain_;
  // The text of the paragraph the last search ended in.
  struct BlockCache {
    const QTextDocument* doc = nullptr;
    int revision = -1;
    int number = -1;
    QString text;
  };
  mutable BlockCache blockCache_;
  std::shared_ptr<Loading> loading_;
  bool shownPreview_ = false;  // the start of the text being read is shown
  // A selection in formatted text beyond what is laid out yet: putting the
  // text cursor there would lay out everything before it at once, which
  // takes seconds in a large text. It waits for the layout, which goes on
  // in steps, and counts as the selection meanwhile.
  struct PendingSelection {
    std::int64_t start = -1;
    std::int64_t count = 0;
  };
  PendingSelection pending_;
  QTimer* pendingTimer_;
  QEventLoop* waitLoop_ = nullptr;
  bool notice_ = false;  // the box shows a notice, not a file's text
};

}  // namespace tambril
