// Decoding from the menu: "Code_Aus..", the password check, the proposed
// name with the stored tag, "ERSTELLEN", the decode dialog and the bytes on
// disk; wrong passwords, cancelling and failures on the way.
#include <sys/stat.h>
#include <filesystem>
#include <fstream>

#include "age/age.h"
#include "tests/coding_dialogs/coding_test.h"

namespace tambril::test {
namespace {

class DecodeTest : public CodingTest {
 protected:
  // Encodes `plain` with the codec into `relative` (a .tmb path).
  void makeEncoded(const QString& relative, const QByteArray& plain, const std::string& password,
                   const std::string& tag) {
    const QString in = writeFile("quelle/plain.bin", plain);
    const QString out = tempPath(relative);
    QDir().mkpath(QFileInfo(out).absolutePath());
    codec::Encode(ToFsPath(in), ToFsPath(out), password, tag);
  }
  // Types `password` into the check dialog and presses OK; `inFileDialog`
  // runs if the file dialog opens.
  void checkFromMenu(const QString& password, const std::function<void(Selpr6&)>& inFileDialog) {
    WhenModal<Form3>([&, password, inFileDialog](Form3& f) {
      EXPECT_EQ(f.focusWidget(), Control<QLineEdit>(f, "Text1"));
      QTest::keyClicks(Control<QLineEdit>(f, "Text1"), password);
      if (inFileDialog) WhenModal<Selpr6>(inFileDialog);
      Control<QPushButton>(f, "Command1")->click();
      if (f.isVisible()) Control<QPushButton>(f, "Command2")->click();
    });
    Control<QAction>(main, "Code_Aus")->trigger();
  }
};

TEST_F(DecodeTest, DecodesFromTheMenuToTheOriginalBytes) {
  const QByteArray plain = Random(4321, 3);
  makeEncoded("Texte/brief.tmb", plain, "Geheim1", "doc");
  // A private encoded file decodes to a private file.
  ASSERT_TRUE(QFile::setPermissions(tempPath("Texte/brief.tmb"), QFile::ReadOwner | QFile::WriteOwner));
  load("Texte/brief.tmb");
  QSignalSpy bar(Control<QProgressBar>(decode, "ProgressBar1"), &QProgressBar::valueChanged);
  bool sawDialog = false;
  bool sawForm4 = false;
  checkFromMenu("Geheim1", [&](Selpr6& d) {
    sawDialog = true;
    EXPECT_EQ(Control<QLabel>(check, "Label2")->text(), QStringLiteral("18"));
    EXPECT_EQ(Control<QLabel>(check, "Label3")->text(), QStringLiteral("doc"));
    EXPECT_FALSE(check.isVisible());
    EXPECT_EQ(d.windowTitle(), QStringLiteral(" Datei erstellen"));
    EXPECT_FALSE(Control<QLineEdit>(d, "Text1")->isReadOnly());
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), tempPath("Texte/brief.doc"));
    EXPECT_EQ(model.proposedName(), QStringLiteral("brief.doc"));
    EXPECT_EQ(model.createMode(), session::CreateMode::Decode);
    EXPECT_EQ(program().session().proposedName(), QStringLiteral("brief.doc"));
    EXPECT_EQ(Control<QLabel>(d, "Label4")->text(), QStringLiteral("CODEOFF"));
    EXPECT_EQ(Control<tambril::FolderList>(d, "Dir1")->path(), tempPath("Texte"));
    WhenModal<Form4>([&](Form4& f) {
      sawForm4 = true;
      EXPECT_EQ(Control<QLineEdit>(f, "Text1")->text(), tempPath("Texte/brief.doc"));
      Control<QPushButton>(f, "Command1")->click();
      EXPECT_FALSE(f.isVisible());
    });
    Control<QPushButton>(d, "Command1")->click();
  });
  ASSERT_TRUE(sawDialog && sawForm4);
  EXPECT_EQ(read("Texte/brief.doc"), plain);
  EXPECT_EQ(QFile::permissions(tempPath("Texte/brief.doc")),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
  EXPECT_EQ(Values(bar), Stepped());
  EXPECT_TRUE(Control<QAction>(main, "Code_Aus")->isChecked());
  EXPECT_FALSE(Control<QAction>(main, "Code_AN")->isChecked());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(check.isVisible());
  EXPECT_EQ(Control<QLineEdit>(check, "Text1")->text(), QString());
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), tempPath("Texte/brief.tmb"));
  EXPECT_FALSE(model.lastCheck().has_value());  // a later decode needs a new check
  EXPECT_EQ(rec.events,
            QStringList({"pointer Form4 busy", "pointer Form4 busy", "pointer Form4 normal", "pointer Form4 normal"}));
}

// A double-click on OK decodes once: the second click does not come back
// afterwards as a second pass onto the file the first one made.
TEST_F(DecodeTest, ADoubleClickOnOkDecodesOnce) {
  const QByteArray plain = Random(300000, 6);
  makeEncoded("Texte/gross.tmb", plain, "Geheim1", "doc");
  load("Texte/gross.tmb");
  QSignalSpy bar(Control<QProgressBar>(decode, "ProgressBar1"), &QProgressBar::valueChanged);
  DoubleClickOnOk hand(Control<QPushButton>(decode, "Command1"), Control<QProgressBar>(decode, "ProgressBar1"));
  checkFromMenu("Geheim1", [&](Selpr6& d) {
    WhenModal<Form4>([&](Form4&) { hand.click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  HandlePendingInput();
  EXPECT_TRUE(hand.duringThePass());
  EXPECT_EQ(read("Texte/gross.doc"), plain);
  EXPECT_EQ(Values(bar), Stepped());
  EXPECT_EQ(messageTexts(), QStringList());
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_FALSE(decode.isVisible());
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), tempPath("Texte"));
}

// Files in a folder whose name is not UTF-8, one of them with such a name
// too: chosen in the lists, each is the very file that is encoded or decoded,
// and the new file lies beside it, its name keeping the source's own bytes.
TEST_F(DecodeTest, NamesThatAreNotUtf8EncodeAndDecodeThatVeryFile) {
  const QByteArray folder = QFile::encodeName(tempPath()) + "/Archiv \xe4lter";  // Latin-1
  ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
  const auto raw = [&folder](const char* name) { return std::string(folder.constData()) + "/" + name; };
  const auto readRaw = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return QByteArray("<missing>");
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
  };
  const QByteArray plain = Random(7000, 8);
  {
    std::ofstream out(raw("Br\xfc"
                          "cke.doc"),
                      std::ios::binary);
    out.write(plain.constData(), plain.size());
  }
  const QByteArray other = Random(3000, 9);
  makeEncoded("quelle/x.tmb", other, "Geheim1", "doc");
  std::filesystem::rename(ToFsPath(tempPath("quelle/x.tmb")), raw("\xe9t\xe9.tmb"));
  ASSERT_TRUE(
      Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath()));  // the folder is seen in the list first

  // The encode dialog: the password twice, then OK.
  const auto encodeWithGeheim1 = [](Form2& f) {
    Control<QLineEdit>(f, "Text1")->setText("Geheim1");
    Control<QLineEdit>(f, "Text2")->setText("Geheim1");
    Control<QPushButton>(f, "Command1")->click();
  };
  load(QStringLiteral("Archiv \uFFFDlter/Br\uFFFDcke.doc"));
  WhenModal<Selpr6>([&](Selpr6& d) {
    EXPECT_EQ(Control<tambril::FolderList>(d, "Dir1")->realPath(), folder);
    WhenModal<Form2>(encodeWithGeheim1);
    Control<QPushButton>(d, "Command1")->click();
  });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(messageTexts(), QStringList());
  EXPECT_EQ(readRaw(raw("Br\xfc"
                        "cke.tmb")),
            reference(plain, "Geheim1", "doc"));
  EXPECT_FALSE(
      std::filesystem::exists(raw("Br\xef\xbf\xbd"
                                  "cke.tmb")));

  load(QStringLiteral("Archiv \uFFFDlter/\uFFFDt\uFFFD.tmb"));
  checkFromMenu("Geheim1", [&](Selpr6& d) {
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), tempPath(QStringLiteral("Archiv \uFFFDlter/\uFFFDt\uFFFD.doc")));
    WhenModal<Form4>([](Form4& f) { Control<QPushButton>(f, "Command1")->click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_EQ(messageTexts(), QStringList());
  EXPECT_EQ(readRaw(raw("\xe9t\xe9.doc")), other);
  EXPECT_FALSE(std::filesystem::exists(raw("\xef\xbf\xbdt\xef\xbf\xbd.doc")));
  // The sources are as they were.
  EXPECT_EQ(readRaw(raw("Br\xfc"
                        "cke.doc")),
            plain);

  // In another folder the proposed name keeps its bytes as well.
  load(QStringLiteral("Archiv \uFFFDlter/Br\uFFFDcke.doc"));
  WhenModal<Selpr6>([&](Selpr6& d) {
    ASSERT_TRUE(Control<tambril::FolderList>(d, "Dir1")->setPath(tempPath("quelle")));
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), tempPath(QStringLiteral("quelle/Br\uFFFDcke.tmb")));
    WhenModal<Form2>(encodeWithGeheim1);
    Control<QPushButton>(d, "Command1")->click();
  });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_EQ(messageTexts(), QStringList());
  EXPECT_EQ(readRaw(QFile::encodeName(tempPath("quelle")).toStdString() + "/Br\xfc"
                                                                          "cke.tmb"),
            reference(plain, "Geheim1", "doc"));
}

TEST_F(DecodeTest, ShortEncodedFilesShowTheFullBarAtOnce) {
  const QByteArray plain = Random(79, 5);  // 100 bytes encoded
  makeEncoded("k/kurz.tmb", plain, "abcdef", "txt");
  load("k/kurz.tmb");
  QSignalSpy bar(Control<QProgressBar>(decode, "ProgressBar1"), &QProgressBar::valueChanged);
  checkFromMenu("abcdef", [](Selpr6& d) {
    WhenModal<Form4>([](Form4& f) { Control<QPushButton>(f, "Command1")->click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_EQ(read("k/kurz.txt"), plain);
  EXPECT_EQ(Values(bar), QList<int>({20, 1}));
}

TEST_F(DecodeTest, AWrongPasswordAsksForAnotherAndTheRightOneThenWorks) {
  const QByteArray plain = Random(2000, 11);
  makeEncoded("w/brief.tmb", plain, "Richtig", "txt");
  load("w/brief.tmb");
  Control<QLabel>(check, "Label2")->setText("18");  // as left by an earlier check
  main.show();
  bool decoded = false;
  WhenModal<Form3>([&](Form3& f) {
    // Each window over the one that opened it; the file dialog and the decode
    // dialog over the main window, since the window before them is gone.
    EXPECT_EQ(f.windowHandle()->transientParent(), main.windowHandle());
    auto* ok = Control<QPushButton>(f, "Command1");
    // OK pressed by a click, by Enter or Return on it, by Space on it.
    for (auto [wrong, key] : {std::pair{"richtig", Qt::Key_Return}, {"Richtig!", Qt::Key_Enter}, {"", Qt::Key_Space}}) {
      rec.reset();
      Control<QLineEdit>(f, "Text1")->setText(wrong);
      ok->setFocus();
      QTest::keyClick(ok, key);
      EXPECT_EQ(rec.events, QStringList({"message ERROR|none: Geben Sie ein neues Kennwort ein !"})) << wrong;
      EXPECT_EQ(rec.messages.empty() ? QString() : rec.messages.back().window, QStringLiteral("Form3"));
      EXPECT_EQ(Control<QLabel>(f, "Label2")->text(), QString());
      EXPECT_EQ(Control<QLineEdit>(f, "Text1")->text(), QString());
      EXPECT_EQ(f.focusWidget(), Control<QLineEdit>(f, "Text1")) << "typing must go into the emptied box";
      EXPECT_EQ(model.createMode(), session::CreateMode::None);  // no decode can start
      EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
      EXPECT_TRUE(f.isVisible());
    }
    // The same key codes: the first character repeated at the start.
    QTest::keyClicks(Control<QLineEdit>(f, "Text1"), "RRichtig");
    WhenModal<Selpr6>([&](Selpr6& d) {
      EXPECT_EQ(d.windowHandle()->transientParent(), main.windowHandle());
      WhenModal<Form4>([&](Form4& g) {
        EXPECT_EQ(g.windowHandle()->transientParent(), main.windowHandle());
        Control<QPushButton>(g, "Command1")->click();
        decoded = true;
      });
      Control<QPushButton>(d, "Command1")->click();
    });
    ok->click();
    if (f.isVisible()) Control<QPushButton>(f, "Command2")->click();
  });
  Control<QAction>(main, "Code_Aus")->trigger();
  EXPECT_TRUE(decoded);
  EXPECT_EQ(read("w/brief.txt"), plain);
}

TEST_F(DecodeTest, AnEmptyEntryIsAPasswordOfSpaces) {
  const QByteArray plain = Random(300, 13);
  makeEncoded("l/leer.tmb", plain, "     ", "txt");
  load("l/leer.tmb");
  checkFromMenu("", [](Selpr6& d) {
    WhenModal<Form4>([](Form4& f) { Control<QPushButton>(f, "Command1")->click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(read("l/leer.txt"), plain);
}

TEST_F(DecodeTest, CancelAnywhereCreatesNoFile) {
  makeEncoded("c/brief.tmb", Random(500), "geheim", "txt");
  load("c/brief.tmb");
  // ABBRECHEN in the decode dialog.
  checkFromMenu("geheim", [](Selpr6& d) {
    WhenModal<Form4>([](Form4& f) { Control<QPushButton>(f, "Command2")->click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_EQ(entries("c"), QStringList({"brief.tmb"}));
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
  EXPECT_FALSE(dialog.isVisible());
  // ABBRECHEN in the file dialog: the mode word stays.
  checkFromMenu("geheim", [](Selpr6& d) { Control<QPushButton>(d, "Command3")->click(); });
  EXPECT_EQ(entries("c"), QStringList({"brief.tmb"}));
  EXPECT_EQ(model.createMode(), session::CreateMode::Decode);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEOFF"));
  EXPECT_EQ(Control<QLineEdit>(check, "Text1")->text(), QString());
  // ABBBRECHEN in the check dialog empties its box and leaves the mode word.
  WhenModal<Form3>([](Form3& f) {
    QTest::keyClicks(Control<QLineEdit>(f, "Text1"), "geheim");
    Control<QPushButton>(f, "Command2")->click();
  });
  Control<QAction>(main, "Code_Aus")->trigger();
  EXPECT_EQ(Control<QLineEdit>(check, "Text1")->text(), QString());
  EXPECT_EQ(model.createMode(), session::CreateMode::Decode);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEOFF"));
  EXPECT_EQ(entries("c"), QStringList({"brief.tmb"}));
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(DecodeTest, AStoredTagThatCannotStandInANameIsMadeSafe) {
  const QByteArray plain = Random(200, 17);
  makeEncoded("t/brief.tmb", plain, "geheim", std::string("/\n\0", 3));
  load("t/brief.tmb");
  checkFromMenu("geheim", [&](Selpr6& d) {
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), tempPath("t/brief.___"));
    EXPECT_EQ(model.proposedName(), QStringLiteral("brief.___"));
    WhenModal<Form4>([](Form4& f) { Control<QPushButton>(f, "Command1")->click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_EQ(Control<QLabel>(check, "Label3")->text(), QString::fromUtf8("/\n\0", 3));  // the tag as decoded
  EXPECT_EQ(read("t/brief.___"), plain);
  EXPECT_EQ(entries("t"), QStringList({"brief.___", "brief.tmb"}));
}

TEST_F(DecodeTest, AFolderWithADotTakesTheStoredTag) {
  makeEncoded("alt.dir/brief.tmb", Random(100), "geheim", "txt");
  load("alt.dir/brief.tmb");
  const QString expected = tempPath("alt.dir/brief.txt");
  checkFromMenu("geheim", [&](Selpr6& d) {
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), expected);
    EXPECT_EQ(model.proposedName(), QStringLiteral("brief.txt"));
    Control<QPushButton>(d, "Command3")->click();
  });
  // The proposal stays in the loaded file's folder, whatever the folders
  // above it are called.
  EXPECT_EQ(expected, tempPath("alt.dir/brief.txt"));
}

TEST_F(DecodeTest, AFailedDecodeKeepsTheDialogOpenAndLeavesNothing) {
  makeEncoded("f/brief.tmb", Random(5000), "geheim", "txt");
  writeFile("f/datei.txt", "kein Ordner");
  load("f/brief.tmb");
  bool open = false;
  checkFromMenu("geheim", [&](Selpr6& d) {
    Control<QLineEdit>(d, "Text1")->setText(tempPath("f/datei.txt/brief.txt"));
    WhenModal<Form4>([&](Form4& f) {
      Control<QPushButton>(f, "Command1")->click();
      Control<QPushButton>(f, "Command1")->click();
      open = f.isVisible();
      Control<QPushButton>(f, "Command2")->click();
    });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_TRUE(open);
  EXPECT_EQ(messageTexts(), QStringList({kDeviceError, kDeviceError}));
  EXPECT_EQ(rec.beeps, 2);
  EXPECT_EQ(rec.events.mid(0, 6),
            QStringList({"pointer Form4 busy", "pointer Form4 busy", "beep", "message ERROR|none: " + kDeviceError,
                         "pointer Form4 normal", "pointer Form4 normal"}));
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root());
  EXPECT_EQ(entries("f"), QStringList({"brief.tmb", "datei.txt"}));
}

TEST_F(DecodeTest, NoDecodeWithoutAFittingCheck) {
  makeEncoded("n/brief.tmb", Random(500), "geheim", "txt");
  load("n/brief.tmb");
  model.acceptTarget(tempPath("n/brief.txt"));
  Control<QPushButton>(decode, "Command1")->click();
  EXPECT_EQ(messageTexts(), QStringList({kDeviceError}));
  EXPECT_EQ(entries("n"), QStringList({"brief.tmb"}));
  // A miss drops an earlier fit as well.
  Control<QLineEdit>(check, "Text1")->setText("geheim");
  check.StartPasswordCheck();
  ASSERT_TRUE(model.lastCheck().has_value());
  Control<QLineEdit>(check, "Text1")->setText("falsch");
  check.StartPasswordCheck();
  EXPECT_FALSE(model.lastCheck().has_value());
  Control<QPushButton>(decode, "Command1")->click();
  EXPECT_EQ(entries("n"), QStringList({"brief.tmb"}));
}

// An age file, known by its first bytes: the check shows the busy pointer
// while the key is derived, and the name proposed is the file's without
// ".age".
TEST_F(DecodeTest, AnAgeFileIsCheckedUnderTheBusyPointerAndDecoded) {
  const QByteArray plain = Random(70000, 4);
  const QString in = writeFile("quelle/plain.bin", plain);
  QDir().mkpath(tempPath("a"));
  age::Encode(ToFsPath(in), ToFsPath(tempPath("a/brief.doc.age")), "Geheim1", {}, {}, {.workFactor = 10});
  load("a/brief.doc.age");
  EXPECT_FALSE(Control<QLabel>(main, "Label9")->isHidden());
  QSignalSpy bar(Control<QProgressBar>(decode, "ProgressBar1"), &QProgressBar::valueChanged);
  checkFromMenu("Geheim1", [&](Selpr6& d) {
    EXPECT_EQ(Control<QLineEdit>(d, "Text1")->text(), tempPath("a/brief.doc"));
    WhenModal<Form4>([](Form4& f) { Control<QPushButton>(f, "Command1")->click(); });
    Control<QPushButton>(d, "Command1")->click();
  });
  EXPECT_EQ(read("a/brief.doc"), plain);
  EXPECT_GE(Values(bar).size(), 18);
  EXPECT_EQ(Values(bar).last(), 1);
  EXPECT_EQ(rec.events,
            QStringList({"pointer Form3 busy", "pointer Form3 busy", "pointer Form3 normal", "pointer Form3 normal",
                         "pointer Form4 busy", "pointer Form4 busy", "pointer Form4 normal", "pointer Form4 normal"}));
}

TEST_F(DecodeTest, TooShortForAHeaderNeverFits) {
  writeFile("s/klein.tmb", QByteArray(20, ' '));
  load("s/klein.tmb");
  checkFromMenu("                    ", nullptr);
  EXPECT_EQ(messageTexts(), QStringList({"Geben Sie ein neues Kennwort ein !"}));
}

TEST_F(DecodeTest, AFileThatCannotBeReadForTheCheckIsADeviceFailure) {
  makeEncoded("r/brief.tmb", Random(100), "geheim", "txt");
  load("r/brief.tmb");
  Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("r"));
  ASSERT_TRUE(QFile::remove(tempPath("r/brief.tmb")));
  bool open = false;
  WhenModal<Form3>([&](Form3& f) {
    Control<QLineEdit>(f, "Text1")->setText("geheim");
    Control<QPushButton>(f, "Command1")->click();
    open = f.isVisible();
    EXPECT_EQ(Control<QLineEdit>(f, "Text1")->text(), QStringLiteral("geheim"));
    Control<QPushButton>(f, "Command2")->click();
  });
  Control<QAction>(main, "Code_Aus")->trigger();
  EXPECT_TRUE(open);
  EXPECT_EQ(rec.events.mid(0, 2), QStringList({"beep", "message ERROR|none: " + kDeviceError}));
  EXPECT_EQ(rec.events.filter("Form3"), QStringList());  // this dialog shows no busy pointer
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root());
}

}  // namespace
}  // namespace tambril::test
