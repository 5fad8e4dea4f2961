// "ERSTELLEN": the existence test and the hand-over to the coding dialogs.
#include <QFile>
#include <filesystem>

#include "controller/target_name.h"
#include "tests/coding_dialogs/coding_test.h"

namespace tambril::test {
namespace {

class CreateTargetTest : public CodingTest {
 protected:
  // Presses ERSTELLEN in the shown file dialog with `name` in its box and
  // create mode `mode`; `inCoding` runs in the coding dialog if one opens.
  void create(const QString& name, session::CreateMode mode, const std::function<void(QWidget*)>& inCoding = {}) {
    model.setCreateMode(mode);
    WhenModal<Selpr6>([&, name, inCoding](Selpr6& d) {
      Control<QLineEdit>(d, "Text1")->setText(name);
      if (inCoding) {
        WhenModalWidget([](QWidget* w) { return qobject_cast<Form2*>(w) || qobject_cast<Form4*>(w); }, inCoding);
      }
      Control<QPushButton>(d, "Command1")->click();
      if (d.isVisible()) Control<QPushButton>(d, "Command3")->click();
    });
    dialog.exec();
  }
};

TEST_F(CreateTargetTest, TakenNamesFileFolderHiddenLinkAndPatterns) {
  writeFile("d/brief.txt", "x");
  writeFile("d/.versteckt", "x");
  makeFolder("d/Ordner");
  makeFolder("leer");
  writeFile("datei.txt", "x");
  ASSERT_TRUE(QFile::link(tempPath("d/nirgends"), tempPath("d/verweis")));  // dangling
  const struct {
    const char* relative;
    bool taken;
  } cases[] = {{"d/brief.txt", true},  {"d/.versteckt", true}, {"d/Ordner", true},    {"d/verweis", true},
               {"d/brief.tmb", false}, {"d/*.txt", true},      {"d/*.doc", false},    {"d/b?ief.txt", true},
               {"d/b?f.txt", false},   {"d/*", true},          {"d/*.*", true},       {"d/Ord*", true},
               {"d/", true},           {"leer/", false},       {"leer/*.*", false},   {"fehlt/brief.txt", false},
               {"fehlt/", false},      {"datei.txt/x", false}, {"d/BRIEF.TXT", false}};
  for (const auto& c : cases) {
    const QString name = tempPath(QString::fromUtf8(c.relative));
    const QString withSlash = QString::fromUtf8(c.relative).endsWith('/') ? name + QDir::separator() : name;
    const std::optional<bool> taken = NameIsTaken(withSlash);
    ASSERT_TRUE(taken.has_value()) << c.relative;
    EXPECT_EQ(*taken, c.taken) << c.relative;
  }
}

TEST_F(CreateTargetTest, AnExistingNameIsRefusedWithItsPath) {
  writeFile("r/brief.tmb", "alt");
  const QString name = tempPath("r/brief.tmb");
  create(name, session::CreateMode::Encode);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, "Datei ist schon vorhanden und kann nicht mehr erstellt werden." + name);
  EXPECT_EQ(rec.messages[0].title, QStringLiteral("File"));
  EXPECT_EQ(rec.messages[0].icon, platform::MessageIcon::None);
  EXPECT_EQ(rec.messages[0].window, QStringLiteral("Selpr6"));
  EXPECT_EQ(rec.beeps, 0);
  EXPECT_EQ(model.createMode(), session::CreateMode::Encode);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEON"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), name);
  EXPECT_EQ(read("r/brief.tmb"), QByteArray("alt"));
  // A name with "*" is taken as soon as any entry matches it.
  rec.reset();
  create(tempPath("r/*.tmb"), session::CreateMode::Decode);
  EXPECT_EQ(messageTexts(),
            QStringList({"Datei ist schon vorhanden und kann nicht mehr erstellt werden." + tempPath("r/*.tmb")}));
  // A folder that holds files is taken as well.
  rec.reset();
  create(tempPath("r") + QDir::separator(), session::CreateMode::Encode);
  EXPECT_EQ(rec.messages.size(), 1u);
  EXPECT_FALSE(encode.isVisible());
  EXPECT_FALSE(decode.isVisible());
}

TEST_F(CreateTargetTest, AFileClickedInTheListIsRefused) {
  writeFile("k/brief.txt", "x");
  ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(tempPath("k")));
  model.setCreateMode(session::CreateMode::Encode);
  WhenModal<Selpr6>([&](Selpr6& d) {
    Control<tambril::FileList>(d, "File1")->setCurrentRow(0);
    Control<QPushButton>(d, "Command1")->click();
    Control<QPushButton>(d, "Command3")->click();
  });
  dialog.exec();
  EXPECT_EQ(messageTexts(),
            QStringList({"Datei ist schon vorhanden und kann nicht mehr erstellt werden." + tempPath("k/brief.txt")}));
}

TEST_F(CreateTargetTest, AFreeNameGoesToTheDialogOfTheModeAndTheModeWordIsEmptiedAfter) {
  QString seen;
  create(tempPath("neu.tmb"), session::CreateMode::Encode, [&](QWidget* w) {
    auto* f = qobject_cast<Form2*>(w);
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(dialog.isVisible());
    seen = Control<QLineEdit>(*f, "Text3")->text();
    Control<QPushButton>(*f, "Command2")->click();
  });
  EXPECT_EQ(seen, tempPath("neu.tmb"));
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
  EXPECT_FALSE(dialog.isVisible());

  create(tempPath("neu.txt"), session::CreateMode::Decode, [&](QWidget* w) {
    auto* f = qobject_cast<Form4*>(w);
    ASSERT_NE(f, nullptr);
    seen = Control<QLineEdit>(*f, "Text1")->text();
    Control<QPushButton>(*f, "Command2")->click();
  });
  EXPECT_EQ(seen, tempPath("neu.txt"));
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());

  // No create mode: nothing is shown, the mode stays None, the dialog stays.
  bool reached = false;
  bool stillOpen = false;
  model.setCreateMode(session::CreateMode::None);
  WhenModal<Selpr6>([&](Selpr6& d) {
    Control<QLineEdit>(d, "Text1")->setText(tempPath("neu.bin"));
    // Would close a coding dialog that opened.
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal && modal != &dialog) {
        reached = true;
        modal->hide();
      }
    });
    Control<QPushButton>(d, "Command1")->click();
    stillOpen = d.isVisible();
    Control<QPushButton>(d, "Command3")->click();
  });
  dialog.exec();
  for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(reached);
  EXPECT_EQ(model.createMode(), session::CreateMode::None);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QString());
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_TRUE(entries().isEmpty());
}

TEST_F(CreateTargetTest, AFolderThatCannotBeSearchedIsADeviceFailure) {
  const QString locked = makeFolder("zu");
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  {
    AsOrdinaryUser user(tempPath());
    std::error_code ec;
    std::filesystem::directory_iterator probe(ToFsPath(locked), ec);
    if (!ec) GTEST_SKIP() << "this user reads every folder";
    create(tempPath("zu/*.tmb"), session::CreateMode::Encode);
  }
  EXPECT_EQ(rec.events.mid(0, 2), QStringList({"beep", "message ERROR|none: " + kDeviceError}));
  EXPECT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(Control<tambril::FolderList>(dialog, "Dir1")->path(), root());
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), root());  // the folder change at the root, no proposed name
  EXPECT_EQ(model.createMode(), session::CreateMode::Encode);
  EXPECT_EQ(Control<QLabel>(dialog, "Label4")->text(), QStringLiteral("CODEON"));
  EXPECT_FALSE(encode.isVisible());
}

}  // namespace
}  // namespace tambril::test
