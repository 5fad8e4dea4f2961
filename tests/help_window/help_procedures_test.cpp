// The text procedures and their callers: which text each caller puts into
// the help window before showing it, and that it replaces the one before.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/selpr6.h"
#include "help/help_texts.h"
#include "help_window/form21.h"
#include "help_window/help_procedures.h"
#include "main_window/form1.h"
#include "session/session.h"
#include "sound/sound_service.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

class HelpProceduresTest : public test::GuiTest {
 protected:
  // The help window as the windows get it: made on first use.
  const Module2::HelpWindow helpWindow = [this]() -> Form21& { return program().helpWindow(); };

  // The text the help window shows while `open` makes a caller open it.
  QString shownBy(const std::function<void()>& open) {
    QString shown = QStringLiteral("<not shown>");
    test::WhenModal<Form21>([&](Form21& h) {
      shown = Control<tambril::HelpTextBox>(h, "Text1")->text();
      Control<QAction>(h, "Abbrechen")->trigger();
    });
    open();
    return shown;
  }
};

TEST_F(HelpProceduresTest, EachProcedurePutsItsTextAndReplacesTheLast) {
  const std::pair<void (*)(const Module2::HelpWindow&), QString (*)()> pairs[] = {
      {Module2::LoadHelpText, help::HelpText},
      {Module2::LoadOpenInfo, help::OpenInfoText},
      {Module2::LoadCreateEncodedInfo, help::CreateEncodedInfoText},
      {Module2::LoadCreateDecodedInfo, help::CreateDecodedInfoText},
      {Module2::LoadEncodeInfo, help::EncodeInfoText},
      {Module2::LoadPasswordCheckInfo, help::PasswordCheckInfoText},
      {Module2::LoadDecodeInfo, help::DecodeInfoText},
      {Module2::LoadSearchInfo, help::SearchInfoText},
      {Module2::LoadNewFolderInfo, help::NewFolderInfoText},
  };
  EXPECT_EQ(program().made().helpWindow, nullptr);
  for (const auto& [load, text] : pairs) {
    load(helpWindow);
    ASSERT_NE(program().made().helpWindow, nullptr);  // created by the first
    EXPECT_EQ(Control<tambril::HelpTextBox>(program().helpWindow(), "Text1")->text(), text());
    EXPECT_FALSE(program().helpWindow().isVisible());  // only the caller shows it
  }
  // The box shows what it holds: the main help text's single-space and
  // empty lines stay, the umlauts are umlauts.
  Module2::LoadEncodeInfo(helpWindow);
  const QTextDocument* doc = Control<tambril::HelpTextBox>(program().helpWindow(), "Text1")->document();
  EXPECT_EQ(doc->findBlockByNumber(2).text(), QStringLiteral(" "));
  EXPECT_EQ(doc->findBlockByNumber(7).text(),
            QStringLiteral(" Sie müssen ein Kennwort und eine Kennwortbestätigung eingeben."));
}

TEST_F(HelpProceduresTest, ShowHelpWindowIsModalAndReturnsWhenClosed) {
  Module2::LoadSearchInfo(helpWindow);
  bool modal = false;
  test::WhenModal<Form21>([&](Form21& h) {
    modal = QApplication::activeModalWidget() == &h;
    Control<QAction>(h, "Abbrechen")->trigger();
  });
  Module2::ShowHelpWindow(helpWindow, nullptr);
  EXPECT_TRUE(modal);
  EXPECT_FALSE(program().helpWindow().isVisible());
}

TEST_F(HelpProceduresTest, MainWindowHilfeAndF1ShowTheMainHelp) {
  Form1& main = program().mainWindow();
  Module2::LoadNewFolderInfo(helpWindow);
  EXPECT_EQ(shownBy([&] { Control<QAction>(main, "Hilfe")->trigger(); }), help::HelpText());
  Module2::LoadNewFolderInfo(helpWindow);
  EXPECT_EQ(shownBy([&] { QTest::keyClick(Control<QLineEdit>(main, "Text1"), Qt::Key_F1); }), help::HelpText());
}

TEST_F(HelpProceduresTest, FileDialogHelpGoesByModeThenByTheDecodingMark) {
  Form1& main = program().mainWindow();
  Selpr6& files = program().fileDialog();
  const auto help = [&] { return shownBy([&] { Control<QPushButton>(files, "Command4")->click(); }); };
  session::Session& s = program().session();
  // Open mode wins whatever command was started last.
  files.PrepareOpenMode();
  s.setLastCommand(session::CreateMode::Decode);
  EXPECT_EQ(help(), help::OpenInfoText());
  s.setLastCommand(session::CreateMode::None);
  EXPECT_EQ(help(), help::OpenInfoText());
  // Create modes: the decoding command (its mark in the menu) decides.
  files.PrepareCreateMode();
  EXPECT_EQ(help(), help::CreateEncodedInfoText());
  s.setLastCommand(session::CreateMode::Decode);
  EXPECT_TRUE(Control<QAction>(main, "Code_Aus")->isChecked());
  EXPECT_EQ(help(), help::CreateDecodedInfoText());
  s.setLastCommand(session::CreateMode::Encode);
  EXPECT_TRUE(Control<QAction>(main, "Code_AN")->isChecked());
  EXPECT_FALSE(Control<QAction>(main, "Code_Aus")->isChecked());
  EXPECT_EQ(help(), help::CreateEncodedInfoText());
}

TEST_F(HelpProceduresTest, CodingDialogsShowTheirOwnTexts) {
  EXPECT_EQ(shownBy([this] { Control<QPushButton>(program().encodeDialog(), "Command3")->click(); }),
            help::EncodeInfoText());
  EXPECT_EQ(shownBy([this] { Control<QPushButton>(program().checkDialog(), "Command3")->click(); }),
            help::PasswordCheckInfoText());
  EXPECT_EQ(shownBy([this] { Control<QPushButton>(program().decodeDialog(), "Command3")->click(); }),
            help::DecodeInfoText());
}

TEST_F(HelpProceduresTest, FileDialogHelpFromTheOpenCommand) {
  Form1& main = program().mainWindow();
  QString shown;
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    shown = shownBy([&] { Control<QPushButton>(d, "Command4")->click(); });
    EXPECT_TRUE(d.isVisible());  // the help returns to the dialog
    Control<QPushButton>(d, "Command3")->click();
  });
  Control<QAction>(main, "Datei_öffnen")->trigger();
  EXPECT_EQ(shown, help::OpenInfoText());
}

}  // namespace
}  // namespace tambril
