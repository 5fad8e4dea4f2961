#pragma once
// What tambril-cli says, in German or in English: German where the first of
// LC_ALL, LC_MESSAGES and LANG that is set starts with "de", English
// otherwise; where none is set, the system's language for its user decides
// (Windows' display language; none on POSIX systems). One table holds both;
// the password texts are the windows'.
#include <string>
#include <string_view>

#include "codec/files.h"

namespace tambril::cli {

enum class Language { English, German };

// The language of the environment, looked up once.
Language MessageLanguage();
// The same rule on the given values (null: not set), `system` the system's
// language for its user ("de", "en" ...; null where it has none).
Language LanguageOf(const char* lcAll, const char* lcMessages, const char* lang, const char* system = nullptr);

enum class Msg {
  // Passwords
  NoPassword,
  PasswordTooShort,
  NoConfirmation,
  ConfirmationDiffers,
  PasswordTooLong,
  PasswordControl,
  PasswordOutsideCodePage,
  Prompt,
  ConfirmPrompt,
  CannotReadPassword,
  InputEnded,
  NoTerminal,
  WrongPassword,
  // Files
  FileExists,
  TooShortForEncoded,
  Interrupted,
  RunInterrupted,
  LinkToNothing,
  LinkLoop,
  CannotFollowLink,
  LinkToFolder,
  APipe,
  ASocket,
  ADevice,
  NotRegularFile,
  CannotOpenFolder,
  CannotReadFolder,
  FolderReplaced,
  TargetOf,
  StandardOutput,
  OutOfMemory,
  UnexpectedFailure,
  // The summary of a many-file run
  Done,
  SkippedWrongPassword,
  SkippedNotRegular,
  Failed,
  Fit,  // check: the password fits
  // Usage
  SeeHelp,
  UnknownOption,
  UnknownCommand,
  EmptyFileName,
  ExpectedSources,
  ExpectedFiles,
  ExpectedFile,
  OutputExpectsName,
  OutputOneFile,
  JobsExpectNumber,
  Usage,  // the usage lines
  Help,   // what --help adds to them
  // The progress bars
  Encoding,
  Decoding,
  FilesWord,
  OfWord,
  // The codec's failures
  CannotOpen,
  CannotRead,
  SourceChanged,
  CannotCreate,
  CannotWrite,
  NotChecked,
  UnknownLength,
  Damaged,
  MadeForKey,
  // age files
  AgeNeedsOutput,
  AlreadyAge,
  Checking,
};

std::string_view Text(Msg m, Language language = MessageLanguage());

// What went wrong in the codec, in the message language, with the system's
// reason where there is one.
std::string Reason(const codec::CodecError& e);

}  // namespace tambril::cli
