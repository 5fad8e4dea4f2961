#pragma once
// Single-byte code pages for the \'hh escapes and 8-bit text of RTF files.
#include <array>
#include <string_view>
#include <unordered_map>

namespace tambril::rtf {

using ByteTable = std::array<char16_t, 256>;

// Pseudo code pages for the two symbol fonts whose characters have Unicode
// equivalents; text in them is shown as those characters in an ordinary font.
constexpr int kSymbolCodePage = -2;
constexpr int kWingdingsCodePage = -3;

// Word writes symbol font characters with \u as U+F020..U+F0FF; gives the
// byte they stand for, or 0.
constexpr unsigned char SymbolPrivateUseByte(char16_t unit) {
  return unit >= 0xF020 && unit <= 0xF0FF ? static_cast<unsigned char>(unit - 0xF000) : 0;
}

// The code page that an RTF \fcharset number stands for, 0 when the font
// simply uses the document's code page. The symbol character set gives
// kSymbolCodePage; the font's name then decides (SymbolFontCodePage).
int CharsetToCodePage(int charset);

// The pseudo code page of a symbol font by its name, or 0 when it has none.
int SymbolFontCodePage(std::u16string_view fontName);

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
