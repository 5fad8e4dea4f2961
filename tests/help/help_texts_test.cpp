#include "help/help_texts.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace tambril::help {
namespace {

struct NamedText {
  const char* name;
  QString (*text)();
  int lines;
};

const NamedText kTexts[] = {
    {"HelpText", HelpText, 30},
    {"OpenInfoText", OpenInfoText, 13},
    {"CreateEncodedInfoText", CreateEncodedInfoText, 16},
    {"CreateDecodedInfoText", CreateDecodedInfoText, 12},
    {"EncodeInfoText", EncodeInfoText, 34},
    {"PasswordCheckInfoText", PasswordCheckInfoText, 12},
    {"DecodeInfoText", DecodeInfoText, 10},
    {"SearchInfoText", SearchInfoText, 16},
    {"NewFolderInfoText", NewFolderInfoText, 4},
};

// The lines of a text; the piece after the final CR LF must be empty and is
// not a line.
QStringList Lines(const QString& text) {
  QStringList parts = text.split(QStringLiteral("\r\n"));
  EXPECT_TRUE(parts.last().isEmpty()) << "text does not end with CR LF";
  parts.removeLast();
  return parts;
}

TEST(HelpTexts, EveryTextHasItsLineCountAndOnlyCrLfBreaks) {
  for (const NamedText& t : kTexts) {
    SCOPED_TRACE(t.name);
    const QString text = t.text();
    ASSERT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = Lines(text);
    EXPECT_EQ(lines.size(), t.lines);
    for (const QString& line : lines) {
      EXPECT_FALSE(line.contains(u'\r')) << qPrintable(line);
      EXPECT_FALSE(line.contains(u'\n')) << qPrintable(line);
    }
    // Every text opens with an empty line.
    EXPECT_TRUE(text.startsWith(QStringLiteral("\r\n")));
  }
}

TEST(HelpTexts, EmptyLastLineEndsTextWithTwoPairs) {
  EXPECT_TRUE(HelpText().endsWith(QStringLiteral("\r\n\r\n")));
  EXPECT_TRUE(EncodeInfoText().endsWith(QStringLiteral("\r\n\r\n")));
  // The create-encoded text ends with a line of content, so only one pair.
  EXPECT_TRUE(CreateEncodedInfoText().endsWith(QStringLiteral("nicht mehr erstellen.\r\n")));
}

TEST(HelpTexts, TitleLinesOfMainHelpKeepTheirIndent) {
  const QStringList lines = Lines(HelpText());
  ASSERT_EQ(lines.size(), 30);
  EXPECT_EQ(lines[1], QString(46, u' ') + QStringLiteral("TAMBRIL "));
  EXPECT_EQ(lines[3], QString(28, u' ') + QStringLiteral("Programm für individuelle Codierung "));
}

TEST(HelpTexts, SingleSpaceLinesStaySingleSpaces) {
  const QStringList open = Lines(OpenInfoText());
  ASSERT_EQ(open.size(), 13);
  EXPECT_EQ(open[6], QStringLiteral(" "));
  const QStringList encode = Lines(EncodeInfoText());
  ASSERT_EQ(encode.size(), 34);
  EXPECT_EQ(encode[2], QStringLiteral(" "));
  EXPECT_EQ(encode[3], QStringLiteral(" "));
  // No other text has a line of just one space, and empty lines are empty.
  for (const NamedText& t : kTexts) {
    SCOPED_TRACE(t.name);
    const qsizetype singles = Lines(t.text()).count(QStringLiteral(" "));
    const qsizetype expected = t.text == OpenInfoText ? 1 : t.text == EncodeInfoText ? 2 : 0;
    EXPECT_EQ(singles, expected);
  }
}

TEST(HelpTexts, GermanLettersAreSingleCharacters) {
  const QString help = HelpText();
  const QString line = Lines(help)[9];
  ASSERT_FALSE(line.isEmpty());
  EXPECT_EQ(line[1], QChar(0x00DC));                      // "Über"
  EXPECT_TRUE(help.contains(QChar(0x00FC)));              // ü
  EXPECT_TRUE(OpenInfoText().contains(QChar(0x00D6)));    // "< Öffnen >"
  EXPECT_TRUE(SearchInfoText().contains(QChar(0x00DF)));  // "Groß"
  EXPECT_TRUE(EncodeInfoText().contains(QChar(0x00E4)));  // "Länge"
  // No text carries UTF-8 bytes read as Latin-1 ("Ã¼") or replacement marks.
  for (const NamedText& t : kTexts) {
    SCOPED_TRACE(t.name);
    const QString text = t.text();
    EXPECT_FALSE(text.contains(QChar(0x00C3)));
    EXPECT_FALSE(text.contains(QChar(0xFFFD)));
    for (QChar c : text) EXPECT_LT(c.unicode(), 0x100) << "unexpected character";
  }
}

TEST(HelpTexts, SpotCheckedLinesAreExact) {
  const QStringList help = Lines(HelpText());
  EXPECT_EQ(help[12], QStringLiteral(" TAMBRIL ünterstützt RTF-Formate (RTF) und Textdokumente (TXT)  "));
  EXPECT_EQ(help[13], QStringLiteral(" darüber hinaus können alle x-beliebigen Dateien geladen und   "));
  EXPECT_EQ(help[28], QStringLiteral(" auf einen Befehl oder Objekt zeigen. "));

  const QStringList open = Lines(OpenInfoText());
  EXPECT_EQ(open[1], QStringLiteral(" TAMBRIL  Datei öffnen.  "));
  EXPECT_EQ(open[8], QStringLiteral(" Um eine Datei zu entcodieren öffnen Sie Ihre tmb-Datei zur Berbeitung."));

  const QStringList encode = Lines(EncodeInfoText());
  EXPECT_EQ(encode[5], QStringLiteral(" Inhalt in Ihre erstelllte tmb-Datei. "));
  EXPECT_EQ(encode[22], QStringLiteral(" 'eeffeef' oder '2227722' oder 'uurruu' oder 'ppepe' oder '22kk22222k' "));

  EXPECT_EQ(Lines(CreateEncodedInfoText())[12],
            QStringLiteral(" TAMBRIL codiert und schreibt den neuen Inhalt in die neu erstellte  "));
  EXPECT_EQ(Lines(PasswordCheckInfoText())[1], QStringLiteral(" Kennwortüberprüfung Code aus "));
  EXPECT_EQ(Lines(SearchInfoText())[9], QStringLiteral(" wenn Opotion gewählt, wird nur das ganze Wort gesucht."));
  EXPECT_EQ(NewFolderInfoText(), QStringLiteral("\r\n Auf Ihrem ausgewählten Laufwerk können Sie einen neuen Ordner\r\n"
                                                " oder einen untergeordneten Ordner erstellen.\r\n\r\n"));
}

TEST(HelpTexts, EachFunctionHasItsOwnText) {
  for (const NamedText& a : kTexts)
    for (const NamedText& b : kTexts)
      if (&a != &b) {
        EXPECT_NE(a.text(), b.text()) << a.name << " / " << b.name;
      }
}

}  // namespace
}  // namespace tambril::help
