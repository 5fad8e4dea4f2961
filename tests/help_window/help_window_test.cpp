// The help window: its menu, the three character sizes with the window
// growing to the left and downwards, placement, copy and closing.
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "help_window/form21.h"
#include "sound/sound_service.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

class HelpWindowTest : public test::GuiTest {
 protected:
  HelpWindowTest() { rec.screen = QRect(0, 0, 1280, 1024); }
  Form21& help = program().helpWindow();

  QString checkedItems() const {
    QStringList on;
    for (QAction* a : Control<QMenu>(help, "Schriftart")->actions()) {
      if (a->isChecked()) on << a->text();
    }
    return on.join(',');
  }
  // Outer left edge, right edge (exclusive) and top, in pixels.
  int left() const { return help.frameGeometry().x(); }
  int right() const { return help.frameGeometry().x() + help.frameGeometry().width(); }
  int top() const { return help.frameGeometry().y(); }
};

TEST_F(HelpWindowTest, StartsSmallAtTheRightEdgeOfTheScreen) {
  EXPECT_EQ(help.windowTitle(), QStringLiteral("HILFE"));
  QStringList entries;
  for (QAction* a : Control<QMenuBar>(help, "MenuBar")->actions()) entries << a->text();
  EXPECT_EQ(entries, QStringList({"ABBRECHEN", "Schriftart", "Copy"}));
  QStringList sizes;
  for (QAction* a : Control<QMenu>(help, "Schriftart")->actions()) sizes << a->text();
  EXPECT_EQ(sizes, QStringList({QStringLiteral("Groß"), "Standard", "Klein"}));
  EXPECT_EQ(checkedItems(), QStringLiteral("Klein"));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->font().pointSizeF(), 8.0);
  EXPECT_TRUE(Control<tambril::HelpTextBox>(help, "Text1")->isReadOnly());
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(help.clientTwips(), QSize(6375, 3345));
  EXPECT_EQ(help.textTwips(), QSize(6135, 3015));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->size(), QSize(409, 201));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->x(), 8);
  EXPECT_EQ(help.width(), 425);
  EXPECT_EQ(help.height(), Control<QMenuBar>(help, "MenuBar")->height() + 223);
  EXPECT_EQ(right(), 1280);
  EXPECT_EQ(top(), (1024 - help.frameGeometry().height()) / 2);
}

TEST_F(HelpWindowTest, SizesChangeByTheirDeltasAndKeepTheRightEdge) {
  const QSize small = help.size();
  const int startTop = top();
  // Klein is already checked: nothing happens.
  Control<QAction>(help, "Klein")->trigger();
  EXPECT_EQ(checkedItems(), QStringLiteral("Klein"));
  EXPECT_EQ(help.characterSize(), Form21::Size::Small);
  EXPECT_EQ(help.size(), small);

  Control<QAction>(help, "Standard")->trigger();
  EXPECT_EQ(checkedItems(), QStringLiteral("Standard"));
  EXPECT_EQ(help.clientTwips(), QSize(6375 + 1500, 3345 + 500));
  EXPECT_EQ(help.textTwips(), QSize(6135 + 1500, 3015 + 500));
  EXPECT_EQ(help.width(), small.width() + 100);
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->font().pointSizeF(), 10.0);
  EXPECT_EQ(right(), 1280);
  EXPECT_EQ(top(), startTop);

  Control<QAction>(help, "Gross")->trigger();
  EXPECT_EQ(checkedItems(), QStringLiteral("Groß"));
  EXPECT_EQ(help.clientTwips(), QSize(6375 + 2500, 3345 + 1000));
  EXPECT_EQ(help.textTwips(), QSize(6135 + 2500, 3015 + 1000));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->font().pointSizeF(), 12.0);
  EXPECT_EQ(right(), 1280);
  EXPECT_EQ(top(), startTop);

  Control<QAction>(help, "Gross")->trigger();  // already checked
  EXPECT_EQ(checkedItems(), QStringLiteral("Groß"));
  EXPECT_EQ(help.clientTwips(), QSize(6375 + 2500, 3345 + 1000));

  // Back to the first size and place exactly.
  Control<QAction>(help, "Klein")->trigger();
  EXPECT_EQ(checkedItems(), QStringLiteral("Klein"));
  EXPECT_EQ(help.size(), small);
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->size(), QSize(409, 201));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->font().pointSizeF(), 8.0);
  EXPECT_EQ(right(), 1280);
  EXPECT_EQ(top(), startTop);

  // Large to medium and medium to small by their own deltas.
  Control<QAction>(help, "Gross")->trigger();
  Control<QAction>(help, "Standard")->trigger();
  EXPECT_EQ(help.clientTwips(), QSize(6375 + 1500, 3345 + 500));
  Control<QAction>(help, "Klein")->trigger();
  EXPECT_EQ(help.clientTwips(), QSize(6375, 3345));
}

TEST_F(HelpWindowTest, AMovedWindowKeepsItsOwnRightEdge) {
  help.move(100, 50);
  const int edge = right();
  Control<QAction>(help, "Gross")->trigger();
  EXPECT_EQ(right(), edge);
  EXPECT_EQ(top(), 50);
  EXPECT_LT(left(), 100);
}

TEST_F(HelpWindowTest, CopyPutsTheWholeTextOnTheClipboardWithSound2) {
  const QString text = QStringLiteral("\r\n Zeile eins \r\nÄrger über Öl\r\n");
  help.SetText(text);
  // A selection plays no part.
  QTextCursor c = Control<tambril::HelpTextBox>(help, "Text1")->textCursor();
  c.setPosition(3);
  c.setPosition(6, QTextCursor::KeepAnchor);
  Control<tambril::HelpTextBox>(help, "Text1")->setTextCursor(c);
  rec.reset();
  Control<QAction>(help, "TeCopy")->trigger();
  EXPECT_EQ(rec.clipboard, text);
  EXPECT_EQ(rec.events, QStringList({"sound 2 play", "clipboard clear", "clipboard set: " + text}));
}

TEST_F(HelpWindowTest, EscAndAbbrechenCloseAndTheSizeStays) {
  Control<tambril::HelpTextBox>(help, "Text1")->setText(QStringLiteral("eins\r\n"));
  test::WhenModal<Form21>([](Form21& h) {
    Control<QAction>(h, "Standard")->trigger();
    Control<tambril::HelpTextBox>(h, "Text1")->setFocus();
    QTest::keyClick(Control<tambril::HelpTextBox>(h, "Text1"), Qt::Key_A);  // ignored
    EXPECT_TRUE(h.isVisible());
    QTest::keyClick(Control<tambril::HelpTextBox>(h, "Text1"), Qt::Key_Escape);
  });
  help.exec();
  EXPECT_FALSE(help.isVisible());
  // Another caller's text, shown in the size chosen before.
  Control<tambril::HelpTextBox>(help, "Text1")->setText(QStringLiteral("zwei\r\n"));
  QString shown;
  test::WhenModal<Form21>([&](Form21& h) {
    shown = Control<tambril::HelpTextBox>(h, "Text1")->toPlainText();
    Control<QAction>(h, "Abbrechen")->trigger();
  });
  help.exec();
  EXPECT_EQ(shown, QStringLiteral("zwei\n"));
  EXPECT_EQ(checkedItems(), QStringLiteral("Standard"));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->font().pointSizeF(), 10.0);
}

TEST_F(HelpWindowTest, LinesShowOneEachWithTheirSpaces) {
  Control<tambril::HelpTextBox>(help, "Text1")->setText(QStringLiteral("\r\n \r\n  zwei Leerzeichen  \r\n"));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->blockCount(), 4);
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->document()->findBlockByNumber(1).text(), QStringLiteral(" "));
  EXPECT_EQ(Control<tambril::HelpTextBox>(help, "Text1")->document()->findBlockByNumber(2).text(),
            QStringLiteral("  zwei Leerzeichen  "));
}

}  // namespace
}  // namespace tambril
