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
    {"encoding", "codieren"},
    {"decoding", "entcodieren"},
    {"files", "Dateien"},
    {"of", "von"},
    {"cannot open", "nicht zu öffnen"},
    {"cannot read", "nicht lesbar"},
    {"file is shorter than when it was loaded", "Datei ist kürzer als beim Laden"},
    {"cannot create", "nicht anzulegen"},
    {"cannot write", "nicht schreibbar"},
    {"password was not checked", "Kennwort wurde nicht geprüft"},
    {"its length is not known in advance (0 bytes said, more there)",
     "Länge nicht im Voraus bekannt (0 Byte gemeldet, mehr vorhanden)"},
};
static_assert(std::size(kTable) == static_cast<std::size_t>(Msg::UnknownLength) + 1);

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
    case codec::ErrorKind::ShortSource:
      m = Msg::SourceShorter;
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
  }
  std::string text(Text(m));
  // "File exists" would only say the same again.
  if (e.errnum() != 0 && e.kind() != codec::ErrorKind::TargetExists)
    text += std::string(": ") + codec::SystemErrorText(e.errnum());
  return text;
}

}  // namespace tambril::cli
