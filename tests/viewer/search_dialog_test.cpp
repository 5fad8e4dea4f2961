// The search dialog on the viewer's text: step and count search, the option
// flags, the stored position and the ways it is reset, the two messages.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "help/help_texts.h"
#include "help_window/form21.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"
#include "viewer/plain_text_view.h"

namespace tambril {
namespace {

const QString kNotFound = QStringLiteral("Das eingegebene Wort wurde nicht gefunden.");

QString CountMessage(int n) {
  return QStringLiteral("Das eingegebene Wort wurde ") + QStringLiteral(" %1").arg(n) +
         QStringLiteral(" mal gefunden.");
}

class SearchDialogTest : public test::GuiTest {
 protected:
  Form8& viewer = program().viewer();
  RichTextBox& box = *Control<tambril::RichTextBox>(viewer, "RichTextBox1");
  Form5& search = viewer.searchDialog();

  // One press of "WEITERSUCHEN" as the user makes it: the dialog is open
  // over the viewer. Returns whether the dialog closed itself.
  bool press() {
    bool stayedOpen = false;
    test::WhenModal<Form5>([&](Form5& f) {
      Control<QPushButton>(f, "Command1")->click();
      stayedOpen = f.isVisible();
      if (stayedOpen) f.hide();
    });
    Control<QAction>(viewer, "Search2")->trigger();
    return !stayedOpen;
  }
  // The selection in the viewer as (start, length).
  std::pair<qint64, qint64> selection() const { return {box.selectionStart(), box.selectionLength()}; }
  QString lastMessage() const { return rec.messages.empty() ? QString() : rec.messages.back().text; }
};

TEST_F(SearchDialogTest, StartsEmptyWithItsControls) {
  EXPECT_EQ(search.windowTitle(), QStringLiteral("Suchen"));
  EXPECT_EQ(Control<QLineEdit>(search, "Text1")->text(), QString());
  EXPECT_EQ(Control<QCheckBox>(search, "Check1")->text(), QStringLiteral("Groß-/Kleinschreibung"));
  EXPECT_EQ(Control<QCheckBox>(search, "Check2")->text(), QStringLiteral("Nur ganzes Wort suchen"));
  EXPECT_EQ(Control<QCheckBox>(search, "Check3")->text(), QStringLiteral("Alles durchsuchen"));
  EXPECT_EQ(Control<QPushButton>(search, "Command1")->text(), QStringLiteral("WEITERSUCHEN"));
  EXPECT_EQ(Control<QPushButton>(search, "Command2")->text(), QStringLiteral("ABBRECHEN"));
  EXPECT_EQ(Control<QPushButton>(search, "Command3")->text(), QStringLiteral("HILFE"));
  for (QCheckBox* c : {Control<QCheckBox>(search, "Check1"), Control<QCheckBox>(search, "Check2"),
                       Control<QCheckBox>(search, "Check3")})
    EXPECT_FALSE(c->isChecked());
  EXPECT_EQ(search.storedPosition(), -1);
  EXPECT_EQ(search.size(), QSize(386, 210));
  // No check box caption is cut off.
  for (QCheckBox* c : {Control<QCheckBox>(search, "Check1"), Control<QCheckBox>(search, "Check2"),
                       Control<QCheckBox>(search, "Check3")}) {
    EXPECT_GE(c->width(), c->sizeHint().width()) << c->text().toStdString();
  }
  // Keyboard order: the buttons, the word, the options.
  QWidget* w = Control<QPushButton>(search, "Command1");
  QStringList order;
  for (int i = 0; i < 7; ++i) {
    order << w->objectName();
    do w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus || w == &search);
  }
  EXPECT_EQ(order, QStringList({"Command1", "Command2", "Command3", "Text1", "Check1", "Check2", "Check3"}));
}

TEST_F(SearchDialogTest, OptionFlagsFollowTheCheckBoxes) {
  const auto flags = [&](bool matchCase, bool wholeWord) {
    Control<QCheckBox>(search, "Check1")->setChecked(matchCase);
    Control<QCheckBox>(search, "Check2")->setChecked(wholeWord);
    return search.OptionFlags();
  };
  EXPECT_EQ(flags(false, false), 0);
  EXPECT_EQ(flags(false, true), 2);
  EXPECT_EQ(flags(true, false), 4);
  EXPECT_EQ(flags(true, true), 6);
}

TEST_F(SearchDialogTest, StepSearchWalksThroughAndStartsAgain) {
  box.loadPlain("abc abc");
  Control<QLineEdit>(search, "Text1")->setText("abc");
  EXPECT_TRUE(press());  // the match closes the dialog
  EXPECT_EQ(selection(), std::make_pair(qint64{0}, qint64{3}));
  // F3 in the text opens the same dialog with the word still in it.
  bool opened = false;
  test::WhenModal<Form5>([&](Form5& f) {
    opened = Control<QLineEdit>(f, "Text1")->text() == QStringLiteral("abc");
    Control<QPushButton>(f, "Command1")->click();
  });
  QTest::keyClick(box.plainView(), Qt::Key_F3);
  EXPECT_TRUE(opened);
  EXPECT_EQ(selection(), std::make_pair(qint64{4}, qint64{3}));
  EXPECT_TRUE(rec.messages.empty());
  // No further match: the message, the dialog stays, the selection stays.
  EXPECT_FALSE(press());
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, kNotFound);
  EXPECT_EQ(rec.messages[0].title, QString());  // the program's title
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_EQ(rec.messages[0].window, QStringLiteral("Form5"));
  EXPECT_EQ(selection(), std::make_pair(qint64{4}, qint64{3}));
  EXPECT_EQ(search.storedPosition(), -1);
  // And round again from the start; "Suchen F3" is the same dialog.
  test::WhenModal<Form5>([](Form5& f) { Control<QPushButton>(f, "Command1")->click(); });
  Control<QAction>(viewer, "SearchF3")->trigger();
  EXPECT_EQ(selection(), std::make_pair(qint64{0}, qint64{3}));
}

TEST_F(SearchDialogTest, CountSearchReportsTheNumberAndLeavesTheLastSelected) {
  box.loadPlain("abc abc");
  Control<QLineEdit>(search, "Text1")->setText("abc");
  Control<QCheckBox>(search, "Check3")->setChecked(true);
  EXPECT_FALSE(press());  // the dialog stays open
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, CountMessage(2));
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Das eingegebene Wort wurde  2 mal gefunden."));
  EXPECT_EQ(rec.messages[0].title, QString());
  EXPECT_EQ(selection(), std::make_pair(qint64{4}, qint64{3}));
  EXPECT_EQ(search.storedPosition(), -1);
  // Nothing found: zero, and the selection stays where it was.
  Control<QLineEdit>(search, "Text1")->setText("xyz");
  press();
  EXPECT_EQ(lastMessage(), QStringLiteral("Das eingegebene Wort wurde  0 mal gefunden."));
  EXPECT_EQ(selection(), std::make_pair(qint64{4}, qint64{3}));
  // A step search after a count starts at the beginning.
  Control<QLineEdit>(search, "Text1")->setText("abc");
  Control<QCheckBox>(search, "Check3")->setChecked(false);
  press();
  EXPECT_EQ(selection(), std::make_pair(qint64{0}, qint64{3}));
}

TEST_F(SearchDialogTest, MatchCaseAndWholeWord) {
  box.loadPlain("Haus haus");
  Control<QLineEdit>(search, "Text1")->setText("haus");
  Control<QCheckBox>(search, "Check1")->setChecked(true);
  press();
  EXPECT_EQ(selection().first, 5);
  EXPECT_FALSE(press());
  EXPECT_EQ(lastMessage(), kNotFound);
  Control<QCheckBox>(search, "Check1")->setChecked(false);
  press();
  EXPECT_EQ(selection().first, 0);
  press();
  EXPECT_EQ(selection().first, 5);
  Control<QCheckBox>(search, "Check3")->setChecked(true);
  press();
  EXPECT_EQ(lastMessage(), CountMessage(2));
  // Whole words: "haus" is not a word inside "Hausflur".
  box.loadPlain("Hausflur");
  Control<QCheckBox>(search, "Check2")->setChecked(true);
  press();
  EXPECT_EQ(lastMessage(), CountMessage(0));
  Control<QCheckBox>(search, "Check2")->setChecked(false);
  press();
  EXPECT_EQ(lastMessage(), CountMessage(1));
}

TEST_F(SearchDialogTest, OverlappingOccurrencesOneCharacterApart) {
  box.loadPlain("aaaa");
  Control<QLineEdit>(search, "Text1")->setText("aa");
  for (qint64 expected : {0, 1, 2}) {
    EXPECT_TRUE(press());
    EXPECT_EQ(selection(), std::make_pair(expected, qint64{2}));
  }
  EXPECT_FALSE(press());
  Control<QCheckBox>(search, "Check3")->setChecked(true);
  press();
  EXPECT_EQ(lastMessage(), CountMessage(3));
  EXPECT_EQ(selection(), std::make_pair(qint64{2}, qint64{2}));
}

TEST_F(SearchDialogTest, TypingAndCancelResetThePositionButALoadDoesNot) {
  box.loadPlain("abc abc abc");
  Control<QLineEdit>(search, "Text1")->setText("abc");
  press();
  press();
  EXPECT_EQ(search.storedPosition(), 4);
  // Typing, even back to the same word, starts again at the beginning.
  test::WhenModal<Form5>([](Form5& f) {
    Control<QLineEdit>(f, "Text1")->setFocus();
    Control<QLineEdit>(f, "Text1")->end(false);
    QTest::keyClick(Control<QLineEdit>(f, "Text1"), Qt::Key_Backspace);
    QTest::keyClick(Control<QLineEdit>(f, "Text1"), Qt::Key_C);
    Control<QPushButton>(f, "Command1")->click();
  });
  Control<QAction>(viewer, "Search2")->trigger();
  EXPECT_EQ(selection().first, 0);
  press();
  EXPECT_EQ(search.storedPosition(), 4);
  // A new load keeps the position: the search goes on from index 5.
  box.loadPlain("abc abc abc abc");
  press();
  EXPECT_EQ(selection().first, 8);
  // "ABBRECHEN" empties the word and resets; the options stay ticked.
  Control<QCheckBox>(search, "Check1")->setChecked(true);
  Control<QCheckBox>(search, "Check2")->setChecked(true);
  test::WhenModal<Form5>([](Form5& f) { Control<QPushButton>(f, "Command2")->click(); });
  Control<QAction>(viewer, "Search2")->trigger();
  EXPECT_FALSE(search.isVisible());
  EXPECT_EQ(Control<QLineEdit>(search, "Text1")->text(), QString());
  EXPECT_EQ(search.storedPosition(), -1);
  EXPECT_TRUE(Control<QCheckBox>(search, "Check1")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(search, "Check2")->isChecked());
  Control<QLineEdit>(search, "Text1")->setText("abc");
  press();
  EXPECT_EQ(selection().first, 0);
}

TEST_F(SearchDialogTest, ANewShorterTextEndsTheStepSearch) {
  box.loadPlain("xxxxxxxx abc");
  Control<QLineEdit>(search, "Text1")->setText("abc");
  press();
  EXPECT_EQ(search.storedPosition(), 9);
  box.loadPlain("abc");
  EXPECT_FALSE(press());
  EXPECT_EQ(lastMessage(), kNotFound);
  press();
  EXPECT_EQ(selection().first, 0);
}

TEST_F(SearchDialogTest, SearchesRichTextToo) {
  box.loadRtf("{\\rtf1 Haus {\\b haus} Hausflur}");
  ASSERT_FALSE(box.isPlain());
  Control<QLineEdit>(search, "Text1")->setText("haus");
  Control<QCheckBox>(search, "Check2")->setChecked(true);
  Control<QCheckBox>(search, "Check3")->setChecked(true);
  press();
  EXPECT_EQ(lastMessage(), CountMessage(2));
  EXPECT_EQ(box.selectedText(), QStringLiteral("haus"));
  Control<QCheckBox>(search, "Check3")->setChecked(false);
  Control<QCheckBox>(search, "Check1")->setChecked(true);
  press();
  EXPECT_EQ(box.selectedText(), QStringLiteral("haus"));
  EXPECT_EQ(box.richView()->textCursor().selectedText(), QStringLiteral("haus"));
}

TEST_F(SearchDialogTest, HelpShowsTheSearchInfo) {
  QString shown;
  test::WhenModal<Form5>([&](Form5& f) {
    test::WhenModal<Form21>([&](Form21& h) {
      shown = Control<tambril::HelpTextBox>(h, "Text1")->text();
      Control<QAction>(h, "Abbrechen")->trigger();
    });
    Control<QPushButton>(f, "Command3")->click();
    Control<QPushButton>(f, "Command2")->click();
  });
  Control<QAction>(viewer, "Search2")->trigger();
  EXPECT_EQ(shown, help::SearchInfoText());
}

// The 8-bit view must answer exactly as the rich-text document's find does
// for the same text: case folding, whole words and where a search goes on.
TEST(PlainFindAgreesWithTheDocument, OnManySmallTexts) {
  const QString alphabet = QStringLiteral("aAbB_- \u00e4\u00c4\u00df\u00b5\u00a0.1");
  const QString words[] = {"a", "ab", "A", "a-", "\u00c4", "b a", "\u00e4b", "_", "1a", "\u03bc", "aa", "\u00a0"};
  quint32 seed = 12345;
  const auto random = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<quint32>(n));
  };
  platform::RecordingPlatform rec;
  PlainTextView view(rec);
  for (int round = 0; round < 400; ++round) {
    QString text;
    const int length = random(14);
    for (int i = 0; i < length; ++i) text += alphabet[random(alphabet.size())];
    QByteArray bytes;
    for (QChar c : text) bytes.append(c.toLatin1());
    view.setBytes(bytes);
    QTextDocument doc;
    doc.setPlainText(text);
    for (const QString& word : words) {
      for (int options = 0; options < 4; ++options) {
        const bool wholeWord = options & 1, matchCase = options & 2;
        QTextDocument::FindFlags flags;
        if (wholeWord) flags |= QTextDocument::FindWholeWords;
        if (matchCase) flags |= QTextDocument::FindCaseSensitively;
        for (int from = 0; from <= length; ++from) {
          const QTextCursor c = doc.find(word, from, flags);
          const qint64 expected = c.isNull() ? -1 : c.selectionStart();
          ASSERT_EQ(view.find(word, from, wholeWord, matchCase), expected)
              << "text \"" << text.toStdString() << "\" word \"" << word.toStdString() << "\" from " << from
              << " whole " << wholeWord << " case " << matchCase;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tambril
