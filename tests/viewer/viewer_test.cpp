// The viewer window and its text box: the resize rule, the menu and F3, and
// the 8-bit text with its find operation.
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

#include "codec/cp1252.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"
#include "viewer/plain_text_view.h"
#include "viewer/rtf/rtf_reader.h"

namespace tambril {
namespace {

class ViewerTest : public test::GuiTest {
 protected:
  Form8& form = Windows::get<Form8>();
  RichTextBox& box = *form.RichTextBox1;
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
  EXPECT_EQ(form.Cancel->text(), QStringLiteral("ABBRECHEN"));
  EXPECT_EQ(form.Search->title(), QStringLiteral("Suchen"));
  EXPECT_EQ(form.Search2->text(), QStringLiteral("Suchen.."));
  EXPECT_EQ(form.SearchF3->text(), QStringLiteral("Suchen F3"));
  EXPECT_TRUE(form.SearchF3->shortcut().isEmpty());
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(ViewerTest, F3InTheBoxSearchesLikeTheMenu) {
  QSignalSpy search(form.SearchF3, &QAction::triggered);
  box.loadPlain("abc");
  const auto closeSearch = [] { test::WhenModal<Form5>([](Form5& s) { s.Command2->click(); }); };
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
  test::WhenModal<Form8>([](Form8& f) { f.Cancel->trigger(); });
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
  EXPECT_EQ(box.selectionStart(), 10);  // a failed find keeps the selection
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

// A large formatted text is read beside the window: its start is shown
// first, and whatever reads the text gets the whole. A new load while one is
// being read replaces it.
TEST_F(ViewerTest, LargeFormattedTextArrivesWhole) {
  QByteArray rtf = "{\\rtf1\\ansi ";
  for (int i = 0; i < 5000; ++i) rtf += "Absatz " + QByteArray::number(i) + " {\\b mit} viel Text davor und danach, damit er lang wird.\\par\n";
  rtf += "Ende}";
  const QString whole = rtf::RtfToPlainText(rtf);
  ASSERT_GT(whole.size(), 300000);
  form.show();
  box.loadRtf(rtf);
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
  EXPECT_EQ(box.text(0, 100), QStringLiteral("neu"));
  QApplication::processEvents();  // a hand-over of the cancelled text changes nothing
  EXPECT_EQ(box.text(0, 100), QStringLiteral("neu"));
  form.hide();
}

TEST_F(ViewerTest, LongLinesWrapAndEveryLineCanBeReached) {
  PlainTextView& view = *box.plainView();
  box.resize(400, 300);
  QByteArray bytes(100000, 'x');
  bytes[50000] = '\n';
  box.loadPlain(bytes);
  EXPECT_GT(view.lineCount(), 100);
  // Line starts rise and the last one is inside the text.
  qint64 previous = -1;
  for (qint64 line = 0; line < view.lineCount(); line += 37) {
    const qint64 start = view.lineStart(line);
    ASSERT_GT(start, previous);
    previous = start;
  }
  EXPECT_LT(view.lineStart(view.lineCount() - 1), bytes.size());
  EXPECT_EQ(view.lineStart(0), 0);
  // Selecting far down scrolls there and paints without trouble.
  box.find("x", 99990, 0);
  view.repaint();
  EXPECT_GT(view.verticalScrollBar()->value(), 0);
  // A squeezed box does not break the text into single characters.
  box.resize(1, 1);
  EXPECT_LT(view.lineCount(), bytes.size() / 8);
}

TEST_F(ViewerTest, MouseAndKeysSelectAndCopyByteOffsets) {
  form.show();
  PlainTextView& view = *box.plainView();
  box.loadPlain(QByteArray("ab\tc\0" "d\r\nzweite Zeile", 20));
  const QFontMetrics fm(view.font());
  const int cell = fm.horizontalAdvance(QLatin1Char('M'));
  const int row = fm.lineSpacing();
  // From the middle of "a" to the middle of "d": the tab counts as one character.
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(2 + cell / 2 - 1, row / 2));
  QTest::mouseMove(view.viewport(), QPoint(2 + 10 * cell + cell / 2 - 1, row / 2));
  QMouseEvent move(QEvent::MouseMove, QPointF(2 + 10 * cell + cell / 2 - 1, row / 2),
                   view.viewport()->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(2 + 10 * cell + cell / 2 - 1, row / 2));
  EXPECT_EQ(box.selectionStart(), 0);
  EXPECT_EQ(box.selectionLength(), 5);  // a b TAB c NUL
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(rec.clipboard, QString::fromUtf16(u"ab\tc\0", 5));
  // A click on the second line lands after the CR LF.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(2 + cell / 4, row + row / 2));
  EXPECT_EQ(box.selectionStart(), 8);
  QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(box.selectionLength(), 20);
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
