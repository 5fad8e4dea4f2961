// The new-folder dialog: created inside the file dialog's folder, which then
// moves into it with its name box rebuilt; refusals and failures; every way
// out empties the name box.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "file_dialog/form14.h"
#include "file_dialog/selpr6.h"
#include "help/help_texts.h"
#include "help_window/form21.h"
#include "session/session.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

const QString kSep = QString(QDir::separator());
const QString kExists = QStringLiteral("Ordner ist schon vorhanden und kann nicht mehr erstellt werden!  ");

class NewFolderTest : public test::GuiTest {
 protected:
  Selpr6& files = program().fileDialog();
  Form14& dialog = files.newFolderDialog();

  // The file dialog in a create mode with the proposed name, in `folder`.
  void createMode(const QString& folder, const QString& proposed = QStringLiteral("brief.tmb")) {
    files.PrepareCreateMode();
    program().session().setProposedName(proposed);
    ASSERT_TRUE(Control<tambril::FolderList>(files, "Dir1")->setPath(folder));
    rec.reset();
  }
  // Opens the dialog from the file dialog's menu, types `name` and presses OK.
  // Returns whether the dialog closed.
  bool create(const QString& name) {
    bool open = false;
    test::WhenModal<Form14>([&](Form14& d) {
      EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), QString()) << "the name box was not empty";
      Control<QLineEdit>(d, "Text1")->setText(name);
      auto* ok = Control<QPushButton>(d, "Command1");
      ok->setFocus();  // as pressing it does
      ok->click();
      open = d.isVisible();
      focusAfterOk = d.focusWidget();
      if (open) Control<QPushButton>(d, "Command2")->click();
    });
    Control<QAction>(files, "New_directory")->trigger();
    return !open;
  }
  const QWidget* focusAfterOk = nullptr;
};

TEST_F(NewFolderTest, HasItsControls) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Orner hinzufügen"));
  EXPECT_EQ(Control<QLabel>(dialog, "Label1")->text(), QStringLiteral("Ordner-Name eingeben:"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command1")->text(), QStringLiteral("OK"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command2")->text(), QStringLiteral("ABBRECHEN"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command3")->text(), QStringLiteral("HILFE"));
  EXPECT_EQ(dialog.size(), QSize(346, 163));
  EXPECT_LT(Control<QPushButton>(dialog, "Command1")->x(), Control<QPushButton>(dialog, "Command2")->x());
  EXPECT_LT(Control<QPushButton>(dialog, "Command2")->x(), Control<QPushButton>(dialog, "Command3")->x());
  EXPECT_LE(Control<QPushButton>(dialog, "Command3")->geometry().right(), dialog.width());
}

TEST_F(NewFolderTest, CreatesTheFolderAndMovesTheFileDialogIntoIt) {
  const QString texte = makeFolder("Texte");
  createMode(texte);
  EXPECT_TRUE(create("Neu"));
  const QString neu = texte + kSep + "Neu";
  EXPECT_TRUE(QFileInfo(neu).isDir());
  EXPECT_EQ(Control<tambril::FolderList>(files, "Dir1")->path(), neu);
  EXPECT_EQ(Control<tambril::FileList>(files, "File1")->path(), neu);
  EXPECT_EQ(Control<tambril::FileList>(files, "File1")->count(), 0);
  EXPECT_EQ(Control<QLineEdit>(files, "Text1")->text(), neu + kSep + "brief.tmb");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QString());
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_TRUE(rec.events.contains("pointer Form14 busy"));
  EXPECT_EQ(rec.events.filter("pointer Form14").last(), "pointer Form14 normal");
  // A second one inside the first: the folder list shows where it is now.
  EXPECT_TRUE(create(QStringLiteral("Unterordner mit Ä")));
  EXPECT_TRUE(QFileInfo(neu + kSep + QStringLiteral("Unterordner mit Ä")).isDir());
  EXPECT_EQ(Control<QLineEdit>(files, "Text1")->text(),
            neu + kSep + QStringLiteral("Unterordner mit Ä") + kSep + "brief.tmb");
}

TEST_F(NewFolderTest, AnExistingFolderOrFileIsRefusedWithTheTypedName) {
  const QString daten = makeFolder("Daten");
  makeFolder("Daten/Alt");
  writeFile("Daten/notiz.txt", "x");
  createMode(daten);
  for (const QString name : {"Alt", "notiz.txt"}) {
    rec.reset();
    EXPECT_FALSE(create(name));  // the dialog stayed open
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, kExists + name);
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("WARNUNG"));
    EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::Stop);
    EXPECT_EQ(rec.messages[0].window, QStringLiteral("Form14"));
    EXPECT_EQ(rec.beeps, 0);
    // Typing goes on in the emptied box.
    EXPECT_EQ(focusAfterOk, Control<QLineEdit>(dialog, "Text1"));
    EXPECT_EQ(rec.events.filter("pointer Form14").last(), "pointer Form14 normal");
  }
  EXPECT_EQ(Control<tambril::FolderList>(files, "Dir1")->path(), daten);
  EXPECT_TRUE(QFileInfo(daten + kSep + "notiz.txt").isFile());
}

TEST_F(NewFolderTest, AnEmptyNameOnlyBeeps) {
  createMode(tempPath());
  bool stayed = false;
  test::WhenModal<Form14>([&](Form14& d) {
    Control<QPushButton>(d, "Command1")->click();
    stayed = d.isVisible();
    Control<QPushButton>(d, "Command2")->click();
  });
  Control<QAction>(files, "New_directory")->trigger();
  EXPECT_TRUE(stayed);
  EXPECT_EQ(rec.beeps, 1);
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(rec.events.filter("pointer").size(), 0);
}

TEST_F(NewFolderTest, NamesTheFileSystemRefusesGiveTheAccessMessage) {
  const QString folder = makeFolder("Ziel");
  createMode(folder);
  const QStringList refused = {"a/b", QString(300, QLatin1Char('n'))};
  for (const QString& name : refused) {
    rec.reset();
    EXPECT_FALSE(create(name));
    ASSERT_EQ(rec.messages.size(), 1u) << name.toStdString();
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::Stop);
    EXPECT_EQ(rec.beeps, 0);
    EXPECT_EQ(rec.events.filter("pointer Form14").last(), "pointer Form14 normal");
    EXPECT_EQ(focusAfterOk, Control<QLineEdit>(dialog, "Text1"));
  }
  // Even where "a" exists, "a/b" is not a folder name.
  makeFolder("Ziel/a");
  rec.reset();
  EXPECT_FALSE(create("a/b"));
  EXPECT_FALSE(QFileInfo::exists(folder + "/a/b"));
  EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"a"}));
  EXPECT_EQ(Control<tambril::FolderList>(files, "Dir1")->path(), folder);
}

TEST_F(NewFolderTest, AFolderThatCannotBeWrittenGivesTheAccessMessage) {
  // Readable and enterable by everyone, writable by no one but root, whom
  // the ordinary user stands in for.
  const QString folder = makeFolder("Schreibschutz");
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther));
  {
    test::AsOrdinaryUser user(tempPath());
    createMode(folder);
    EXPECT_FALSE(create("Neu"));
  }
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
  EXPECT_FALSE(QFileInfo::exists(folder + "/Neu"));
  EXPECT_EQ(Control<tambril::FolderList>(files, "Dir1")->path(), folder);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(NewFolderTest, TheFailureKinds) {
  const QString file = writeFile("datei.txt", "x");
  EXPECT_EQ(Form14::CreateFolder(file + "/unter"), Form14::Failure::Access);
  EXPECT_EQ(Form14::CreateFolder(tempPath("fehlt/unter")), Form14::Failure::Access);
  EXPECT_EQ(Form14::CreateFolder(tempPath("neu")), Form14::Failure::None);
  EXPECT_EQ(Form14::CreateFolder(tempPath("neu")), Form14::Failure::Access);  // exists by now
}

TEST_F(NewFolderTest, EveryWayOutEmptiesTheBox) {
  createMode(tempPath());
  test::WhenModal<Form14>([](Form14& d) {
    Control<QLineEdit>(d, "Text1")->setText("Entwurf");
    Control<QPushButton>(d, "Command2")->click();
  });
  Control<QAction>(files, "New_directory")->trigger();
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QString());
  test::WhenModal<Form14>([](Form14& d) {
    Control<QLineEdit>(d, "Text1")->setText("Entwurf");
    QTest::keyClick(Control<QLineEdit>(d, "Text1"), Qt::Key_Escape);
  });
  Control<QAction>(files, "New_directory")->trigger();
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QString());
  test::WhenModal<Form14>([](Form14& d) {
    Control<QLineEdit>(d, "Text1")->setText("Entwurf");
    d.close();
  });
  Control<QAction>(files, "New_directory")->trigger();
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QString());
  EXPECT_FALSE(QFileInfo::exists(tempPath("Entwurf")));
  // The next opening starts empty (checked inside create()).
  EXPECT_TRUE(create("Entwurf"));
}

TEST_F(NewFolderTest, HelpShowsTheNewFolderInfoAndTheNameBoxGetsTheFocusAgain) {
  createMode(tempPath());
  files.show();
  QString shown;
  test::WhenModal<Form14>([&](Form14& d) {
    EXPECT_EQ(d.windowHandle()->transientParent(), files.windowHandle());
    test::WhenModal<Form21>([&](Form21& h) {
      shown = Control<tambril::HelpTextBox>(h, "Text1")->text();
      Control<QAction>(h, "Abbrechen")->trigger();
    });
    auto* help = Control<QPushButton>(d, "Command3");
    help->setFocus();
    QTest::keyClick(help, Qt::Key_Return);  // Enter presses the focused button
    EXPECT_TRUE(d.isVisible());
    Control<QPushButton>(d, "Command2")->click();
  });
  Control<QAction>(files, "New_directory")->trigger();
  EXPECT_EQ(shown, help::NewFolderInfoText());
  // Opened again, what is typed goes into the name box, and Enter on OK
  // creates the folder.
  test::WhenModal<Form14>([&](Form14& d) {
    EXPECT_EQ(d.focusWidget(), Control<QLineEdit>(d, "Text1"));
    QTest::keyClicks(d.focusWidget(), "Neu");
    auto* ok = Control<QPushButton>(d, "Command1");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Enter);
    if (d.isVisible()) Control<QPushButton>(d, "Command2")->click();
  });
  Control<QAction>(files, "New_directory")->trigger();
  EXPECT_TRUE(QFileInfo(tempPath("Neu")).isDir());
}

}  // namespace
}  // namespace tambril
