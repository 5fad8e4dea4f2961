#include "rtf_codepage.h"

#include <QByteArray>
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
QByteArray DecoderName(int codePage) {
  if (codePage == 874 || (codePage >= 1250 && codePage <= 1258))
    return "windows-" + QByteArray::number(codePage);
  if (codePage == 10000) return "macintosh";
  switch (codePage) {
    case 437: case 737: case 775: case 850: case 852: case 855: case 857:
    case 860: case 861: case 862: case 863: case 864: case 865: case 866: case 869:
      return "IBM" + QByteArray::number(codePage);
    default:
      return {};
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
  const QByteArray name = DecoderName(codePage);
  if (name.isEmpty() && codePage != kSymbolCodePage) codePage = 1252;
  if (auto it = tables_.find(codePage); it != tables_.end()) return it->second;
  ByteTable table = Cp1252Table();
  // Symbol fonts are mostly used for list bullets; show those as bullets
  // and leave the rest as the font's own byte values.
  if (codePage == kSymbolCodePage) table[0xB7] = u'\u2022';
  if (!name.isEmpty()) {
    QStringDecoder decoder(name.constData());
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
