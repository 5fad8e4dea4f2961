#include "rtf_codepage.h"

#include <QString>
#include <QStringDecoder>

#include "codec/cp1252.h"

namespace tambril::rtf {
namespace {

ByteTable Cp1252Table() {
  ByteTable table{};
  for (int b = 0; b < 256; ++b) table[b] = static_cast<char16_t>(codec::Cp1252ToUnicode(static_cast<unsigned char>(b)));
  return table;
}

// The decoder name of a single-byte code page, or nullptr when it is not one
// we know to be single-byte.
const char* DecoderName(int codePage) {
  switch (codePage) {
    case 874:
      return "windows-874";
    case 1250:
      return "windows-1250";
    case 1251:
      return "windows-1251";
    case 1253:
      return "windows-1253";
    case 1254:
      return "windows-1254";
    case 1255:
      return "windows-1255";
    case 1256:
      return "windows-1256";
    case 1257:
      return "windows-1257";
    case 1258:
      return "windows-1258";
    case 10000:
      return "macintosh";
    case 437:
      return "IBM437";
    case 737:
      return "IBM737";
    case 775:
      return "IBM775";
    case 850:
      return "IBM850";
    case 852:
      return "IBM852";
    case 855:
      return "IBM855";
    case 857:
      return "IBM857";
    case 860:
      return "IBM860";
    case 861:
      return "IBM861";
    case 862:
      return "IBM862";
    case 863:
      return "IBM863";
    case 864:
      return "IBM864";
    case 865:
      return "IBM865";
    case 866:
      return "IBM866";
    case 869:
      return "IBM869";
    default:
      return nullptr;
  }
}

// Adobe Symbol, 0x20..0xFF; 0 keeps the Windows-1252 character.
constexpr char16_t kSymbol[224] = {
    // 0x20
    0, 0, 0x2200, 0, 0x2203, 0, 0, 0x220B, 0, 0, 0x2217, 0, 0, 0x2212, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C,
    0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0, 0x2234,
    0, 0x22A5, 0,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC,
    0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0, 0, 0,
    0x223C, 0,
    // 0x80..0x9F: unused
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191,
    0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286,
    0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8,
    0x23A9, 0x23AA, 0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB,
    0x23AC, 0x23AD, 0};

ByteTable SymbolTable() {
  ByteTable table = Cp1252Table();
  for (int b = 0x20; b < 256; ++b)
    if (kSymbol[b - 0x20] != 0) table[b] = kSymbol[b - 0x20];
  return table;
}

// Wingdings: only the characters word processors use as list bullets.
ByteTable WingdingsTable() {
  ByteTable table = Cp1252Table();
  table[0x6C] = u'\u25CF';  // black circle
  table[0x6E] = u'\u25A0';  // black square
  table[0x71] = u'\u2751';  // shadowed white square
  table[0x76] = u'\u2756';  // black diamond minus white X
  table[0xA7] = u'\u25AA';  // small black square
  table[0xA8] = u'\u25FB';  // white medium square
  table[0xD8] = u'\u27A2';  // arrowhead
  table[0xFC] = u'\u2714';  // check mark
  return table;
}

}  // namespace

int SymbolFontCodePage(const QString& fontName) {
  if (fontName.startsWith(u"Symbol", Qt::CaseInsensitive)) return kSymbolCodePage;
  if (fontName.startsWith(u"Wingdings", Qt::CaseInsensitive)) return kWingdingsCodePage;
  return 0;
}

int CharsetToCodePage(int charset) {
  switch (charset) {
    case 77:
      return 10000;  // Mac Roman
    case 161:
      return 1253;  // Greek
    case 162:
      return 1254;  // Turkish
    case 163:
      return 1258;  // Vietnamese
    case 177:
      return 1255;  // Hebrew
    case 178:
      return 1256;  // Arabic
    case 186:
      return 1257;  // Baltic
    case 204:
      return 1251;  // Cyrillic
    case 222:
      return 874;  // Thai
    case 238:
      return 1250;  // Central European
    case 254:
      return 437;  // PC 437
    case 2:
      return kSymbolCodePage;
    default:
      return 0;  // ANSI, default, symbol, double-byte sets
  }
}

const ByteTable& CodePages::Table(int codePage) {
  // Only known code pages get a table of their own, so no input can make
  // the cache grow beyond a few dozen tables.
  const char* name = DecoderName(codePage);
  const bool symbol = codePage == kSymbolCodePage || codePage == kWingdingsCodePage;
  if (name == nullptr && !symbol) codePage = 1252;
  if (auto it = tables_.find(codePage); it != tables_.end()) return it->second;
  ByteTable table = codePage == kSymbolCodePage      ? SymbolTable()
                    : codePage == kWingdingsCodePage ? WingdingsTable()
                                                     : Cp1252Table();
  if (name != nullptr) {
    QStringDecoder decoder(name);
    if (decoder.isValid()) {
      for (int b = 0x80; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const QString s = decoder.decode(QByteArrayView(&byte, 1));
        table[b] = s.size() == 1 ? s.at(0).unicode() : u'\uFFFD';
      }
    }
  }
  return tables_.emplace(codePage, table).first->second;
}

}  // namespace tambril::rtf
