// Every tooltip of the program, window by window: Form1, Selpr6, Form2,
// Form3, Form4, Form5, Form14. Four tooltips of the file dialog follow its
// mode (open or create) at the time they are assigned.
#include "startup/tooltips.h"

#include <QString>
#include <QWidget>

namespace tambril::startup {
namespace {

constexpr ToolTipRow kRows[] = {
    {"Form1", "Label4", "Zeigt die zu bearbeitende Datei an ", nullptr, true},
    {"Form1", "Text1", "Zeigt die zu bearbeitende Datei an ", nullptr, true},
    {"Form1", "Label1", " Zeigt die Größe der Datei an ", nullptr, true},
    {"Form1", "Label2", " Zeigt die Größe der Datei an ", nullptr, true},
    {"Form1", "Label7", " Zeigt die Größe der Datei an ", nullptr, true},
    {"Form1", "Label8", " Zeigt die letzte Änderung an ", nullptr, true},
    {"Form1", "Label6", " Zeigt die letzte Änderung an ", nullptr, true},

    {"Selpr6", "Command3", " Datei wird nicht geladen ", " Datei wird nicht erstellt ", false},
    {"Selpr6", "Command4", " Info über Datei öffnen ", " Info über Datei erstellen ", false},
    {"Selpr6", "File1", " Doppelklick für Laden der Datei ", " Klick für Anzeigen der Datei ", false},
    {"Selpr6", "Text1", " Anzeigefeld der zu ladenen Datei ", " Anzeigefeld der zu erstellenden Datei ", false},
    {"Selpr6", "Command1", " Neue Datei wird erstellt für Bearbeitung ", nullptr, false},
    {"Selpr6", "Command2", " Lädt die Datei für die Bearbeitung ", nullptr, false},
    {"Selpr6", "Combo1", " Dateitypen - Listenfeld ", nullptr, false},
    {"Selpr6", "Dir1", " Anzeigefeld für Ordner (Doppelklick) ", nullptr, false},
    {"Selpr6", "Drive1", " Anzeigefeld für Laufwerk ", nullptr, false},

    {"Form2", "Command1", " Beginn der Codierung ", nullptr, false},
    {"Form2", "Command2", " Abbruch der Codierung ", nullptr, false},
    {"Form2", "Command3", " Info über die Codierung ", nullptr, false},
    {"Form2", "ProgressBar1", " Anzeigefeld über Codierungsdauer ", nullptr, false},
    {"Form2", "Text2", " Texteingabe für gleiches Kennwort ", nullptr, false},
    {"Form2", "Text1", " Texteingabe Minimum 5  Maximum 15  Zeichen ", nullptr, false},
    {"Form2", "Text3", " Dateiname für Codierung ", nullptr, true},

    {"Form3", "Command1", " Beginn der Kennwortüberprüfung ", nullptr, false},
    {"Form3", "Command2", " Abbruch der Kennwortüberprüfung ", nullptr, false},
    {"Form3", "Command3", " Info über Kennwortüberprüfung ", nullptr, false},
    {"Form3", "Text1", " Texteingabe / Kennwort für Entcodierung ", nullptr, false},

    {"Form4", "Command1", " Beginn der Entcodierung ", nullptr, false},
    {"Form4", "Command2", " Abbruch der Entcodierung ", nullptr, false},
    {"Form4", "Command3", " Info über die Entcodierung ", nullptr, false},
    {"Form4", "ProgressBar1", " Anzeigefeld der Entcodierungsdauer ", nullptr, false},
    {"Form4", "Text1", " Dateiname für Entcodierung ", nullptr, true},

    {"Form5", "Command1", " Beginn und Fortfahren der Suche ", nullptr, false},
    {"Form5", "Command2", " Löschung des Suchtextes ", nullptr, false},
    {"Form5", "Command3", " Info über Suchen ", nullptr, false},
    {"Form5", "Check1", " Bei Aktivierung Groß/Kleinschreibungsüberprüfung ", nullptr, false},
    {"Form5", "Check2", " Bei Aktivierung Ganzwortüberprüfung 1 zu 1", nullptr, false},
    {"Form5", "Check3", " Bei Aktivierung Ganzlaufsuche mit Liste ", nullptr, false},
    {"Form5", "Text1", " Texteingabe für Suchwort oder Text ", nullptr, false},

    {"Form14", "Command1", " Ordner erstellen ", nullptr, false},
    {"Form14", "Command2", " Ordner nicht erstellen ", nullptr, false},
    {"Form14", "Command3", " Info über Ordner erstellen ", nullptr, false},
};

}  // namespace

std::span<const ToolTipRow> ToolTipRows() { return kRows; }

void ApplyToolTips(QWidget& window, bool openMode) {
  const QString name = window.objectName();
  for (const ToolTipRow& row : kRows) {
    if (name != QLatin1String(row.window)) continue;
    auto* control = window.findChild<QWidget*>(QLatin1String(row.control));
    // A row without its control is a mistake in the table, caught by the tests.
    if (!control) continue;
    const char* text = !openMode && row.createText ? row.createText : row.text;
    control->setToolTip(QString::fromUtf8(text));
    if (row.questionPointer) control->setCursor(Qt::WhatsThisCursor);
  }
}

}  // namespace tambril::startup
