#include "rtf_codepage.h"

#include <QString>
#include <QStringDecoder>

#include "codec/cp1252.h"

namespace tambril::rtf {
namespace {

ByteTable Cp1252Table() {
  ByteTable table{};
  for (int b = 0; b < 256; ++b)
    table[b] = static_cast<char16_t>(codec::Cp1252ToUnicode(static_cast<unsigned char>(b)));
  return table;
}

// The decoder name of a single-byte code page, or nullptr when it is not one
// we know to be single-byte.
const char* DecoderName(int codePage) {
  switch (codePage) {
    case 874: return "windows-874";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    case 437: return "IBM437";
    case 737: return "IBM737";
    case 775: return "IBM775";
    case 850: return "IBM850";
    case 852: return "IBM852";
    case 855: return "IBM855";
    case 857: return "IBM857";
    case 860: return "IBM860";
    case 861: return "IBM861";
    case 862: return "IBM862";
    case 863: return "IBM863";
    case 864: return "IBM864";
    case 865: return "IBM865";
    case 866: return "IBM866";
    case 869: return "IBM869";
    default: return nullptr;
  }
}

}  // namespace

int CharsetToCodePage(int charset) {
  switch (charset) {
    case 77: return 10000;   // Mac Roman
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Central European
    case 254: return 437;    // PC 437
    case 2: return kSymbolCodePage;
    default: return 0;       // ANSI, default, symbol, double-byte sets
  }
}

const ByteTable& CodePages::Table(int codePage) {
  // Only known code pages get a table of their own, so no input can make
  // the cache grow beyond a few dozen tables.
  const char* name = DecoderName(codePage);
  if (name == nullptr && codePage != kSymbolCodePage) codePage = 1252;
  if (auto it = tables_.find(codePage); it != tables_.end()) return it->second;
  ByteTable table = Cp1252Table();
  // Symbol fonts are mostly used for list bullets; show those as bullets
  // and leave the rest as the font's own byte values.
  if (codePage == kSymbolCodePage) table[0xB7] = u'\u2022';
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
