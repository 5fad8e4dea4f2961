// The main window: its start state, menu, F1, the open command, files from
// outside (command line, drops) and the end of the program.
#include <sys/stat.h>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <atomic>
#include <cstdio>
#include <thread>

#include "file_dialog/selpr6.h"
#include "help_window/form21.h"
#include "main_window/form1.h"
#include "main_window/outside_files.h"
#include "platform/background_work.h"
#include "platform/file_slots.h"
#include "session/session.h"
#include "startup/form6.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"
#include "viewer/rich_text_box.h"

namespace tambril {
namespace {

class MainWindowTest : public test::GuiTest {
 protected:
  Form1& form = program().mainWindow();
};

// Each window is made on its first use, the same one afterwards, hidden,
// with the main window as its parent; the program destroys its dialogs
// before the main window, and everything with itself.
TEST(Program, MakesEachWindowOnFirstUseAndDestroysTheDialogsBeforeTheMainWindow) {
  platform::RecordingPlatform rec;
  QPointer<QWidget> dialog;
  QPointer<QWidget> main;
  QStringList order;
  {
    Program program(rec);
    EXPECT_EQ(program.made().fileDialog, nullptr);
    Selpr6& files = program.fileDialog();
    EXPECT_EQ(&program.fileDialog(), &files);
    ASSERT_NE(program.made().mainWindow, nullptr);  // made first, as its parent
    EXPECT_EQ(files.parentWidget(), program.made().mainWindow);
    EXPECT_FALSE(files.isVisible());
    dialog = &files;
    main = program.made().mainWindow;
    QObject::connect(dialog, &QObject::destroyed,
                     [&] { order << (main ? "dialog, main there" : "dialog, main gone"); });
    QObject::connect(main, &QObject::destroyed, [&] { order << "main"; });
  }
  EXPECT_TRUE(dialog.isNull());
  EXPECT_TRUE(main.isNull());
  EXPECT_EQ(order, QStringList({"dialog, main there", "main"}));
}

TEST_F(MainWindowTest, StartsWithNoFileLoaded) {
  // Building it builds none of the windows it opens: each comes with its first use.
  EXPECT_EQ(program().made().fileDialog, nullptr);
  EXPECT_EQ(program().made().viewer, nullptr);
  EXPECT_EQ(program().made().helpWindow, nullptr);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Tambril"));
  EXPECT_EQ(Control<QLabel>(form, "Label1")->text(), QStringLiteral("0 Byte"));  // no leading space before a load
  EXPECT_EQ(Control<QLabel>(form, "Label7")->text(), QStringLiteral("0 MB"));
  EXPECT_FALSE(program().session().loaded());
  EXPECT_EQ(Control<QLabel>(form, "Label8")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(form, "Text1")->text(), QString());
  EXPECT_TRUE(Control<QLineEdit>(form, "Text1")->isReadOnly());
  EXPECT_FALSE(Control<QLabel>(form, "Image3")->isHidden());
  for (QWidget* hidden :
       {static_cast<QWidget*>(Control<QLabel>(form, "Label9")), static_cast<QWidget*>(Control<QLabel>(form, "Image1")),
        static_cast<QWidget*>(Control<QLabel>(form, "Label10")),
        static_cast<QWidget*>(Control<QLabel>(form, "Image2"))}) {
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  }
  EXPECT_EQ(Control<QLabel>(form, "Label4")->text(), QStringLiteral("Dateiname:"));
  EXPECT_EQ(Control<QLabel>(form, "Label2")->text(), QStringLiteral("Größe:"));
  EXPECT_EQ(Control<QLabel>(form, "Label6")->text(), QStringLiteral("Geändert am:"));
  EXPECT_EQ(Control<QLabel>(form, "Label9")->text(), QStringLiteral("CODIERTE- DATEI"));
  EXPECT_EQ(Control<QLabel>(form, "Label10")->text(), QStringLiteral("ENTCODIERTE-DATEI"));
  EXPECT_EQ(form.centralWidget()->size(), QSize(664, 250));
  EXPECT_EQ(Control<QLabel>(form, "Label4")->palette().color(QPalette::WindowText), QColor(0, 0, 0x40));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
  EXPECT_TRUE(Control<QLabel>(form, "Label4")->font().bold());
  EXPECT_DOUBLE_EQ(Control<QLabel>(form, "Label4")->font().pointSizeF(), 13.5);
  // Centred on the (recorded) screen of 1280 x 1024.
  EXPECT_EQ(form.frameGeometry().x(), (1280 - form.frameGeometry().width()) / 2);
  EXPECT_EQ(form.frameGeometry().y(), (1024 - form.frameGeometry().height()) / 2);

  // The name box's text stands level with its "Dateiname:" label, both placed
  // at the same top: the same text in both shows its first row of ink at the
  // same height.
  Control<QLineEdit>(form, "Text1")->setText(Control<QLabel>(form, "Label4")->text());
  const QImage client = form.centralWidget()->grab().toImage();
  const auto firstInkRow = [&](const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right() && x < client.width(); ++x)
        if (qGray(client.pixel(x, y)) < 0x80) return y;
    return -1;
  };
  const int label = firstInkRow(Control<QLabel>(form, "Label4")->geometry());
  const int box = firstInkRow(Control<QLineEdit>(form, "Text1")->geometry().intersected(client.rect()));
  ASSERT_GE(label, 0);
  EXPECT_LE(std::abs(box - label), 1) << "label " << label << ", name box " << box;
  Control<QLineEdit>(form, "Text1")->clear();
}

TEST_F(MainWindowTest, MenuHasItsEntriesWithoutShortcutsOrMarks) {
  const QList<QAction*> top = form.menuBar()->actions();
  QStringList captions;
  for (QAction* a : top) captions << a->text();
  EXPECT_EQ(captions, QStringList({"Datei", "Bearbeiten", "Zeigen", "?"}));
  const QList<std::pair<QAction*, QString>> items = {
      {Control<QAction>(form, "Datei_öffnen"), QStringLiteral("Datei öffnen..")},
      {Control<QAction>(form, "Beenden"), "Beenden"},
      {Control<QAction>(form, "Code_AN"), "Code_An.."},
      {Control<QAction>(form, "Code_Aus"), "Code_Aus.."},
      {Control<QAction>(form, "Window"), "Window"},
      {Control<QAction>(form, "Hilfe"), "Hilfe"},
      {Control<QAction>(form, "Info"), "Info"}};
  for (const auto& [action, caption] : items) {
    EXPECT_EQ(action->text(), caption);
    EXPECT_TRUE(action->shortcut().isEmpty()) << caption.toStdString();
    EXPECT_TRUE(action->isEnabled());
    EXPECT_FALSE(action->isChecked());
  }
  EXPECT_EQ(Control<QAction>(form, "Datei_öffnen")->objectName(), QStringLiteral("Datei_öffnen"));
  EXPECT_EQ(Control<QMenu>(form, "Date")->objectName(), QStringLiteral("Date"));

  // A coding item shows a mark only while it is checked: unchecked it looks
  // exactly like an item that cannot be checked at all.
  Control<QMenu>(form, "Bearbeiten")->adjustSize();
  const QImage unchecked = Control<QMenu>(form, "Bearbeiten")->grab().toImage();
  Control<QAction>(form, "Code_AN")->setCheckable(false);
  EXPECT_EQ(Control<QMenu>(form, "Bearbeiten")->grab().toImage(), unchecked);
  Control<QAction>(form, "Code_AN")->setCheckable(true);
  Control<QAction>(form, "Code_AN")->setChecked(true);
  EXPECT_NE(Control<QMenu>(form, "Bearbeiten")->grab().toImage(), unchecked);
  Control<QAction>(form, "Code_AN")->setChecked(false);
}

TEST_F(MainWindowTest, CodingItemsDoNotFlipTheirOwnMark) {
  Control<QAction>(form, "Code_AN")->trigger();
  Control<QAction>(form, "Code_Aus")->trigger();
  EXPECT_FALSE(Control<QAction>(form, "Code_AN")->isChecked());
  EXPECT_FALSE(Control<QAction>(form, "Code_Aus")->isChecked());
}

TEST_F(MainWindowTest, F1AsksForHelpOnlyInTheNameField) {
  QSignalSpy help(Control<QAction>(form, "Hilfe"), &QAction::triggered);
  test::WhenModal<Form21>([](Form21& h) { Control<QAction>(h, "Abbrechen")->trigger(); });
  QTest::keyClick(Control<QLineEdit>(form, "Text1"), Qt::Key_F1);
  EXPECT_EQ(help.count(), 1);
  QTest::keyClick(Control<QLineEdit>(form, "Text1"), Qt::Key_F2);
  QTest::keyClick(Control<QLineEdit>(form, "Text1"), Qt::Key_A);
  QTest::keyClick(Control<QLineEdit>(form, "Text1"), Qt::Key_F3);
  EXPECT_EQ(help.count(), 1);
  QTest::keyClick(&form, Qt::Key_F1);
  QTest::keyClick(form.centralWidget(), Qt::Key_F1);
  EXPECT_EQ(help.count(), 1);
}

TEST_F(MainWindowTest, OpenCommandPreparesTheFileDialogInOpenMode) {
  Selpr6& dialog = program().fileDialog();
  // Leave the dialog as a create mode would.
  dialog.PrepareCreateMode();
  Control<QLineEdit>(dialog, "Text1")->setReadOnly(false);
  Control<QLineEdit>(dialog, "Text1")->setText("/x/brief.tmb");
  program().session().setProposedName("brief.tmb");
  program().session().setCreateMode(session::CreateMode::Encode);
  const QString folder = makeFolder("last");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(folder));
  rec.reset();
  bool seen = false;
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    seen = true;
    EXPECT_EQ(d.windowTitle(), QStringLiteral(" Datei öffnen"));
    EXPECT_FALSE(Control<QPushButton>(d, "Command1")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, "Command2")->isEnabled());
    EXPECT_FALSE(Control<QMenu>(d, "Directory")->menuAction()->isEnabled());
    EXPECT_EQ(program().session().proposedName(), QString());
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), QString());
    EXPECT_TRUE(Control<QLineEdit>(d, "Text1")->isReadOnly());
    EXPECT_EQ(program().session().proposedName(), QString());
    EXPECT_EQ(program().session().createMode(), session::CreateMode::Encode);  // kept
    EXPECT_EQ(Control<QLabel>(d, "Label4")->text(), QStringLiteral("CODEON"));
    EXPECT_EQ(Control<tambril::FolderList>(d, "Dir1")->path(), folder);  // kept
    Control<QPushButton>(d, "Command3")->click();                        // ABBRECHEN
  });
  Control<QAction>(form, "Datei_öffnen")->trigger();
  EXPECT_TRUE(seen);
  EXPECT_FALSE(dialog.isVisible());
  // Closing without loading leaves the record as it was.
  EXPECT_EQ(Control<QLabel>(form, "Label1")->text(), QStringLiteral("0 Byte"));
  EXPECT_EQ(loadedPath(), QString());
  EXPECT_FALSE(Control<QLabel>(form, "Image3")->isHidden());
  EXPECT_TRUE(rec.events.isEmpty()) << rec.events.join('\n').toStdString();
}

TEST_F(MainWindowTest, OpenCommandFallsBackToTheRootWhenTheLastFolderIsGone) {
  Selpr6& dialog = program().fileDialog();
  const QString gone = makeFolder("gone");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(gone));
  ASSERT_TRUE(QDir(gone).removeRecursively());
  rec.reset();
  bool opened = false;
  // Should the dialog open after all, hide it again so that the test ends.
  QTimer::singleShot(0, [&] {
    if (QWidget* m = QApplication::activeModalWidget()) {
      opened = true;
      m->hide();
    }
  });
  Control<QAction>(form, "Datei_öffnen")->trigger();
  QCoreApplication::processEvents();  // lets the guard above run out
  EXPECT_FALSE(opened);
  EXPECT_EQ(rec.events.first(), QStringLiteral("beep"));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Lesen von/Schreiben auf Gerät"));
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), QDir::toNativeSeparators(QDir::rootPath()));
  EXPECT_EQ(Control<tambril::DriveList>(dialog, "Drive1")->drive(), QDir::toNativeSeparators(QDir::rootPath()));
  // The next opening starts there.
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    opened = true;
    Control<QPushButton>(d, "Command3")->click();
  });
  Control<QAction>(form, "Datei_öffnen")->trigger();
  EXPECT_TRUE(opened);
}

// Files from outside go through the file dialog's loading step.
class OutsideFileTest : public MainWindowTest {
 protected:
  Selpr6& dialog = program().fileDialog();

  // Drops `data` on the main window as a file manager would: enter, then drop.
  // Returns whether the window took the drag.
  bool drop(QMimeData* data) {
    const QPointF centre(form.width() / 2.0, form.height() / 2.0);
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDropEvent dropped(centre, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &dropped);
    QCoreApplication::processEvents();
    delete data;
    return enter.isAccepted();
  }
  static QMimeData* urls(const QList<QUrl>& list) {
    auto* data = new QMimeData;
    data->setUrls(list);
    return data;
  }
  QString viewerText() {
    const RichTextBox& box = *Control<tambril::RichTextBox>(program().viewer(), "RichTextBox1");
    return box.text(0, box.textLength());
  }
  void expectLoaded(const QString& path, const QString& name) {
    EXPECT_EQ(loadedPath(), path);
    EXPECT_EQ(Control<QLineEdit>(form, "Text1")->text(), name);
    EXPECT_EQ(form.windowTitle(), "  " + path);
    ASSERT_NE(program().fileSlots().slot1(), nullptr);
    // The dialog is left in the file's folder, as after "ÖFFNEN".
    const QString folder = QFileInfo(path).absolutePath();
    EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), folder);
    EXPECT_EQ(Control<QLabel>(dialog, "Label5")->text(), folder);
    EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), path);
    EXPECT_TRUE(Control<QPushButton>(dialog, "Command2")->isEnabled());
    EXPECT_TRUE(dialog.isHidden());
  }
};

TEST_F(OutsideFileTest, TheFileOnTheCommandLineIsLoadedWhenTheMainWindowAppears) {
  Control<tambril::FolderList>(dialog, "Dir1")->setPath(makeFolder("anderswo"));
  // The dialog's filter would hide the file; it is loaded with its name all the same.
  Control<QComboBox>(dialog, "Combo1")->setEditText(QStringLiteral("*.tmb"));
  const QString path = writeFile("Briefe/brief.txt", "Hallo Welt");
  form.hide();
  program().loadWhenMainWindowAppears(OutsidePath(QUrl::fromLocalFile(path).toString()));
  QCoreApplication::processEvents();
  EXPECT_EQ(loadedPath(), QString()) << "loaded before the window appeared";

  form.show();
  for (int i = 0; i < 10 && loadedPath().isEmpty(); ++i) QCoreApplication::processEvents();
  expectLoaded(path, QStringLiteral("brief.txt"));
  EXPECT_EQ(Control<QLabel>(form, "Label1")->text(), QStringLiteral(" 10 Byte"));
  EXPECT_TRUE(Control<QLabel>(form, "Label9")->isHidden());
  EXPECT_FALSE(Control<QLabel>(form, "Label10")->isHidden());
  EXPECT_EQ(viewerText(), QStringLiteral("Hallo Welt"));
  EXPECT_TRUE(rec.messages.empty());

  // Only the first showing loads.
  QFile::remove(path);
  form.hide();
  form.show();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(loadedPath(), path);
}

// The program starts with a file on its command line: it is loaded when the
// main window appears, without making the file dialog; the dialog, made
// later, starts in the file's folder with the file named, as after "ÖFFNEN".
TEST_F(MainWindowTest, TheFileOnTheCommandLineNeedsNoFileDialog) {
  const QString path = writeFile("Briefe/brief.txt", "Hallo Welt");
  form.hide();
  program().loadWhenMainWindowAppears(path);
  form.show();
  for (int i = 0; i < 10 && loadedPath().isEmpty(); ++i) QCoreApplication::processEvents();
  EXPECT_EQ(loadedPath(), path);
  EXPECT_EQ(Control<QLineEdit>(form, "Text1")->text(), QStringLiteral("brief.txt"));
  EXPECT_EQ(program().made().fileDialog, nullptr);
  EXPECT_TRUE(rec.messages.empty());

  const QString folder = QFileInfo(path).absolutePath();
  EXPECT_EQ(program().session().rememberedFolder(), folder);
  Selpr6& dialog = program().fileDialog();
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), folder);
  EXPECT_EQ(Control<QLabel>(dialog, "Label5")->text(), folder);
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), path);
  EXPECT_EQ(Control<tambril::FileList>(dialog, "File1")->fileName(), QStringLiteral("brief.txt"));

  // A file that is not there: the loading message over the main window.
  Form1& again = restartProgram().mainWindow();
  program().loadWhenMainWindowAppears(tempPath("fehlt.txt"));
  again.show();
  for (int i = 0; i < 10 && rec.messages.empty(); ++i) QCoreApplication::processEvents();
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
  EXPECT_EQ(rec.messages[0].window, QStringLiteral("Form1"));
  EXPECT_EQ(rec.beeps, 1);
  EXPECT_EQ(program().made().fileDialog, nullptr);

  // A name that is not UTF-8, as the system hands it over (here relative to
  // the current folder): the very file loads, as through "ÖFFNEN".
  const QByteArray folderBytes = QFile::encodeName(QFileInfo(makeFolder("alt")).canonicalFilePath());
  const QByteArray nameBytes("caf\xe9.txt");
  std::FILE* f = std::fopen((folderBytes + '/' + nameBytes).constData(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("Latin-1", f);
  std::fclose(f);
  QByteArray given = nameBytes;
  char programName[] = "tambril";
  char* argv[] = {programName, given.data(), nullptr};
  const CommandLine line = SplitCommandLine(2, argv);
  const QString before = QDir::currentPath();
  QDir::setCurrent(QFile::decodeName(folderBytes));
  const QString shown = OutsidePathOfBytes(ArgumentBytes(line, QString::fromLocal8Bit(given)));
  QDir::setCurrent(before);
  rec.reset();
  Form1& third = restartProgram().mainWindow();
  program().loadWhenMainWindowAppears(shown);
  third.show();
  for (int i = 0; i < 10 && loadedPath().isEmpty() && rec.messages.empty(); ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(loadedPath(), QFile::decodeName(folderBytes) + QStringLiteral("/caf\uFFFD.txt"));
  EXPECT_EQ(Control<QLineEdit>(third, "Text1")->text(), QStringLiteral("caf\uFFFD.txt"));
  EXPECT_EQ(Control<QLabel>(third, "Label1")->text(), QStringLiteral(" 7 Byte"));
}

TEST_F(OutsideFileTest, ArgumentsAreTakenFromTheCurrentFolder) {
  const QString folder = QFileInfo(makeFolder("hier")).canonicalFilePath();
  const QString before = QDir::currentPath();
  QDir::setCurrent(folder);
  EXPECT_EQ(OutsidePath(QStringLiteral("a.tmb")), folder + "/a.tmb");
  EXPECT_EQ(OutsidePath(QStringLiteral("../hier/./b.txt")), folder + "/b.txt");
  QDir::setCurrent(before);
  EXPECT_EQ(OutsidePath(QStringLiteral("file:///tmp/x%20y.tmb")), QStringLiteral("/tmp/x y.tmb"));
  EXPECT_EQ(OutsidePath(QStringLiteral("/a//b/../c.txt")), QStringLiteral("/a/c.txt"));
  // ".." after a link leads beside the folder the link points to, as the
  // system resolves it, not back to where the link lies.
  const QString far = QFileInfo(makeFolder("weit/weg")).canonicalFilePath();
  writeFile("weit/x.txt", "richtig");
  writeFile("x.txt", "falsch");
  ASSERT_TRUE(QFile::link(far, tempPath("lnk")));
  EXPECT_EQ(OutsidePath(tempPath("lnk/../x.txt")), QFileInfo(far).path() + "/x.txt");
  // The file itself keeps its name, even when it is a link; without ".."
  // a link to a folder stays as named.
  ASSERT_TRUE(QFile::link(tempPath("x.txt"), tempPath("weit/weg/zeiger.txt")));
  EXPECT_EQ(OutsidePath(tempPath("weit/../lnk/zeiger.txt")), far + "/zeiger.txt");
  EXPECT_EQ(OutsidePath(tempPath("lnk/./zeiger.txt")), tempPath("lnk/zeiger.txt"));
}

TEST_F(OutsideFileTest, ArgumentsAfterTwoDashesAreFiles) {
  char program[] = "tambril", dashes[] = "--", option[] = "-reverse", second[] = "b.txt";
  char* argv[] = {program, dashes, option, second, nullptr};
  const CommandLine line = SplitCommandLine(4, argv);
  // Qt sees none of them, so it takes no option out of them.
  ASSERT_EQ(line.forQtCount, 1);
  EXPECT_EQ(line.forQt.back(), nullptr);
  EXPECT_EQ(FileArgument(line, {QStringLiteral("tambril")}), QStringLiteral("-reverse"));
  // "--" alone names no file; without "--" the first argument Qt left is the file.
  const CommandLine none = SplitCommandLine(2, argv);
  EXPECT_EQ(FileArgument(none, {QStringLiteral("tambril")}), QString());
  char* plain[] = {program, option, second, nullptr};
  const CommandLine qt = SplitCommandLine(3, plain);
  EXPECT_EQ(qt.forQtCount, 3);
  EXPECT_EQ(FileArgument(qt, {QStringLiteral("tambril"), QStringLiteral("b.txt")}), QStringLiteral("b.txt"));
}

TEST_F(OutsideFileTest, WhatCannotBeLoadedGetsTheLoadingMessages) {
  const QString access = QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
  const QString fifo = tempPath("rohr");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  struct Case {
    QString path;
    QString message;
  };
  const Case cases[] = {
      {tempPath("fehlt.txt"), access},
      {tempPath("gibt/es/nicht.txt"), access},
      {makeFolder("Ordner"), access},
      // A pipe would wait for a writer for good if it were opened.
      {fifo, access},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    writeFile("gut.txt", "gut");
    form.OpenFromOutside(tempPath("gut.txt"));
    ASSERT_EQ(loadedPath(), tempPath("gut.txt"));
    rec.reset();
    form.OpenFromOutside(c.path);
    EXPECT_EQ(rec.beeps, 1);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, c.message);
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(Control<QLineEdit>(form, "Text1")->text(), QStringLiteral("ERROR"));
    EXPECT_EQ(loadedPath(), QString());
    EXPECT_EQ(program().fileSlots().slot1(), nullptr);
    EXPECT_EQ(form.windowTitle(), "  " + c.path);
  }
}

TEST_F(OutsideFileTest, DroppedFilesAreLoadedTheSameWay) {
  const QString first = writeFile("a/erste.tmb", "12345");
  const QString second = writeFile("b/zweite.txt", "x");
  // Several files: the first is taken.
  EXPECT_TRUE(drop(urls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)})));
  expectLoaded(first, QStringLiteral("erste.tmb"));
  EXPECT_FALSE(Control<QLabel>(form, "Label9")->isHidden());
  EXPECT_TRUE(rec.messages.empty());

  // A folder and a URL that is no local file fail as a load does.
  for (const QUrl& url : {QUrl::fromLocalFile(makeFolder("c")), QUrl(QStringLiteral("https://example.org/x.txt"))}) {
    SCOPED_TRACE(url.toString().toStdString());
    rec.reset();
    EXPECT_TRUE(drop(urls({url})));
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
    EXPECT_EQ(loadedPath(), QString());
  }

  // Text without a URL is not taken at all.
  rec.reset();
  auto* text = new QMimeData;
  text->setText(second);
  EXPECT_FALSE(drop(text));
  EXPECT_TRUE(rec.events.isEmpty());
  EXPECT_EQ(loadedPath(), QString());

  EXPECT_TRUE(drop(urls({QUrl::fromLocalFile(second)})));
  expectLoaded(second, QStringLiteral("zweite.txt"));

  // A name that is not UTF-8 comes as escaped bytes in the URL.
  const QByteArray folder = QFile::encodeName(makeFolder("d"));
  std::FILE* f = std::fopen((folder + "/caf\xe9.txt").constData(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  rec.reset();
  const QUrl url = QUrl::fromEncoded("file://" + folder.toPercentEncoding("/") + "/caf%E9.txt");
  auto* data = urls({url});
  EXPECT_EQ(RealPath(DroppedPath(*data)), folder + "/caf\xe9.txt");
  EXPECT_TRUE(drop(data));
  expectLoaded(QFile::decodeName(folder) + QStringLiteral("/caf\uFFFD.txt"), QStringLiteral("caf\uFFFD.txt"));
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(OutsideFileTest, DropsAreIgnoredWhileAModalWindowIsOpenOrAPassRuns) {
  const QString path = writeFile("brief.txt", "Hallo");
  bool takenInDialog = true;
  test::WhenModal<Form8>([&](Form8& viewer) {
    takenInDialog = drop(urls({QUrl::fromLocalFile(path)}));
    viewer.hide();
  });
  Control<QAction>(form, "Window")->trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(takenInDialog);
  EXPECT_EQ(loadedPath(), QString());

  std::atomic<bool> dropped{false};
  bool takenInPass = true;
  QTimer::singleShot(0, &form, [&] {
    takenInPass = drop(urls({QUrl::fromLocalFile(path)}));
    dropped = true;
  });
  RunBeside([&] {
    while (!dropped) std::this_thread::yield();
  });
  QCoreApplication::processEvents();
  EXPECT_FALSE(takenInPass);
  EXPECT_EQ(loadedPath(), QString());
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(MainWindowTest, ViewerSearchAndInfoAreShownModallyOverTheWindowThatOpenedThem) {
  form.show();
  bool seen = false;
  test::WhenModal<Form8>([&](Form8& v) {
    seen = true;
    EXPECT_EQ(v.windowTitle(), QStringLiteral("Window"));
    EXPECT_EQ(v.windowHandle()->transientParent(), form.windowHandle());
    EXPECT_EQ(Control<tambril::RichTextBox>(v, "RichTextBox1")->textLength(), 0);
    test::WhenModal<Form5>([&](Form5& s) {
      EXPECT_EQ(s.windowHandle()->transientParent(), v.windowHandle());
      Control<QPushButton>(s, "Command2")->click();
    });
    Control<QAction>(v, "Search2")->trigger();
    Control<QAction>(v, "Cancel")->trigger();
  });
  Control<QAction>(form, "Window")->trigger();
  EXPECT_TRUE(seen);
  EXPECT_FALSE(program().viewer().isVisible());
  QWindow* infoOwner = nullptr;
  test::WhenModal<Form6>([&](Form6& i) {
    infoOwner = i.windowHandle()->transientParent();
    Control<QPushButton>(i, "Command1")->click();
  });
  Control<QAction>(form, "Info")->trigger();
  EXPECT_EQ(infoOwner, form.windowHandle());
}

TEST_F(MainWindowTest, EveryWayOutClosesTheFilesAndEndsTheProgram) {
  const QString f = writeFile("a.txt", "abc");
  program().fileSlots().openSlot1(f);
  rec.player2.open("x.wav");
  Control<QAction>(form, "Beenden")->trigger();
  EXPECT_EQ(program().fileSlots().slot1(), nullptr);
  EXPECT_FALSE(rec.player1.isOpen());
  EXPECT_FALSE(rec.player2.isOpen());
  EXPECT_EQ(rec.ends, 1);
}

TEST_F(MainWindowTest, TheCloseBoxRunsTheSameEnd) {
  const QString f = writeFile("a.txt", "abc");
  form.show();
  program().fileSlots().openSlot1(f);
  EXPECT_TRUE(form.close());
  EXPECT_EQ(program().fileSlots().slot1(), nullptr);
  EXPECT_EQ(rec.ends, 1);
}

}  // namespace
}  // namespace tambril
