// The tooltip table: every row after the main window's start, the file
// dialog's four texts following its mode, and the question-mark pointer.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "file_dialog/form14.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "startup/module2.h"
#include "tests/platform/gui_test.h"
#include "viewer/form5.h"

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
  Form1& main = Windows::get<Form1>();
  Selpr6& files = Windows::get<Selpr6>();

  void expectFileDialogMode(bool open) {
    ExpectTips({
        {files.Command3, open ? " Datei wird nicht geladen " : " Datei wird nicht erstellt "},
        {files.Command4, open ? QStringLiteral(" Info über Datei öffnen ") : QStringLiteral(" Info über Datei erstellen ")},
        {files.File1, open ? QStringLiteral(" Doppelklick für Laden der Datei ") : QStringLiteral(" Klick für Anzeigen der Datei ")},
        {files.Text1, open ? " Anzeigefeld der zu ladenen Datei " : " Anzeigefeld der zu erstellenden Datei "},
    });
  }
};

TEST_F(ToolTipsTest, TheMainWindowsStartAssignsEveryRow) {
  // The start created the dialogs, hidden.
  ASSERT_NE(Windows::find<Form5>(), nullptr);
  ASSERT_NE(Windows::find<Form14>(), nullptr);
  Form5& search = Windows::get<Form5>();
  Form14& folder = Windows::get<Form14>();
  EXPECT_FALSE(files.isVisible());
  EXPECT_FALSE(search.isVisible());
  ExpectTips({
      {main.Label4, "Zeigt die zu bearbeitende Datei an "},
      {main.Text1, "Zeigt die zu bearbeitende Datei an "},
      {main.Label1, QStringLiteral(" Zeigt die Größe der Datei an ")},
      {main.Label2, QStringLiteral(" Zeigt die Größe der Datei an ")},
      {main.Label7, QStringLiteral(" Zeigt die Größe der Datei an ")},
      {main.Label8, QStringLiteral(" Zeigt die letzte Änderung an ")},
      {main.Label6, QStringLiteral(" Zeigt die letzte Änderung an ")},
      {files.Command1, QStringLiteral(" Neue Datei wird erstellt für Bearbeitung ")},
      {files.Command2, QStringLiteral(" Lädt die Datei für die Bearbeitung ")},
      {files.Combo1, " Dateitypen - Listenfeld "},
      {files.Dir1, QStringLiteral(" Anzeigefeld für Ordner (Doppelklick) ")},
      {files.Drive1, QStringLiteral(" Anzeigefeld für Laufwerk ")},
      {search.Command1, " Beginn und Fortfahren der Suche "},
      {search.Command2, QStringLiteral(" Löschung des Suchtextes ")},
      {search.Command3, QStringLiteral(" Info über Suchen ")},
      {search.Check1, QStringLiteral(" Bei Aktivierung Groß/Kleinschreibungsüberprüfung ")},
      {search.Check2, QStringLiteral(" Bei Aktivierung Ganzwortüberprüfung 1 zu 1")},
      {search.Check3, " Bei Aktivierung Ganzlaufsuche mit Liste "},
      {search.Text1, QStringLiteral(" Texteingabe für Suchwort oder Text ")},
      {folder.Command1, " Ordner erstellen "},
      {folder.Command2, " Ordner nicht erstellen "},
      {folder.Command3, QStringLiteral(" Info über Ordner erstellen ")},
  });
  // Not yet given a mode: "ÖFFNEN" is enabled, so the open-mode texts.
  EXPECT_TRUE(files.Command2->isEnabled());
  expectFileDialogMode(true);
  // No tooltips elsewhere: the labels without a row, the folder dialog's prompt.
  EXPECT_EQ(main.Label3->toolTip(), QString());
  EXPECT_EQ(files.Label1->toolTip(), QString());
  EXPECT_EQ(folder.Label1->toolTip(), QString());
}

TEST_F(ToolTipsTest, TheFileDialogsTextsFollowItsMode) {
  // Put into a create mode as the coding commands do, then asked again.
  files.Command1->setEnabled(true);
  files.Command2->setEnabled(false);
  Module2::SetToolTips();
  expectFileDialogMode(false);
  // "Datei öffnen.." sets the texts back before the dialog is used.
  bool openTexts = false;
  test::WhenModal<Selpr6>([&](Selpr6& d) {
    openTexts = d.Command3->toolTip() == QStringLiteral(" Datei wird nicht geladen ");
    d.Command3->click();
  });
  main.Datei_öffnen->trigger();
  EXPECT_TRUE(openTexts);
  expectFileDialogMode(true);
  // Each run replaces, never appends.
  Module2::SetToolTips();
  Module2::SetToolTips();
  expectFileDialogMode(true);
}

TEST_F(ToolTipsTest, TheQuestionMarkPointerOnTheLoadedFileRecord) {
  for (QWidget* w : std::initializer_list<QWidget*>{main.Text1, main.Label1, main.Label2, main.Label4, main.Label6,
                                                    main.Label7, main.Label8}) {
    EXPECT_EQ(w->cursor().shape(), Qt::WhatsThisCursor) << w->objectName().toStdString();
  }
  for (QWidget* w : std::initializer_list<QWidget*>{main.Label3, main.Label5, main.Label9, main.Image3,
                                                    files.Text1, files.Command4}) {
    EXPECT_NE(w->cursor().shape(), Qt::WhatsThisCursor) << w->objectName().toStdString();
  }
}

}  // namespace
}  // namespace tambril
