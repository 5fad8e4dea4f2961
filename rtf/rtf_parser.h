#pragma once
// The RTF tokenizer and group machine. It turns RTF into runs of text with
// their character properties and into paragraph ends, and hands them to a
// Sink; the sink decides what to build (a formatted document, plain text).
// Plain C++: text is UTF-16, colours are 0xAARRGGBB values.
//
// The parser never recurses: group states live in a vector whose depth is
// capped, every byte is looked at a bounded number of times, and numbers
// saturate, so hostile input costs linear time and bounded memory.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tambril::rtf {

enum class Underline : std::uint8_t { None, Single, Double, Dotted, Dashed, Wave, Thick };
enum class Script : std::uint8_t { Normal, Super, Sub };
enum class Align : std::uint8_t { Left, Center, Right, Justify };
// The family a font table entry names (\froman, \fswiss ...).
enum class FontFamily : std::uint8_t { Any, Roman, Swiss, Modern, Script, Decor };

// A colour as 0xAARRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(int red, int green, int blue) {
  return 0xFF000000u | static_cast<Rgb>(red) << 16 | static_cast<Rgb>(green) << 8 | static_cast<Rgb>(blue);
}

// Characters with a meaning of their own in the text a sink gets.
constexpr char16_t kLineSeparator = u'\u2028';       // a forced line break
constexpr char16_t kParagraphSeparator = u'\u2029';  // never in a run of text
constexpr bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
constexpr bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// Character formatting of a run of text.
struct CharProps {
  int font = -1;  // number in the font table; -1 is the document's default font
  int halfPoints = 24;
  int foreground = 0;  // index in the colour table; an automatic entry means none
  int background = 0;
  bool bold = false;
  bool italic = false;
  bool strike = false;
  bool hidden = false;
  Underline underline = Underline::None;
  Script script = Script::Normal;
  bool operator==(const CharProps&) const = default;
};

// One side of a table cell's border.
struct CellBorder {
  bool on = false;
  int width = 15;  // twips
  Rgb color = 0xFF000000;
  bool operator==(const CellBorder&) const = default;
};

// A table cell as the row defines it: its right edge (twips from the row's
// start), borders and shading.
struct TableCell {
  int right = 0;
  CellBorder top, left, bottom, rightSide;
  bool shaded = false;
  Rgb shading = 0;
  bool operator==(const TableCell&) const = default;
};

// Paragraph formatting; lengths in twips (1/1440 inch).
struct ParaProps {
  Align align = Align::Left;
  int left = 0;
  int right = 0;
  int firstLine = 0;
  int before = 0;
  int after = 0;
  bool inTable = false;
  // Tab stops (twips from the line's start) that line up a table row's cells.
  std::vector<int> cellTabs;
  // The cells of the table row this paragraph shows, when any has a border
  // or shading.
  std::vector<TableCell> cells;
  bool operator==(const ParaProps&) const = default;
};

struct FontEntry {
  std::u16string name;
  FontFamily family = FontFamily::Any;
  int codePage = 0;  // 0: the document's code page
  // A symbol font whose characters are read as their Unicode equivalents;
  // those are shown in the surrounding font, not in this one.
  bool translated = false;
};

// The document's font and colour tables as read so far.
struct Tables {
  std::unordered_map<int, FontEntry> fonts;
  std::vector<std::optional<Rgb>> colors;  // none: the automatic colour
  int defaultFont = 0;
  // Bumped whenever a table changes, so sinks can drop cached formats.
  int version = 0;

  // The font of a run, or nullptr when the table has none with that number.
  const FontEntry* Font(int number) const;
  // The colour at `index`, none for "automatic" and unknown indices.
  std::optional<Rgb> Color(int index) const;
};

// A picture as the file holds it; sizes as written (0 when absent).
struct Picture {
  enum class Kind : std::uint8_t { Other, Png, Jpeg };
  Kind kind = Kind::Other;
  int width = 0, height = 0;          // \picw, \pich: pixels, or 1/100 mm for metafiles
  int goalWidth = 0, goalHeight = 0;  // \picwgoal, \pichgoal: twips
  int scaleX = 100, scaleY = 100;     // per cent
  std::string data;
};

class Sink {
 public:
  virtual ~Sink() = default;
  // A run of text in one format. Contains no paragraph separators; a forced
  // line break is kLineSeparator; a surrogate always comes with its partner.
  virtual void Text(std::u16string_view text, const CharProps& chars, const Tables& tables) = 0;
  // The current paragraph ends with these properties; `chars` are those in
  // force at the paragraph mark (they give an empty paragraph its font).
  virtual void EndParagraph(const ParaProps& para, const CharProps& chars, const Tables& tables) = 0;
  // A picture in the text, at the place of one character.
  virtual void PictureAt(const Picture&, const CharProps&, const Tables&) {}
  // False when the sink does not look at a picture's data: the parser then
  // hands pictures over without it and keeps none of it.
  virtual bool WantsPictures() const { return true; }
  // The input ends; the last paragraph (if it was not ended) gets these.
  virtual void Finish(const ParaProps& para, const CharProps& chars, const Tables& tables) = 0;
};

// True when `data` starts (after white space) with an RTF header "{\rtf".
bool LooksLikeRtf(std::string_view data);

// Reads `rtf` and feeds the sink. Input that breaks off or is malformed
// delivers what was read up to there.
void Parse(std::string_view rtf, Sink& sink);

// Reads up to `max` bytes of a stream into `to` and returns how many; 0 at
// its end. May throw to stop the reading.
using ReadFn = std::function<std::ptrdiff_t(char* to, std::ptrdiff_t max)>;
// The same for a stream of any length, read in windows of bounded size.
void Parse(const ReadFn& read, Sink& sink);

}  // namespace tambril::rtf
