// Every tooltip of the program, assigned at run time form by form: Form1,
// Selpr6, Form2, Form3, Form4, Form5, Form14. Four tooltips of the file
// dialog follow its mode, read from its "ÖFFNEN" button at each call.
#include "startup/tooltips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QProgressBar>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/form14.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/windows.h"
#include "startup/module2.h"
#include "viewer/form5.h"

namespace tambril::startup {
namespace {

// The design pointer of the controls that explain the loaded file: the
// arrow with a question mark.
void QuestionPointer(QWidget* control) { control->setCursor(Qt::WhatsThisCursor); }

void MainWindowTips(Form1& f) {
  f.Label4->setToolTip(QStringLiteral("Zeigt die zu bearbeitende Datei an "));
  f.Text1->setToolTip(QStringLiteral("Zeigt die zu bearbeitende Datei an "));
  f.Label1->setToolTip(QStringLiteral(" Zeigt die Größe der Datei an "));
  f.Label2->setToolTip(QStringLiteral(" Zeigt die Größe der Datei an "));
  f.Label7->setToolTip(QStringLiteral(" Zeigt die Größe der Datei an "));
  f.Label8->setToolTip(QStringLiteral(" Zeigt die letzte Änderung an "));
  f.Label6->setToolTip(QStringLiteral(" Zeigt die letzte Änderung an "));
  for (QWidget* w : {static_cast<QWidget*>(f.Text1), static_cast<QWidget*>(f.Label1),
                     static_cast<QWidget*>(f.Label2), static_cast<QWidget*>(f.Label4),
                     static_cast<QWidget*>(f.Label6), static_cast<QWidget*>(f.Label7),
                     static_cast<QWidget*>(f.Label8)}) {
    QuestionPointer(w);
  }
}

void FileDialogTips(Selpr6& f) {
  // Read anew for each row: open mode while "ÖFFNEN" is enabled.
  const auto byMode = [&f](const char* open, const char* create) {
    return f.Command2->isEnabled() ? QString::fromUtf8(open) : QString::fromUtf8(create);
  };
  f.Command3->setToolTip(byMode(" Datei wird nicht geladen ", " Datei wird nicht erstellt "));
  f.Command4->setToolTip(byMode(" Info über Datei öffnen ", " Info über Datei erstellen "));
  f.File1->setToolTip(byMode(" Doppelklick für Laden der Datei ", " Klick für Anzeigen der Datei "));
  f.Text1->setToolTip(byMode(" Anzeigefeld der zu ladenen Datei ", " Anzeigefeld der zu erstellenden Datei "));
  f.Command1->setToolTip(QStringLiteral(" Neue Datei wird erstellt für Bearbeitung "));
  f.Command2->setToolTip(QStringLiteral(" Lädt die Datei für die Bearbeitung "));
  f.Combo1->setToolTip(QStringLiteral(" Dateitypen - Listenfeld "));
  f.Dir1->setToolTip(QStringLiteral(" Anzeigefeld für Ordner (Doppelklick) "));
  f.Drive1->setToolTip(QStringLiteral(" Anzeigefeld für Laufwerk "));
}

void EncodeTips(Form2& f) {
  f.Command1->setToolTip(QStringLiteral(" Beginn der Codierung "));
  f.Command2->setToolTip(QStringLiteral(" Abbruch der Codierung "));
  f.Command3->setToolTip(QStringLiteral(" Info über die Codierung "));
  f.ProgressBar1->setToolTip(QStringLiteral(" Anzeigefeld über Codierungsdauer "));
  f.Text2->setToolTip(QStringLiteral(" Texteingabe für gleiches Kennwort "));
  f.Text1->setToolTip(QStringLiteral(" Texteingabe Minimum 5  Maximum 15  Zeichen "));
  f.Text3->setToolTip(QStringLiteral(" Dateiname für Codierung "));
  QuestionPointer(f.Text3);
}

void PasswordCheckTips(Form3& f) {
  f.Command1->setToolTip(QStringLiteral(" Beginn der Kennwortüberprüfung "));
  f.Command2->setToolTip(QStringLiteral(" Abbruch der Kennwortüberprüfung "));
  f.Command3->setToolTip(QStringLiteral(" Info über Kennwortüberprüfung "));
  f.Text1->setToolTip(QStringLiteral(" Texteingabe / Kennwort für Entcodierung "));
}

void DecodeTips(Form4& f) {
  f.Command1->setToolTip(QStringLiteral(" Beginn der Entcodierung "));
  f.Command2->setToolTip(QStringLiteral(" Abbruch der Entcodierung "));
  f.Command3->setToolTip(QStringLiteral(" Info über die Entcodierung "));
  f.ProgressBar1->setToolTip(QStringLiteral(" Anzeigefeld der Entcodierungsdauer "));
  f.Text1->setToolTip(QStringLiteral(" Dateiname für Entcodierung "));
  QuestionPointer(f.Text1);
}

void SearchTips(Form5& f) {
  f.Command1->setToolTip(QStringLiteral(" Beginn und Fortfahren der Suche "));
  f.Command2->setToolTip(QStringLiteral(" Löschung des Suchtextes "));
  f.Command3->setToolTip(QStringLiteral(" Info über Suchen "));
  f.Check1->setToolTip(QStringLiteral(" Bei Aktivierung Groß/Kleinschreibungsüberprüfung "));
  f.Check2->setToolTip(QStringLiteral(" Bei Aktivierung Ganzwortüberprüfung 1 zu 1"));
  f.Check3->setToolTip(QStringLiteral(" Bei Aktivierung Ganzlaufsuche mit Liste "));
  f.Text1->setToolTip(QStringLiteral(" Texteingabe für Suchwort oder Text "));
}

void NewFolderTips(Form14& f) {
  f.Command1->setToolTip(QStringLiteral(" Ordner erstellen "));
  f.Command2->setToolTip(QStringLiteral(" Ordner nicht erstellen "));
  f.Command3->setToolTip(QStringLiteral(" Info über Ordner erstellen "));
}

}  // namespace

void SetToolTips(Form1& main) {
  MainWindowTips(main);
  FileDialogTips(Windows::get<Selpr6>());
  EncodeTips(Windows::get<Form2>());
  PasswordCheckTips(Windows::get<Form3>());
  DecodeTips(Windows::get<Form4>());
  SearchTips(Windows::get<Form5>());
  NewFolderTips(Windows::get<Form14>());
}

}  // namespace tambril::startup

namespace Module2 {
void SetToolTips() { tambril::startup::SetToolTips(tambril::Windows::get<Form1>()); }
}  // namespace Module2
