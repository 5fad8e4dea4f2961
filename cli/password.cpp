#include "password.h"

#include <functional>

#include "cli/messages.h"
#include "cli/system.h"
#include "codec/codec.h"
#include "codec/cp1252.h"

namespace tambril::cli {
namespace {

// Far more bytes than 15 characters can take (4 bytes each at most).
constexpr std::size_t kMaxLineBytes = 1024;

using ReadFn = std::function<long(char*, std::size_t, std::string&)>;

// A line longer than that is read to its end all the same where it comes
// from a terminal, so that nothing of it is left for the shell to run after
// the refusal; elsewhere reading stops there.
PasswordInput ReadLine(const ReadFn& read, bool toLineEnd) {
  PasswordInput in;
  std::string line;
  bool anything = false;
  char c;
  for (;;) {
    const long r = read(&c, 1, in.error);
    if (r < 0) return in;
    if (r == 0) {
      if (!anything) {
        in.error = Text(Msg::InputEnded);
        return in;
      }
      break;
    }
    anything = true;
    if (c == '\n') break;
    if (line.size() <= kMaxLineBytes) {
      line += c;
    } else if (!toLineEnd) {
      break;  // refused as too long anyway
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  in.text = std::move(line);
  return in;
}

// A line typed on a terminal after `prompt`, without echo.
PasswordInput ReadWithoutEcho(PasswordSource source, std::string_view prompt) {
  PasswordInput in;
  const auto terminal = PasswordTerminal::Open(source, in.error);
  if (!terminal) return in;
  terminal->prompt(prompt);
  return ReadLine([&](char* to, std::size_t n, std::string& error) { return terminal->read(to, n, error); }, true);
}

}  // namespace

int PasswordLength(std::string_view utf8) { return static_cast<int>(codec::Utf8ToCp1252(utf8).size()); }

std::optional<std::string_view> RefuseNewPassword(std::string_view utf8) {
  const int n = PasswordLength(utf8);
  if (n == 0) return Text(Msg::NoPassword);
  if (n < static_cast<int>(codec::kMinPasswordLength)) return Text(Msg::PasswordTooShort);
  if (n > static_cast<int>(codec::kMaxPasswordLength)) return Text(Msg::PasswordTooLong);
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = codec::NextUtf8Character(utf8, i);
    if (codec::IsControl(c)) return Text(Msg::PasswordControl);
  }
  if (!FitsCodePage(utf8)) return Text(Msg::PasswordOutsideCodePage);
  return std::nullopt;
}

std::optional<std::string_view> RefuseConfirmation(std::string_view password, std::string_view confirmation) {
  if (confirmation.empty()) return Text(Msg::NoConfirmation);
  if (confirmation != password) return Text(Msg::ConfirmationDiffers);
  return std::nullopt;
}

std::optional<std::string_view> RefuseTypedPassword(std::string_view utf8) {
  const int n = PasswordLength(utf8);
  if (n == 0) return Text(Msg::NoPassword);
  if (n > static_cast<int>(codec::kMaxPasswordLength)) return Text(Msg::PasswordTooLong);
  return std::nullopt;
}

bool FitsCodePage(std::string_view utf8) {
  // A character outside the code page is the only way to get "?" from a
  // text that has no "?" of its own.
  std::size_t questionMarks = 0;
  for (char c : utf8) questionMarks += c == '?';
  std::size_t mapped = 0;
  for (char c : codec::Utf8ToCp1252(utf8)) mapped += c == '?';
  return mapped == questionMarks;
}

PasswordInput ReadPasswordLine(std::string_view prompt) {
  if (StdinIsTerminal()) return ReadWithoutEcho(PasswordSource::StandardInput, prompt);
  return ReadLine(ReadStandardInput, false);
}

PasswordInput ReadPasswordFromTerminal(std::string_view prompt) {
  return ReadWithoutEcho(PasswordSource::Terminal, prompt);
}

}  // namespace tambril::cli
