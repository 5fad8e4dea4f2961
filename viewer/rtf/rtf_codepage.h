#pragma once
// Single-byte code pages for the \'hh escapes and 8-bit text of RTF files.
#include <array>
#include <unordered_map>

namespace tambril::rtf {

using ByteTable = std::array<char16_t, 256>;

// Pseudo code page for fonts with the symbol character set.
constexpr int kSymbolCodePage = 42;

// The code page that an RTF \fcharset number stands for, 0 when the font
// simply uses the document's code page.
int CharsetToCodePage(int charset);

// Builds tables on first use and keeps them; one per reader, so readers on
// different threads share nothing.
class CodePages {
 public:
  // The table of `codePage`. Windows-1252 stands in for code pages that are
  // unknown here or need more than one byte per character.
  const ByteTable& Table(int codePage);

 private:
  std::unordered_map<int, ByteTable> tables_;
};

}  // namespace tambril::rtf
