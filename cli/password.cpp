#include "password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "cli/messages.h"
#include "cli/terminal.h"
#include "codec/cp1252.h"

namespace tambril::cli {
namespace {

// Far more bytes than 15 characters can take (4 bytes each at most).
constexpr std::size_t kMaxLineBytes = 1024;

// A line longer than that is read to its end all the same where it comes
// from a terminal, so that nothing of it is left for the shell to run after
// the refusal; elsewhere reading stops there.
PasswordInput ReadLine(int fd) {
  PasswordInput in;
  const bool toLineEnd = ::isatty(fd) == 1;
  std::string line;
  bool anything = false;
  char c;
  for (;;) {
    const ssize_t r = ::read(fd, &c, 1);
    if (r < 0) {
      if (errno == EINTR) continue;
      in.error = std::strerror(errno);
      return in;
    }
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

// A line typed on the terminal `tty` after `prompt`, without echo.
PasswordInput ReadWithoutEcho(int tty, std::string_view prompt) {
  PasswordInput in;
  {
    // Echo goes off before the prompt appears, so nothing typed after the
    // prompt can be shown or flushed away.
    EchoOff echoOff(tty);
    (void)!::write(tty, prompt.data(), prompt.size());
    in = ReadLine(tty);
  }
  (void)!::write(tty, "\n", 1);
  return in;
}

}  // namespace

int PasswordLength(std::string_view utf8) { return static_cast<int>(codec::Utf8ToCp1252(utf8).size()); }

std::optional<std::string_view> RefuseNewPassword(std::string_view utf8) {
  const int n = PasswordLength(utf8);
  if (n == 0) return Text(Msg::NoPassword);
  if (n < kMinPasswordLength) return Text(Msg::PasswordTooShort);
  if (n > kMaxPasswordLength) return Text(Msg::PasswordTooLong);
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = codec::NextUtf8Character(utf8, i);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return Text(Msg::PasswordControl);
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
  if (n > kMaxPasswordLength) return Text(Msg::PasswordTooLong);
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

PasswordInput ReadPasswordLine(int fd, std::string_view prompt) {
  if (::isatty(fd) != 1) return ReadLine(fd);
  return ReadWithoutEcho(fd, prompt);
}

PasswordInput ReadPasswordFromTerminal(std::string_view prompt) {
  PasswordInput in;
  const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) {
    in.error = Text(Msg::NoTerminal);
    return in;
  }
  in = ReadWithoutEcho(tty, prompt);
  ::close(tty);
  return in;
}

}  // namespace tambril::cli
