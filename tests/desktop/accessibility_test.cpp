// What assistive technology and the keyboard reach in every window: each
// control a user can tab to, and each progress bar, has a name; folder-list
// entries are named without their indentation; the 8-bit text view offers
// its text; Tab reaches every control; F10 opens the menu.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollBar>
#include <QSet>
#include <QTest>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/form14.h"
#include "file_dialog/selpr6.h"
#include "help_window/form21.h"
#include "main_window/form1.h"
#include "startup/form6.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"
#include "viewer/plain_text_view.h"
#include "viewer/rich_text_box.h"

namespace tambril {
namespace {

class AccessibilityTest : public test::GuiTest {
 protected:
  // Every window but the splash, which takes no input.
  QList<QWidget*> windows() {
    return {&program().mainWindow(),  &program().fileDialog(),   &program().encodeDialog(),
            &program().checkDialog(), &program().decodeDialog(), &program().viewer().searchDialog(),
            &program().infoWindow(),  &program().viewer(),       &program().fileDialog().newFolderDialog(),
            &program().helpWindow()};
  }
  static bool TakesFocus(QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QScrollBar*>(w) && !qobject_cast<QMenuBar*>(w);
  }
  static QString Describe(QWidget* w) {
    return w->window()->objectName() + "." + w->objectName() + " (" + w->metaObject()->className() + ")";
  }
};

TEST_F(AccessibilityTest, EveryControlHasAName) {
  for (QWidget* window : windows()) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (!TakesFocus(w) && !qobject_cast<QProgressBar*>(w)) continue;
      if (w->window() != window) continue;  // a drop-down list's popup
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      ASSERT_NE(a, nullptr) << Describe(w).toStdString();
      EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty()) << Describe(w).toStdString();
      // The name it was given, not a drop-down list's current entry.
      if (!w->accessibleName().isEmpty()) {
        EXPECT_EQ(a->text(QAccessible::Name), w->accessibleName()) << Describe(w).toStdString();
      }
    }
  }
  // A named drop-down list still offers its entry as its value, and its
  // popup list and edit line.
  Selpr6& dialog = program().fileDialog();
  QAccessibleInterface* drives = QAccessible::queryAccessibleInterface(Control<tambril::DriveList>(dialog, "Drive1"));
  EXPECT_EQ(drives->text(QAccessible::Value), Control<tambril::DriveList>(dialog, "Drive1")->currentText());
  ASSERT_EQ(drives->childCount(), 1);
  EXPECT_EQ(drives->child(0)->object(), static_cast<QObject*>(Control<tambril::DriveList>(dialog, "Drive1")->view()));
  QAccessibleInterface* types = QAccessible::queryAccessibleInterface(Control<QComboBox>(dialog, "Combo1"));
  EXPECT_EQ(types->text(QAccessible::Value), QStringLiteral("*.*"));
  ASSERT_EQ(types->childCount(), 2);
  EXPECT_EQ(types->child(1)->object(), static_cast<QObject*>(Control<QComboBox>(dialog, "Combo1")->lineEdit()));
  EXPECT_EQ(types->indexOfChild(types->child(1)), 1);
  // Each progress bar is named after the label beside it, as the boxes are.
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Control<QProgressBar>(program().encodeDialog(), "ProgressBar1"))
                ->text(QAccessible::Name),
            QStringLiteral("Codierung"));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Control<QProgressBar>(program().decodeDialog(), "ProgressBar1"))
                ->text(QAccessible::Name),
            QStringLiteral("Entcodierung"));
}

TEST_F(AccessibilityTest, FolderEntriesAreNamedWithoutTheirIndentation) {
  makeFolder("oben/unten");
  Selpr6& dialog = program().fileDialog();
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("oben")));
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(Control<tambril::FolderList>(dialog, "Dir1"));
  ASSERT_NE(list, nullptr);
  QStringList names;
  for (int i = 0; i < list->childCount(); ++i) {
    QAccessibleInterface* row = list->child(i);
    if (row && row->role() == QAccessible::ListItem) names << row->text(QAccessible::Name);
  }
  ASSERT_GE(names.size(), 3);
  EXPECT_EQ(names.mid(names.size() - 2), QStringList({"oben", "unten"}));
  for (const QString& name : names) EXPECT_FALSE(name.startsWith(' ')) << name.toStdString();
  // What is seen keeps its indentation.
  EXPECT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")
                  ->item(Control<tambril::FolderList>(dialog, "Dir1")->count() - 1)
                  ->text()
                  .startsWith(' '));
}

TEST_F(AccessibilityTest, TheTextViewOffersItsTextSelectionAndCaret) {
  Form8& viewer = program().viewer();
  RichTextBox& box = *Control<tambril::RichTextBox>(viewer, "RichTextBox1");
  // Bytes of any kind, NUL included, one character each.
  box.loadPlain(
      QByteArray("Gr\xfc\xdf"
                 "e\0aus\nK\xf6ln",
                 14));
  ASSERT_TRUE(box.isPlain());
  PlainTextView* view = box.findChild<PlainTextView*>();
  ASSERT_NE(view, nullptr);
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(view);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::EditableText);
  EXPECT_TRUE(a->state().readOnly);
  EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Dateiinhalt"));
  QAccessibleTextInterface* t = a->textInterface();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->characterCount(), 14);
  // NUL would end the text on the bus; it is offered as U+FFFD in its place.
  EXPECT_EQ(t->text(0, -1), box.text(0, box.textLength()).replace(QChar(u'\0'), QChar(0xFFFD)));
  EXPECT_EQ(t->text(5, 6), QString(QChar(0xFFFD)));
  EXPECT_EQ(t->text(0, 5), QStringLiteral("Grüße"));
  EXPECT_EQ(t->text(10, 14), QStringLiteral("Köln"));
  EXPECT_EQ(t->text(-3, 99), t->text(0, 14));  // out of range is cut to the text
  EXPECT_EQ(t->text(12, 4), QString());
  int start = -1, end = -1;
  t->textAtOffset(11, QAccessible::LineBoundary, &start, &end);
  EXPECT_EQ(start, 10);

  // The viewer's selection is the interface's, both ways.
  EXPECT_EQ(t->selectionCount(), 0);
  box.select(6, 3);
  EXPECT_EQ(t->selectionCount(), 1);
  t->selection(0, &start, &end);
  EXPECT_EQ(start, 6);
  EXPECT_EQ(end, 9);
  EXPECT_EQ(t->cursorPosition(), 9);
  t->setSelection(0, 5, 1);
  EXPECT_EQ(box.selectionStart(), 1);
  EXPECT_EQ(box.selectionLength(), 4);
  t->setCursorPosition(12);
  EXPECT_EQ(t->selectionCount(), 0);
  EXPECT_EQ(t->cursorPosition(), 12);

  // A new file is read anew.
  box.loadPlain(QByteArray("neu"));
  EXPECT_EQ(t->characterCount(), 3);
  EXPECT_EQ(t->text(0, -1), QStringLiteral("neu"));

  // Each character's place on the screen leads back to it: a tab, a box
  // for NUL, narrow and wide letters, the line end.
  viewer.show();
  box.loadPlain(QByteArray("W\ti\0\xe4 x\r\nKiel", 13));
  int previousRight = -1;
  for (int offset : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10}) {
    const QRect r = t->characterRect(offset);
    ASSERT_FALSE(r.isEmpty()) << offset;
    EXPECT_EQ(t->offsetAtPoint(r.center()), offset) << offset;
    if (offset <= 7) {
      EXPECT_GE(r.left(), previousRight) << offset;  // side by side on the first line
    }
    previousRight = r.right();
  }
  EXPECT_EQ(t->characterRect(8), t->characterRect(7));  // inside "\r\n": the line end
  EXPECT_GT(t->characterRect(9).top(), t->characterRect(0).bottom());
  EXPECT_EQ(t->offsetAtPoint(t->characterRect(0).topLeft() - QPoint(50, 50)), -1);

  viewer.hide();
}

TEST_F(AccessibilityTest, TabReachesEveryControlOfEveryWindow) {
  for (QWidget* window : windows()) {
    SCOPED_TRACE(window->objectName().toStdString());
    window->show();
    QApplication::setActiveWindow(window);
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (TakesFocus(w) && w->isVisibleTo(window) && w->isEnabled() && !w->focusProxy()) controls << w;
    }
    ASSERT_FALSE(controls.isEmpty());
    controls.first()->setFocus(Qt::TabFocusReason);
    QSet<QWidget*> reached;
    for (int i = 0; i < 3 * controls.size(); ++i) {
      QWidget* focus = QApplication::focusWidget();
      ASSERT_NE(focus, nullptr);
      reached << focus;
      QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (QWidget* control : controls) EXPECT_TRUE(reached.contains(control)) << Describe(control).toStdString();
    window->hide();
  }
}

TEST_F(AccessibilityTest, F10OpensTheMenus) {
  Form1& main = program().mainWindow();
  Selpr6& dialog = program().fileDialog();
  dialog.PrepareCreateMode();  // "Ordner" can be opened only here
  const QList<std::pair<QWidget*, QString>> windows = {
      {&main, "Datei"}, {&dialog, "Ordner"}, {&program().viewer(), "Suchen"}, {&program().helpWindow(), "Schriftart"}};
  for (const auto& [window, first] : windows) {
    SCOPED_TRACE(window->objectName().toStdString());
    window->show();
    QApplication::setActiveWindow(window);
    QMenuBar* bar = window->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QTest::keyClick(window, Qt::Key_F10);
    ASSERT_NE(bar->activeAction(), nullptr);
    EXPECT_EQ(bar->activeAction()->text(), first);
    QMenu* menu = bar->activeAction()->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    menu->close();
    // Alt alone puts the keyboard on the menu bar, at its first entry.
    QTest::keyPress(window, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(window, Qt::Key_Alt);
    ASSERT_NE(bar->activeAction(), nullptr);
    EXPECT_EQ(bar->activeAction(), bar->actions().first());
    QTest::keyClick(bar, Qt::Key_Escape);
    window->hide();
  }
}

}  // namespace
}  // namespace tambril
