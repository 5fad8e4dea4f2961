// Broken and hostile input: the reader must end, in linear time, with what
// it could read. These tests also run under AddressSanitizer and UBSan.
#include <gtest/gtest.h>

#include <QImage>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <random>

#include "rtf_test_util.h"

namespace tambril::rtf::test {
namespace {

// The text of `rtf` read as a stream that delivers at most `step` bytes
// per read.
QString Streamed(QByteArrayView rtf, qsizetype step) {
  qsizetype at = 0;
  QString text;
  StreamPlainText(
      [&](char* to, qsizetype max) {
        const qsizetype n = std::min({max, step, rtf.size() - at});
        std::copy_n(rtf.data() + at, n, to);
        at += n;
        return n;
      },
      [&](std::string_view piece) { text += QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())); });
  return text;
}

// Loads through all three outputs and checks that they agree on the text
// (data that is not RTF is left to QTextDocument's own plain-text rules).
QString LoadBoth(QByteArrayView rtf) {
  const QString plain = RtfToPlainText(rtf);
  const auto doc = Load(rtf);
  if (rtf.startsWith("{\\rtf")) {
    EXPECT_EQ(RawText(*doc), plain);
  }
  EXPECT_EQ(Streamed(rtf, 3), plain);
  return plain;
}

TEST(RtfRobustness, UnbalancedBraces) {
  EXPECT_EQ(LoadBoth("{\\rtf1 {\\b bold {\\i cut"), u"bold cut");
  EXPECT_EQ(LoadBoth("{\\rtf1 a}}}}b"), u"a");
  EXPECT_EQ(LoadBoth("{\\rtf1 a}}}}{\\rtf1 b}"), u"a");
  EXPECT_EQ(LoadBoth("{\\rtf1 {{{{"), u"");
  EXPECT_EQ(LoadBoth("{\\rtf1 x{\\fonttbl{\\f0 Arial"), u"x");
}

TEST(RtfRobustness, DeepNesting) {
  const int depth = 100000;
  const QByteArray deep = "{\\rtf1 " + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') + " after}";
  EXPECT_EQ(LoadBoth(deep), u"deep after");
  // Groups beyond the kept depth still pair up with their closing braces.
  const auto doc = Load(deep);
  EXPECT_EQ(FormatOf(*doc, "deep").fontWeight(), QFont::Bold);
  EXPECT_NE(FormatOf(*doc, "after").fontWeight(), QFont::Bold);
  EXPECT_EQ(LoadBoth("{\\rtf1 " + QByteArray(depth, '{') + "open"), u"open");
}

TEST(RtfRobustness, BinaryCountsBeyondTheData) {
  EXPECT_EQ(LoadBoth("{\\rtf1 a\\bin999999999 xyz}"), u"a");
  EXPECT_EQ(LoadBoth("{\\rtf1 a\\bin99999999999999999999999 xyz}"), u"a");
  EXPECT_EQ(LoadBoth("{\\rtf1 a\\bin-5 b}"), u"ab");
  EXPECT_EQ(LoadBoth("{\\rtf1 a\\bin"), u"a");
}

TEST(RtfRobustness, HugeAndOddParameters) {
  const QByteArray rtf =
      "{\\rtf1{\\fonttbl{\\f99999999999999 Arial;}}{\\colortbl;\\red999999\\green-5\\blue7;}"
      "\\fs99999999999999999999 \\f-2147483648 \\cf4294967296 \\cb-1 \\li-99999999999 "
      "\\fi99999999999 \\uc99999999999 \\uc1 \\u99999999999 a\\u-99999999999 b\\uc1 \\u-2147483648 "
      "c\\ansicpg-1 \\'ff\\ansicpg99999999999 \\'e4\\deff-7 "
      "\\averyveryveryveryveryveryveryveryveryveryverylongcontrolword12 d}";
  const QString text = LoadBoth(rtf);
  EXPECT_EQ(text, QStringView(u"\u00ff\u00e4"
                              "d"));
}

// Sizes that cost a text box more than linear time or all memory: many
// distinct fonts and colours (each makes formats of its own), one enormous
// paragraph (laid out in one piece) and a great many paragraphs.
TEST(RtfRobustness, ManyFontsColoursAndParagraphsStayBounded) {
  QByteArray fonts = "{\\rtf1{\\fonttbl";
  QByteArray colours = "{\\colortbl;";
  QByteArray text;
  for (int i = 0; i < 3000; ++i) {
    fonts += "{\\f" + QByteArray::number(i) + " Font" + QByteArray::number(i) + ";}";
    colours += "\\red" + QByteArray::number(i % 256) + "\\green" + QByteArray::number(i / 256) + "\\blue0;";
    text += "\\f" + QByteArray::number(i) + "\\cf" + QByteArray::number(i + 1) + " w";
  }
  const auto doc = Load(fonts + "}" + colours + "}" + text + "}");
  EXPECT_EQ(RawText(*doc), QString(3000, u'w'));
  EXPECT_EQ(Family(FormatAt(*doc, 0)), u"Font0");
  EXPECT_EQ(FormatAt(*doc, 1).foreground().color(), QColor(1, 0, 0));
  // Beyond the cap the default font and colour.
  EXPECT_FALSE(FormatAt(*doc, 2999).hasProperty(QTextFormat::FontFamilies));
  EXPECT_FALSE(FormatAt(*doc, 2999).hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_LT(doc->allFormats().size(), 600);

  // One paragraph of 100 000 characters is shown in pieces, ended at a
  // space where there is one; no character is lost.
  QByteArray words;
  while (words.size() < 100000) words += "Wort ";
  const QString wordsText = LoadBoth("{\\rtf1 " + words + "}");
  EXPECT_TRUE(QString(wordsText).remove(u'\n') == QString::fromLatin1(words));
  for (const QStringView line : QStringView(wordsText).split(u'\n')) {
    EXPECT_TRUE(line.endsWith(u' ') || line.size() < 8192) << line.size();
  }
  const QString letters = LoadBoth("{\\rtf1 " + QByteArray(100000, 'x') + "}");
  EXPECT_TRUE(QString(letters).remove(u'\n') == QString(100000, u'x'));
  EXPECT_LE(letters.indexOf(u'\n'), 16384);

  // 300 000 paragraphs: the text is all there, but beyond a number of
  // paragraphs they are joined into longer ones by line breaks.
  QByteArray pars = "{\\rtf1 ";
  for (int i = 0; i < 300000; ++i) pars += i % 1000 == 0 ? "a\\par " : "\\par ";
  pars += "}";
  const auto many = Load(pars);
  EXPECT_TRUE(RawText(*many) == RtfToPlainText(pars));
  EXPECT_EQ(RawText(*many).size(), 300 + 299999);  // the last mark ends the text
  EXPECT_LE(many->blockCount(), 100000 + 300000 / 8192 + 1);
  EXPECT_GT(many->blockCount(), 99000);
}

// A PNG of the given size in its header, with valid checksums and no pixels.
QByteArray PngHeader(quint32 width, quint32 height) {
  QByteArray ihdr = "IHDR";
  for (const quint32 v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) ihdr += static_cast<char>(v >> shift);
  ihdr += QByteArray("\x08\x02\x00\x00\x00", 5);
  QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12) + ihdr;
  quint32 crc = 0xFFFFFFFFu;  // CRC-32 of the chunk
  for (const char ch : ihdr) {
    crc ^= static_cast<unsigned char>(ch);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc ^= 0xFFFFFFFFu;
  for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>(crc >> shift);
  return png;
}

// Broken and hostile pictures: each takes one character's place, is drawn
// within the size cap, and is decoded only when it can be done in bounded
// memory; everything else becomes an empty frame.
TEST(RtfRobustness, HostilePictures) {
  const QByteArray real = Fixture("picture.png");
  const struct {
    const char* what;
    QByteArray rtf;
    bool decoded;
  } cases[] = {
      {"truncated hex", "{\\rtf1 a{\\pict\\pngblip\\picwgoal600\\pichgoal400 " + real.left(60).toHex() + "}b}", false},
      {"odd hex digit", "{\\rtf1 a{\\pict\\pngblip " + real.toHex() + "f}b}", true},
      {"not a PNG", "{\\rtf1 a{\\pict\\pngblip\\picw10\\pich10 0123456789abcdef}b}", false},
      {"JPEG that is a PNG", "{\\rtf1 a{\\pict\\jpegblip " + real.toHex() + "}b}", false},
      {"giant PNG", "{\\rtf1 a{\\pict\\pngblip " + PngHeader(100000, 100000).toHex() + "}b}", false},
      {"giant goal",
       "{\\rtf1 a{\\pict\\pngblip\\picwgoal99999999\\pichgoal99999999\\picscalex9999 " + real.toHex() + "}b}", true},
      {"metafile", "{\\rtf1 a{\\pict\\wmetafile8\\picw2540\\pich1270 0100}b}", false},
      {"cut off", "{\\rtf1 a{\\pict\\pngblip 89504e", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto doc = Load(c.rtf);
    const QString text = doc->toRawText();
    if (c.rtf.endsWith('}')) {
      ASSERT_EQ(text, QStringView(u"a\uFFFCb"));
    } else {
      EXPECT_EQ(text, u"a");  // a picture that never ends is not shown
      continue;
    }
    const QTextFormat f = FormatAt(*doc, 1);
    const qreal w = f.doubleProperty(QTextFormat::ImageWidth), h = f.doubleProperty(QTextFormat::ImageHeight);
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    EXPECT_LE(w, 1000);
    EXPECT_LE(h, 1400);
    const QImage pixels = doc->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).value<QImage>();
    EXPECT_EQ(f.isImageFormat(), c.decoded);
    EXPECT_EQ(!pixels.isNull(), c.decoded);
    if (!c.decoded) {
      EXPECT_EQ(f.objectType(), kPictureFrame);
    }
    if (!pixels.isNull()) {
      EXPECT_LE(pixels.width(), 1000);
    }
  }
  // A metafile's frame: 2540 x 1270 hundredths of a millimetre are 96 x 48 pixels.
  const auto frame = Load("{\\rtf1 {\\pict\\emfblip\\picw2540\\pich1270 0100}}");
  EXPECT_DOUBLE_EQ(FormatAt(*frame, 0).doubleProperty(QTextFormat::ImageWidth), 96.0);
  EXPECT_DOUBLE_EQ(FormatAt(*frame, 0).doubleProperty(QTextFormat::ImageHeight), 48.0);
}

TEST(RtfRobustness, TruncatedAtAnyPointShowsAPrefix) {
  // Cut before a control word, group or text byte, a file shows the start
  // of what the whole file shows (an unfinished surrogate pair or paragraph
  // mark aside).
  for (const char* name : {"pandoc-notes.rtf", "libreoffice-letter.rtf", "wordpad-list.rtf"}) {
    const QByteArray rtf = Fixture(name);
    const QString full = RtfToPlainText(rtf);
    for (qsizetype cut = 6; cut < rtf.size(); ++cut) {  // after "{\\rtf1"
      const char c = rtf[cut];
      if (c != '\\' && c != '{' && c != '}') continue;
      QString part = RtfToPlainText(rtf.first(cut));
      while (part.endsWith(u'\n') || part.endsWith(QChar(0xFFFD))) part.chop(1);
      ASSERT_TRUE(full.startsWith(part)) << name << " cut at " << cut << ": " << part.toStdString();
      if (cut % 53 == 0) LoadBoth(rtf.first(cut));
    }
  }
}

// A stream is read in windows; what lies across a window's end (a control
// word, an escape, picture digits, binary data counted by \\bin) is read as
// it is in data read whole.
TEST(RtfRobustness, StreamReadInWindowsGivesTheSameText) {
  QByteArray rtf = "\xEF\xBB\xBF  \r\n{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}";
  std::mt19937 rng(5);
  for (int i = 0; rtf.size() < (qsizetype{5} << 20); ++i) {
    switch (rng() % 6) {
      case 0:
        rtf += QByteArray("Wort{\\b fett}\\'e4\\u8364?\\par ").repeated(50);
        break;
      case 1:
        rtf += "{\\pict\\pngblip " + QByteArray(static_cast<qsizetype>(rng() % 300000), 'a') + "}";
        break;
      case 2: {
        const qsizetype n = static_cast<qsizetype>(rng() % 300000);
        rtf += "{\\pict\\bin" + QByteArray::number(n) + " " + QByteArray(n, '}') + "}x";
        break;
      }
      case 3:
        rtf += "{\\f1 \\'61}\\line ";
        break;
      case 4:
        rtf += "{\\*\\unbekannt " + QByteArray(static_cast<qsizetype>(rng() % 100000), 'z') + "}";
        break;
      case 5:
        rtf += QByteArray::number(i) + " ";
        break;
    }
  }
  rtf += "}";
  const QString whole = RtfToPlainText(rtf);
  EXPECT_GT(whole.size(), 1000);
  for (const qsizetype step : {qsizetype{1} << 30, qsizetype{4093}}) EXPECT_TRUE(Streamed(rtf, step) == whole) << step;
  // Not RTF: each byte as its character, however it is read.
  EXPECT_TRUE(Streamed(QByteArray(3, ' ') + QByteArray(200000, '\xe4'), 7) ==
              QString(3, u' ') + QString(200000, u'\u00e4'));
}

TEST(RtfRobustness, NotRtfAtAll) {
  QByteArray bytes(4096, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
  const auto doc = Load(bytes);
  // Shown as 8-bit text: every byte is there, line ends aside.
  EXPECT_EQ(RtfToPlainText(bytes).size(), bytes.size());
  EXPECT_GE(doc->characterCount(), bytes.size() / 2);
  EXPECT_EQ(LoadBoth(""), u"");
  EXPECT_EQ(LoadBoth("{\\rtf"), u"");
}

// Random edits of real files: flipped bytes, inserted control characters,
// cut and doubled ranges. Both outputs must agree, nothing may crash.
TEST(RtfRobustness, MutatedFixtures) {
  const QByteArray seeds[] = {Fixture("pandoc-notes.rtf"), Fixture("libreoffice-letter.rtf"),
                              Fixture("wordpad-list.rtf"), Fixture("word-binary-picture.rtf")};
  static constexpr const char* kPieces[] = {"{",         "}",          "\\",           "\\bin9 ", "\\u-1",  "\\'",
                                            "\\*",       "\\pict ",    "\\par ",       "\\cell ", "\\row ", "\\uc5 ",
                                            "\\u55357 ", "\\fonttbl ", "\\colortbl ;", "\\f3 "};
  std::mt19937 rng(20261207);
  for (int round = 0; round < 400; ++round) {
    QByteArray data = seeds[round % std::size(seeds)];
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits && !data.isEmpty(); ++e) {
      const qsizetype at = static_cast<qsizetype>(rng() % static_cast<unsigned>(data.size()));
      switch (rng() % 5) {
        case 0:
          data[at] = static_cast<char>(rng());
          break;
        case 1:
          data.insert(at, kPieces[rng() % std::size(kPieces)]);
          break;
        case 2:
          data.remove(at, static_cast<qsizetype>(rng() % 64));
          break;
        case 3:
          data.insert(at, data.mid(at, static_cast<qsizetype>(rng() % 200)));
          break;
        case 4:
          data.truncate(at);
          break;
      }
    }
    SCOPED_TRACE(round);
    LoadBoth(data);
  }
}

TEST(RtfRobustness, RandomBytesAfterAHeader) {
  std::mt19937 rng(7);
  // Bytes weighted towards the characters that steer the parser.
  static constexpr char kAlphabet[] = "{}\\\\\\'*-0123456789abuflicnpr \r\n;\xe4\xff";
  for (int round = 0; round < 300; ++round) {
    QByteArray data = "{\\rtf1 ";
    const int length = static_cast<int>(rng() % 2000);
    for (int i = 0; i < length; ++i)
      data += round % 2 ? static_cast<char>(rng()) : kAlphabet[rng() % (sizeof kAlphabet - 1)];
    SCOPED_TRACE(round);
    LoadBoth(data);
  }
}

}  // namespace
}  // namespace tambril::rtf::test
