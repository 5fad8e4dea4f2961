#include "messages.h"

#include <cstdlib>
#include <cstring>

#include "cli/system.h"

namespace tambril::cli {
namespace {

struct Entry {
  std::string_view english, german;
};

// In the order of Msg.
constexpr Entry kTable[] = {
    {"Enter a password!", "Geben Sie ein Kennwort ein !"},
    {"The password is too short. It needs 5 characters.", "Das Kennwort ist zu klein. Das Kennwort braucht 5 Zeichen."},
    {"Enter the confirmation of the password!", "Geben Sie die Kennwortbestätigung ein !"},
    {"The new password and its confirmation differ. Enter both again.",
     "Das neue Kennwort und die Kennwortbestätigung stimmen nicht überein. Geben Sie beides erneut ein."},
    {"The password is too long. It may have 15 characters at most.",
     "Das Kennwort ist zu lang. Das Kennwort darf höchstens 15 Zeichen haben."},
    {"The password holds a control character. Choose one of printable characters.",
     "Das Kennwort enthält ein Steuerzeichen. Wählen Sie ein Kennwort aus druckbaren Zeichen."},
    {"The password holds a character outside Windows-1252. Choose one of these characters.",
     "Das Kennwort enthält ein Zeichen außerhalb von Windows-1252. Wählen Sie ein Kennwort aus diesen Zeichen."},
    {"Password: ", "Kennwort: "},
    {"Confirm password: ", "Kennwortbestätigung: "},
    {"cannot read the password", "Kennwort nicht lesbar"},
    {"the input ended before a password line", "die Eingabe endete vor einer Zeile mit dem Kennwort"},
    {"no terminal to read the password from (use --password-stdin)",
     "kein Terminal, um das Kennwort zu lesen (--password-stdin verwenden)"},
    {"wrong password", "falsches Kennwort"},
    {"file exists already", "Datei existiert bereits"},
    {"too short for an encoded file", "zu kurz für eine codierte Datei"},
    {"interrupted, nothing written", "abgebrochen, nichts geschrieben"},
    {"interrupted; the files listed as done are complete, no other was written",
     "abgebrochen; die als fertig gemeldeten Dateien sind vollständig, keine andere wurde geschrieben"},
    {"link to nothing", "Verknüpfung ins Leere"},
    {"link loop", "Verknüpfungsschleife"},
    {"cannot follow the link", "Verknüpfung nicht verfolgbar"},
    {"link to a folder, not followed", "Verknüpfung auf einen Ordner, nicht verfolgt"},
    {"a pipe", "eine Pipe"},
    {"a socket", "ein Socket"},
    {"a device", "ein Gerät"},
    {"not a regular file", "keine reguläre Datei"},
    {"cannot open the folder", "Ordner nicht zu öffnen"},
    {"cannot read the folder", "Ordner nicht lesbar"},
    {"the folder was moved or replaced during the walk; its subfolders are left out",
     "der Ordner wurde während des Durchlaufs verschoben oder ersetzt; seine Unterordner fehlen"},
    {"the target of", "das Ziel von"},
    {"standard output: cannot write", "Standardausgabe: nicht schreibbar"},
    {"out of memory", "kein Speicher mehr"},
    {"unexpected failure", "unerwarteter Fehler"},
    {"done", "fertig"},
    {"skipped (wrong password)", "übersprungen (falsches Kennwort)"},
    {"skipped (not a regular file)", "übersprungen (keine reguläre Datei)"},
    {"failed", "fehlgeschlagen"},
    {"fit", "passend"},
    {"see 'tambril-cli --help'", "siehe 'tambril-cli --help'"},
    {"unknown option", "unbekannte Option"},
    {"unknown command", "unbekannter Befehl"},
    {"empty file name", "leerer Dateiname"},
    {"expected SOURCE...", "QUELLE... erwartet"},
    {"expected FILE...", "DATEI... erwartet"},
    {"expected FILE", "DATEI erwartet"},
    {"-o expects the name of the target", "-o erwartet den Namen des Ziels"},
    {"-o names the target of a single file (not with several files, -r or -j)",
     "-o nennt das Ziel einer einzelnen Datei (nicht mit mehreren Dateien, -r oder -j)"},
    {"-j expects a number of files to code at once, from 1 to 4096",
     "-j erwartet die Zahl der zugleich zu codierenden Dateien, von 1 bis 4096"},
    {"Usage: tambril-cli encode [--password-stdin] [--age] [-o TARGET] SOURCE\n"
     "       tambril-cli encode [--password-stdin] [--age] [-r] [-j N] [--quiet] SOURCE...\n"
     "       tambril-cli check  [--password-stdin] [-r] [-j N] FILE...\n"
     "       tambril-cli decode [--password-stdin] [-o TARGET] FILE\n"
     "       tambril-cli decode [--password-stdin] [-r] [-j N] [--quiet] FILE...\n"
     "       tambril-cli convert [--password-stdin] [-r] [-j N] [--quiet] FILE.tmb...\n"
     "       tambril-cli show FILE\n"
     "       tambril-cli --help | --version\n",
     "Aufruf: tambril-cli encode [--password-stdin] [--age] [-o ZIEL] QUELLE\n"
     "        tambril-cli encode [--password-stdin] [--age] [-r] [-j N] [--quiet] QUELLE...\n"
     "        tambril-cli check  [--password-stdin] [-r] [-j N] DATEI...\n"
     "        tambril-cli decode [--password-stdin] [-o ZIEL] DATEI\n"
     "        tambril-cli decode [--password-stdin] [-r] [-j N] [--quiet] DATEI...\n"
     "        tambril-cli convert [--password-stdin] [-r] [-j N] [--quiet] DATEI.tmb...\n"
     "        tambril-cli show DATEI\n"
     "        tambril-cli --help | --version\n"},
    {"\n"
     "Encodes any file with a password into a .tmb file, checks a password\n"
     "against an encoded file, and decodes it back byte for byte. Every operand\n"
     "is a file to code, as for gzip or xz.\n"
     "\n"
     "  encode   writes SOURCE encoded beside it, \".tmb\" appended to its name\n"
     "           (brief.doc gives brief.doc.tmb). The password has 5 to 15\n"
     "           characters of Windows-1252, none a control character, and is\n"
     "           typed twice.\n"
     "  check    prints the extension stored in FILE if the password fits.\n"
     "  decode   checks the password, then writes the plain bytes beside FILE:\n"
     "           brief.doc.tmb gives brief.doc again, a renamed report.pdf.tmb\n"
     "           report.pdf; a name without an extension of its own (made by\n"
     "           the windows, brief.tmb) gets the stored extension written\n"
     "           after the first \".\" of its name (brief.doc).\n"
     "  convert  turns .tmb files into age files with the same password\n"
     "           (brief.doc.tmb gives brief.doc.age), reads each new file back\n"
     "           before its line says done, and never removes an original.\n"
     "  show     prints FILE's text as the viewer shows it: RTF files as text,\n"
     "           any other file byte for byte as Windows-1252 characters.\n"
     "\n"
     "  -o TARGET, --output TARGET\n"
     "           writes the one SOURCE or FILE to TARGET instead.\n"
     "  --age    encode writes an age file, \".age\" appended to the name; a\n"
     "           TARGET ending in \".age\" is always one. Its password has 5\n"
     "           characters at least and no upper limit.\n"
     "\n"
     "Given several files, -r or -j, every file is coded beside itself with one\n"
     "password for all; decode skips a file the password does not fit. One line\n"
     "per file in the order of the files, then a summary; on a terminal one\n"
     "progress bar for the run.\n"
     "  -r       walks the folders among the files at any depth; decode and\n"
     "           check take only names ending in \".tmb\" or \".age\", convert\n"
     "           those in \".tmb\", encode every file.\n"
     "           Links to folders are not followed. Every entry that is left\n"
     "           is named with its reason: a pipe, socket or device is skipped,\n"
     "           a folder that cannot be read or a link that leads nowhere\n"
     "           fails the run.\n"
     "  -j N     codes N files at once (default: one per processor).\n"
     "  --quiet  prints nothing but failures, and no progress bar.\n"
     "\n"
     "The password is typed on the terminal without echo. With --password-stdin\n"
     "it is the first line of standard input instead (UTF-8, no confirmation).\n"
     "It is never taken from the command line. An existing file is never\n"
     "replaced; a failed run leaves no target behind. Names holding control\n"
     "characters are printed quoted as the shell reads them ($'a\\nb').\n"
     "\n"
     "Messages are German where the first of LC_ALL, LC_MESSAGES and LANG that\n"
     "is set starts with \"de\", English otherwise.\n"
     "\n"
     "Exit status: 0 success, 1 wrong password, 2 usage error or refused\n"
     "password, 3 file error (missing, unreadable, target exists, cannot write).\n"
     "\n"
     "An age file (age-encryption.org/v1, with a password) is encrypted for\n"
     "real: scrypt and ChaCha20-Poly1305, every byte authenticated. The age\n"
     "program opens it, and its password files open here. decode and check\n"
     "know one by its first bytes, whatever its name: x.age decodes to x (a\n"
     "name without \".age\" needs -o), check reads the whole file, and a\n"
     "damaged or changed file is a file error that writes nothing. The\n"
     "password costs each file about half a second of one core and 256 MiB of\n"
     "memory, once per file: 1000 files take about nine minutes of one core.\n"
     "\n"
     "A .tmb file keeps casual eyes out, no more: see \"How safe is a .tmb file?\" in the README.\n",
     "\n"
     "Codiert jede Datei mit einem Kennwort in eine .tmb-Datei, prüft ein\n"
     "Kennwort an einer codierten Datei und entcodiert sie Byte für Byte zurück.\n"
     "Jeder Operand ist eine zu codierende Datei, wie bei gzip oder xz.\n"
     "\n"
     "  encode   schreibt QUELLE codiert daneben, \".tmb\" an den ganzen Namen\n"
     "           angehängt (brief.doc ergibt brief.doc.tmb). Das Kennwort hat 5\n"
     "           bis 15 Zeichen aus Windows-1252, keines ein Steuerzeichen, und\n"
     "           wird zweimal eingegeben.\n"
     "  check    gibt die in DATEI gespeicherte Erweiterung aus, wenn das\n"
     "           Kennwort passt.\n"
     "  decode   prüft das Kennwort und schreibt dann die Klartext-Bytes neben\n"
     "           DATEI: brief.doc.tmb ergibt wieder brief.doc, ein umbenanntes\n"
     "           bericht.pdf.tmb bericht.pdf; ein Name ohne eigene Erweiterung\n"
     "           (von den Fenstern erstellt, brief.tmb) erhält die gespeicherte\n"
     "           Erweiterung nach dem ersten \".\" seines Namens (brief.doc).\n"
     "  convert  macht aus .tmb-Dateien age-Dateien mit demselben Kennwort\n"
     "           (brief.doc.tmb ergibt brief.doc.age), liest jede neue Datei\n"
     "           zurück, bevor ihre Zeile sie fertig meldet, und entfernt nie\n"
     "           ein Original.\n"
     "  show     gibt den Text von DATEI aus, wie ihn der Betrachter zeigt:\n"
     "           RTF-Dateien als Text, jede andere Datei Byte für Byte als\n"
     "           Windows-1252-Zeichen.\n"
     "\n"
     "  -o ZIEL, --output ZIEL\n"
     "           schreibt die eine QUELLE oder DATEI stattdessen nach ZIEL.\n"
     "  --age    encode schreibt eine age-Datei, \".age\" an den Namen angehängt;\n"
     "           ein ZIEL, das auf \".age\" endet, ist immer eine. Ihr Kennwort\n"
     "           hat mindestens 5 Zeichen und keine obere Grenze.\n"
     "\n"
     "Mit mehreren Dateien, -r oder -j wird jede Datei neben sich codiert, mit\n"
     "einem Kennwort für alle; decode überspringt eine Datei, zu der das\n"
     "Kennwort nicht passt. Eine Zeile je Datei in der Reihenfolge der Dateien,\n"
     "dann eine Zusammenfassung; auf einem Terminal ein Fortschrittsbalken für\n"
     "den ganzen Lauf.\n"
     "  -r       durchläuft die Ordner unter den Dateien in jeder Tiefe; decode\n"
     "           und check nehmen nur Namen, die auf \".tmb\" oder \".age\" enden,\n"
     "           convert die auf \".tmb\", encode jede Datei. Verknüpfungen auf Ordner werden nicht verfolgt. Jeder\n"
     "           übergangene Eintrag wird mit seinem Grund genannt: eine Pipe,\n"
     "           ein Socket oder ein Gerät wird übersprungen, ein Ordner, der\n"
     "           nicht lesbar ist, oder eine Verknüpfung ins Leere lässt den Lauf\n"
     "           fehlschlagen.\n"
     "  -j N     codiert N Dateien zugleich (Vorgabe: eine je Prozessor).\n"
     "  --quiet  gibt nur Fehlschläge aus und keinen Fortschrittsbalken.\n"
     "\n"
     "Das Kennwort wird ohne Echo auf dem Terminal eingegeben. Mit\n"
     "--password-stdin ist es stattdessen die erste Zeile der Standardeingabe\n"
     "(UTF-8, ohne Bestätigung). Es wird nie von der Befehlszeile genommen. Eine\n"
     "vorhandene Datei wird nie ersetzt; ein fehlgeschlagener Lauf hinterlässt\n"
     "kein Ziel. Namen mit Steuerzeichen werden so in Anführung ausgegeben, wie\n"
     "die Shell sie zurückliest ($'a\\nb').\n"
     "\n"
     "Meldungen sind deutsch, wenn die erste gesetzte von LC_ALL, LC_MESSAGES\n"
     "und LANG mit \"de\" beginnt, sonst englisch.\n"
     "\n"
     "Rückgabewert: 0 Erfolg, 1 falsches Kennwort, 2 Aufruffehler oder\n"
     "abgelehntes Kennwort, 3 Dateifehler (fehlt, nicht lesbar, Ziel vorhanden,\n"
     "nicht schreibbar).\n"
     "\n"
     "Eine age-Datei (age-encryption.org/v1, mit Kennwort) ist wirklich\n"
     "verschlüsselt: scrypt und ChaCha20-Poly1305, jedes Byte authentifiziert.\n"
     "Das Programm age öffnet sie, und seine Dateien mit Kennwort öffnen sich\n"
     "hier. decode und check erkennen sie an ihren ersten Bytes, wie sie auch\n"
     "heißt: x.age ergibt x (ein Name ohne \".age\" braucht -o), check liest\n"
     "die ganze Datei, und eine beschädigte oder veränderte Datei ist ein\n"
     "Dateifehler, der nichts schreibt. Das Kennwort kostet jede Datei etwa\n"
     "eine halbe Sekunde eines Kerns und 256 MiB Speicher, einmal je Datei:\n"
     "1000 Dateien brauchen etwa neun Minuten eines Kerns.\n"
     "\n"
     "Eine .tmb-Datei hält neugierige Blicke fern, mehr nicht: siehe \"How safe\n"
     "is a .tmb file?\" in der README.\n"},
    {"encoding", "codieren"},
    {"decoding", "entcodieren"},
    {"files", "Dateien"},
    {"of", "von"},
    {"cannot open", "nicht zu öffnen"},
    {"cannot read", "nicht lesbar"},
    {"file changed while it was read", "Datei wurde beim Lesen verändert"},
    {"cannot create", "nicht anzulegen"},
    {"cannot write", "nicht schreibbar"},
    {"password was not checked", "Kennwort wurde nicht geprüft"},
    {"its length is not known in advance (0 bytes said, more there)",
     "Länge nicht im Voraus bekannt (0 Byte gemeldet, mehr vorhanden)"},
    {"is damaged or was changed", "ist beschädigt oder wurde verändert"},
    {"was made for a key and cannot be opened with a password",
     "wurde für einen Schlüssel erstellt und kann nicht mit einem Kennwort geöffnet werden"},
    {"an age file whose name does not end in \".age\": name its target with -o",
     "eine age-Datei, deren Name nicht auf \".age\" endet: das Ziel mit -o nennen"},
    {"is an age file already", "ist schon eine age-Datei"},
    {"checking", "prüfen"},
};
static_assert(std::size(kTable) == static_cast<std::size_t>(Msg::Checking) + 1);

bool Set(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

Language LanguageOf(const char* lcAll, const char* lcMessages, const char* lang, const char* system) {
  for (const char* value : {lcAll, lcMessages, lang, system}) {
    if (Set(value)) return std::strncmp(value, "de", 2) == 0 ? Language::German : Language::English;
  }
  return Language::English;
}

Language MessageLanguage() {
  static const Language language =
      LanguageOf(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"), UserLanguage());
  return language;
}

std::string_view Text(Msg m, Language language) {
  const Entry& e = kTable[static_cast<std::size_t>(m)];
  return language == Language::German ? e.german : e.english;
}

std::string Reason(const codec::CodecError& e) {
  Msg m = Msg::UnexpectedFailure;
  switch (e.kind()) {
    case codec::ErrorKind::OpenSource:
      m = Msg::CannotOpen;
      break;
    case codec::ErrorKind::NotRegularFile:
      m = Msg::NotRegularFile;
      break;
    case codec::ErrorKind::ReadSource:
      m = Msg::CannotRead;
      break;
    case codec::ErrorKind::SourceChanged:
      m = Msg::SourceChanged;
      break;
    case codec::ErrorKind::TargetExists:
      m = Msg::FileExists;
      break;
    case codec::ErrorKind::CreateTarget:
      m = Msg::CannotCreate;
      break;
    case codec::ErrorKind::WriteTarget:
      m = Msg::CannotWrite;
      break;
    case codec::ErrorKind::NotEncoded:
      m = Msg::TooShortForEncoded;
      break;
    case codec::ErrorKind::NotChecked:
      m = Msg::NotChecked;
      break;
    case codec::ErrorKind::UnknownLength:
      m = Msg::UnknownLength;
      break;
    case codec::ErrorKind::Damaged:
      m = Msg::Damaged;
      break;
    case codec::ErrorKind::MadeForKey:
      m = Msg::MadeForKey;
      break;
  }
  std::string text(Text(m));
  // "File exists" would only say the same again.
  if (e.errnum() != 0 && e.kind() != codec::ErrorKind::TargetExists)
    text += std::string(": ") + codec::SystemErrorText(e.errnum());
  return text;
}

}  // namespace tambril::cli
