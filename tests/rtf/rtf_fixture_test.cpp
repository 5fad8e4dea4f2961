// Files as real writers produce them. pandoc-notes.rtf comes from
// `pandoc -s notes.md`, pandoc-picture.rtf from `pandoc -s picture.md`;
// libreoffice-*.rtf from LibreOffice Writer 7.4 (letter.html, notes.md by
// way of pandoc's .docx, and picture-table.html by `soffice --headless
// --infilter="HTML (StarWriter)" --convert-to "rtf:Rich Text Format"`); the others are
// written by hand in the style of WordPad, Word, macOS TextEdit and of
// Word's binary pictures.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>

#include <QImage>
#include <QTextImageFormat>
#include <QUrl>

#include "rtf_test_util.h"

namespace tambril::rtf::test {
namespace {

TEST(RtfFixture, PandocNotes) {
  const QByteArray rtf = Fixture("pandoc-notes.rtf");
  const auto doc = Load(rtf);
  EXPECT_EQ(RawText(*doc), QStringView(u"Reisenotizen\n"
                                       u"Der Zug nach Bremen fuhr um 7 Uhr ab. Die Fahrkarte kostete 23 \u20ac "
                                       u"und war teuer g\u00fcnstig.\n"
                                       u"Gr\u00f6\u00dfe z\u00e4hlt nicht \u2014 sagte der Schaffner.\n"
                                       u"\u2022\t\u00c4pfel\n\u2022\tBirnen\n"
                                       u"Stadt\tTage\nK\u00f6ln\t2\nUlm\t3\n\n"
                                       u"Ende mit Code und einem Smiley \U0001F600."));
  EXPECT_EQ(RtfToPlainText(rtf), RawText(*doc));

  const QTextCharFormat title = FormatOf(*doc, "Reisenotizen");
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(title.fontPointSize(), 18.0);
  EXPECT_EQ(Family(title), u"Helvetica");
  EXPECT_EQ(FormatOf(*doc, "Zug").fontWeight(), QFont::Bold);
  EXPECT_NE(FormatOf(*doc, " nach").fontWeight(), QFont::Bold);
  EXPECT_TRUE(FormatOf(*doc, "Bremen").fontItalic());
  EXPECT_TRUE(FormatOf(*doc, "teuer").fontStrikeOut());
  EXPECT_EQ(Family(FormatOf(*doc, "Code")), u"Courier");
  EXPECT_EQ(Family(FormatOf(*doc, " und einem")), u"Helvetica");
  EXPECT_DOUBLE_EQ(FormatOf(*doc, "Bremen").fontPointSize(), 12.0);

  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Der Zug").bottomMargin(), 12.0);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Schaffner").leftMargin(), 48.0);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Birnen").leftMargin(), 24.0);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Birnen").textIndent(), -24.0);
  EXPECT_EQ(BlockOf(*doc, "Birnen").alignment(), Qt::AlignLeft);
}

TEST(RtfFixture, LibreOfficeLetter) {
  const QByteArray rtf = Fixture("libreoffice-letter.rtf");
  const auto doc = Load(rtf);
  EXPECT_EQ(RawText(*doc), QStringView(u"Einladung zum Sommerfest\n"
                                       u"Liebe Nachbarn, wir feiern am Samstag im Garten hinter dem Haus. "
                                       u"Bitte bringt Salat mit.\n"
                                       u"Eintritt: 5 \u20ac pro Person \u2013 Kinder frei.\n"
                                       u"Programm ab 18 Uhr mit Musik & Tanz {bis} Mitternacht \\ Ende.\n"
                                       u"Speise\tPreis\nW\u00fcrstchen\t2,50 \u20ac\n"
                                       u"Bild:  Ende.\n"
                                       u"Gr\u00fc\u00dfe aus B\u00e4rstadt \U0001F600"));
  EXPECT_EQ(RtfToPlainText(rtf), RawText(*doc));

  const QTextCharFormat title = FormatOf(*doc, "Einladung");
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(title.fontPointSize(), 18.0);
  EXPECT_EQ(Family(title), u"Liberation Serif");
  EXPECT_EQ(BlockOf(*doc, "Einladung").alignment(), Qt::AlignHCenter);

  // The default font (\deff3) after \plain.
  EXPECT_EQ(Family(FormatOf(*doc, "Liebe")), u"Liberation Serif");
  EXPECT_DOUBLE_EQ(FormatOf(*doc, "Liebe").fontPointSize(), 12.0);
  EXPECT_TRUE(FormatOf(*doc, "Samstag").fontUnderline());
  EXPECT_FALSE(FormatOf(*doc, " im ").fontUnderline());
  EXPECT_TRUE(FormatOf(*doc, "Garten").fontItalic());
  EXPECT_EQ(FormatOf(*doc, "Bitte").foreground().color(), QColor(255, 0, 0));
  EXPECT_FALSE(FormatOf(*doc, " bringt").hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_EQ(FormatOf(*doc, "Salat").background().color(), QColor(255, 255, 0));
  EXPECT_EQ(BlockOf(*doc, "Eintritt").alignment(), Qt::AlignRight);
  EXPECT_EQ(BlockOf(*doc, "Programm").alignment(), Qt::AlignJustify);
  EXPECT_EQ(Family(FormatOf(*doc, "Programm")), u"DejaVu Sans Mono");
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Liebe").bottomMargin(), 283 / 15.0);
}

TEST(RtfFixture, LibreOfficeNotesWithListsAndTable) {
  const QByteArray rtf = Fixture("libreoffice-notes.rtf");
  const auto doc = Load(rtf);
  const QString text = RawText(*doc);
  EXPECT_TRUE(text.startsWith(u"Reisenotizen\nDer Zug nach Bremen")) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringView(u" \u2022\t\u00c4pfel\n \u2022\tBirnen\n")));
  EXPECT_TRUE(text.contains(QStringView(u"\nStadt\tTage\nK\u00f6ln\t2\nUlm\t3\n")));
  EXPECT_TRUE(text.endsWith(QStringView(u"Smiley \U0001F600.")));
  EXPECT_EQ(RtfToPlainText(rtf), text);
  EXPECT_EQ(FormatOf(*doc, "Zug").fontWeight(), QFont::Bold);
  EXPECT_TRUE(FormatOf(*doc, "Bremen").fontItalic());
}

TEST(RtfFixture, WordPadStyleList) {
  const QByteArray rtf = Fixture("wordpad-list.rtf");
  const auto doc = Load(rtf);
  EXPECT_EQ(RawText(*doc), QStringView(u"Einkaufsliste\n"
                                       u"F\u00fcr das Wochenende brauchen wir:\n"
                                       u"\u2022\tK\u00e4se\n\u2022\t\u00d6l und Stra\u00dfenbahnkarte\n"
                                       u"Wichtig: Preise in \u20ac, nicht in \u20ac-Cent.\n"
                                       u"\n"
                                       u"Gru\u00df\nAnna"));
  EXPECT_EQ(RtfToPlainText(rtf), RawText(*doc));

  const QTextCharFormat title = FormatOf(*doc, "Einkaufsliste");
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(title.fontPointSize(), 16.0);
  EXPECT_EQ(Family(title), u"Calibri");
  EXPECT_EQ(BlockOf(*doc, "Einkaufsliste").alignment(), Qt::AlignHCenter);
  EXPECT_NE(FormatOf(*doc, "das").fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(FormatOf(*doc, "das").fontPointSize(), 11.0);
  // The Symbol font's bullet is shown as U+2022 in an ordinary font; the
  // tab after it reaches the paragraph's indent.
  EXPECT_FALSE(FormatAt(*doc, doc->toPlainText().indexOf(QChar(0x2022))).hasProperty(QTextFormat::FontFamilies));
  const QTextBlockFormat item = BlockOf(*doc, "Stra");
  EXPECT_DOUBLE_EQ(item.leftMargin(), 48.0);
  EXPECT_DOUBLE_EQ(item.textIndent(), -24.0);
  ASSERT_EQ(item.tabPositions().size(), 1);
  EXPECT_DOUBLE_EQ(item.tabPositions().first().position, 24.0);
  EXPECT_EQ(FormatOf(*doc, "Wichtig").foreground().color(), QColor(255, 0, 0));
  EXPECT_TRUE(FormatOf(*doc, "Wichtig").fontUnderline());
  EXPECT_FALSE(FormatOf(*doc, "Preise").fontUnderline());
  EXPECT_TRUE(FormatOf(*doc, "Preise").fontItalic());
  EXPECT_FALSE(FormatOf(*doc, " in ").fontItalic());
  const QTextCharFormat nicht = FormatOf(*doc, "nicht");
  EXPECT_EQ(Family(nicht), u"Arial");
  EXPECT_DOUBLE_EQ(nicht.fontPointSize(), 10.0);
  EXPECT_EQ(nicht.foreground().color(), QColor(0, 77, 187));
  // The forced line break keeps greeting and name in one justified paragraph.
  EXPECT_EQ(doc->findBlock(doc->toPlainText().indexOf("Anna")).text(), QStringView(u"Gru\u00df\u2028Anna"));
  EXPECT_EQ(BlockOf(*doc, "Anna").alignment(), Qt::AlignJustify);
}

TEST(RtfFixture, WordReportWithFieldsListsAndTable) {
  const QByteArray rtf = Fixture("word-report.rtf");
  const auto doc = Load(rtf);
  EXPECT_EQ(RawText(*doc), QStringView(u"Quartalsbericht Q1\n"
                                       u"Der Umsatz stieg um 12\u00a0% auf 1,4\u00a0Mio.\u00a0\u20ac. "
                                       u"Details stehen im Anhang.\n"
                                       u"\u2022\tNeue Kunden in \u041c\u043e\u0441\u043a\u0432\u0430\n"
                                       u"\n"
                                       u"Region\tUmsatz\nS\u00fcd\t0,8\u00a0Mio.\n"
                                       u"Gez. A.\u00a0Beispiel"));
  EXPECT_EQ(RtfToPlainText(rtf), RawText(*doc));

  const QTextCharFormat title = FormatOf(*doc, "Quartalsbericht");
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(title.fontPointSize(), 16.0);
  EXPECT_EQ(Family(title), u"Calibri");
  EXPECT_EQ(FormatOf(*doc, "Q1").foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(BlockOf(*doc, "Q1").alignment(), Qt::AlignHCenter);
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Q1").topMargin(), 16.0);
  const QTextCharFormat link = FormatOf(*doc, "Anhang");
  EXPECT_TRUE(link.fontUnderline());
  EXPECT_EQ(link.foreground().color(), QColor(5, 99, 193));
  EXPECT_FALSE(FormatOf(*doc, ".\n").fontUnderline());
  EXPECT_EQ(Family(FormatOf(*doc, QString(QChar(0x041c)))), u"Calibri Cyr");
  EXPECT_DOUBLE_EQ(BlockOf(*doc, "Neue").leftMargin(), 48.0);
  EXPECT_EQ(FormatOf(*doc, "Region").fontWeight(), QFont::Bold);
  EXPECT_EQ(FormatAt(*doc, doc->toPlainText().indexOf("\tUmsatz") + 1).fontWeight(), QFont::Bold);
  EXPECT_NE(FormatOf(*doc, "0,8").fontWeight(), QFont::Bold);
  EXPECT_TRUE(FormatOf(*doc, "Beispiel").fontItalic());
}

TEST(RtfFixture, TextEditMinutes) {
  // macOS TextEdit ends paragraphs with a backslash before the line end.
  const QByteArray rtf = Fixture("textedit-minutes.rtf");
  const auto doc = Load(rtf);
  EXPECT_EQ(RawText(*doc), QStringView(u"Protokoll\nAnwesend: M\u00fcller, Sch\u00e4fer\n"
                                       u"Ergebnis: angenommen\n\nmake test"));
  EXPECT_EQ(RtfToPlainText(rtf), RawText(*doc));
  EXPECT_EQ(Family(FormatOf(*doc, "Protokoll")), u"Helvetica-Bold");
  EXPECT_DOUBLE_EQ(FormatOf(*doc, "Protokoll").fontPointSize(), 14.0);
  EXPECT_EQ(BlockOf(*doc, "Protokoll").alignment(), Qt::AlignHCenter);
  EXPECT_EQ(BlockOf(*doc, "Anwesend").alignment(), Qt::AlignLeft);
  EXPECT_EQ(FormatOf(*doc, "angenommen").foreground().color(), QColor(0, 128, 0));
  EXPECT_EQ(Family(FormatOf(*doc, "make")), u"Menlo-Regular");
}

// The picture (picture.png, 48 x 32 pixels) is drawn at the size its
// writer gave it, once, and none of its data shows as text.
TEST(RtfFixture, PicturesFromLibreOfficeAndPandoc) {
  for (const char* name : {"libreoffice-picture-table.rtf", "pandoc-picture.rtf"}) {
    SCOPED_TRACE(name);
    const auto doc = Load(Fixture(name));
    const QString text = doc->toRawText();
    ASSERT_EQ(text.count(QChar::ObjectReplacementCharacter), 1);
    EXPECT_TRUE(RawText(*doc).startsWith(u"Gartenplan\nVor dem Bild.  Nach dem Bild.\n"));
    const QTextImageFormat image = FormatAt(*doc, text.indexOf(QChar::ObjectReplacementCharacter)).toImageFormat();
    ASSERT_TRUE(image.isValid());
    EXPECT_DOUBLE_EQ(image.width(), 96.0);
    EXPECT_DOUBLE_EQ(image.height(), 64.0);
    const QImage pixels = doc->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    ASSERT_FALSE(pixels.isNull());
    EXPECT_EQ(pixels.size(), QSize(48, 32));  // never enlarged beyond its own pixels
    EXPECT_EQ(QColor(pixels.pixel(0, 0)), QColor(30, 60, 200));
  }
  const QString table = RawText(*Load(Fixture("libreoffice-picture-table.rtf")));
  EXPECT_TRUE(table.contains(QStringView(u"Beet\tPflanze\nNord\tM\u00f6hren\n"))) << table.toStdString();
}

// LibreOffice's table: hairline borders on all sides of every cell in the
// first colour of the table, the first cell shaded yellow.
TEST(RtfFixture, TableBordersAndShadingFromLibreOffice) {
  const auto doc = Load(Fixture("libreoffice-picture-table.rtf"));
  const QList<CellBox> first = TableCellsOf(BlockOf(*doc, "Beet"));
  ASSERT_EQ(first.size(), 2);
  EXPECT_DOUBLE_EQ(first[0].left, 0.0);
  EXPECT_DOUBLE_EQ(first[0].right, 680 / 15.0);
  EXPECT_DOUBLE_EQ(first[1].left, 680 / 15.0);
  EXPECT_DOUBLE_EQ(first[1].right, 1645 / 15.0);
  EXPECT_EQ(first[0].shading, QColor(255, 255, 0));
  EXPECT_FALSE(first[1].shading.isValid());
  for (const CellBox& cell : first) {
    for (int side = 0; side < 4; ++side) {
      EXPECT_DOUBLE_EQ(cell.width[side], 1.0);
      EXPECT_EQ(cell.color[side], QColor(0, 0, 0));
    }
  }
  EXPECT_EQ(TableCellsOf(BlockOf(*doc, "Nord")).size(), 2);
  EXPECT_TRUE(TableCellsOf(BlockOf(*doc, "Ende")).isEmpty());
  EXPECT_TRUE(TableCellsOf(BlockOf(*doc, "Gartenplan")).isEmpty());

  // Drawn as the viewer draws it: shading, then text and picture, then the
  // borders on top.
  doc->setTextWidth(500);
  RegisterPictureFrames(*doc);
  const QRectF all(QPointF(0, 0), doc->size());
  QImage image(all.size().toSize(), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    DrawTableCells(painter, *doc, all, true);
    doc->drawContents(&painter, all);
    DrawTableCells(painter, *doc, all, false);
  }
  const auto count = [&](QRectF area, QColor colour) {
    int n = 0;
    area = area.intersected(QRectF(image.rect()));
    for (int y = int(area.top()); y < int(area.bottom()); ++y)
      for (int x = int(area.left()); x < int(area.right()); ++x) n += QColor(image.pixel(x, y)) == colour;
    return n;
  };
  const QTextBlock beet = doc->findBlock(doc->toPlainText().indexOf(u"Beet"));
  const QRectF row = doc->documentLayout()->blockBoundingRect(beet);
  const qreal x0 = row.left() + beet.blockFormat().leftMargin();
  const qreal between = x0 + 680 / 15.0, right = x0 + 1645 / 15.0;
  // A vertical line at the row's start, between its cells and at its end,
  // each as high as the row; the first cell yellow, the second not.
  for (const qreal x : {x0, between, right - 1})
    EXPECT_GE(count(QRectF(x - 1, row.top(), 3, row.height()), Qt::black), int(row.height()) - 1) << x;
  EXPECT_GT(count(QRectF(x0, row.top(), between - x0, row.height()), QColor(255, 255, 0)), 100);
  EXPECT_EQ(count(QRectF(between, row.top(), right - between, row.height()), QColor(255, 255, 0)), 0);
  EXPECT_EQ(count(QRectF(right + 2, row.top(), 100, row.height()), Qt::black), 0);
  // The picture, its 48 x 32 pixels drawn at twice their size.
  const QImage own(QImage::fromData(Fixture("picture.png")));
  int blue = 0;
  for (int y = 0; y < own.height(); ++y)
    for (int x = 0; x < own.width(); ++x) blue += QColor(own.pixel(x, y)) == QColor(30, 60, 200);
  ASSERT_GT(blue, 100);
  EXPECT_GE(count(all, QColor(30, 60, 200)), 4 * blue * 9 / 10);
}

TEST(RtfFixture, BinaryPictureDataIsSkipped) {
  // The binary picture holds braces, backslashes and bytes above 127.
  const QByteArray rtf = Fixture("word-binary-picture.rtf");
  EXPECT_EQ(RawText(*Load(rtf)), QStringView(u"Vor dem Bild.\nNach dem Bild: \u00c4rger."));
  EXPECT_EQ(RtfToPlainText(rtf), QStringView(u"Vor dem Bild.\nNach dem Bild: \u00c4rger."));
}

}  // namespace
}  // namespace tambril::rtf::test
