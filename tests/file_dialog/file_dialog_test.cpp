// The file dialog and loading a file: browsing rules, the state fields, the
// failure rows, and what a load writes into the main window, the viewer and
// file slot 1.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <cstring>
#include <filesystem>

#include "codec/cp1252.h"
#include "controller/path_rules.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/file_slots.h"
#include "platform/text_rules.h"
#include "resources/messages.h"
#include "session/session.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"

namespace tambril {
namespace {

const QString kSep = QString(QDir::separator());

class FileDialogTest : public test::GuiTest {
 protected:
  Form1& main = Window<Form1>();
  Selpr6& dialog = Window<Selpr6>();
  RichTextBox& box = *Control<tambril::RichTextBox>(Window<Form8>(), "RichTextBox1");

  // Puts the dialog into open mode the way the main window does.
  void openMode() {
    dialog.PrepareOpenMode();
    ASSERT_TRUE(dialog.RefreshLists());
  }
  // Selects `name` in the file list as a click would.
  void clickFile(const QString& name) {
    const auto found = Control<tambril::FileList>(dialog, "File1")->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    Control<tambril::FileList>(dialog, "File1")->setCurrentItem(found.first());
  }
  // Opens `folder`, clicks `name` and presses ÖFFNEN.
  void load(const QString& folder, const QString& name) {
    openMode();
    ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(folder));
    clickFile(name);
    Control<QPushButton>(dialog, "Command2")->click();
  }
};

TEST(PathRules, NoSeparatorAfterARoot) {
  EXPECT_EQ(JoinPath(QDir::toNativeSeparators(QDir::rootPath()), "a.txt"),
            QDir::toNativeSeparators(QDir::rootPath()) + "a.txt");
  EXPECT_EQ(JoinPath(QDir::toNativeSeparators("/Daten"), "a.txt"), QDir::toNativeSeparators("/Daten/a.txt"));
  EXPECT_EQ(JoinPath(QDir::toNativeSeparators("/Daten"), ""), QDir::toNativeSeparators("/Daten/"));
}

TEST(PathRules, PatternsMatchLikeFileTypes) {
  const FilePattern all("*.*");
  EXPECT_TRUE(all.matches("README"));
  EXPECT_TRUE(all.matches("a.b.c"));
  const FilePattern tmb("*.tmb");
  EXPECT_TRUE(tmb.matches("brief.TMB"));
  EXPECT_FALSE(tmb.matches("brief.tmb.txt"));
  const FilePattern some("?a*.txt;*.rtf");
  EXPECT_TRUE(some.matches("xabc.txt"));
  EXPECT_TRUE(some.matches("z.RTF"));
  EXPECT_FALSE(some.matches("abc.txt"));
  const FilePattern brackets("[a].txt");  // no character sets: brackets are plain
  EXPECT_TRUE(brackets.matches("[a].txt"));
  EXPECT_FALSE(brackets.matches("a.txt"));
  EXPECT_TRUE(FilePattern("").matches("anything"));
  EXPECT_TRUE(FilePattern::IsAcceptable("*.t?t;*.rtf"));
  EXPECT_TRUE(FilePattern::IsAcceptable(""));
  for (const char* bad : {"a/b", "a\\b", "*.<", "x|y", "c:*", "\"*\""}) {
    EXPECT_FALSE(FilePattern::IsAcceptable(bad)) << bad;
  }
}

TEST_F(FileDialogTest, StartsWithItsDesignState) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Datei"));
  QStringList entries;
  for (int i = 0; i < Control<QComboBox>(dialog, "Combo1")->count(); ++i)
    entries << Control<QComboBox>(dialog, "Combo1")->itemText(i);
  EXPECT_EQ(entries, QStringList({"*.tmb", "*.txt", "*.rtf", "*.*"}));
  EXPECT_EQ(Control<QComboBox>(dialog, "Combo1")->currentText(), QStringLiteral("*.*"));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->pattern().text(), QStringLiteral("*.*"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command1")->text(), QStringLiteral("ERSTELLEN"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command2")->text(), QStringLiteral("ÖFFNEN"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command3")->text(), QStringLiteral("ABBRECHEN"));
  EXPECT_EQ(Control<QPushButton>(dialog, "Command4")->text(), QStringLiteral("HILFE"));
  // The row of buttons stands inside the frame as far from its right line as
  // from its left one.
  const QWidget* row = Control<QPushButton>(dialog, "Command2")->parentWidget();
  EXPECT_EQ(row->width() - Control<QPushButton>(dialog, "Command4")->geometry().right() - 1,
            Control<QPushButton>(dialog, "Command2")->x());
  EXPECT_EQ(Control<QMenu>(dialog, "Directory")->title(), QStringLiteral("Ordner"));
  EXPECT_EQ(Control<QAction>(dialog, "New_directory")->text(), QStringLiteral("Neuer Ordner.."));
  EXPECT_EQ(Control<QLabel>(dialog, "Label1")->text(), QStringLiteral("Dateiname:"));
  EXPECT_EQ(Control<QLabel>(dialog, "Label2")->text(), QStringLiteral("Dateityp:"));
  EXPECT_EQ(SharedSession().proposedName(), QString());
  for (QLabel* l :
       {Control<QLabel>(dialog, "Label4"), Control<QLabel>(dialog, "Label5"), Control<QLabel>(dialog, "Label6")})
    EXPECT_EQ(l->text(), QString());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), QDir::toNativeSeparators(QDir::currentPath()));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->path(), Control<tambril::FolderList>(dialog, "Dir1")->path());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QString());
  EXPECT_TRUE(
      QDir::toNativeSeparators(QDir::currentPath()).startsWith(Control<tambril::DriveList>(dialog, "Drive1")->drive()));
  EXPECT_TRUE(Control<tambril::DriveList>(dialog, "Drive1")->count() >= 1);
  EXPECT_TRUE(DriveList::Roots().contains(QDir::toNativeSeparators(QDir::rootPath())));
}

TEST_F(FileDialogTest, ClickingAFileJoinsFolderAndName) {
  writeFile("Daten/a.txt", "x");
  const QString daten = tempPath("Daten");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(daten));
  clickFile("a.txt");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), daten + kSep + "a.txt");
  // At a root the name follows the separator directly. The root's files are
  // whatever the system put there: every regular one that is not hidden.
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  QStringList expected;
  for (const auto& entry : std::filesystem::directory_iterator(ToFsPath(root))) {
    std::error_code ec;
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file(ec) && name[0] != '.') expected << QString::fromStdString(name);
  }
  expected.sort(Qt::CaseInsensitive);
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(root));
  QStringList listed;
  for (int i = 0; i < Control<tambril::FileList>(dialog, "File1")->count(); ++i)
    listed << Control<tambril::FileList>(dialog, "File1")->item(i)->text();
  EXPECT_EQ(listed, expected);
  for (int i = 0; i < Control<tambril::FileList>(dialog, "File1")->count(); ++i) {
    Control<tambril::FileList>(dialog, "File1")->setCurrentRow(i);
    EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(),
              root + Control<tambril::FileList>(dialog, "File1")->item(i)->text());
  }
}

TEST_F(FileDialogTest, FolderChangeKeepsTheProposedName) {
  const QString texte = makeFolder("Texte");
  SharedSession().setProposedName("brief.tmb");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(texte));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), texte + kSep + "brief.tmb");
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(root));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), root + "brief.tmb");
  // In open mode the box holds just the folder with its separator.
  SharedSession().setProposedName(QString());
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(texte));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), texte + kSep);
  // The change runs with the busy pointer and ends with the normal one.
  EXPECT_EQ(rec.events.filter("pointer").last(), QStringLiteral("pointer Selpr6 normal"));
  EXPECT_TRUE(rec.events.contains("pointer Selpr6 busy"));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->fileName(), QString());
}

TEST_F(FileDialogTest, CreateModeProposalFollowsTheFolderAndTheFallBack) {
  // Set up as the encode command will: create settings, proposal, mode word.
  dialog.PrepareCreateMode();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral(" Datei erstellen"));
  EXPECT_TRUE(Control<QPushButton>(dialog, "Command1")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(dialog, "Command2")->isEnabled());
  EXPECT_TRUE(Control<QMenu>(dialog, "Directory")->menuAction()->isEnabled());
  Control<QLineEdit>(dialog, "Text1")->setReadOnly(false);
  SharedSession().setProposedName("brief.tmb");
  SharedSession().setCreateMode(session::CreateMode::Encode);
  writeFile("Texte/alt.txt");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("Texte")));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), tempPath("Texte") + kSep + "brief.tmb");
  // Clicking an existing file proposes that file instead.
  clickFile("alt.txt");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), tempPath("Texte") + kSep + "alt.txt");
  // The fall-back place is the root, with the proposed name after it.
  dialog.GoToFallbackPlace();
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root);
  EXPECT_EQ(Control<tambril::DriveList>(dialog, "Drive1")->drive(), root);
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), root + "brief.tmb");
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEON"));
  // Back to open mode.
  dialog.PrepareOpenMode();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral(" Datei öffnen"));
  EXPECT_FALSE(Control<QPushButton>(dialog, "Command1")->isEnabled());
  EXPECT_TRUE(Control<QPushButton>(dialog, "Command2")->isEnabled());
  EXPECT_FALSE(Control<QMenu>(dialog, "Directory")->menuAction()->isEnabled());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QString());
  EXPECT_EQ(SharedSession().proposedName(), QString());
  EXPECT_TRUE(Control<QLineEdit>(dialog, "Text1")->isReadOnly());
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEON"));
}

TEST_F(FileDialogTest, ChoosingAFolderInTheListOpensIt) {
  makeFolder("oben/unten");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("oben")));
  const auto items = Control<tambril::FolderList>(dialog, "Dir1")->findItems("unten", Qt::MatchEndsWith);
  ASSERT_EQ(items.size(), 1);
  emit Control<tambril::FolderList>(dialog, "Dir1")->itemActivated(items.first());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), tempPath("oben/unten"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), tempPath("oben/unten") + kSep);
  // The parents stay listed above it, down from the root.
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->item(0)->data(Qt::UserRole).toString(),
            QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(FileDialogTest, TypingInTheFolderListJumpsToAName) {
  makeFolder("oben/Alpha");
  makeFolder("oben/beta");
  makeFolder("oben/Bild");
  makeFolder("oben/gamma");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("oben")));
  const auto current = [&] { return Control<tambril::FolderList>(dialog, "Dir1")->currentItem()->text().trimmed(); };
  QTest::keyClicks(Control<tambril::FolderList>(dialog, "Dir1"), "g");
  EXPECT_EQ(current(), QStringLiteral("gamma"));
  const auto pause = [] { QTest::qWait(QApplication::keyboardInputInterval() + 50); };
  pause();  // typing after a pause starts a new name
  QTest::keyClick(Control<tambril::FolderList>(dialog, "Dir1"), Qt::Key_B);
  EXPECT_EQ(current(), QStringLiteral("beta"));
  QTest::keyClick(Control<tambril::FolderList>(dialog, "Dir1"),
                  Qt::Key_B);  // the same letter again: the next name with it
  EXPECT_EQ(current(), QStringLiteral("Bild"));
  pause();
  QTest::keyClicks(Control<tambril::FolderList>(dialog, "Dir1"), "al");
  EXPECT_EQ(current(), QStringLiteral("Alpha"));
  // Jumping only selects; the folder shown stays until it is chosen.
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), tempPath("oben"));
}

TEST_F(FileDialogTest, AFolderThatCannotBeOpenedIsReported) {
  const QString locked = makeFolder("zu");
  QFile::setPermissions(locked, QFileDevice::WriteOwner);
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath()));
  const auto items = Control<tambril::FolderList>(dialog, "Dir1")->findItems("zu", Qt::MatchEndsWith);
  ASSERT_EQ(items.size(), 1);
  Control<QLineEdit>(dialog, "Text1")->setText("vorher");
  rec.reset();
  {
    test::AsOrdinaryUser user(tempPath());
    emit Control<tambril::FolderList>(dialog, "Dir1")->itemActivated(items.first());
  }
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), tempPath());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("vorher"));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.beeps, 1);
  EXPECT_EQ(rec.events.last(), QStringLiteral("pointer Selpr6 normal"));
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(FileDialogTest, ADriveThatCannotBeReadFallsBackToTheRoot) {
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath()));
  Control<tambril::DriveList>(dialog, "Drive1")->addItem("/no/such/drive/", "/no/such/drive/");
  Control<tambril::DriveList>(dialog, "Drive1")
      ->setCurrentIndex(Control<tambril::DriveList>(dialog, "Drive1")->count() - 1);
  emit Control<tambril::DriveList>(dialog, "Drive1")
      ->activated(Control<tambril::DriveList>(dialog, "Drive1")->count() - 1);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Lesen von/Schreiben auf Gerät"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_EQ(rec.events.first(), QStringLiteral("pointer Selpr6 busy"));
  EXPECT_EQ(rec.events.last(), QStringLiteral("pointer Selpr6 normal"));
  EXPECT_EQ(rec.beeps, 1);
  EXPECT_EQ(Control<tambril::DriveList>(dialog, "Drive1")->drive(), root);
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root);
}

TEST_F(FileDialogTest, TheDriveListIsReadAgainWhenOpened) {
  // A stale list, as after a medium came or went since the last look.
  Control<tambril::DriveList>(dialog, "Drive1")->addItem("/vergangen/", "/vergangen/");
  Control<tambril::DriveList>(dialog, "Drive1")->removeItem(0);
  const auto offered = [&] {
    QStringList roots;
    for (int i = 0; i < Control<tambril::DriveList>(dialog, "Drive1")->count(); ++i)
      roots << Control<tambril::DriveList>(dialog, "Drive1")->itemData(i).toString();
    return roots;
  };
  ASSERT_NE(offered(), DriveList::Roots());
  dialog.show();
  Control<tambril::DriveList>(dialog, "Drive1")->showPopup();
  const QStringList shown = offered();
  Control<tambril::DriveList>(dialog, "Drive1")->hidePopup();
  dialog.hide();
  EXPECT_EQ(shown, DriveList::Roots());
  EXPECT_EQ(Control<tambril::DriveList>(dialog, "Drive1")->currentData().toString(),
            Control<tambril::DriveList>(dialog, "Drive1")->drive());
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(FileDialogTest, ListTooltipsShowOnlyOverEntries) {
  writeFile("t/a.txt");
  makeFolder("t/unter");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("t")));
  dialog.show();
  const QList<QListWidget*> lists = {Control<tambril::FileList>(dialog, "File1"),
                                     Control<tambril::FolderList>(dialog, "Dir1")};
  const auto ask = [](QListWidget* list, QPoint at) {
    QWidget* area = list->viewport();
    QHelpEvent help(QEvent::ToolTip, at, area->mapToGlobal(at));
    QCoreApplication::sendEvent(area, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  // The empty part first: a tip once shown fades out only after a while.
  for (QListWidget* list : lists) {
    SCOPED_TRACE(list->objectName().toStdString());
    const QPoint empty(4, list->viewport()->height() - 3);
    ASSERT_EQ(list->itemAt(empty), nullptr);
    EXPECT_EQ(ask(list, empty), QString());
  }
  for (QListWidget* list : lists) {
    SCOPED_TRACE(list->objectName().toStdString());
    ASSERT_GT(list->count(), 0);
    ASSERT_FALSE(list->toolTip().isEmpty());
    EXPECT_EQ(ask(list, list->visualItemRect(list->item(0)).center()), list->toolTip());
  }
  QToolTip::hideText();
  dialog.hide();
}

TEST_F(FileDialogTest, PatternFiltersTheFileList) {
  writeFile("f/a.txt");
  writeFile("f/b.TXT");
  writeFile("f/c.tmb");
  writeFile("f/.hidden.txt");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("f")));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 3);
  Control<QComboBox>(dialog, "Combo1")->setCurrentIndex(1);  // pick "*.txt"
  emit Control<QComboBox>(dialog, "Combo1")->activated(1);
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->pattern().text(), QStringLiteral("*.txt"));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 2);
  Control<QComboBox>(dialog, "Combo1")->setEditText("c*");
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 1);
  EXPECT_TRUE(rec.messages.empty());
}

// Only folders and regular files are listed, links followed: a pipe would
// hold the window for ever when opened, and a socket or device is no file.
TEST_F(FileDialogTest, OnlyFoldersAndRegularFilesAreListed) {
  const QString f = makeFolder("f");
  writeFile("f/datei.txt", "x");
  makeFolder("f/ordner");
  ASSERT_EQ(::mkfifo(QFile::encodeName(f + "/rohr").constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(f + "/rohr", f + "/rohr-verweis"));
  ASSERT_TRUE(QFile::link(f + "/datei.txt", f + "/datei-verweis"));
  ASSERT_TRUE(QFile::link(f + "/ordner", f + "/ordner-verweis"));
  ASSERT_TRUE(QFile::link(f + "/fehlt", f + "/ins-leere"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), f + "/geraet"));
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray socketPath = QFile::encodeName(f + "/dose");
  ASSERT_LT(socketPath.size(), static_cast<qsizetype>(sizeof address.sun_path));
  std::memcpy(address.sun_path, socketPath.constData(), socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(f));
  QStringList files;
  for (int i = 0; i < Control<tambril::FileList>(dialog, "File1")->count(); ++i)
    files << Control<tambril::FileList>(dialog, "File1")->item(i)->text();
  EXPECT_EQ(files, QStringList({"datei-verweis", "datei.txt"}));
  QStringList folders;
  for (int i = 0; i < Control<tambril::FolderList>(dialog, "Dir1")->count(); ++i) {
    if (Control<tambril::FolderList>(dialog, "Dir1")->item(i)->data(Qt::UserRole).toString().startsWith(f + kSep)) {
      folders << Control<tambril::FolderList>(dialog, "Dir1")->item(i)->text().trimmed();
    }
  }
  EXPECT_EQ(folders, QStringList({"ordner", "ordner-verweis"}));
  ::close(sock);
}

// A name that is not UTF-8 is listed with U+FFFD where a byte is not, and
// choosing it opens that very file or folder, even beside another name that
// is shown alike.
TEST_F(FileDialogTest, NamesThatAreNotUtf8AreListedAndOpened) {
  const QByteArray base = QFile::encodeName(tempPath());
  const QByteArray folder = base + "/Archiv \xe4lter";  // Latin-1
  ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
  const auto make = [](const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
    ::close(fd);
  };
  make(folder +
           "/Gr\xfc\xdf"
           "e.txt",
       "aus dem Norden");
  make(folder +
           "/Gr\xe4\xdf"
           "e.txt",
       "aus dem S\xfc"
       "den");
  make(folder + "/gut.txt", "");
  const QString shownFolder = tempPath() + kSep + QStringLiteral("Archiv \uFFFDlter");
  const QString shownName = QStringLiteral("Gr\uFFFD\uFFFDe.txt");

  openMode();
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath()));
  const auto items =
      Control<tambril::FolderList>(dialog, "Dir1")->findItems(QStringLiteral("Archiv \uFFFDlter"), Qt::MatchEndsWith);
  ASSERT_EQ(items.size(), 1);
  emit Control<tambril::FolderList>(dialog, "Dir1")->itemActivated(items.first());
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), shownFolder);
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->realPath(), folder);
  ASSERT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 3);
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->item(0)->text(), shownName);
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->item(1)->text(), shownName);
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->item(2)->text(), QStringLiteral("gut.txt"));

  // Each of the two alike names loads its own file, whichever was chosen last.
  for (const int row : {1, 0, 1}) {
    Control<tambril::FileList>(dialog, "File1")->setCurrentRow(row);
    EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), shownFolder + kSep + shownName);
    Control<QPushButton>(dialog, "Command2")->click();
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(test::LoadedPath(), shownFolder + kSep + shownName);
    EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), shownName);
    ASSERT_NE(SharedFileSlots().slot1(), nullptr);
    EXPECT_EQ(QByteArray::fromStdString(SharedFileSlots().slot1()->path().native()),
              Control<tambril::FileList>(dialog, "File1")->realFilePath());
    const QByteArray content = row == 1 ? QByteArray("aus dem Norden")
                                        : QByteArray(
                                              "aus dem S\xfc"
                                              "den");
    EXPECT_EQ(test::LoadedSize(), content.size());
    EXPECT_FALSE(Control<QLabel>(main, "Label8")->text().isEmpty());
    EXPECT_EQ(box.text(0, 100), QString::fromStdString(codec::Cp1252ToUtf8(content.toStdString())));
    // And once more through the shown path alone, as the coding dialogs go.
    EXPECT_EQ(QByteArray::fromStdString(ToFsPath(test::LoadedPath()).native()), folder + (row == 1 ? "/Gr\xfc\xdf"
                                                                                                     "e.txt"
                                                                                                   : "/Gr\xe4\xdf"
                                                                                                     "e.txt"));
  }
  // Coming back to the folder by its shown path, as the create modes do.
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath()));
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(shownFolder));
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->realPath(), folder);
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 3);
  // A folder made inside it lies inside it.
  EXPECT_EQ(ToFsPath(shownFolder + kSep + "neu").native(), (folder + "/neu").toStdString());
}

TEST_F(FileDialogTest, AnInvalidPatternIsReplacedByAllFiles) {
  writeFile("f/a.txt");
  writeFile("f/b.rtf");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("f")));
  Control<QComboBox>(dialog, "Combo1")->setEditText("*.txt");
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 1);
  QTest::keyClicks(Control<QComboBox>(dialog, "Combo1")->lineEdit(), "|");
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Unzulässiger Eigenschaftswert"));
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::Stop);
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_EQ(Control<QComboBox>(dialog, "Combo1")->currentText(), QStringLiteral("*.*"));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->pattern().text(), QStringLiteral("*.*"));
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->count(), 2);
}

TEST_F(FileDialogTest, CancelAndTheCloseBoxOnlyHide) {
  SharedSession().setCreateMode(session::CreateMode::Encode);
  Control<QLineEdit>(dialog, "Text1")->setText("/x/brief.tmb");
  test::WhenModal<Selpr6>([](Selpr6& d) { Control<QPushButton>(d, "Command3")->click(); });
  dialog.exec();
  EXPECT_FALSE(dialog.isVisible());
  test::WhenModal<Selpr6>([](Selpr6& d) { d.close(); });
  dialog.exec();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEON"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("/x/brief.tmb"));
  EXPECT_EQ(&Window<Selpr6>(), &dialog);
}

TEST_F(FileDialogTest, DoubleClickLoadsOnlyInOpenMode) {
  writeFile("d/a.txt", "hallo");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("d")));
  dialog.PrepareCreateMode();
  clickFile("a.txt");
  emit Control<tambril::FileList>(dialog, "File1")
      ->itemDoubleClicked(Control<tambril::FileList>(dialog, "File1")->currentItem());
  EXPECT_FALSE(SharedSession().loaded());
  dialog.PrepareOpenMode();
  Control<tambril::FileList>(dialog, "File1")->clearSelection();
  clickFile("a.txt");
  emit Control<tambril::FileList>(dialog, "File1")
      ->itemDoubleClicked(Control<tambril::FileList>(dialog, "File1")->currentItem());
  ASSERT_TRUE(SharedSession().loaded());
  EXPECT_EQ(SharedSession().loaded()->path, tempPath("d/a.txt"));
}

TEST_F(FileDialogTest, OpenWithAnEmptyNameOnlyBeeps) {
  openMode();
  rec.reset();
  Control<QPushButton>(dialog, "Command2")->click();
  EXPECT_EQ(rec.events, QStringList({"beep"}));
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QString());
}

TEST_F(FileDialogTest, LoadingAPlainFileFillsTheRecord) {
  const QString path = writeFile("Daten/bericht.txt", QByteArray(1234, 'a'));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2024, 2, 29), QTime(7, 5, 9)), QFileDevice::FileModificationTime));
  }
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    ASSERT_TRUE(Control<tambril::FolderList>(d, "Dir1")->setPath(tempPath("Daten")));
    clickFile("bericht.txt");
    Control<QPushButton>(d, "Command2")->click();
  });
  Control<QAction>(main, "Datei_öffnen")->trigger();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(main.windowTitle(), "  " + path);
  const session::Session& model = SharedSession();
  ASSERT_TRUE(model.loaded());
  EXPECT_EQ(model.loaded()->name, QStringLiteral("bericht.txt"));
  EXPECT_EQ(model.loaded()->path, path);
  EXPECT_EQ(model.loaded()->size, 1234u);
  EXPECT_FALSE(model.loaded()->encoded);
  EXPECT_EQ(model.loaded()->changed, QDateTime(QDate(2024, 2, 29), QTime(7, 5, 9)));
  EXPECT_EQ(model.rememberedFolder(), tempPath("Daten"));
  EXPECT_EQ(model.rememberedDrive(), Control<tambril::DriveList>(dialog, "Drive1")->drive());
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QStringLiteral("bericht.txt"));
  EXPECT_EQ(test::LoadedPath(), path);
  EXPECT_EQ(test::LoadedSize(), 1234);
  EXPECT_EQ(Control<QLabel>(main, "Label1")->text(), QStringLiteral(" 1234 Byte"));
  EXPECT_EQ(Control<QLabel>(main, "Label7")->text(), QStringLiteral(" 0 MB"));
  EXPECT_EQ(Control<QLabel>(main, "Label8")->text(), QStringLiteral("29.02.2024 07:05:09"));
  EXPECT_TRUE(Control<QLabel>(main, "Image3")->isHidden());
  EXPECT_FALSE(Control<QLabel>(main, "Label10")->isHidden());
  EXPECT_FALSE(Control<QLabel>(main, "Image2")->isHidden());
  EXPECT_TRUE(Control<QLabel>(main, "Label9")->isHidden());
  EXPECT_TRUE(Control<QLabel>(main, "Image1")->isHidden());
  EXPECT_EQ(Control<QLabel>(dialog, "Label5")->text(), tempPath("Daten"));
  EXPECT_EQ(Control<QLabel>(dialog, "Label6")->text(), Control<tambril::DriveList>(dialog, "Drive1")->drive());
  ASSERT_NE(SharedFileSlots().slot1(), nullptr);
  EXPECT_EQ(SharedFileSlots().slot1()->size(), 1234u);
  EXPECT_TRUE(box.isPlain());
  EXPECT_EQ(box.textLength(), 1234);
  EXPECT_EQ(rec.events.first(), QStringLiteral("pointer Selpr6 busy"));
  EXPECT_EQ(rec.events.last(), QStringLiteral("pointer Selpr6 normal"));
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(FileDialogTest, SizesOfEmptyAndLargeFiles) {
  const struct {
    qint64 bytes;
    const char* line;
    const char* mb;
  } cases[] = {{0, " 0 Byte", " 0 MB"},
               {524288, " 524288 Byte", " 0 MB"},
               {524289, " 524289 Byte", " 1 MB"},
               {1572864, " 1572864 Byte", " 2 MB"},
               {2621440, " 2621440 Byte", " 2 MB"}};
  for (const auto& c : cases) {
    const QString name = QString("s%1.bin").arg(c.bytes);
    QFile f(temp.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(c.bytes));
    f.close();
    load(tempPath(), name);
    EXPECT_EQ(Control<QLabel>(main, "Label1")->text(), QString::fromLatin1(c.line));
    EXPECT_EQ(Control<QLabel>(main, "Label7")->text(), QString::fromLatin1(c.mb));
    EXPECT_EQ(test::LoadedSize(), c.bytes);
    EXPECT_EQ(box.textLength(), c.bytes);  // the whole file, NULs included
  }
}

TEST_F(FileDialogTest, AFileTooLargeToShowIsStillLoaded) {
  const qint64 size = RichTextBox::kMaxShownBytes + 1;
  QFile f(temp.filePath("riesig.bin"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(size));  // sparse: takes no room on disk
  f.close();
  load(tempPath(), "riesig.bin");
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(Control<QLabel>(main, "Label1")->text(), NumberText(size) + " Byte");
  EXPECT_EQ(Control<QLabel>(main, "Label7")->text(), NumberText(RoundedMebibytes(size)) + " MB");
  EXPECT_EQ(test::LoadedPath(), tempPath("riesig.bin"));
  ASSERT_NE(SharedFileSlots().slot1(), nullptr);
  EXPECT_EQ(SharedFileSlots().slot1()->size(), static_cast<std::uint64_t>(size));
  EXPECT_TRUE(box.text(0, 100).startsWith(QStringLiteral("Die Datei ist mit")));
  // The notice is no text of the file: neither search finds a word of it.
  Form5& search = Window<Form8>().searchDialog();
  Control<QLineEdit>(search, "Text1")->setText(QStringLiteral("Datei"));
  Control<QCheckBox>(search, "Check3")->setChecked(true);
  search.Command1_Click();
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages.back().text, messages::kFoundBefore + NumberText(0) + messages::kFoundAfter);
  Control<QCheckBox>(search, "Check3")->setChecked(false);
  search.Command1_Click();
  ASSERT_EQ(rec.messages.size(), 2u);
  EXPECT_EQ(rec.messages.back().text, messages::kNotFound);
  EXPECT_EQ(box.selectionLength(), 0);
}

TEST_F(FileDialogTest, KindIsDecidedByThePathTextInAnyCase) {
  const struct {
    const char* relative;
    bool encoded;
    bool rich;
  } cases[] = {{"brief.tmb", true, false},         {"brief.TmB", true, false},    {"report.tmb.txt", true, false},
               {"ALT.TMB/plain.txt", true, false}, {"x.RTF", false, true},        {"alt.rtf/x.txt", false, true},
               {"both.rtf.tmb", true, true},       {"neither.doc", false, false}, {"tmb.txt", false, false}};
  for (const auto& c : cases) {
    const QString rel = QString::fromLatin1(c.relative);
    writeFile(rel, "{\\rtf1 Hallo}");
    const QFileInfo info(temp.filePath(rel));
    load(QDir::toNativeSeparators(info.absolutePath()), info.fileName());
    EXPECT_EQ(!Control<QLabel>(main, "Label9")->isHidden(), c.encoded) << c.relative;
    EXPECT_EQ(!Control<QLabel>(main, "Image1")->isHidden(), c.encoded) << c.relative;
    EXPECT_EQ(!Control<QLabel>(main, "Label10")->isHidden(), !c.encoded) << c.relative;
    EXPECT_EQ(!Control<QLabel>(main, "Image2")->isHidden(), !c.encoded) << c.relative;
    EXPECT_EQ(box.isPlain(), !c.rich) << c.relative;
  }
}

TEST_F(FileDialogTest, AFailedLoadLeavesNoFileLoaded) {
  writeFile("ok/brief.tmb", "12345");
  load(tempPath("ok"), "brief.tmb");
  ASSERT_EQ(test::LoadedPath(), tempPath("ok/brief.tmb"));
  const QString date = Control<QLabel>(main, "Label8")->text();
  rec.reset();
  // In open mode a folder change leaves the folder in the name box.
  const QString folder = makeFolder("leer");
  openMode();
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(folder));
  ASSERT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), folder + kSep);
  Control<QPushButton>(dialog, "Command2")->click();
  EXPECT_EQ(rec.beeps, 1);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_FALSE(SharedSession().loaded());
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QStringLiteral("ERROR"));
  EXPECT_EQ(Control<QLabel>(main, "Label1")->text(), QString());
  EXPECT_EQ(test::LoadedSize(), -1);
  EXPECT_EQ(test::LoadedPath(), QString());
  // Kept: caption, markers, megabyte and date lines, the dialog's memory.
  EXPECT_EQ(main.windowTitle(), "  " + folder + kSep);
  EXPECT_FALSE(Control<QLabel>(main, "Label9")->isHidden());
  EXPECT_TRUE(Control<QLabel>(main, "Label10")->isHidden());
  EXPECT_EQ(Control<QLabel>(main, "Label7")->text(), QStringLiteral(" 0 MB"));
  EXPECT_EQ(Control<QLabel>(main, "Label8")->text(), date);
  EXPECT_EQ(SharedSession().rememberedFolder(), folder);
  EXPECT_EQ(Control<QLabel>(dialog, "Label5")->text(), folder);
  EXPECT_EQ(box.textLength(), 0);
  EXPECT_EQ(SharedFileSlots().slot1(), nullptr);
  EXPECT_EQ(rec.events.last(), QStringLiteral("pointer Selpr6 normal"));
}

TEST_F(FileDialogTest, AFileThatCannotBeReadIsAnAccessFailure) {
  const QString path = writeFile("geheim.txt", "x");
  QFile::setPermissions(path, QFileDevice::WriteOwner);
  openMode();
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath()));
  clickFile("geheim.txt");
  {
    test::AsOrdinaryUser user(tempPath());
    Control<QPushButton>(dialog, "Command2")->click();
  }
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QStringLiteral("ERROR"));
  EXPECT_EQ(main.windowTitle(), "  " + path);
  // The markers and the start picture were not reached.
  EXPECT_FALSE(Control<QLabel>(main, "Image3")->isHidden());
  EXPECT_TRUE(Control<QLabel>(main, "Label10")->isHidden());
  EXPECT_TRUE(Control<QLabel>(main, "Label9")->isHidden());
}

// A path typed or dropped can still name what the list leaves out; loading
// refuses it at once instead of waiting for a pipe's writer.
TEST_F(FileDialogTest, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
  const QString fifo = tempPath("rohr");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(fifo, tempPath("rohr-verweis")));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), tempPath("geraet")));
  writeFile("gut.txt", "gut");
  for (const QString& path : {fifo, tempPath("rohr-verweis"), tempPath("geraet")}) {
    SCOPED_TRACE(path.toStdString());
    load(tempPath(), "gut.txt");
    ASSERT_NE(SharedFileSlots().slot1(), nullptr);
    rec.reset();
    openMode();
    Control<QLineEdit>(dialog, "Text1")->setText(path);
    Control<QPushButton>(dialog, "Command2")->click();
    EXPECT_EQ(rec.beeps, 1);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
    EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QStringLiteral("ERROR"));
    EXPECT_EQ(test::LoadedPath(), QString());
    EXPECT_EQ(SharedFileSlots().slot1(), nullptr);
    EXPECT_EQ(box.textLength(), 0);
  }
}

TEST_F(FileDialogTest, ASecondLoadReplacesTheFirst) {
  writeFile("a.txt", "erste Datei");
  writeFile("b.txt", "zweite");
  load(tempPath(), "a.txt");
  const codec::InputFile* first = SharedFileSlots().slot1();
  ASSERT_NE(first, nullptr);
  load(tempPath(), "b.txt");
  ASSERT_NE(SharedFileSlots().slot1(), nullptr);
  EXPECT_EQ(SharedFileSlots().slot1()->path(), ToFsPath(tempPath("b.txt")));
  EXPECT_EQ(SharedFileSlots().slot1()->size(), 6u);
  EXPECT_EQ(box.text(0, 100), QStringLiteral("zweite"));
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QStringLiteral("b.txt"));
}

TEST_F(FileDialogTest, NameBoxIsTheSelectionAtLoadTime) {
  writeFile("n/a.txt", "a");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("n")));
  clickFile("a.txt");
  // A filter change leaves no file selected, but the path stays in the box.
  Control<QComboBox>(dialog, "Combo1")->setEditText("*.rtf");
  ASSERT_EQ(Control<tambril::FileList>(dialog, "File1")->fileName(), QString());
  Control<QPushButton>(dialog, "Command2")->click();
  EXPECT_EQ(test::LoadedPath(), tempPath("n/a.txt"));
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QString());
}

}  // namespace
}  // namespace tambril
