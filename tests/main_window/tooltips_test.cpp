// The tooltips each window gives its controls once it is built, the file
// dialog's four texts following its mode, and the question-mark pointer.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"

#include "file_dialog/form14.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"
#include "viewer/form8.h"

namespace tambril {
namespace {

using Rows = std::vector<std::pair<QWidget*, QString>>;

void ExpectTips(const Rows& rows) {
  for (const auto& [control, tip] : rows) {
    EXPECT_EQ(control->toolTip(), tip) << control->window()->objectName().toStdString() << "."
                                       << control->objectName().toStdString();
  }
}

class ToolTipsTest : public test::GuiTest {
 protected:
  Form1& main = program().mainWindow();
  Selpr6& files = program().fileDialog();

  void expectFileDialogMode(bool open) {
    ExpectTips({
        {Control<QPushButton>(files, "Command3"), open ? " Datei wird nicht geladen " : " Datei wird nicht erstellt "},
        {Control<QPushButton>(files, "Command4"),
         open ? QStringLiteral(" Info über Datei öffnen ") : QStringLiteral(" Info über Datei erstellen ")},
        {Control<tambril::FileList>(files, "File1"),
         open ? QStringLiteral(" Doppelklick für Laden der Datei ") : QStringLiteral(" Klick für Anzeigen der Datei ")},
        {Control<QLineEdit>(files, "Text1"),
         open ? " Anzeigefeld der zu ladenen Datei " : " Anzeigefeld der zu erstellenden Datei "},
    });
  }
};

TEST_F(ToolTipsTest, EachWindowHasItsRowsOnceBuilt) {
  // Building the main window builds none of the dialogs it opens later.
  EXPECT_EQ(program().made().encodeDialog, nullptr);
  EXPECT_EQ(program().made().checkDialog, nullptr);
  EXPECT_EQ(program().made().decodeDialog, nullptr);
  EXPECT_EQ(program().made().viewer, nullptr);
  Form5& search = program().viewer().searchDialog();
  Form14& folder = files.newFolderDialog();
  Form2& encode = program().encodeDialog();
  Form3& check = program().checkDialog();
  Form4& decode = program().decodeDialog();
  EXPECT_FALSE(files.isVisible());
  EXPECT_FALSE(search.isVisible());
  ExpectTips({
      {Control<QLabel>(main, "Label4"), "Zeigt die zu bearbeitende Datei an "},
      {Control<QLineEdit>(main, "Text1"), "Zeigt die zu bearbeitende Datei an "},
      {Control<QLabel>(main, "Label1"), QStringLiteral(" Zeigt die Größe der Datei an ")},
      {Control<QLabel>(main, "Label2"), QStringLiteral(" Zeigt die Größe der Datei an ")},
      {Control<QLabel>(main, "Label7"), QStringLiteral(" Zeigt die Größe der Datei an ")},
      {Control<QLabel>(main, "Label8"), QStringLiteral(" Zeigt die letzte Änderung an ")},
      {Control<QLabel>(main, "Label6"), QStringLiteral(" Zeigt die letzte Änderung an ")},
      {Control<QPushButton>(files, "Command1"), QStringLiteral(" Neue Datei wird erstellt für Bearbeitung ")},
      {Control<QPushButton>(files, "Command2"), QStringLiteral(" Lädt die Datei für die Bearbeitung ")},
      {Control<QComboBox>(files, "Combo1"), " Dateitypen - Listenfeld "},
      {Control<tambril::FolderList>(files, "Dir1"), QStringLiteral(" Anzeigefeld für Ordner (Doppelklick) ")},
      {Control<tambril::DriveList>(files, "Drive1"), QStringLiteral(" Anzeigefeld für Laufwerk ")},
      {Control<QPushButton>(encode, "Command1"), " Beginn der Codierung "},
      {Control<QPushButton>(encode, "Command2"), " Abbruch der Codierung "},
      {Control<QPushButton>(encode, "Command3"), QStringLiteral(" Info über die Codierung ")},
      {Control<QProgressBar>(encode, "ProgressBar1"), QStringLiteral(" Anzeigefeld über Codierungsdauer ")},
      {Control<QLineEdit>(encode, "Text2"), QStringLiteral(" Texteingabe für gleiches Kennwort ")},
      {Control<QLineEdit>(encode, "Text1"), " Texteingabe Minimum 5  Maximum 15  Zeichen "},
      {Control<QLineEdit>(encode, "Text3"), QStringLiteral(" Dateiname für Codierung ")},
      {Control<QPushButton>(check, "Command1"), QStringLiteral(" Beginn der Kennwortüberprüfung ")},
      {Control<QPushButton>(check, "Command2"), QStringLiteral(" Abbruch der Kennwortüberprüfung ")},
      {Control<QPushButton>(check, "Command3"), QStringLiteral(" Info über Kennwortüberprüfung ")},
      {Control<QLineEdit>(check, "Text1"), QStringLiteral(" Texteingabe / Kennwort für Entcodierung ")},
      {Control<QPushButton>(decode, "Command1"), " Beginn der Entcodierung "},
      {Control<QPushButton>(decode, "Command2"), " Abbruch der Entcodierung "},
      {Control<QPushButton>(decode, "Command3"), QStringLiteral(" Info über die Entcodierung ")},
      {Control<QProgressBar>(decode, "ProgressBar1"), " Anzeigefeld der Entcodierungsdauer "},
      {Control<QLineEdit>(decode, "Text1"), QStringLiteral(" Dateiname für Entcodierung ")},
      {Control<QPushButton>(search, "Command1"), " Beginn und Fortfahren der Suche "},
      {Control<QPushButton>(search, "Command2"), QStringLiteral(" Löschung des Suchtextes ")},
      {Control<QPushButton>(search, "Command3"), QStringLiteral(" Info über Suchen ")},
      {Control<QCheckBox>(search, "Check1"), QStringLiteral(" Bei Aktivierung Groß/Kleinschreibungsüberprüfung ")},
      {Control<QCheckBox>(search, "Check2"), QStringLiteral(" Bei Aktivierung Ganzwortüberprüfung 1 zu 1")},
      {Control<QCheckBox>(search, "Check3"), " Bei Aktivierung Ganzlaufsuche mit Liste "},
      {Control<QLineEdit>(search, "Text1"), QStringLiteral(" Texteingabe für Suchwort oder Text ")},
      {Control<QPushButton>(folder, "Command1"), " Ordner erstellen "},
      {Control<QPushButton>(folder, "Command2"), " Ordner nicht erstellen "},
      {Control<QPushButton>(folder, "Command3"), QStringLiteral(" Info über Ordner erstellen ")},
  });
  // Not yet given a mode: "ÖFFNEN" is enabled, so the open-mode texts.
  EXPECT_TRUE(Control<QPushButton>(files, "Command2")->isEnabled());
  expectFileDialogMode(true);
  // Each window is named as its class.
  for (QWidget* w : std::initializer_list<QWidget*>{&main, &files, &encode, &check, &decode, &search, &folder}) {
    EXPECT_EQ(w->objectName(), QLatin1String(w->metaObject()->className()));
  }
  EXPECT_NE(files.findChild<QMenuBar*>("MenuBar"), nullptr);
  // No tooltips elsewhere: the labels without a row, the folder dialog's prompt.
  EXPECT_EQ(Control<QLabel>(files, "Label1")->toolTip(), QString());
  EXPECT_EQ(Control<QLabel>(folder, "Label1")->toolTip(), QString());
}

TEST_F(ToolTipsTest, TheFileDialogsTextsFollowItsMode) {
  // Load a file, then "Code_An..": the dialog is in create mode with its texts.
  const QString folder = tempPath();
  writeFile("brief.txt", "Inhalt");
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    ASSERT_TRUE(Control<tambril::FolderList>(d, "Dir1")->setPath(folder));
    Control<tambril::FileList>(d, "File1")
        ->setCurrentItem(Control<tambril::FileList>(d, "File1")->findItems("brief.txt", Qt::MatchExactly).value(0));
    Control<QPushButton>(d, "Command2")->click();
  });
  Control<QAction>(main, "Datei_öffnen")->trigger();
  ASSERT_EQ(Control<QLineEdit>(main, "Text1")->text(), QStringLiteral("brief.txt"));
  bool createTexts = false;
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    createTexts = Control<QPushButton>(d, "Command3")->toolTip() == QStringLiteral(" Datei wird nicht erstellt ");
    Control<QPushButton>(d, "Command3")->click();
  });
  Control<QAction>(main, "Code_AN")->trigger();
  EXPECT_TRUE(createTexts);
  expectFileDialogMode(false);
  // "Datei öffnen.." sets the texts back before the dialog is used.
  bool openTexts = false;
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    openTexts = Control<QPushButton>(d, "Command3")->toolTip() == QStringLiteral(" Datei wird nicht geladen ");
    Control<QPushButton>(d, "Command3")->click();
  });
  Control<QAction>(main, "Datei_öffnen")->trigger();
  EXPECT_TRUE(openTexts);
  expectFileDialogMode(true);
  // Each preparation replaces the texts, never appends.
  files.PrepareCreateMode();
  files.PrepareOpenMode();
  files.PrepareOpenMode();
  expectFileDialogMode(true);
}

TEST_F(ToolTipsTest, TheQuestionMarkPointerOnTheLoadedFileRecord) {
  for (QWidget* w : std::initializer_list<QWidget*>{Control<QLineEdit>(main, "Text1"), Control<QLabel>(main, "Label1"),
                                                    Control<QLabel>(main, "Label2"), Control<QLabel>(main, "Label4"),
                                                    Control<QLabel>(main, "Label6"), Control<QLabel>(main, "Label7"),
                                                    Control<QLabel>(main, "Label8")}) {
    EXPECT_EQ(w->cursor().shape(), Qt::WhatsThisCursor) << w->objectName().toStdString();
  }
  EXPECT_EQ(Control<QLineEdit>(program().encodeDialog(), "Text3")->cursor().shape(), Qt::WhatsThisCursor);
  EXPECT_EQ(Control<QLineEdit>(program().decodeDialog(), "Text1")->cursor().shape(), Qt::WhatsThisCursor);
  for (QWidget* w : std::initializer_list<QWidget*>{
           Control<QLabel>(main, "Label9"), Control<QLabel>(main, "Image3"), Control<QLineEdit>(files, "Text1"),
           Control<QPushButton>(files, "Command4"), Control<QLineEdit>(program().encodeDialog(), "Text1"),
           Control<QLineEdit>(program().checkDialog(), "Text1")}) {
    EXPECT_NE(w->cursor().shape(), Qt::WhatsThisCursor) << w->objectName().toStdString();
  }
}

}  // namespace
}  // namespace tambril
