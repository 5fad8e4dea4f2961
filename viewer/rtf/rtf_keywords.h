#pragma once
// The control words the reader acts on; every other word is ignored.
#include <cstdint>
#include <string_view>

namespace tambril::rtf {

enum class Kw : std::uint8_t {
  Unknown,
  // Destinations whose content is never shown.
  SkipDestination,
  FontTable,
  ColorTable,
  // Document.
  Ansi, AnsiCodePage, Mac, Pc, Pca, DefaultFont, UnicodeSkip, Unicode, Binary,
  // Character formatting.
  Plain, Font, FontSize, Bold, Italic, Underline, UnderlineDouble, UnderlineDotted,
  UnderlineDashed, UnderlineWave, UnderlineThick, UnderlineNone, Strike, Foreground,
  Background, Super, Sub, NoSuperSub, Hidden,
  // Paragraph formatting.
  Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent,
  FirstIndent, SpaceBefore, SpaceAfter, InTable,
  // Structure.
  Par, Line, Tab, Cell, Row, Page, Sect, RowDefaults, CellRight, RowGap,
  // Font table entries.
  FontRoman, FontSwiss, FontModern, FontScript, FontDecor, FontNil, FontCharset, FontCodePage,
  // Table cell borders and shading.
  CellBorderTop, CellBorderLeft, CellBorderBottom, CellBorderRight, BorderStyle, BorderNone,
  BorderWidth, BorderColor, CellShading,
  // Pictures.
  Picture, ShpPict, PngBlip, JpegBlip, PicW, PicH, PicWGoal, PicHGoal, PicScaleX, PicScaleY,
  // Colour table entries.
  Red, Green, Blue,
  // Single characters.
  EmDash, EnDash, EmSpace, EnSpace, QmSpace, Bullet, LQuote, RQuote, LDblQuote, RDblQuote,
  Zwj, Zwnj, LtrMark, RtlMark,
};

Kw LookUpKeyword(std::string_view word);

}  // namespace tambril::rtf
