#include "help/help_texts.h"

#include <QStringView>
#include <initializer_list>

namespace tambril::help {

namespace {

// Appends CR LF after every line, so an empty line is just the pair and the
// text always ends with it.
QString JoinLines(std::initializer_list<QStringView> lines) {
  qsizetype size = 0;
  for (QStringView line : lines) size += line.size() + 2;
  QString text;
  text.reserve(size);
  for (QStringView line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

}  // namespace

QString HelpText() {
  return JoinLines({
      u"",
      u"                                              TAMBRIL ",
      u"",
      u"                            Programm für individuelle Codierung ",
      u"",
      u" WICHTIG: Lesen Sie die LIESMICH.RTF Datei. Sie können auch die ",
      u" LIESMICH.RTF Datei in TAMBRIL laden.",
      u"",
      u" < Datei >",
      u" Über < Datei öffnen > laden Sie Ihre Datei für die Bearbeitung um ",
      u" entweder die Datei zu codieren oder zu entcodieren,",
      u"",
      u" TAMBRIL ünterstützt RTF-Formate (RTF) und Textdokumente (TXT)  ",
      u" darüber hinaus können alle x-beliebigen Dateien geladen und   ",
      u" im ASCII-Code dargestellt werden. TAMBRIL ist schreibgeschützt.  ",
      u" TAMBRIL kann Dateien über 64 KB hinaus laden.  ",
      u"",
      u" < Bearbeiten >",
      u" Über < Code an > wird Ihre geladene Datei codiert. ",
      u"",
      u" < Bearbeiten >",
      u" Über < Code aus > wird Ihre codierte geladene Datei (tmb) entcodiert.",
      u"",
      u" < Suchen >",
      u" Über < Suchen > können Sie Ihre geladene Datei analysieren.",
      u"",
      u" - ToolTipText - Die QuickInfo erscheint im gesamten Programm ",
      u" TAMBRIL, wenn Sie mit dem Mauszeiger für einen kurzen Moment ",
      u" auf einen Befehl oder Objekt zeigen. ",
      u"",
  });
}

QString OpenInfoText() {
  return JoinLines({
      u"",
      u" TAMBRIL  Datei öffnen.  ",
      u"",
      u"",
      u"< Öffnen >",
      u" Um eine Datei zu codieren öffnen Sie Ihre Textdatei zur Bearbeitung. ",
      u" ",
      u"< Öffnen >",
      u" Um eine Datei zu entcodieren öffnen Sie Ihre tmb-Datei zur Berbeitung.",
      u" Das Format (tmb) ist eine codierte Datei erstellt durch TAMBRIL.",
      u"",
      u" Sie können jedes x-beliebige Dateiformat laden über 64 KB hinaus. ",
      u"",
  });
}

QString CreateEncodedInfoText() {
  return JoinLines({
      u"",
      u" TAMBRIL Datei erstellen (Code_an) ",
      u"",
      u"",
      u" Hier wird aus Ihrer geladenen Textdatei eine NEUE tmb-Datei(tmb) ",
      u" in Ihrem gewünschten Verzeichnis erstellt, die dann codiert wird. ",
      u"",
      u" TAMBRIL verändert das Dateiformat z.B. TXT in das NEUE tmb-Format.",
      u" Der Dateiname bleibt erhalten, das alte Dateiformat z.B TXT wird ",
      u" in der neuen tmb-Datei gespeichert. ",
      u"",
      u" Ihre geladene Textdatei bleibt erhalten, sie wird nur gelesen und",
      u" TAMBRIL codiert und schreibt den neuen Inhalt in die neu erstellte  ",
      u" tmb-Datei.",
      u"",
      u" TAMBRIL kann eine schon vorhandene Datei nicht mehr erstellen.",
  });
}

QString CreateDecodedInfoText() {
  return JoinLines({
      u"",
      u" TAMBRIL Datei erstellen (Code_aus) ",
      u"",
      u"",
      u" Hier wird aus Ihrer geladenen tmb-Datei wieder eine neue z.B. txt-Datei ",
      u" in Ihrem gewünschten Verzeichnis erstellt die dann entcodiert wird. ",
      u"",
      u" TAMBRIL verändert das Dateiformat tmb in das alte z.B. Textformat.",
      u" Es wird immer das abgespeicherte Dateiformat aus der tmb-Datei für",
      u" das Erstellen der neuen Datei benutzt. ",
      u"",
      u" TAMBRIL kann eine schon vorhandene Datei nicht mehr erstellen.",
  });
}

QString EncodeInfoText() {
  return JoinLines({
      u"",
      u" TAMBRIL Code_an ",
      u" ",
      u" ",
      u" Hier codiert TAMBRIL Ihre geladene Textdatei und schreibt den ",
      u" Inhalt in Ihre erstelllte tmb-Datei. ",
      u"",
      u" Sie müssen ein Kennwort und eine Kennwortbestätigung eingeben.",
      u" Das Kennwort muss aus mindestens 5 Zeichen bestehen und kann",
      u" eine Länge von 15 Zeichen haben.  ",
      u"",
      u" Aus Ihrem individuellen Kennwort das Sie eingeben, wird durch einen",
      u" mehrdimensionalen Algorithmus eine individuelle Codierung erstellt.",
      u" Nur durch Ihr persönliches Kennwort kann der codierte Inhalt wieder",
      u" ganz entcodiert werden. ",
      u"",
      u" ACHTUNG: TAMBRIL besitzt keine Codierungskonstanten. Wenn Sie Ihr",
      u" persönliches Kennwort vergessen gibt es keine Möglichkeit den",
      u" codierten Inhalt zu entcodieren. ",
      u"",
      u" WICHTIG für Kennworteingabe:  ",
      u" Verwenden Sie niemals gleiche Zeichenfolgen zum Beispiel: ",
      u" 'eeffeef' oder '2227722' oder 'uurruu' oder 'ppepe' oder '22kk22222k' ",
      u"",
      u" Benutzen Sie für Ihr Kennwort Wörter mit vielen verschiedenen ",
      u" Buchstaben groß und klein, Zahlen und Sonderzeichen. ",
      u" Umso mehr verschiedene Zeichen verwenden werden umso extremer ",
      u" arbeitet der mehrdimensionale Algorithmus, zum Beispiel",
      u" 'Wolkenbruch72%' oder '5Wasserkanne3' oder 'GartenzauN'. ",
      u"",
      u" Nach der Codierung Ihres Textes hat TAMBRIL eine tmb-Datei ",
      u" auf Ihrem angegebenen Verzeichnis erstellt. Laden Sie die ",
      u" tmb-Datei neu um sie zu bearbeiten. ",
      u"",
  });
}

QString PasswordCheckInfoText() {
  return JoinLines({
      u"",
      u" Kennwortüberprüfung Code aus ",
      u"",
      u" Schreiben Sie in das Textfeld Ihr persönliches Kennwort ein das",
      u" Sie zuvor für eine bestimmte Textdatei für die Codierung benutzt",
      u" haben. ",
      u"",
      u" TAMBRIL überprüft Ihr Kennwort auf Erfolg für die Entcodierung.",
      u"",
      u" TAMBRIL ermöglicht Ihnen dann aus der codierten Datei wieder",
      u" die alte Originaldatei herzustellen. ",
      u"",
  });
}

QString DecodeInfoText() {
  return JoinLines({
      u"",
      u" TAMBRIL Code_aus ",
      u"",
      u" Hier wird jetzt Ihre geladene tmb-Datei entcodiert und der Inhalt ",
      u" in die neu erstellte Datei z.B. txt geschrieben. ",
      u"",
      u" Nach der Entcodierung Ihrer tmb-Datei hat TAMBRIL eine neue Datei ",
      u" auf Ihrem angegebenen Verzeichnis erstellt. Laden Sie die ",
      u" Datei neu um sie zu bearbeiten. ",
      u"",
  });
}

QString SearchInfoText() {
  return JoinLines({
      u"",
      u" TAMBRIL Suchen ",
      u"",
      u" Hier können Sie Ihren geladenen Text analysieren. Sie haben die",
      u" Möglichkeit durch die Option (Groß-/Kleinschreibung) entweder den",
      u" Text nach beiden Kriterien zu suchen, wenn Option gewählt, erfolgt",
      u" die Suche nur nach Groß- oder Kleinschreibung. ",
      u"",
      u" Durch die Option (ganzes Wort) suchen Sie das Wort im Textverlauf, ",
      u" wenn Opotion gewählt, wird nur das ganze Wort gesucht.",
      u"",
      u" Durch die Option (alles durchsuchen) wird nur schrittweise ",
      u" durchsucht, wenn Option gewählt, wird der ganze Text auf einmal ",
      u" durchsucht mit Protokoll.  ",
      u"",
      u" Sie können auch alle Optionen miteinander kombinieren. ",
  });
}

QString NewFolderInfoText() {
  return JoinLines({
      u"",
      u" Auf Ihrem ausgewählten Laufwerk können Sie einen neuen Ordner",
      u" oder einen untergeordneten Ordner erstellen.",
      u"",
  });
}

}  // namespace tambril::help
