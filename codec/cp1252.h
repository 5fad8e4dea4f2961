#pragma once
// Windows-1252, the single-byte code page in which passwords become key codes
// and in which the viewer shows plain files. The same table on every platform
// is what lets a file encoded on one machine decode on another.
#include <string>
#include <string_view>

namespace tambril::codec {

// The Unicode character of a byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the control character of the
// same value, so every byte stays exactly one character.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte of a Unicode character; a character the code page cannot hold
// gives '?' (63).
unsigned char UnicodeToCp1252(char32_t ch);

// UTF-8 text to Windows-1252 bytes, one byte per character. A malformed
// UTF-8 sequence counts as one character that the code page cannot hold.
std::string Utf8ToCp1252(std::string_view utf8);

// Decodes the UTF-8 character at text[i] and moves i past it. A malformed
// sequence (a stray byte, a cut-off, overlong or surrogate sequence) is one
// character, U+FFFD, and takes the bytes up to where it went wrong, at least
// one.
char32_t NextUtf8Character(std::string_view text, std::size_t& i);

// Appends one Unicode character to `out` as UTF-8.
void AppendUtf8Character(std::string& out, char32_t c);

// Whether `c` is a control character (C0, DEL or C1), which no glyph shows:
// what a byte gives for 0x00-0x1F, 0x7F and the five undefined bytes.
bool IsControl(char32_t c);

// Windows-1252 bytes to UTF-8 text, one character per byte.
std::string Cp1252ToUtf8(std::string_view bytes);
// The same, appended to `out` (which a caller can reuse block after block).
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

}  // namespace tambril::codec
