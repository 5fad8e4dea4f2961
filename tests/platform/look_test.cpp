// The program's look where the system's would fail it: readable tooltips,
// a dialog face with a real bold, and viewer fonts that keep their kind
// when the named face is missing. Built for Linux and, under Wine, for
// Windows, whose fonts and palette differ.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolTip>

#include "viewer/rtf/rtf_reader.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/text_rules.h"

namespace tambril {
namespace {

// Dark text on a light ground, as far apart as black on pale yellow.
bool Readable(const QColor& text, const QColor& ground) { return ground.lightness() - text.lightness() >= 200; }

TEST(ApplicationLook, TooltipsAreBlackOnPaleYellowWhateverTheSystemPalette) {
  // The system's tooltip colours as Wine gives them: light grey on white.
  QPalette wine = QToolTip::palette();
  wine.setColor(QPalette::ToolTipBase, Qt::white);
  wine.setColor(QPalette::ToolTipText, QColor(0xA6, 0xA6, 0xA6));
  QToolTip::setPalette(wine);
  SetUpApplicationLook();
  const QPalette tips = QToolTip::palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    EXPECT_TRUE(Readable(tips.color(group, QPalette::ToolTipText), tips.color(group, QPalette::ToolTipBase)))
        << tips.color(group, QPalette::ToolTipText).name().toStdString() << " on "
        << tips.color(group, QPalette::ToolTipBase).name().toStdString();
  }
  EXPECT_EQ(tips.color(QPalette::ToolTipBase).hue(), QColor(Qt::yellow).hue());
}

TEST(ApplicationLook, TheDialogAndSplashFacesHaveABoldAndScaleSmoothly) {
  for (const QFont& font : {DialogFont(8.25, true), DialogFont(9.75, true), SerifFont(72, true)}) {
    const QFontInfo used(font);
    EXPECT_TRUE(used.bold()) << used.family().toStdString() << " for " << font.family().toStdString();
    EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(used.family(), used.styleName()))
        << used.family().toStdString() << " is a bitmap face";
  }
  EXPECT_EQ(QFontInfo(DialogFont(8.25)).weight(), QFont::Normal);
}

TEST(ApplicationLook, AMissingFaceInTheViewerIsReplacedByOneOfItsKind) {
  QTextDocument doc;
  rtf::LoadRtf(QByteArrayView("{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern Courier New;}{\\f1\\fmodern Nonesuch Mono;}"
                              "{\\f2\\fswiss Arial;}{\\f3\\fswiss Nonesuch Sans;}}"
                              "\\f0 Spalte 1\\par\\f1 Spalte 2\\par\\f2 Text\\par\\f3 Text\\par}"),
               doc);
  ASSERT_GE(doc.blockCount(), 4);
  const auto fontOf = [&doc](int block) {
    return QFontInfo(doc.findBlockByNumber(block).begin().fragment().charFormat().font());
  };
  EXPECT_TRUE(fontOf(0).fixedPitch()) << fontOf(0).family().toStdString();
  EXPECT_TRUE(fontOf(1).fixedPitch()) << fontOf(1).family().toStdString();
  const QFontInfo serif(SerifFont(12));
  for (int block : {2, 3}) {
    EXPECT_FALSE(fontOf(block).fixedPitch()) << fontOf(block).family().toStdString();
    EXPECT_NE(fontOf(block).family(), serif.family()) << "a sans-serif face fell back to the serif one";
  }
}

}  // namespace
}  // namespace tambril
