// Character and paragraph formats the reader puts on the text.
#include <gtest/gtest.h>

#include "rtf_test_util.h"

namespace tambril::rtf::test {
namespace {

TEST(RtfFormat, BoldItalicUnderlineSwitchOnAndOff) {
  const auto doc = Load(
      "{\\rtf1 \\b B \\b0 n \\i I \\i0 n \\ul U \\ul0 n \\ul V \\ulnone n \\b1\\i\\ul all "
      "\\plain p \\uldb D \\ulwave W \\uld T \\ulnone \\strike S\\strike0 x}");
  EXPECT_EQ(doc->toPlainText(), u"B n I n U n V n all p D W T Sx");
  struct Expect {
    int position;
    bool bold, italic, underline;
  };
  for (const Expect e : {Expect{0, true, false, false},
                         {2, false, false, false},
                         {4, false, true, false},
                         {6, false, false, false},
                         {8, false, false, true},
                         {10, false, false, false},
                         {12, false, false, true},
                         {14, false, false, false},
                         {16, true, true, true},
                         {20, false, false, false}}) {
    const QTextCharFormat f = FormatAt(*doc, e.position);
    EXPECT_EQ(f.fontWeight() == QFont::Bold, e.bold) << e.position;
    EXPECT_EQ(f.fontItalic(), e.italic) << e.position;
    EXPECT_EQ(f.fontUnderline(), e.underline) << e.position;
  }
  EXPECT_EQ(FormatOf(*doc, "D").underlineStyle(), QTextCharFormat::SingleUnderline);
  EXPECT_EQ(FormatOf(*doc, "W").underlineStyle(), QTextCharFormat::WaveUnderline);
  EXPECT_EQ(FormatOf(*doc, "T").underlineStyle(), QTextCharFormat::DotLine);
  EXPECT_TRUE(FormatOf(*doc, "S").fontStrikeOut());
  EXPECT_FALSE(FormatOf(*doc, "x").fontStrikeOut());
}

TEST(RtfFormat, GroupsRestoreTheOuterFormat) {
  const auto doc = Load("{\\rtf1 a{\\b b{\\i c}d}e{\\ul\\fs40 f}g}");
  EXPECT_EQ(doc->toPlainText(), u"abcdefg");
  EXPECT_NE(FormatAt(*doc, 0).fontWeight(), QFont::Bold);
  EXPECT_EQ(FormatAt(*doc, 1).fontWeight(), QFont::Bold);
  EXPECT_FALSE(FormatAt(*doc, 1).fontItalic());
  EXPECT_TRUE(FormatAt(*doc, 2).fontItalic());
  EXPECT_EQ(FormatAt(*doc, 2).fontWeight(), QFont::Bold);
  EXPECT_FALSE(FormatAt(*doc, 3).fontItalic());
  EXPECT_NE(FormatAt(*doc, 4).fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(FormatAt(*doc, 5).fontPointSize(), 20.0);
  EXPECT_DOUBLE_EQ(FormatAt(*doc, 6).fontPointSize(), 12.0);
  EXPECT_FALSE(FormatAt(*doc, 6).fontUnderline());
}

TEST(RtfFormat, FontsComeFromTheFontTable) {
  const auto doc = Load(
      "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
      "{\\f1\\fswiss Arial{\\*\\falt Helvetica};}{\\f2\\fmodern Courier New;}}"
      "dflt \\f0 times \\f2\\fs17 mono \\f9 unknown}");
  EXPECT_EQ(Family(FormatOf(*doc, "dflt")), u"Arial");
  EXPECT_EQ(FormatOf(*doc, "dflt").fontStyleHint(), QFont::SansSerif);
  EXPECT_DOUBLE_EQ(FormatOf(*doc, "dflt").fontPointSize(), 12.0);
  EXPECT_EQ(Family(FormatOf(*doc, "times")), u"Times New Roman");
  EXPECT_EQ(FormatOf(*doc, "times").fontStyleHint(), QFont::Serif);
  EXPECT_EQ(Family(FormatOf(*doc, "mono")), u"Courier New");
  EXPECT_DOUBLE_EQ(FormatOf(*doc, "mono").fontPointSize(), 8.5);
  // A font missing from the table leaves the document's default font.
  EXPECT_FALSE(FormatOf(*doc, "unknown").hasProperty(QTextFormat::FontFamilies));
}

TEST(RtfFormat, FontTableWithoutInnerGroups) {
  const auto doc = Load("{\\rtf1{\\fonttbl\\f0\\fnil Tahoma;\\f1\\froman Georgia;}\\f1 x}");
  EXPECT_EQ(Family(FormatOf(*doc, "x")), u"Georgia");
}

TEST(RtfFormat, ColoursComeFromTheColourTable) {
  const auto doc = Load(
      "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255"
      "\\blue0;}auto \\cf1 red\\cf0  back \\cf2\\highlight3 blue\\highlight0  \\cb1 bg\\cb0 "
      "\\cf7 none}");
  EXPECT_FALSE(FormatOf(*doc, "auto").hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_EQ(FormatOf(*doc, "red").foreground().color(), QColor(255, 0, 0));
  EXPECT_FALSE(FormatOf(*doc, "back").hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_EQ(FormatOf(*doc, "blue").foreground().color(), QColor(0, 0, 255));
  EXPECT_EQ(FormatOf(*doc, "blue").background().color(), QColor(255, 255, 0));
  EXPECT_EQ(FormatOf(*doc, "bg").background().color(), QColor(255, 0, 0));
  EXPECT_FALSE(FormatOf(*doc, "none").hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_FALSE(FormatOf(*doc, "none").hasProperty(QTextFormat::BackgroundBrush));
}

TEST(RtfFormat, SuperAndSubscript) {
  const auto doc = Load("{\\rtf1 x{\\super 2}y{\\sub i}z\\super a\\nosupersub b}");
  EXPECT_EQ(FormatOf(*doc, "2").verticalAlignment(), QTextCharFormat::AlignSuperScript);
  EXPECT_EQ(FormatOf(*doc, "i").verticalAlignment(), QTextCharFormat::AlignSubScript);
  EXPECT_EQ(FormatOf(*doc, "z").verticalAlignment(), QTextCharFormat::AlignNormal);
  EXPECT_EQ(FormatOf(*doc, "b").verticalAlignment(), QTextCharFormat::AlignNormal);
}

TEST(RtfFormat, AlignmentBelongsToEachParagraph) {
  const auto doc = Load(
      "{\\rtf1 \\pard\\qc centre\\par \\pard\\qr right\\par \\qj just\\par \\pard left\\par "
      "\\ql late\\qc\\par}");
  EXPECT_EQ(BlockOf(*doc, "centre").alignment(), Qt::AlignHCenter);
  EXPECT_EQ(BlockOf(*doc, "right").alignment(), Qt::AlignRight);
  EXPECT_EQ(BlockOf(*doc, "just").alignment(), Qt::AlignJustify);
  EXPECT_EQ(BlockOf(*doc, "left").alignment(), Qt::AlignLeft);
  // What is in force at the paragraph mark counts.
  EXPECT_EQ(BlockOf(*doc, "late").alignment(), Qt::AlignHCenter);
}

TEST(RtfFormat, IndentsAndSpacingInTwips) {
  const auto doc = Load(
      "{\\rtf1 \\pard\\li720\\ri360\\fi-360\\sb120\\sa240 hanging\\par \\pard plain\\par"
      " \\pard\\li-500\\fi-200 clipped\\par}");
  const QTextBlockFormat hanging = BlockOf(*doc, "hanging");
  EXPECT_DOUBLE_EQ(hanging.leftMargin(), 48.0);
  EXPECT_DOUBLE_EQ(hanging.rightMargin(), 24.0);
  EXPECT_DOUBLE_EQ(hanging.textIndent(), -24.0);
  EXPECT_DOUBLE_EQ(hanging.topMargin(), 8.0);
  EXPECT_DOUBLE_EQ(hanging.bottomMargin(), 16.0);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "plain").leftMargin(), 0.0);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "plain").textIndent(), 0.0);
  // Nothing reaches left of the page edge.
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "clipped").leftMargin(), 0.0);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "clipped").textIndent(), 0.0);
}

TEST(RtfFormat, TableRowsGetTabStopsWhereTheirCellsBegin) {
  const auto doc = Load(
      "{\\rtf1 \\trowd\\trgaph105\\cellx1500\\cellx3000\\cellx4500\\pard\\intbl A\\cell B\\cell "
      "C\\cell\\row\\pard after\\par}");
  const QList<QTextOption::Tab> tabs = BlockOf(*doc, "A").tabPositions();
  ASSERT_EQ(tabs.size(), 2);
  EXPECT_DOUBLE_EQ(tabs[0].position, 107.0);
  EXPECT_DOUBLE_EQ(tabs[1].position, 207.0);
  EXPECT_TRUE(BlockOf(*doc, "after").tabPositions().isEmpty());
}

TEST(RtfFormat, EmptyParagraphsKeepTheFontOfTheirMark) {
  const auto doc = Load("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Georgia;}}\\f0 a\\par\\f1\\fs48\\par\\f0\\fs20 b}");
  ASSERT_EQ(doc->blockCount(), 3);
  const QTextBlock empty = doc->findBlockByNumber(1);
  EXPECT_EQ(empty.length(), 1);
  EXPECT_EQ(Family(empty.charFormat()), u"Georgia");
  EXPECT_DOUBLE_EQ(empty.charFormat().fontPointSize(), 24.0);
}

TEST(RtfFormat, SizesAreClampedToSaneValues) {
  const auto doc = Load("{\\rtf1 \\fs0 a\\fs99999999999 b\\fs-4 c}");
  EXPECT_DOUBLE_EQ(FormatAt(*doc, 0).fontPointSize(), 12.0);
  EXPECT_DOUBLE_EQ(FormatAt(*doc, 1).fontPointSize(), 1638.0);
  EXPECT_DOUBLE_EQ(FormatAt(*doc, 2).fontPointSize(), 12.0);
}

// Hand-written borders: each side on its own, widths and colours from the
// colour table, "none" switching a side off, shading; paragraph borders
// after the row definition do not reach its cells.
TEST(RtfFormat, TableCellBordersAndShading) {
  const auto doc = Load(
      "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
      "\\trowd\\clbrdrt\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs\\brdrnone\\clcbpat2\\cellx1500"
      "\\clbrdrr\\brdrdb\\cellx3000\\brdrb\\brdrs\\brdrw99 "
      "\\pard\\intbl a\\cell b\\cell\\row\\pard plain\\par"
      "\\trowd\\cellx1500\\pard\\intbl c\\cell\\row}");
  const QList<CellBox> cells = TableCellsOf(BlockOf(*doc, "a"));
  ASSERT_EQ(cells.size(), 2);
  EXPECT_DOUBLE_EQ(cells[0].width[0], 2.0);
  EXPECT_EQ(cells[0].color[0], QColor(255, 0, 0));
  EXPECT_DOUBLE_EQ(cells[0].width[1], 0.0);
  EXPECT_DOUBLE_EQ(cells[0].width[2], 0.0);  // switched off again
  EXPECT_EQ(cells[0].shading, QColor(0, 128, 0));
  EXPECT_DOUBLE_EQ(cells[1].width[3], 1.0);  // the default width
  EXPECT_EQ(cells[1].color[3], QColor(0, 0, 0));
  EXPECT_DOUBLE_EQ(cells[1].width[2], 0.0);
  EXPECT_FALSE(cells[1].shading.isValid());
  EXPECT_TRUE(TableCellsOf(BlockOf(*doc, "plain")).isEmpty());
  EXPECT_TRUE(TableCellsOf(BlockOf(*doc, "c")).isEmpty());  // a row without borders
}

}  // namespace
}  // namespace tambril::rtf::test
