#pragma once
// The German messages of the program's message boxes and their titles, each
// written once, exactly as the user reads it (trailing spaces included).
#include <QString>
#include <cstdint>

namespace tambril::messages {

// Titles. Every failure and refusal is titled "ERROR", but for the two
// "exists already" refusals.
inline const QString kErrorTitle = QStringLiteral("ERROR");
inline const QString kFileTitle = QStringLiteral("File");
inline const QString kWarningTitle = QStringLiteral("WARNUNG");

// Failures of drives, folders and files.
inline const QString kDeviceError = QStringLiteral("Fehler beim Lesen von/Schreiben auf Gerät");
inline const QString kAccessError = QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
inline const QString kReadError = QStringLiteral("Fehler beim Lesen vom Gerät");

// The file dialog and the new-folder dialog; the name follows the text.
inline const QString kPatternError = QStringLiteral("Unzulässiger Eigenschaftswert");
inline const QString kTargetExists = QStringLiteral("Datei ist schon vorhanden und kann nicht mehr erstellt werden.");
inline const QString kFolderExists =
    QStringLiteral("Ordner ist schon vorhanden und kann nicht mehr erstellt werden!  ");

// The coding commands and dialogs.
inline const QString kAlreadyEncoded = QStringLiteral("Datei ist schon codiert! ");
inline const QString kAlreadyDecoded = QStringLiteral("Datei ist schon entcodiert! ");
inline const QString kNoPassword = QStringLiteral("Geben Sie ein Kennwort ein !");
inline const QString kPasswordTooShort = QStringLiteral("Das Kennwort ist zu klein. Das Kennwort braucht 5 Zeichen.");
inline const QString kNoConfirmation = QStringLiteral("Geben Sie die Kennwortbestätigung ein !");
inline const QString kPasswordMismatch =
    QStringLiteral("Das neue Kennwort und die Kennwortbestätigung stimmen nicht überein. Geben Sie beides erneut ein.");
inline const QString kWrongPassword = QStringLiteral("Geben Sie ein neues Kennwort ein !");
// An age file that does not read as one, or whose content fails its check.
inline const QString kDamaged = QStringLiteral("Die Datei ist beschädigt oder wurde verändert.");
// An age file made for a key rather than a password.
inline const QString kMadeForKey = QStringLiteral(
    "Die Datei wurde für einen Schlüssel verschlüsselt und kann nicht mit einem Kennwort geöffnet werden.");

// The search dialog; the count is written as number text between the two parts.
inline const QString kNotFound = QStringLiteral("Das eingegebene Wort wurde nicht gefunden.");
inline const QString kFoundBefore = QStringLiteral("Das eingegebene Wort wurde ");
inline const QString kFoundAfter = QStringLiteral(" mal gefunden.");

}  // namespace tambril::messages
