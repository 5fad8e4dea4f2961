#include "text.h"

#include <cstdio>

#include "cli/messages.h"
#include "cli/system.h"
#include "codec/cp1252.h"

namespace tambril::cli {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\n':
      out += "\\n";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\r':
      out += "\\r";
      return;
    case 0x1B:
      out += "\\E";
      return;
    default: {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    }
  }
}

}  // namespace

std::string Quoted(std::string_view name) {
  std::string body;
  bool escaped = false;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t start = i;
    const char32_t c = codec::NextUtf8Character(name, i);
    const std::string_view bytes = name.substr(start, i - start);
    // A malformed sequence decodes as U+FFFD; a real U+FFFD takes three bytes.
    const bool malformed = c == 0xFFFD && bytes != "\xEF\xBF\xBD";
    if (malformed || codec::IsControl(c)) {
      escaped = true;
      for (const char b : bytes) AppendEscaped(body, static_cast<unsigned char>(b));
    } else if (c == U'\\' || c == U'\'') {
      body += '\\';
      body += static_cast<char>(c);
    } else {
      body += bytes;
    }
  }
  return escaped ? "$'" + body + "'" : std::string(name);
}

std::string QuotedArgument(std::string_view argument) {
  const std::string quoted = Quoted(argument);
  return quoted.starts_with("$'") ? quoted : "'" + quoted + "'";
}

std::string PrintableTag(std::string_view tag) {
  std::string out;
  for (const char b : tag) {
    out += codec::IsControl(codec::Cp1252ToUnicode(static_cast<unsigned char>(b)))
               ? std::string("?")
               : codec::Cp1252ToUtf8(std::string_view(&b, 1));
  }
  return out;
}

std::string FailureLine(const std::filesystem::path& source, const std::filesystem::path& target,
                        const codec::CodecError& e) {
  std::string line = Quoted(PathText(source));
  if (!target.empty() && e.path() == target) line += " -> " + Quoted(PathText(target));
  return line + ": " + Reason(e);
}

}  // namespace tambril::cli
