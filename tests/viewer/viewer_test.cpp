// The viewer window and its text box: the resize rule, the menu and F3, and
// the 8-bit text with its find operation.
#include <QFontInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <algorithm>

#include "codec/cp1252.h"
#include "file_dialog/selpr6.h"
#include "session/session.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"
#include "viewer/plain_text_view.h"
#include "viewer/rtf/rtf_reader.h"

namespace tambril {
namespace {

class ViewerTest : public test::GuiTest {
 protected:
  Form8& form = program().viewer();
  RichTextBox& box = *Control<tambril::RichTextBox>(form, "RichTextBox1");
};

TEST(ViewerResizeRule, NeverNegative) {
  EXPECT_EQ(Form8::BoxSizeTwips(11865, 7500), QSize(11505, 6600));
  EXPECT_EQ(Form8::BoxSizeTwips(360, 900), QSize(0, 0));  // exactly the margins
  EXPECT_EQ(Form8::BoxSizeTwips(345, 885), QSize(1, 1));  // below them
  EXPECT_EQ(Form8::BoxSizeTwips(0, 0), QSize(1, 1));
}

TEST_F(ViewerTest, ResizingTheWindowFitsTheBox) {
  form.show();
  form.resize(600, 400);
  const QSize outer = form.frameGeometry().size();
  EXPECT_EQ(form.boxTwips(), QSize(outer.width() * 15 - 360, outer.height() * 15 - 900));
  EXPECT_EQ(box.geometry().topLeft(), QPoint(8, 0));
  EXPECT_EQ(box.width(), (outer.width() * 15 - 360 + 7) / 15);
  // Exactly the margins (24 pixels are 360 twips, 60 are 900) leave nothing;
  // less than them leaves one twip, which is no whole pixel. The rule counts
  // the outer size, frame included.
  const QSize frame = form.frameGeometry().size() - form.geometry().size();
  form.resize(QSize(24, 60) - frame);
  ASSERT_EQ(form.frameGeometry().size(), QSize(24, 60));
  EXPECT_EQ(form.boxTwips(), QSize(0, 0));
  EXPECT_EQ(box.size(), QSize(0, 0));
  form.resize(QSize(20, 30) - frame);
  ASSERT_EQ(form.frameGeometry().size(), QSize(20, 30));
  EXPECT_EQ(form.boxTwips(), QSize(1, 1));
  EXPECT_EQ(box.size(), QSize(0, 0));
  form.resize(QSize(30, 61) - frame);
  EXPECT_EQ(form.boxTwips(), QSize(90, 15));
  EXPECT_EQ(box.size(), QSize(6, 1));
  form.hide();
}

TEST_F(ViewerTest, StartsEmptyWithItsMenu) {
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Window"));
  EXPECT_EQ(box.textLength(), 0);
  EXPECT_FALSE(box.isPlain());
  EXPECT_EQ(box.richView()->document()->defaultFont().pointSizeF(), 10.0);
  EXPECT_EQ(Control<QAction>(form, "Cancel")->text(), QStringLiteral("ABBRECHEN"));
  EXPECT_EQ(Control<QMenu>(form, "Search")->title(), QStringLiteral("Suchen"));
  EXPECT_EQ(Control<QAction>(form, "Search2")->text(), QStringLiteral("Suchen.."));
  EXPECT_EQ(Control<QAction>(form, "SearchF3")->text(), QStringLiteral("Suchen F3"));
  EXPECT_TRUE(Control<QAction>(form, "SearchF3")->shortcut().isEmpty());
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(ViewerTest, F3InTheBoxSearchesLikeTheMenu) {
  QSignalSpy search(Control<QAction>(form, "SearchF3"), &QAction::triggered);
  box.loadPlain("abc");
  const auto closeSearch = [] {
    test::WhenModal<Form5>([](Form5& s) { Control<QPushButton>(s, "Command2")->click(); });
  };
  closeSearch();
  QTest::keyClick(box.plainView(), Qt::Key_F3);
  EXPECT_EQ(search.count(), 1);
  QTest::keyClick(box.plainView(), Qt::Key_F4);
  box.clear();
  closeSearch();
  QTest::keyClick(box.richView(), Qt::Key_F3);
  EXPECT_EQ(search.count(), 2);
}

TEST_F(ViewerTest, CancelHidesAndKeepsTheContent) {
  box.loadPlain("Inhalt");
  box.find("halt", 0, 0);
  test::WhenModal<Form8>([](Form8& f) { Control<QAction>(f, "Cancel")->trigger(); });
  form.exec();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(box.text(0, 6), QStringLiteral("Inhalt"));
  EXPECT_EQ(box.selectionStart(), 2);
  EXPECT_EQ(box.selectionLength(), 4);
}

TEST_F(ViewerTest, EveryByteIsOneCharacter) {
  QByteArray bytes;
  for (int b = 0; b < 256; ++b) bytes.append(static_cast<char>(b));
  bytes.append("\r\nEnde\0x", 8);
  box.loadPlain(bytes);
  ASSERT_TRUE(box.isPlain());
  ASSERT_EQ(box.textLength(), bytes.size());
  const QString text = box.text(0, bytes.size());
  for (int i = 0; i < bytes.size(); ++i) {
    ASSERT_EQ(text[i].unicode(), codec::Cp1252ToUnicode(static_cast<unsigned char>(bytes[i]))) << i;
  }
  // Offsets past a NUL and a CR LF are byte offsets.
  EXPECT_EQ(box.find("Ende", 0, 0), 258);
  EXPECT_EQ(box.find("x", 200, RichTextBox::MatchCase), 263);
  EXPECT_EQ(box.find(QStringLiteral("€"), 0, 0), 0x80);
}

TEST_F(ViewerTest, FindHonoursCaseAndWholeWords) {
  box.loadPlain("Haus haus Hausflur h\xE4user H\xC4USER");
  EXPECT_EQ(box.find("haus", 0, 0), 0);
  EXPECT_EQ(box.selectionStart(), 0);
  EXPECT_EQ(box.selectionLength(), 4);
  EXPECT_EQ(box.find("haus", 1, 0), 5);
  EXPECT_EQ(box.find("haus", 0, RichTextBox::MatchCase), 5);
  EXPECT_EQ(box.find("Haus", 1, RichTextBox::MatchCase), 10);
  EXPECT_EQ(box.find("Haus", 1, RichTextBox::MatchCase | RichTextBox::WholeWord), -1);
  EXPECT_EQ(box.find("haus", 6, RichTextBox::WholeWord), -1);
  EXPECT_EQ(box.selectionStart(), 10);                      // a failed find keeps the selection
  EXPECT_EQ(box.find(QStringLiteral("HÄUSER"), 0, 0), 19);  // umlauts fold too
  EXPECT_EQ(box.find(QStringLiteral("häuser"), 20, RichTextBox::MatchCase), -1);
  EXPECT_EQ(box.find("", 0, 0), -1);
  EXPECT_EQ(box.find(QStringLiteral("日本"), 0, 0), -1);
  EXPECT_EQ(box.find("haus", 999, 0), -1);
  // Overlapping occurrences one character apart.
  box.loadPlain("aaaa");
  EXPECT_EQ(box.find("aa", 0, 0), 0);
  EXPECT_EQ(box.find("aa", 1, 0), 1);
  EXPECT_EQ(box.find("aa", 2, 0), 2);
  EXPECT_EQ(box.find("aa", 3, 0), -1);
}

TEST_F(ViewerTest, RichTextFindsInTheDocument) {
  box.loadRtf("{\\rtf1 abc abc}");
  ASSERT_FALSE(box.isPlain());
  const qint64 first = box.find("abc", 0, 0);
  ASSERT_GE(first, 0);
  EXPECT_EQ(box.selectedText(), QStringLiteral("abc"));
  EXPECT_GT(box.find("abc", first + 1, 0), first);
  // The same rules as for 8-bit text, across paragraphs; a no-break space
  // reads as a space.
  box.loadRtf("{\\rtf1 Haus\\par haus Hausflur\\~haus\\par H\\'c4USER}");
  EXPECT_EQ(box.find("haus", 0, 0), 0);
  EXPECT_EQ(box.find("haus", 1, 0), 5);
  EXPECT_EQ(box.find("Haus", 1, RichTextBox::MatchCase), 10);
  EXPECT_EQ(box.find("haus", 6, RichTextBox::WholeWord), 19);
  EXPECT_EQ(box.find("flur haus", 0, 0), 14);
  EXPECT_EQ(box.find(QStringLiteral("häuser"), 0, 0), 24);
  EXPECT_EQ(box.find(QStringLiteral("häuser"), 0, RichTextBox::MatchCase), -1);
  EXPECT_EQ(box.find("s\nh", 0, 0), -1);  // never across a paragraph end
  // A new text is searched, not the one before.
  box.loadRtf("{\\rtf1 xy Haus}");
  EXPECT_EQ(box.find("haus", 0, 0), 3);
  box.clear();
  EXPECT_EQ(box.textLength(), 0);
  EXPECT_FALSE(box.isPlain());
}

// The read-me the help text names, loaded as a user loads it: formatted,
// with its headings bold, its command lines in a monospaced face and its
// umlauts as written.
TEST_F(ViewerTest, TheReadMeIsShownFormatted) {
  program().fileDialog().OpenFile(QStringLiteral(TAMBRIL_README));
  ASSERT_TRUE(program().session().loaded());
  box.waitForWholeText();
  ASSERT_FALSE(box.isPlain());
  const QString text = box.text(0, box.textLength());
  for (const char* part :
       {"Was Tambril macht", "Wie sicher ist eine .tmb-Datei?", "Dateien, die geheim bleiben: age-Dateien",
        "Die Befehlszeile", "Installieren und entfernen", "tambril-cli decode [--password-stdin] [-o ZIEL] DATEI",
        "Mit Tambril öffnen", "Schaltflächen HILFE"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
  }
  EXPECT_FALSE(text.contains('\\')) << "RTF words shown as text";
  bool boldHeading = false;
  bool monospaced = false;
  for (QTextBlock block = box.richView()->document()->begin(); block.isValid(); block = block.next()) {
    const QTextCharFormat format = block.begin().fragment().charFormat();
    if (block.text() == QStringLiteral("Die Befehlszeile")) boldHeading = format.fontWeight() >= QFont::Bold;
    if (block.text().startsWith(QStringLiteral("tambril-cli encode"))) {
      monospaced = monospaced || QFontInfo(format.font()).fixedPitch();
    }
  }
  EXPECT_TRUE(boldHeading);
  EXPECT_TRUE(monospaced);
}

// A large formatted text is read beside the window: its start is shown
// first, and a reader that waits for it gets the whole. A new load while one
// is being read replaces it.
TEST_F(ViewerTest, LargeFormattedTextArrivesWhole) {
  QByteArray rtf = "{\\rtf1\\ansi ";
  for (int i = 0; i < 5000; ++i)
    rtf += "Absatz " + QByteArray::number(i) + " {\\b mit} viel Text davor und danach, damit er lang wird.\\par\n";
  rtf += "Ende}";
  const QString whole = rtf::RtfToPlainText(rtf);
  ASSERT_GT(whole.size(), 300000);
  form.show();
  box.loadRtf(rtf);
  // Reading what is there never waits: at most the whole, at least the start.
  EXPECT_LE(box.textLength(), whole.size());
  EXPECT_TRUE(box.text(0, 6) == QStringLiteral("Absatz"));
  box.waitForWholeText();
  EXPECT_EQ(box.textLength(), whole.size());
  EXPECT_TRUE(box.text(0, whole.size()) == whole);
  EXPECT_EQ(box.find("Ende", 0, RichTextBox::MatchCase), whole.size() - 4);
  EXPECT_EQ(box.selectedText(), QStringLiteral("Ende"));
  // A selection beyond what is laid out is made once the layout, going on
  // in steps, has reached it.
  for (int step = 0; step < 100000 && !box.richView()->textCursor().hasSelection(); ++step)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_EQ(box.richView()->textCursor().selectedText(), QStringLiteral("Ende"));
  EXPECT_EQ(box.selectionStart(), whole.size() - 4);
  EXPECT_EQ(box.richView()->document()->characterCount(), whole.size() + 1);

  box.loadRtf(rtf);
  box.loadPlain("klein");
  EXPECT_TRUE(box.isPlain());
  EXPECT_EQ(box.text(0, 100), QStringLiteral("klein"));
  box.loadRtf(rtf);
  box.clear();
  EXPECT_EQ(box.textLength(), 0);
  box.loadRtf(rtf);
  box.loadRtf("{\\rtf1 neu}");
  box.waitForWholeText();
  EXPECT_EQ(box.text(0, 100), QStringLiteral("neu"));
  QApplication::processEvents();  // a hand-over of the cancelled text changes nothing
  EXPECT_EQ(box.text(0, 100), QStringLiteral("neu"));
  form.hide();
}

// Lines break after spaces; a word goes to the next line whole unless it
// alone is wider than the view, and no line reaches beyond the view.
TEST_F(ViewerTest, LinesWrapAtSpacesAndEveryLineCanBeReached) {
  form.show();
  PlainTextView& view = *box.plainView();
  box.resize(400, 600);
  QByteArray bytes = "i " + QByteArray(300, 'm') + ' ';  // a long word after a narrow one
  const char* const words[] = {"Datei",
                               "Kennwort",
                               "codiert",
                               "Gr\xF6\xDF"
                               "e",
                               "und",
                               "WWWWWW",
                               "i",
                               "\tTab"};
  for (int i = 0; i < 400; ++i) bytes += QByteArray(words[(i * 7 + i / 3) % 8]) + ' ';
  const qint64 longWord = bytes.size();
  bytes += QByteArray(300, 'm') + " Ende";
  box.loadPlain(bytes);
  const auto checkLines = [&](const char* where) {
    const std::vector<qint64> starts = view.visibleLineStarts();
    ASSERT_GT(starts.size(), 3u) << where;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
      const qint64 s = starts[k], next = starts[k + 1];
      ASSERT_LT(s, next) << where;
      const QByteArray line = bytes.mid(s, next - s);
      if (bytes[next - 1] != ' ' && bytes[next - 1] != '\t') {
        // Broken inside a word: only where the line is that word alone.
        EXPECT_FALSE(line.contains(' ')) << where << " line \"" << line.toStdString() << "\"";
      }
      // The next line's first word would not have fitted.
      const qint64 wordEnd = bytes.indexOf(' ', next);
      if (bytes[next - 1] == ' ' && wordEnd > next && wordEnd - next < 40) {
        const QRect last = view.characterRect(wordEnd - 1);
        EXPECT_GT(view.characterRect(next - 1).right() + (last.right() - view.characterRect(next).left()),
                  view.viewport()->width() - 8)
            << where << " line \"" << line.toStdString() << "\"";
      }
      qint64 lastInk = next - 1;
      while (lastInk > s && (bytes[lastInk] == ' ' || bytes[lastInk] == '\t')) --lastInk;
      EXPECT_LT(view.characterRect(lastInk).right(), view.viewport()->width() - 4) << where;  // inside the margin
    }
  };
  checkLines("start");
  // The word of 300 letters is cut, and only it.
  box.select(longWord, 300);
  bool cut = false;
  for (qint64 s : view.visibleLineStarts()) cut |= s > longWord && s < longWord + 300;
  EXPECT_TRUE(cut);
  checkLines("long word");
  EXPECT_LE(view.topPosition(), longWord + 300);
  // Runs of tabs and spaces wrap as well instead of running out of the view.
  box.loadPlain(QByteArray(100, '\t') + QByteArray(400, ' ') + "x");
  const QRect x = view.characterRect(500);
  ASSERT_FALSE(x.isNull());
  EXPECT_LT(x.right(), view.viewport()->width());

  // Every line of a long text can be reached, the last one included.
  QByteArray big(100000, 'x');
  big[50000] = '\n';
  box.loadPlain(big);
  // The scroll bar's arrows and page steps go by lines; its handle points
  // at a byte, and the line that holds it comes to the top.
  QScrollBar& bar = *view.verticalScrollBar();
  const std::vector<qint64> first = view.visibleLineStarts();
  bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view.topPosition(), first[1]);
  const std::vector<qint64> second = view.visibleLineStarts();
  bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(view.topPosition(), second.back());
  bar.setValue(70000);
  EXPECT_LE(view.topPosition(), 70000);
  EXPECT_GT(view.visibleLineStarts().at(1), 70000);
  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(view.caretPosition(), big.size());
  EXPECT_FALSE(view.characterRect(big.size()).isNull());
  EXPECT_GT(view.verticalScrollBar()->value(), 0);
  qint64 previous = view.topPosition();
  for (int k = 0; k < 20 && view.topPosition() > 0; ++k) {
    QTest::keyClick(&view, Qt::Key_PageUp);
    ASSERT_LT(view.topPosition(), previous);
    previous = view.topPosition();
  }
  box.find("x", 50001, 0);
  const std::vector<qint64> starts = view.visibleLineStarts();
  EXPECT_TRUE(std::find(starts.begin(), starts.end(), 50001) != starts.end());
  // A squeezed box does not break the text into single characters.
  box.resize(1, 300);
  const std::vector<qint64> narrow = view.visibleLineStarts();
  ASSERT_GT(narrow.size(), 2u);
  EXPECT_GE(narrow[1] - narrow[0], 8);
  form.hide();
}

// Changing the width lays out only what is in sight and keeps the top
// character on top; a huge file without line ends or spaces, or with
// nothing but line ends, needs neither a layout of the whole nor an index
// entry per line.
TEST_F(ViewerTest, WidthChangesKeepTheTopAndLayOutOnlyWhatIsSeen) {
  form.show();
  PlainTextView& view = *box.plainView();
  box.resize(600, 400);
  QByteArray text;
  while (text.size() < 4 << 20)
    text += "Ein Absatz mit W\xF6rtern, der so lang ist, dass er umbricht, und noch mehr Text.\r\n";
  box.loadPlain(text);
  box.select(text.size() / 2 + 10, 1);
  for (const int width : {500, 300, 700, 301, 900}) {
    const qint64 top = view.topPosition();
    box.resize(width, 400);
    const std::vector<qint64> starts = view.visibleLineStarts();
    ASSERT_GT(starts.size(), 1u);
    EXPECT_LE(starts[0], top) << width;
    EXPECT_GT(starts[1], top) << width;
  }
  EXPECT_LT(view.layoutsDone(), 1000);  // of 51 000 lines

  const qint64 huge = qint64{64} << 20;
  box.loadPlain(QByteArray(huge, 'x'));
  for (const int width : {500, 300, 700}) box.resize(width, 400);
  view.repaint();
  box.select(huge / 2, 5);
  QTest::keyClick(&view, Qt::Key_PageDown);
  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
  view.repaint();
  EXPECT_EQ(view.caretPosition(), huge);
  EXPECT_LT(view.layoutsDone(), 100);
  EXPECT_LT(view.indexSize(), std::size_t(huge / 8192));

  box.loadPlain(QByteArray(huge / 4, '\n'));
  EXPECT_LT(view.indexSize(), std::size_t(huge / 4 / 8192));
  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(view.topPosition(), huge / 4 - view.visibleLineStarts().size() + 1);
  EXPECT_LT(view.layoutsDone(), 1000);
  form.hide();
}

TEST_F(ViewerTest, MouseAndKeysSelectAndCopyByteOffsets) {
  form.show();
  PlainTextView& view = *box.plainView();
  box.resize(600, 300);
  box.loadPlain(
      QByteArray("ab\tc\0"
                 "d\r\nzweite Zeile W\xE4i",
                 24));
  view.setFocus();
  // Every character, tab, box and line end included, is found where it is
  // drawn, and a click on its left edge puts the caret before it.
  for (qint64 pos = 0; pos <= 24; ++pos) {
    if (pos == 7) continue;  // inside "\r\n"
    const QRect r = view.characterRect(pos);
    ASSERT_FALSE(r.isNull()) << pos;
    EXPECT_EQ(view.characterAt(r.center()), pos) << pos;
    if (pos < 24) {
      QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.topLeft());
      EXPECT_EQ(view.caretPosition(), pos) << pos;
    }
  }
  EXPECT_GT(view.characterRect(2).width(), view.characterRect(1).width());    // the tab to its stop
  EXPECT_GT(view.characterRect(21).width(), view.characterRect(23).width());  // W wider than i
  // From "a" to "d": the tab counts as one character.
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.characterRect(0).topLeft());
  QMouseEvent move(QEvent::MouseMove, view.characterRect(5).topLeft(), view.viewport()->mapToGlobal(QPointF(0, 0)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, view.characterRect(5).topLeft());
  EXPECT_EQ(box.selectionStart(), 0);
  EXPECT_EQ(box.selectionLength(), 5);  // a b TAB c NUL
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(rec.clipboard, QString::fromUtf16(u"ab\tc\0", 5));
  // A click right of the first line's end lands before the CR LF.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(500, view.characterRect(0).center().y()));
  EXPECT_EQ(view.caretPosition(), 6);
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.characterRect(12).center());
  EXPECT_EQ(box.selectedText(), QStringLiteral("zweite"));

  // Keys: a line end is one step, Shift stretches the selection, up and
  // down keep the column.
  QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(box.selectionStart(), 0);
  EXPECT_EQ(box.selectionLength(), 6);
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(view.caretPosition(), 6);
  EXPECT_EQ(box.selectionLength(), 0);
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(view.caretPosition(), 8);
  QTest::keyClick(&view, Qt::Key_Left);
  EXPECT_EQ(view.caretPosition(), 6);
  QTest::keyClick(&view, Qt::Key_Home);
  QTest::keyClick(&view, Qt::Key_Right);
  QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(box.selectionStart(), 1);
  EXPECT_EQ(view.caretPosition(), 9);  // below "b": after "z"
  QTest::keyClick(&view, Qt::Key_Up);
  EXPECT_EQ(view.caretPosition(), 1);
  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(box.selectionStart(), 1);
  EXPECT_EQ(box.selectionLength(), 23);
  QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(box.selectionLength(), 24);

  // Copying gives Unicode: the letters of 0x80 to 0x9F and the umlaut.
  QByteArray high;
  for (int b = 0x80; b <= 0x9F; ++b) high += static_cast<char>(b);
  high += "\xE4";
  box.loadPlain(high);
  QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  ASSERT_EQ(rec.clipboard.size(), high.size());
  for (int i = 0; i < high.size(); ++i) {
    EXPECT_EQ(rec.clipboard[i].unicode(), codec::Cp1252ToUnicode(static_cast<unsigned char>(high[i]))) << i;
  }
  EXPECT_EQ(rec.clipboard.left(1), QStringLiteral("€"));
  EXPECT_EQ(rec.clipboard.right(1), QStringLiteral("ä"));

  // Home and End go to the ends of a wrapped line; page keys move caret and
  // view alike.
  QByteArray many;
  for (int i = 0; i < 2000; ++i) many += "wort ";
  box.loadPlain(many);
  QTest::keyClick(&view, Qt::Key_End);
  const std::vector<qint64> starts = view.visibleLineStarts();
  EXPECT_EQ(view.caretPosition(), starts[1]);
  QTest::keyClick(&view, Qt::Key_Home);
  EXPECT_EQ(view.caretPosition(), 0);
  QTest::keyClick(&view, Qt::Key_PageDown, Qt::ShiftModifier);
  EXPECT_EQ(box.selectionStart(), 0);
  EXPECT_EQ(view.caretPosition(), starts[starts.size() - 1]);
  EXPECT_EQ(view.topPosition(), starts[starts.size() - 1]);
  form.hide();
}

// A selected character is drawn inside its highlighted cell, far along a line
// as well as at its start: the glyphs must not drift away from the cells that
// selection and search use.
TEST_F(ViewerTest, SelectedCharactersAreDrawnInsideTheirHighlight) {
  form.show();
  PlainTextView& view = *box.plainView();
  view.resize(900, 200);
  for (const int column : {0, 70}) {
    box.loadPlain(QByteArray(column, ' ') + "M\xC4" + QByteArray(20, ' '));
    view.select(column, 2);  // "M" and the umlaut, both ink-heavy
    const QImage image = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor highlight = view.palette().color(QPalette::Highlight);
    const int lineHeight = QFontMetrics(view.font()).lineSpacing();
    int hlLeft = image.width(), hlRight = -1, inkLeft = image.width(), inkRight = -1;
    for (int y = 0; y < lineHeight; ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c == highlight) {
          hlLeft = std::min(hlLeft, x);
          hlRight = std::max(hlRight, x);
        } else if (c.red() < 90 && c.green() < 90 && c.blue() < 90) {
          inkLeft = std::min(inkLeft, x);
          inkRight = std::max(inkRight, x);
        }
      }
    }
    ASSERT_GE(hlRight, 0) << "column " << column;
    ASSERT_GE(inkRight, 0) << "column " << column;
    EXPECT_GE(inkLeft, hlLeft) << "column " << column;
    EXPECT_LE(inkRight, hlRight) << "column " << column;
  }
  form.hide();
}

TEST(ViewerDisplay, SizeDecidesHowAFileIsShown) {
  using D = RichTextBox::Display;
  EXPECT_EQ(RichTextBox::DisplayFor(0, true), D::Rich);
  EXPECT_EQ(RichTextBox::DisplayFor(RichTextBox::kMaxShownBytes, true), D::Rich);  // RTF of any size
  EXPECT_EQ(RichTextBox::DisplayFor(RichTextBox::kMaxShownBytes, false), D::Plain);
  EXPECT_EQ(RichTextBox::DisplayFor(RichTextBox::kMaxShownBytes + 1, false), D::TooLarge);
  EXPECT_EQ(RichTextBox::DisplayFor(RichTextBox::kMaxShownBytes + 1, true), D::TooLarge);
}

TEST_F(ViewerTest, TooLargeFilesGetANotice) {
  box.showTooLarge(std::int64_t{1} << 40);
  EXPECT_FALSE(box.isPlain());
  EXPECT_TRUE(box.text(0, 200).startsWith(QStringLiteral("Die Datei ist mit 1099511627776 Byte zu groß")));
}

}  // namespace
}  // namespace tambril
