#pragma once
// Passwords: where they are read from and the rules an encode password must
// meet. Passwords are typed as UTF-8 and coded as Windows-1252, one byte per
// character; in a password to check or decode, a character outside that
// code page counts as "?".
#include <optional>
#include <string>
#include <string_view>

namespace tambril::cli {

// The refusals are the windows' texts (cli/messages.h), applied in this
// order: none, too short, too long, a control character, a character
// outside the code page; then the confirmation.

// Length in characters of a UTF-8 password.
int PasswordLength(std::string_view utf8);

// The refusal of a new (encode) password, or nullopt when it is accepted.
std::optional<std::string_view> RefuseNewPassword(std::string_view utf8);
// The refusal of a confirmation, compared exactly with the password.
std::optional<std::string_view> RefuseConfirmation(std::string_view password, std::string_view confirmation);
// The refusal of a password given to check or decode a file: none, or one
// longer than any file can have been encoded with. Characters outside the
// code page are taken (as "?"), so that files made that way still open.
std::optional<std::string_view> RefuseTypedPassword(std::string_view utf8);

// Whether every character of the password is in Windows-1252.
bool FitsCodePage(std::string_view utf8);

struct PasswordInput {
  std::optional<std::string> text;  // the line read, without its line end
  std::string error;                // why nothing could be read
};

// The first line of standard input, without
// CR LF or LF; a last line may lack its line end. An input that ends before
// any byte is an error, never an empty password. Only the first 1025 bytes
// of a line are kept (far more than any password takes); a terminal's line
// is read to its end, typed after `prompt` without echo, another input's no
// further.
PasswordInput ReadPasswordLine(std::string_view prompt);

// A line typed on the controlling terminal without echo, after `prompt`;
// echo stays off across a stop (Ctrl-Z) and `fg`.
PasswordInput ReadPasswordFromTerminal(std::string_view prompt);

}  // namespace tambril::cli
