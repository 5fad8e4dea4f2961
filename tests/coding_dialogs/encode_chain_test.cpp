// Encoding from the menu: "Code_An..", the file dialog, "ERSTELLEN", the
// encode dialog and the file on disk; the rules of the command and the dialog.
#include <fcntl.h>
#include <sys/stat.h>

#include <QMenu>
#include <QStyle>
#include <QThread>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "codec/names.h"
#include "tests/coding_dialogs/coding_test.h"

namespace tambril::test {
namespace {

class EncodeTest : public CodingTest {
 protected:
  // Runs "Code_An.." and, in the file dialog, "ERSTELLEN"; then `inForm2`
  // inside the encode dialog. False when the dialogs did not come.
  void encodeFromMenu(const std::function<void(Form2&)>& inForm2) {
    WhenModal<Selpr6>([&, inForm2](Selpr6& d) {
      WhenModal<Form2>(inForm2);
      Control<QPushButton>(d, "Command1")->click();
    });
    Control<QAction>(main, "Code_AN")->trigger();
  }
  static void type(Form2& f, const QString& password, const QString& confirmation) {
    QTest::keyClicks(Control<QLineEdit>(f, "Text1"), password);
    QTest::keyClicks(Control<QLineEdit>(f, "Text2"), confirmation);
  }
};

TEST_F(EncodeTest, EncodesFromTheMenuToTheFileOnDisk) {
  const QByteArray plain = Random(5000);
  // A private source gives a private target.
  ASSERT_TRUE(QFile::setPermissions(writeFile("Texte/brief.doc", plain), QFile::ReadOwner | QFile::WriteOwner));
  load("Texte/brief.doc");
  main.show();
  QSignalSpy bar(Control<QProgressBar>(encode, "ProgressBar1"), &QProgressBar::valueChanged);
  bool sawDialog = false;
  bool sawForm2 = false;
  WhenModal<Selpr6>([&](Selpr6& d) {
    sawDialog = true;
    EXPECT_EQ(d.windowTitle(), QStringLiteral(" Datei erstellen"));
    EXPECT_TRUE(Control<QPushButton>(d, "Command1")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(d, "Command2")->isEnabled());
    EXPECT_TRUE(Control<QMenu>(d, "Directory")->menuAction()->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>(d, "Text1")->isReadOnly());
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), tempPath("Texte/brief.tmb"));
    EXPECT_EQ(model.proposedName(), QStringLiteral("brief.tmb"));
    EXPECT_EQ(model.createMode(), session::CreateMode::Encode);
    EXPECT_EQ(program().session().proposedName(), QStringLiteral("brief.tmb"));
    EXPECT_EQ(Control<QLabel>(d, "Label4")->text(), QStringLiteral("CODEON"));
    EXPECT_EQ(Control<tambril::FolderList>(d, "Dir1")->path(), tempPath("Texte"));
    WhenModal<Form2>([&](Form2& f) {
      sawForm2 = true;
      EXPECT_FALSE(d.isVisible());
      EXPECT_EQ(f.windowHandle()->transientParent(), main.windowHandle());  // the file dialog is gone
      EXPECT_EQ(Control<QLineEdit>(f, "Text3")->text(), tempPath("Texte/brief.tmb"));
      EXPECT_EQ(model.extensionTag(), QStringLiteral("doc"));
      EXPECT_EQ(f.focusWidget(), Control<QLineEdit>(f, "Text1"));
      type(f, QStringLiteral("Geheim1"), QStringLiteral("Geheim1"));
      Control<QPushButton>(f, "Command1")->click();
      EXPECT_FALSE(f.isVisible());
    });
    Control<QPushButton>(d, "Command1")->click();
  });
  Control<QAction>(main, "Code_AN")->trigger();
  ASSERT_TRUE(sawDialog && sawForm2);

  EXPECT_EQ(read("Texte/brief.tmb"), reference(plain, "Geheim1", "doc"));
  EXPECT_EQ(read("Texte/brief.doc"), plain);
  EXPECT_EQ(QFile::permissions(tempPath("Texte/brief.tmb")),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
  EXPECT_EQ(Values(bar), Stepped());
  EXPECT_EQ(Control<QProgressBar>(encode, "ProgressBar1")->value(), 1);
  // The whole chain is closed and the main window still describes the source.
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(encode.isVisible());
  EXPECT_EQ(model.loaded()->path, tempPath("Texte/brief.doc"));
  EXPECT_EQ(model.lastCommand(), session::CreateMode::Encode);
  EXPECT_TRUE(Control<QAction>(main, "Code_AN")->isChecked());
  EXPECT_FALSE(Control<QAction>(main, "Code_Aus")->isChecked());
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(encode, "Text2")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), tempPath("Texte/brief.doc"));
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
  EXPECT_EQ(rec.events,
            QStringList({"pointer Form2 busy", "pointer Form2 busy", "pointer Form2 normal", "pointer Form2 normal"}));
}

// Input made while the pass runs is dropped: a double-click on OK encodes
// once and does not come back afterwards as a second OK on the emptied boxes.
TEST_F(EncodeTest, ADoubleClickOnOkEncodesOnce) {
  const QByteArray plain = Random(300000, 5);
  writeFile("Texte/gross.doc", plain);
  load("Texte/gross.doc");
  QSignalSpy bar(Control<QProgressBar>(encode, "ProgressBar1"), &QProgressBar::valueChanged);
  DoubleClickOnOk hand(Control<QPushButton>(encode, "Command1"), Control<QProgressBar>(encode, "ProgressBar1"));
  encodeFromMenu([&](Form2& f) {
    type(f, QStringLiteral("Geheim1"), QStringLiteral("Geheim1"));
    hand.click();
  });
  HandlePendingInput();
  EXPECT_TRUE(hand.duringThePass());
  EXPECT_EQ(read("Texte/gross.tmb"), reference(plain, "Geheim1", "doc"));
  EXPECT_EQ(Values(bar), Stepped());
  EXPECT_EQ(messageTexts(), QStringList());
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_FALSE(encode.isVisible());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), tempPath("Texte"));
}

TEST_F(EncodeTest, ShortAndEmptyFilesShowTheFullBarAtOnce) {
  for (const int n : {100, 0}) {
    const QString name = QStringLiteral("k%1.txt").arg(n);
    const QByteArray plain = Random(n, n);
    writeFile(name, plain);
    load(name);
    QSignalSpy bar(Control<QProgressBar>(encode, "ProgressBar1"), &QProgressBar::valueChanged);
    encodeFromMenu([](Form2& f) {
      Control<QLineEdit>(f, "Text1")->insert(QStringLiteral("fünf5"));
      Control<QLineEdit>(f, "Text2")->insert(QStringLiteral("fünf5"));
      Control<QPushButton>(f, "Command1")->click();
    });
    const QString target = QStringLiteral("k%1.tmb").arg(n);
    EXPECT_EQ(read(target).size(), n + 21);
    EXPECT_EQ(read(target), reference(plain, "f\xFCnf5", "txt")) << n;
    EXPECT_EQ(Values(bar), QList<int>({20, 1})) << n;
  }
}

TEST_F(EncodeTest, PasswordRulesInTheirOrder) {
  writeFile("p/brief.txt", "Inhalt");
  load("p/brief.txt");
  model.acceptTarget(tempPath("p/brief.tmb"));
  model.setExtensionTag("txt");
  const auto press = [&](const QString& password, const QString& confirmation) {
    Control<QLineEdit>(encode, "Text1")->setText(password);
    Control<QLineEdit>(encode, "Text2")->setText(confirmation);
    rec.reset();
    Control<QPushButton>(encode, "Command1")->click();
    EXPECT_EQ(rec.messages.size(), 1u);
    return rec.messages.empty() ? QString() : rec.messages.back().text;
  };
  // The empty password comes first; the confirmation is not looked at.
  EXPECT_EQ(press("", "abcdef"), QStringLiteral("Geben Sie ein Kennwort ein !"));
  EXPECT_EQ(Control<QLineEdit>(encode, "Text2")->text(), QStringLiteral("abcdef"));
  EXPECT_EQ(press("abcd", "abcd"), QStringLiteral("Das Kennwort ist zu klein. Das Kennwort braucht 5 Zeichen."));
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(encode, "Text2")->text(), QString());
  EXPECT_EQ(press("abcde", ""), QStringLiteral("Geben Sie die Kennwortbestätigung ein !"));
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->text(), QStringLiteral("abcde"));
  const QString mismatch = QStringLiteral(
      "Das neue Kennwort und die Kennwortbestätigung stimmen nicht überein. Geben Sie beides erneut ein.");
  EXPECT_EQ(press("Geheim", "geheim"), mismatch);
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(encode, "Text2")->text(), QString());
  EXPECT_EQ(press("abcde", "abcdf"), mismatch);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_EQ(rec.messages[0].window, QStringLiteral("Form2"));
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_FALSE(exists("p/brief.tmb"));

  // Exactly five characters are enough.
  Control<QLineEdit>(encode, "Text1")->setText("abcde");
  Control<QLineEdit>(encode, "Text2")->setText("abcde");
  rec.reset();
  Control<QPushButton>(encode, "Command1")->click();
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(read("p/brief.tmb"), reference("Inhalt", "abcde", "txt"));
}

TEST_F(EncodeTest, PasswordBoxesShowXAndTakeFifteenCharacters) {
  for (QLineEdit* box :
       {Control<QLineEdit>(encode, "Text1"), Control<QLineEdit>(encode, "Text2"), Control<QLineEdit>(check, "Text1")}) {
    box->clear();
    QTest::keyClicks(box, "abcdefghijklmnopq");
    EXPECT_EQ(box->text(), QStringLiteral("abcdefghijklmno")) << box->objectName().toStdString();
    EXPECT_EQ(box->echoMode(), QLineEdit::Password);
    EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), int('X'));
  }
}

TEST_F(EncodeTest, DesignOfTheDialogs) {
  EXPECT_EQ(encode.windowTitle(), QStringLiteral("CODE_ON"));
  EXPECT_EQ(check.windowTitle(), QStringLiteral("CODE_AUS"));
  EXPECT_EQ(decode.windowTitle(), QStringLiteral("CODE_AN"));
  EXPECT_EQ(encode.size(), QSize(562, 343));
  EXPECT_EQ(check.size(), QSize(432, 193));
  EXPECT_EQ(decode.size(), QSize(474, 251));
  EXPECT_EQ(Control<QLabel>(encode, "Label2")->text(), QStringLiteral("Dateiname für Code_On"));
  EXPECT_EQ(Control<QLabel>(encode, "Label3")->text(), QStringLiteral("Kennwort:"));
  EXPECT_EQ(Control<QLabel>(encode, "Label4")->text(), QStringLiteral("Kennwortbestätigung:"));
  EXPECT_EQ(Control<QLabel>(encode, "Label6")->text(), QStringLiteral("Codierung:"));
  EXPECT_EQ(Control<QLabel>(check, "Label1")->text(), QStringLiteral("Kennworteingabe:"));
  EXPECT_EQ(Control<QPushButton>(check, "Command2")->text(), QStringLiteral("ABBBRECHEN"));
  EXPECT_EQ(Control<QLabel>(decode, "Label1")->text(), QStringLiteral("Dateiname für Code_Off:"));
  EXPECT_EQ(Control<QLabel>(decode, "Label2")->text(), QStringLiteral("Entcodierung:"));
  for (QDialog* d : {static_cast<QDialog*>(&encode), static_cast<QDialog*>(&decode)}) {
    auto* ok = d->findChild<QPushButton*>("Command1");
    auto* cancel = d->findChild<QPushButton*>("Command2");
    auto* help = d->findChild<QPushButton*>("Command3");
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(cancel->text(), QStringLiteral("ABBRECHEN"));
    EXPECT_EQ(help->text(), QStringLiteral("HILFE"));
    auto* bar = d->findChild<QProgressBar*>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(bar->value(), 1);
  }
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->geometry(), QRect(184, 96, 233, 25));
  EXPECT_EQ(Control<QPushButton>(encode, "Command3")->geometry(), QRect(392, 264, 121, 33));
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
  EXPECT_TRUE(Control<QLineEdit>(encode, "Text1")->font().bold());
  EXPECT_DOUBLE_EQ(Control<QLineEdit>(encode, "Text1")->font().pointSizeF(), 12);
  // Keyboard order: the password boxes, the buttons, the name last.
  QStringList order;
  QWidget* w = Control<QLineEdit>(encode, "Text1");
  for (int i = 0; i < 6; ++i, w = w->nextInFocusChain()) {
    while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
    order << w->objectName();
  }
  EXPECT_EQ(order, QStringList({"Text1", "Text2", "Command1", "Command2", "Command3", "Text3"}));
}

TEST_F(EncodeTest, EachShowingStartsInTheFirstBoxWithTheBarAtItsStart) {
  // Left as a pass that failed leaves it: the focus on the button pressed
  // last, the bar where the pass got to.
  const auto showAgain = [](QDialog& d, const char* pressed, bool withBar = true) {
    d.show();
    Control<QPushButton>(d, pressed)->setFocus();
    if (withBar) Control<QProgressBar>(d, "ProgressBar1")->setValue(20);
    d.hide();
    d.show();
    const QWidget* focus = d.focusWidget();
    d.hide();
    return focus;
  };
  EXPECT_EQ(showAgain(decode, "Command2"), Control<QLineEdit>(decode, "Text1"));
  EXPECT_EQ(Control<QProgressBar>(decode, "ProgressBar1")->value(), 1);
  EXPECT_EQ(showAgain(encode, "Command1"), Control<QLineEdit>(encode, "Text1"));
  EXPECT_EQ(Control<QProgressBar>(encode, "ProgressBar1")->value(), 1);
  EXPECT_EQ(showAgain(dialog, "Command3", false), Control<tambril::FolderList>(dialog, "Dir1"));
}

TEST_F(EncodeTest, CancelLeavesNoFileAndEmptiesTheModeWord) {
  writeFile("c/brief.txt", "abc");
  load("c/brief.txt");
  encodeFromMenu([](Form2& f) {
    type(f, "geheim", "geheim");
    Control<QPushButton>(f, "Command2")->click();
  });
  EXPECT_EQ(entries("c"), QStringList({"brief.txt"}));
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(encode, "Text2")->text(), QString());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
  // The close box cancels the same way.
  encodeFromMenu([](Form2& f) {
    type(f, "geheim", "geheim");
    f.close();
  });
  EXPECT_EQ(entries("c"), QStringList({"brief.txt"}));
  EXPECT_EQ(Control<QLineEdit>(encode, "Text1")->text(), QString());
  // ABBRECHEN in the file dialog keeps the mode word for the next caller.
  WhenModal<Selpr6>([](Selpr6& d) { Control<QPushButton>(d, "Command3")->click(); });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(model.createMode(), session::CreateMode::Encode);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEON"));
}

TEST_F(EncodeTest, AFailedWriteKeepsTheDialogOpenAndLeavesNothing) {
  writeFile("w/brief.txt", Random(3000));
  writeFile("w/datei.txt", "ich bin kein Ordner");
  load("w/brief.txt");
  bool open = false;
  int tries = 0;
  WhenModal<Selpr6>([&](Selpr6& d) {
    // A "folder" that is a regular file refuses every new file.
    Control<QLineEdit>(d, "Text1")->setText(tempPath("w/datei.txt/brief.tmb"));
    WhenModal<Form2>([&](Form2& f) {
      type(f, "geheim", "geheim");
      Control<QPushButton>(f, "Command1")->click();
      ++tries;
      Control<QPushButton>(f, "Command1")->click();  // once more: one message per press
      ++tries;
      open = f.isVisible();
      EXPECT_EQ(Control<QLineEdit>(f, "Text1")->text(), QStringLiteral("geheim"));  // kept for another try
      Control<QPushButton>(f, "Command2")->click();
    });
    Control<QPushButton>(d, "Command1")->click();
  });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(tries, 2);
  EXPECT_TRUE(open);
  EXPECT_EQ(messageTexts(), QStringList({kDeviceError, kDeviceError}));
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.beeps, 2);
  EXPECT_EQ(rec.events.mid(0, 6),
            QStringList({"pointer Form2 busy", "pointer Form2 busy", "beep", "message ERROR|none: " + kDeviceError,
                         "pointer Form2 normal", "pointer Form2 normal"}));
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root());
  EXPECT_EQ(Control<tambril::DriveList>(dialog, "Drive1")->drive(), root());
  EXPECT_EQ(entries("w"), QStringList({"brief.txt", "datei.txt"}));
  EXPECT_EQ(read("w/datei.txt"), QByteArray("ich bin kein Ordner"));
}

TEST_F(EncodeTest, AFileThatChangedAfterLoadingLeavesNoTarget) {
  const QString source = tempPath("s/brief.txt");
  const std::vector<std::pair<const char*, std::function<bool()>>> changes = {
      // The recorded length stays that of the load; coding it would cut
      // the file or miss its end.
      {"shorter", [&] { return QFile::resize(source, 1000); }},
      {"longer", [&] { return QFile::resize(source, 300001); }},
      // An editor writes a new file and renames it over the old one: the
      // open handle still reads the old text, which is no longer the file.
      {"replaced",
       [&] {
         writeFile("s/brief.neu", Random(300000, 8));
         return std::rename(QFile::encodeName(tempPath("s/brief.neu")), QFile::encodeName(source)) == 0;
       }},
      // Rewritten in place at the same length, the time of the last write
      // set back: only the change time tells.
      {"rewritten",
       [&] {
         const QByteArray name = QFile::encodeName(source);
         struct stat before;
         QFile f(source);
         if (::stat(name.constData(), &before) != 0 || !f.open(QIODevice::ReadWrite) || f.write(Random(10, 9)) != 10) {
           return false;
         }
         f.close();
         const timespec times[2] = {before.st_atim, before.st_mtim};
         return ::utimensat(AT_FDCWD, name.constData(), times, 0) == 0;
       }},
  };
  for (const auto& [what, change] : changes) {
    rec.reset();
    QFile::remove(source);
    QFile::remove(tempPath("s/brief.tmb"));
    writeFile("s/brief.txt", Random(300000));
    load("s/brief.txt");
    // The change time moves in steps of a few milliseconds.
    QThread::msleep(20);
    ASSERT_TRUE(change()) << what;
    model.acceptTarget(tempPath("s/brief.tmb"));
    Control<QLineEdit>(encode, "Text1")->setText("geheim");
    Control<QLineEdit>(encode, "Text2")->setText("geheim");
    Control<QPushButton>(encode, "Command1")->click();
    EXPECT_EQ(messageTexts(), QStringList({kDeviceError})) << what;
    EXPECT_EQ(entries("s"), QStringList({"brief.txt"})) << what;
  }
}

TEST_F(EncodeTest, EncodeCommandRefusesAnEncodedFileAndBeepsWithoutOne) {
  // Nothing loaded: the dialog is switched to create mode, then only a beep.
  rec.reset();
  dialog.PrepareOpenMode();
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(rec.events, QStringList({"beep"}));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral(" Datei erstellen"));
  EXPECT_TRUE(Control<QPushButton>(dialog, "Command1")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(dialog, "Command2")->isEnabled());
  EXPECT_FALSE(Control<QAction>(main, "Code_AN")->isChecked());
  Control<QAction>(main, "Code_Aus")->trigger();
  EXPECT_EQ(rec.events, QStringList({"beep", "beep"}));

  writeFile("e/brief.tmb", Random(50));
  load("e/brief.tmb");
  dialog.setWindowTitle("vorher");
  Control<QAction>(main, "Code_AN")->trigger();
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Datei ist schon codiert! "));
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("ERROR"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("vorher"));  // nothing changed

  writeFile("e/brief.txt", Random(50));
  load("e/brief.txt");
  Control<QAction>(main, "Code_Aus")->trigger();
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, QStringLiteral("Datei ist schon entcodiert! "));
  EXPECT_FALSE(check.isVisible());
}

TEST_F(EncodeTest, TheLastCommandStartedIsTheCheckedOne) {
  writeFile("m/brief.txt", "x");
  writeFile("m/brief.tmb", Random(40));
  load("m/brief.txt");
  WhenModal<Selpr6>([](Selpr6& d) { Control<QPushButton>(d, "Command3")->click(); });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_TRUE(Control<QAction>(main, "Code_AN")->isChecked());
  load("m/brief.tmb");
  WhenModal<Form3>([](Form3& f) { Control<QPushButton>(f, "Command2")->click(); });
  Control<QAction>(main, "Code_Aus")->trigger();
  EXPECT_FALSE(Control<QAction>(main, "Code_AN")->isChecked());
  EXPECT_TRUE(Control<QAction>(main, "Code_Aus")->isChecked());
  EXPECT_EQ(model.lastCommand(), session::CreateMode::Decode);
  EXPECT_EQ(model.createMode(), session::CreateMode::Decode);  // ABBBRECHEN leaves it
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEOFF"));
}

TEST_F(EncodeTest, AFolderWithADotTakesTheTagAndTheNameCanBeCorrected) {
  const QByteArray plain = Random(700);
  writeFile("alt.dir/plan.txt", plain);
  load("alt.dir/plan.txt");
  const QString proposed =
      QString::fromStdString(*codec::ProposedPath(tempPath("alt.dir/plan.txt").toStdString(), "tmb"));
  // The proposal stays in the loaded file's folder, whatever the folders
  // above it are called.
  EXPECT_EQ(proposed, tempPath("alt.dir/plan.tmb"));
  WhenModal<Selpr6>([&](Selpr6& d) {
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), proposed);
    EXPECT_EQ(model.proposedName(), QStringLiteral("plan.tmb"));
    // The user may still correct the proposal before ERSTELLEN.
    Control<QLineEdit>(d, "Text1")->setText(tempPath("alt.dir/neu.tmb"));
    WhenModal<Form2>([](Form2& f) {
      QTest::keyClicks(Control<QLineEdit>(f, "Text1"), "Kennwort");
      QTest::keyClicks(Control<QLineEdit>(f, "Text2"), "Kennwort");
      Control<QPushButton>(f, "Command1")->click();
    });
    Control<QPushButton>(d, "Command1")->click();
  });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(read("alt.dir/neu.tmb"), reference(plain, "Kennwort", "txt"));
}

TEST_F(EncodeTest, AnEmptyLoadedNameFailsTheProposal) {
  // Loaded with no file selected in the list (a filter change can leave it
  // so): the loaded name is empty.
  writeFile("n/brief.txt", "abc");
  dialog.PrepareOpenMode();
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("n")));
  Control<tambril::FileList>(dialog, "File1")->clearSelection();
  Control<QLineEdit>(dialog, "Text1")->setText(tempPath("n/brief.txt"));
  Control<QPushButton>(dialog, "Command2")->click();
  ASSERT_TRUE(model.loaded());
  EXPECT_EQ(model.loaded()->name, QString());
  EXPECT_EQ(Control<QLineEdit>(main, "Text1")->text(), QString());
  rec.reset();
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(rec.events.mid(0, 2), QStringList({"beep", "message ERROR|none: " + kDeviceError}));
  EXPECT_EQ(rec.messages.size(), 1u);
  EXPECT_FALSE(dialog.isVisible());
  // The steps before the failing one were done.
  EXPECT_EQ(model.extensionTag(), QStringLiteral("txt"));
  EXPECT_TRUE(Control<QAction>(main, "Code_AN")->isChecked());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(),
            root());  // the folder change at the root, no proposed name yet
}

TEST_F(EncodeTest, AnUnreachableRememberedFolderFallsBackToTheRoot) {
  writeFile("weg/brief.txt", "abc");
  load("weg/brief.txt");
  Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath());
  ASSERT_TRUE(QDir(tempPath("weg")).removeRecursively());
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(messageTexts(), QStringList({kDeviceError}));
  EXPECT_EQ(rec.beeps, 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(Control<tambril::DriveList>(dialog, "Drive1")->drive(), root());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root());
}

}  // namespace
}  // namespace tambril::test
