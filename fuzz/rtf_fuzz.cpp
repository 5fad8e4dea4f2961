// Feeds arbitrary bytes to the RTF parser (plain C++, no Qt): the plain
// text of the whole input must equal that of the input streamed in pieces
// of 7 bytes and of 1 byte, and no run of text a sink gets may hold a
// paragraph separator, a control character or a surrogate without its
// partner.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rtf/rtf_parser.h"
#include "rtf/rtf_plain_text.h"

namespace {

using namespace tambril::rtf;

void Die(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

class CheckingSink final : public Sink {
 public:
  void Text(std::u16string_view text, const CharProps&, const Tables&) override {
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t u = text[i];
      if (u == kParagraphSeparator || (u < 0x20 && u != u'\t')) Die("a run holds a structure character");
      if (IsLowSurrogate(u)) Die("a low surrogate without its partner");
      if (IsHighSurrogate(u) && (i + 1 == text.size() || !IsLowSurrogate(text[++i])))
        Die("a high surrogate without its partner");
    }
  }
  void EndParagraph(const ParaProps&, const CharProps&, const Tables&) override {}
  void Finish(const ParaProps&, const CharProps&, const Tables&) override {}
};

std::string Streamed(std::string_view rtf, std::ptrdiff_t step) {
  size_t at = 0;
  std::string text;
  StreamPlainText(
      [&](char* to, std::ptrdiff_t max) {
        const size_t n = std::min({static_cast<size_t>(max), static_cast<size_t>(step), rtf.size() - at});
        std::copy_n(rtf.data() + at, n, to);
        at += n;
        return static_cast<std::ptrdiff_t>(n);
      },
      [&](std::string_view piece) { text += piece; });
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view rtf(reinterpret_cast<const char*>(data), size);
  const std::string plain = PlainText(rtf);
  if (Streamed(rtf, 7) != plain) Die("stream in pieces of 7 and whole text differ");
  if (size < 4096 && Streamed(rtf, 1) != plain) Die("stream in single bytes and whole text differ");
  CheckingSink sink;
  Parse(rtf, sink);
  return 0;
}
