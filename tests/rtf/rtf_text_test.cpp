// What text the reader shows: paragraphs, special characters, code pages,
// Unicode, skipped destinations and tables.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QStringDecoder>

#include <utility>

#include "rtf/rtf_codepage.h"
#include "rtf_test_util.h"

namespace tambril::rtf::test {
namespace {

TEST(RtfText, ViewerDefaultDocumentIsOneEmptyParagraphInItsFont) {
  const QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fswiss MS Sans Serif;}}"
      "\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 \\par }\r\n";
  const auto doc = Load(rtf);
  EXPECT_EQ(doc->toPlainText(), QString());
  EXPECT_EQ(doc->blockCount(), 1);
  const QTextCharFormat f = QTextCursor(doc.get()).charFormat();
  EXPECT_EQ(Family(f), u"MS Sans Serif");
  EXPECT_DOUBLE_EQ(f.fontPointSize(), 10.0);
  EXPECT_EQ(f.fontStyleHint(), QFont::SansSerif);
}

TEST(RtfText, ParagraphMarksSeparateParagraphsWithoutATrailingEmptyOne) {
  EXPECT_EQ(Text("{\\rtf1 One\\par Two\\par}"), u"One\nTwo");
  EXPECT_EQ(Load("{\\rtf1 One\\par Two\\par}")->blockCount(), 2);
  EXPECT_EQ(Text("{\\rtf1 One\\par\\par Three}"), u"One\n\nThree");
  EXPECT_EQ(Text("{\\rtf1 Last paragraph without mark}"), u"Last paragraph without mark");
  // Line ends in the file are not text; a backslash before one is a mark.
  EXPECT_EQ(Text("{\\rtf1 a\r\nb\\\nc}"), u"ab\nc");
  // A page or section break right after a mark adds nothing.
  EXPECT_EQ(Text("{\\rtf1 a\\par\\page b\\sect c}"), u"a\nb\nc");
}

TEST(RtfText, LineBreaksAndTabsStayInsideTheParagraph) {
  const auto doc = Load("{\\rtf1 a\\line b\\tab c}");
  EXPECT_EQ(doc->blockCount(), 1);
  EXPECT_EQ(doc->toRawText(), QStringView(u"a\u2028b\tc"));
}

TEST(RtfText, EscapesAndNamedCharacters) {
  EXPECT_EQ(RawText(*Load("{\\rtf1 \\{x\\} a\\\\b}")), u"{x} a\\b");
  EXPECT_EQ(RawText(*Load("{\\rtf1 a\\~b\\-c\\_d}")), QStringView(u"a\u00A0b\u00ADc\u2011d"));
  EXPECT_EQ(RawText(*Load("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote "
                          "\\rdblquote}")),
            QStringView(u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D"));
  // The space after a control word delimits it and is not text; a second is.
  EXPECT_EQ(Text("{\\rtf1 \\emdash  x}"), QStringView(u"\u2014 x"));
}

TEST(RtfText, HexEscapesUseTheCodePage) {
  EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1252 K\\'e4se \\'80 \\'93q\\'94}"),
            QStringView(u"K\u00e4se \u20ac \u201cq\u201d"));
  // Windows-1252 is the default, also for raw 8-bit bytes.
  EXPECT_EQ(Text("{\\rtf1 \\'e4 \xfc}"), QStringView(u"\u00e4 \u00fc"));
  EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}"), QStringView(u"\u0410\u0431"));
  // A font's character set wins over the document's code page.
  EXPECT_EQ(Text("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Arial Greek;}}"
                 "\\f0 \\'e1{\\f1 \\'e1}}"),
            QStringView(u"\u00e1\u03b1"));
  // Code pages this reader does not know fall back to Windows-1252.
  EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg932 \\'e4}"), QStringView(u"\u00e4"));
  // Broken escapes take what hex digits there are.
  EXPECT_EQ(Text("{\\rtf1 a\\'4g\\'zb}"), u"agzb");
  // The parser's own tables give what Qt's decoders give, byte for byte.
  CodePages pages;
  const std::pair<int, const char*> known[] = {
      {874, "windows-874"},   {1250, "windows-1250"}, {1251, "windows-1251"}, {1253, "windows-1253"},
      {1254, "windows-1254"}, {1255, "windows-1255"}, {1256, "windows-1256"}, {1257, "windows-1257"},
      {1258, "windows-1258"}, {10000, "macintosh"},   {437, "IBM437"},        {737, "IBM737"},
      {775, "IBM775"},        {850, "IBM850"},        {852, "IBM852"},        {855, "IBM855"},
      {857, "IBM857"},        {860, "IBM860"},        {861, "IBM861"},        {862, "IBM862"},
      {863, "IBM863"},        {864, "IBM864"},        {865, "IBM865"},        {866, "IBM866"},
      {869, "IBM869"}};
  for (const auto& [page, name] : known) {
    QStringDecoder decoder(name);
    ASSERT_TRUE(decoder.isValid()) << name;
    const ByteTable& table = pages.Table(page);
    for (int b = 0x20; b < 0x80; ++b) EXPECT_EQ(table[b], char16_t(b)) << name;
    for (int b = 0x80; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const QString s = decoder.decode(QByteArrayView(&byte, 1));
      EXPECT_EQ(table[b], s.size() == 1 ? s.at(0).unicode() : u'\uFFFD') << name << " byte " << b;
    }
  }
}

TEST(RtfText, SymbolFontsBecomeUnicode) {
  const auto doc = Load(
      "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}"
      "{\\f3\\fcharset2 Marlett;}}\\f0 a{\\f1 ab\\'b7\\'a5\\u61623?}{\\f2 \\'a7\\'fcx}{\\f3 \\'b7}}");
  EXPECT_EQ(doc->toPlainText(), QStringView(u"a\u03b1\u03b2\u2022\u221e\u2022\u25aa\u2714x\u00b7"));
  // Translated characters show in an ordinary font; other symbol fonts
  // keep their own.
  EXPECT_FALSE(FormatAt(*doc, 1).hasProperty(QTextFormat::FontFamilies));
  EXPECT_EQ(Family(FormatAt(*doc, 9)), u"Marlett");
  // Outside a symbol font private-use characters stay as they are.
  EXPECT_EQ(Text("{\\rtf1 \\u61623?}"), QStringView(u"\uf0b7"));
}

TEST(RtfText, UnicodeEscapesSkipTheirFallback) {
  EXPECT_EQ(Text("{\\rtf1 \\u8364?5}"), QStringView(u"\u20ac5"));
  EXPECT_EQ(Text("{\\rtf1 \\u8364\\'80x}"), QStringView(u"\u20acx"));
  EXPECT_EQ(Text("{\\rtf1\\uc2 \\u8364 EUx}"), QStringView(u"\u20acx"));
  EXPECT_EQ(Text("{\\rtf1\\uc0 \\u8364 EU}"), QStringView(u"\u20ac"
                                                          "EU"));
  // The skip count is part of the group state.
  EXPECT_EQ(Text("{\\rtf1 {\\uc3 \\u8364 abc}\\u8364 xd}"), QStringView(u"\u20ac\u20ac"
                                                                        "d"));
  // A brace ends the fallback early.
  EXPECT_EQ(Text("{\\rtf1\\uc3 {\\u8364}ab}"), QStringView(u"\u20ac"
                                                           "ab"));
  // Values above 32767 are written negative.
  EXPECT_EQ(Text("{\\rtf1 \\u-1279?}"), QStringView(u"\uFB01"));
  // Characters outside the basic plane come as surrogate pairs.
  EXPECT_EQ(Text("{\\rtf1 \\u-10179?\\u-8704?}"), QString::fromUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(Text("{\\rtf1\\uc0 \\u55357\\uc1 \\u56832\\'3f}"), QString::fromUtf8("\xF0\x9F\x98\x80"));
  // Half a pair is shown as a replacement character, never as half a pair.
  EXPECT_EQ(Text("{\\rtf1 \\u-10179?x}"), QStringView(u"\uFFFDx"));
  EXPECT_EQ(Text("{\\rtf1 x\\u-8704?}"), QStringView(u"x\uFFFD"));
}

TEST(RtfText, SkippedDestinationsLeaveNoText) {
  EXPECT_EQ(Text("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                 "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
                 "{\\*\\generator Writer 1.0;}{\\*\\anything {nested} text}"
                 "{\\header Head\\par}{\\footer Foot\\par}body}"),
            u"body");
  // A picture takes the place of one character, never its hex digits.
  EXPECT_EQ(Text("{\\rtf1 see {\\pict\\pngblip\\picw4 89504e470d0a1a0a}here}"), u"see \uFFFChere");
  EXPECT_EQ(Text("{\\rtf1 {\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8 0100}}x}"),
            u"\uFFFCx");
  // Fields show their result, not their instruction.
  EXPECT_EQ(Text("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}} !}"), u"link !");
  EXPECT_EQ(Text("{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 3}}}"), u"3");
  // Hidden text is not shown.
  EXPECT_EQ(Text("{\\rtf1 a{\\v secret}b\\v c\\v0 d}"), u"abd");
}

TEST(RtfText, BinaryDataIsSkippedByCount) {
  // The binary bytes look like braces and control words; they must not be
  // read as such.
  EXPECT_EQ(Text("{\\rtf1 a{\\pict\\bin6 }{\\b\\}}c}"), u"a\uFFFCc");
  EXPECT_EQ(Text("{\\rtf1 a\\bin3 {{{b}"), u"ab");
  EXPECT_EQ(Text("{\\rtf1 a\\bin0 b}"), u"ab");
}

TEST(RtfText, TableRowsBecomeTabSeparatedLines) {
  // Word and LibreOffice end each cell with \cell.
  EXPECT_EQ(Text("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row"
                 "\\trowd\\cellx1000\\cellx2000\\pard\\intbl C\\cell D\\cell\\row\\pard After\\par}"),
            u"A\tB\nC\tD\nAfter");
  // pandoc ends the cell's paragraph before the cell.
  EXPECT_EQ(Text("{\\rtf1 {\\trowd\\cellx1\\cellx2\\intbl{{{\\pard\\intbl A\\par}\\cell}"
                 "{{\\pard\\intbl B\\par}\\cell}}\\intbl\\row}{\\pard Next\\par}}"),
            u"A\tB\nNext");
  // Empty cells keep their place; a cell of two paragraphs keeps both.
  EXPECT_EQ(Text("{\\rtf1 \\pard\\intbl A\\cell\\cell C\\cell\\row}"), u"A\t\tC");
  EXPECT_EQ(Text("{\\rtf1 \\pard\\intbl A1\\par A2\\cell B\\cell\\row}"), u"A1\nA2\tB");
}

TEST(RtfText, OnlyTheFirstDocumentCounts) {
  EXPECT_EQ(Text("{\\rtf1 shown}not shown{\\rtf1 neither}"), u"shown");
  EXPECT_EQ(Text("\xEF\xBB\xBF  \r\n{\\rtf1 after a byte order mark}"), u"after a byte order mark");
}

TEST(RtfText, DataWithoutAnRtfHeaderIsShownAsWindows1252Text) {
  const auto doc = Load(
      "Gr\xfc\xdf"
      "e\n{\\b not rtf}");
  EXPECT_EQ(doc->toPlainText(), QStringView(u"Gr\u00fc\u00dfe\n{\\b not rtf}"));
  EXPECT_EQ(RtfToPlainText("Gr\xfc\xdf"
                           "e"),
            QStringView(u"Gr\u00fc\u00dfe"));
}

TEST(RtfText, LoadingReplacesTheWholeDocument) {
  QTextDocument doc;
  doc.setPlainText("old text\nin two lines");
  LoadRtf("{\\rtf1 new}", doc);
  EXPECT_EQ(doc.toPlainText(), u"new");
  EXPECT_FALSE(doc.isUndoAvailable());
}

TEST(RtfText, LoadTellsViewsAndLeavesAnEditableDocument) {
  QTextDocument doc;
  doc.documentLayout();  // as inside a text box
  int changes = 0;
  QObject::connect(&doc, &QTextDocument::contentsChanged, [&] { ++changes; });
  LoadRtf("{\\rtf1 {\\b one}\\par two}", doc);
  EXPECT_GE(changes, 1);
  EXPECT_TRUE(doc.isUndoRedoEnabled());
  QTextCursor cursor(&doc);
  cursor.movePosition(QTextCursor::End);
  cursor.insertText("!");
  EXPECT_EQ(doc.toPlainText(), u"one\ntwo!");
  EXPECT_TRUE(doc.isUndoAvailable());
  doc.undo();
  EXPECT_EQ(doc.toPlainText(), u"one\ntwo");
}

TEST(RtfText, PlainTextMatchesTheDocument) {
  const QByteArray rtf =
      "{\\rtf1 a\\line b\\par\\par {\\b c}\\~\\tab d\\par\\pard\\intbl x\\cell y\\cell\\row e\\u8364?}";
  EXPECT_EQ(RtfToPlainText(rtf), RawText(*Load(rtf)));
  EXPECT_EQ(RtfToPlainText(rtf), QStringView(u"a\nb\n\nc\u00a0\td\nx\ty\ne\u20ac"));
}

}  // namespace
}  // namespace tambril::rtf::test
