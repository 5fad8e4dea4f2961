#include "rtf_parser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "rtf_codepage.h"
#include "rtf_keywords.h"

namespace tambril::rtf {

const FontEntry* Tables::Font(int number) const {
  const auto it = fonts.find(number < 0 ? defaultFont : number);
  return it == fonts.end() ? nullptr : &it->second;
}

std::optional<Rgb> Tables::Color(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= colors.size()) return std::nullopt;
  return colors[static_cast<size_t>(index)];
}

namespace {

using Index = std::ptrdiff_t;

// Deeper groups than this are counted but share the state of the deepest
// kept one; real documents stay far below.
constexpr size_t kMaxDepth = 1000;
// A control word has at most 32 letters; longer ones are read in full but
// never match.
constexpr Index kMaxWord = 32;
// Real documents use a few dozen fonts and colours. Entries beyond these
// counts are dropped, so their text takes the default font and colour: every
// distinct font or colour makes its own formats, and a text box's cost grows
// with their number.
constexpr size_t kMaxFonts = 256;
constexpr size_t kMaxColors = 256;
// A paragraph this long ends at its next space, and one twice as long ends
// at once: a text box lays a paragraph out in one piece, so one enormous
// paragraph would take all memory and seconds for every change of width.
constexpr Index kLongParagraph = 8192;

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable, Picture };

struct GroupState {
  CharProps chars;
  ParaProps para;
  int unicodeSkip = 1;  // fallback characters after \uN
  Dest dest = Dest::Text;
};

// White space as a font name may have around it.
constexpr bool IsSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u16string Trimmed(std::u16string_view s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsSpace(s[begin])) ++begin;
  while (end > begin && IsSpace(s[end - 1])) --end;
  return std::u16string(s.substr(begin, end - begin));
}

constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A stream is read in windows of this many bytes; a token is read only
// while at least kLookahead bytes follow it in the window, or the stream
// has ended, so that no token is cut at a window's end (control words and
// numbers longer than that, which no writer produces, may be).
constexpr Index kWindow = Index{1} << 20;
constexpr Index kLookahead = Index{64} << 10;

class Parser {
 public:
  Parser(std::string_view data, Sink& sink) : data_(data), sink_(sink) {
    docTable_ = &codePages_.Table(1252);
    keepPictures_ = sink.WantsPictures();
  }
  Parser(const ReadFn& read, Sink& sink) : Parser(std::string_view(), sink) {
    read_ = &read;
    ended_ = false;
  }

  void Run();

 private:
  void OpenGroup();
  void CloseGroup();
  void ReadControl();
  void ControlWord(Kw kw, bool hasParam, int param);
  // The groups of control words; each says whether `kw` was one of its own.
  bool DestinationWord(Kw kw, bool hasParam, int param);
  bool DocumentWord(Kw kw, int param);
  bool TableWord(Kw kw, int param);
  bool BreakWord(Kw kw);
  void ControlSymbol(char c);
  void CharWord(Kw kw, bool hasParam, int param);
  void ParaWord(Kw kw, int param);
  void FontTableWord(Kw kw, int param);
  void SetDestination(Dest dest);
  void PictureWord(Kw kw, int param);
  void EndPicture();
  // Moves the unread rest of the window to its start and reads more after it.
  void Refill();

  // Text bytes from pos_ on, taken in one sweep (see Run).
  void PlainBytes(Index size);
  // A byte of text (raw or from \'hh) in the current code page.
  void TextByte(unsigned char byte, bool escaped);
  // A UTF-16 unit of text, routed by the destination.
  void Put(char16_t unit);
  // Appends to the current run, starting a new run when the format changed.
  void Emit(std::u16string_view text);
  void FlushRun();
  void EndParagraph();
  void EndParagraph(const ParaProps& para);
  void EndCellParagraph();
  void ResolveCellParagraph();
  void DropHalfSurrogate();
  void CommitFont();
  void CommitColor();
  char16_t Decode(unsigned char byte);
  // A private-use character of a translated symbol font as its Unicode one.
  char16_t TranslateSymbol(char16_t unit);

  std::string_view data_;
  Index pos_ = 0;
  Sink& sink_;
  // A stream being read: the window that data_ shows, and whether the
  // stream has ended (always for data given whole).
  const ReadFn* read_ = nullptr;
  std::string window_;
  bool ended_ = true;
  Index binaryLeft_ = 0;  // bytes of \binN still to skip beyond the window
  bool binaryToPicture_ = false;
  bool started_ = false;  // the header's opening brace was found
  bool keepPictures_ = true;
  Tables tables_;
  CodePages codePages_;
  const ByteTable* docTable_ = nullptr;
  // The table of the current font (see Decode).
  const ByteTable* table_ = nullptr;
  const ByteTable* tableDoc_ = nullptr;
  // The bytes of table_ that end a sweep of text bytes (see PlainBytes):
  // those that steer the parser, and those whose character must not come
  // in as it is. Kept per table.
  const std::array<bool, 256>* stops_ = nullptr;
  std::unordered_map<const ByteTable*, std::array<bool, 256>> stopTables_;
  int tableFont_ = 0;
  int tableVersion_ = -1;

  GroupState cur_;
  // The states of the open groups, stack_[0] to stack_[depth_ - 1]; entries
  // beyond are kept for reuse, so that opening a group allocates nothing.
  std::vector<GroupState> stack_;
  size_t depth_ = 0;
  size_t overflow_ = 0;  // groups opened beyond kMaxDepth
  bool done_ = false;

  int fallbackLeft_ = 0;  // characters still to skip after \uN
  char16_t highSurrogate_ = 0;

  std::u16string run_;
  // Room for the text bytes that PlainBytes decodes in one sweep.
  std::vector<char16_t> sweep_ = std::vector<char16_t>(kLongParagraph);
  CharProps runChars_;
  bool paraHasContent_ = false;
  Index paraLength_ = 0;  // characters of the open paragraph so far
  int pendingTabs_ = 0;   // cells ended; their tabs go out before the next text
  // A paragraph mark inside a table cell waits: when the cell ends right
  // after it, it only closed the cell's text and the row stays one line.
  bool cellParPending_ = false;
  std::vector<int> rowCells_;           // right edges of the current row's cells
  std::vector<TableCell> rowCellDefs_;  // the same cells with borders and shading
  TableCell cellDef_;                   // the cell being defined
  CellBorder* borderSide_ = nullptr;    // the side the next border words set
  int rowGap_ = 0;                      // half the space between cells
  ParaProps cellPara_;
  CharProps cellChars_;

  // "\*" seen: the group is skipped unless the next word is one we show.
  bool starPending_ = false;
  Picture picture_;         // the picture being read
  int pictureNibble_ = -1;  // a first hex digit waiting for its second

  int fontNumber_ = -1;  // entry being read in the font table, -1 for none
  FontEntry fontEntry_;
  int red_ = -1, green_ = -1, blue_ = -1;
};

void Parser::Refill() {
  // The window keeps its size; data_ shows the part of it that is filled.
  const Index kept = Index(data_.size()) - pos_;
  if (Index(window_.size()) < std::max(kWindow, kept + kLookahead)) {
    std::string grown(static_cast<size_t>(std::max(kWindow, kept + kLookahead)), '\0');
    std::copy_n(data_.data() + pos_, kept, grown.data());
    window_.swap(grown);
  } else if (pos_ > 0) {
    std::memmove(window_.data(), data_.data() + pos_, static_cast<size_t>(kept));
  }
  pos_ = 0;
  Index filled = kept;
  while (filled < Index(window_.size())) {
    const Index n = (*read_)(window_.data() + filled, Index(window_.size()) - filled);
    if (n <= 0) {
      ended_ = true;
      break;
    }
    filled += n;
  }
  data_ = std::string_view(window_.data(), static_cast<size_t>(filled));
}

void Parser::Run() {
  while (!done_) {
    if (!ended_ && Index(data_.size()) - pos_ < kLookahead) Refill();
    const Index size = Index(data_.size());
    if (pos_ >= size) break;
    if (binaryLeft_ > 0) {
      const Index n = std::min(binaryLeft_, size - pos_);
      if (binaryToPicture_) picture_.data.append(data_.substr(pos_, n));
      pos_ += n;
      binaryLeft_ -= n;
      continue;
    }
    if (!started_) {
      // Anything before the header's opening brace (white space, a byte
      // order mark) is not part of the document.
      const size_t open = data_.find('{', pos_);
      started_ = open != std::string_view::npos;
      pos_ = started_ ? Index(open) : size;
      continue;
    }
    const char c = data_[pos_];
    switch (c) {
      case '{':
        ++pos_;
        OpenGroup();
        break;
      case '}':
        ++pos_;
        CloseGroup();
        break;
      case '\\':
        ReadControl();
        break;
      case '\r':
      case '\n':
        ++pos_;
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && !starPending_ && fallbackLeft_ == 0) {
          // Control bytes (line ends among them) mean nothing anywhere in a
          // document: a run of them is passed over in one sweep.
          ++pos_;
          while (pos_ < size && static_cast<unsigned char>(data_[pos_]) < 0x20 && data_[pos_] != '\t') ++pos_;
          break;
        }
        if (starPending_) {
          starPending_ = false;
          SetDestination(Dest::Skip);
        }
        if (cur_.dest == Dest::Picture) {
          // Hex digits, two to a byte; white space and other bytes between them do not count.
          while (pos_ < size && data_[pos_] != '\\' && data_[pos_] != '{' && data_[pos_] != '}') {
            const int v = HexValue(data_[pos_++]);
            if (v < 0) continue;
            if (pictureNibble_ < 0) {
              pictureNibble_ = v;
            } else {
              if (keepPictures_) picture_.data.push_back(static_cast<char>(pictureNibble_ * 16 + v));
              pictureNibble_ = -1;
            }
          }
          break;
        }
        if (cur_.dest == Dest::Skip) {
          // Pictures and other skipped data are mostly plain bytes.
          while (pos_ < size && data_[pos_] != '\\' && data_[pos_] != '{' && data_[pos_] != '}') ++pos_;
          break;
        }
        if (fallbackLeft_ > 0) {
          ++pos_;
          --fallbackLeft_;
          break;
        }
        if (cur_.dest == Dest::Text && !cur_.chars.hidden && highSurrogate_ == 0 && !cellParPending_ &&
            pendingTabs_ == 0 && cur_.chars == runChars_) {
          PlainBytes(size);
          break;
        }
        ++pos_;
        TextByte(static_cast<unsigned char>(c), false);
    }
  }
  DropHalfSurrogate();
  FlushRun();
  ResolveCellParagraph();
  sink_.Finish(cur_.para, cur_.chars, tables_);
}

void Parser::PlainBytes(Index size) {
  // Most of a document is text bytes in the format of the run before them:
  // they are decoded in one sweep, up to the next byte that steers the
  // parser and short of the length at which a paragraph may be ended.
  const Index room = kLongParagraph - 1 - paraLength_;
  const Index end = std::min(size, pos_ + std::max<Index>(room, 0));
  const Index from = pos_;
  Decode(0);  // brings table_ and stops_ up to date with the current font
  const ByteTable& table = *table_;
  const std::array<bool, 256>& stops = *stops_;
  char16_t* const out = sweep_.data();
  const auto* const bytes = reinterpret_cast<const unsigned char*>(data_.data()) + pos_;
  const Index limit = end - pos_;
  Index n = 0;
  while (n < limit && !stops[bytes[n]]) {
    out[n] = table[bytes[n]];
    ++n;
  }
  pos_ += n;
  run_.append(out, static_cast<size_t>(n));
  paraLength_ += n;
  if (n > 0) paraHasContent_ = true;
  if (pos_ == from) {  // a byte the sweep leaves to the parser's rules
    ++pos_;
    TextByte(static_cast<unsigned char>(data_[from]), false);
  }
}

void Parser::OpenGroup() {
  fallbackLeft_ = 0;
  if (starPending_) {
    starPending_ = false;
    SetDestination(Dest::Skip);
  }
  if (depth_ >= kMaxDepth) {
    ++overflow_;
    return;
  }
  if (depth_ == stack_.size())
    stack_.push_back(cur_);
  else
    stack_[depth_] = cur_;
  ++depth_;
}

void Parser::CloseGroup() {
  fallbackLeft_ = 0;
  if (overflow_ > 0) {
    --overflow_;
    return;
  }
  if (depth_ == 0) {  // a stray brace before the header
    done_ = true;
    return;
  }
  if (starPending_) starPending_ = false;
  if (cur_.dest == Dest::FontTable) CommitFont();
  GroupState& outer = stack_[--depth_];
  const bool pictureEnds = cur_.dest == Dest::Picture && outer.dest != Dest::Picture;
  std::swap(cur_, outer);
  if (pictureEnds) EndPicture();
  // The closing brace of the outermost group ends the document; anything
  // after it (padding, a second document) is not shown.
  if (depth_ == 0) done_ = true;
}

void Parser::ReadControl() {
  const Index size = Index(data_.size());
  ++pos_;  // the backslash
  if (pos_ >= size) return;
  const char c = data_[pos_];
  if (!IsLetter(c)) {
    ++pos_;
    if (c == '\'') {
      int value = 0;
      int digits = 0;
      while (digits < 2 && pos_ < size && HexValue(data_[pos_]) >= 0) {
        value = value * 16 + HexValue(data_[pos_]);
        ++pos_;
        ++digits;
      }
      if (fallbackLeft_ > 0) {
        --fallbackLeft_;
        return;
      }
      if (digits > 0) TextByte(static_cast<unsigned char>(value), true);
      return;
    }
    if (fallbackLeft_ > 0) {
      --fallbackLeft_;
      return;
    }
    ControlSymbol(c);
    return;
  }

  const Index start = pos_;
  while (pos_ < size && IsLetter(data_[pos_])) ++pos_;
  const Index length = pos_ - start;
  const std::string_view word =
      length <= kMaxWord ? std::string_view(data_.data() + start, static_cast<size_t>(length)) : std::string_view();

  bool hasParam = false;
  bool negative = false;
  long long value = 0;
  if (pos_ + 1 < size && data_[pos_] == '-' && IsDigit(data_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  while (pos_ < size && IsDigit(data_[pos_])) {
    hasParam = true;
    // Saturate: a parameter of any length stays within int.
    if (value < 0x7fffffff) value = value * 10 + (data_[pos_] - '0');
    ++pos_;
  }
  if (pos_ < size && data_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
  value = std::min<long long>(value, 0x7fffffff);
  const int param = static_cast<int>(negative ? -value : value);

  const Kw kw = word.empty() ? Kw::Unknown : LookUpKeyword(word);
  if (kw == Kw::Binary) {
    // Binary data is skipped by count wherever it is, and counts as one
    // fallback character.
    if (fallbackLeft_ > 0) --fallbackLeft_;
    if (hasParam && param > 0) {
      const Index n = std::min<Index>(param, size - pos_);
      const bool toPicture = keepPictures_ && cur_.dest == Dest::Picture && !starPending_;
      if (toPicture) picture_.data.append(data_.substr(pos_, n));
      pos_ += n;
      if (!ended_ && n < param) {  // the rest lies beyond the window
        binaryLeft_ = param - n;
        binaryToPicture_ = toPicture;
      }
    }
    return;
  }
  if (fallbackLeft_ > 0) {
    --fallbackLeft_;
    return;
  }
  ControlWord(kw, hasParam, param);
}

void Parser::SetDestination(Dest dest) {
  if (cur_.dest == Dest::Skip) return;  // nothing inside a skipped group comes back
  if (cur_.dest == Dest::FontTable && dest == Dest::Skip) {
    // Alternative names and panose data inside a font entry.
    cur_.dest = Dest::Skip;
    return;
  }
  cur_.dest = dest;
  if (dest == Dest::FontTable) fontNumber_ = -1;
  if (dest == Dest::ColorTable) red_ = green_ = blue_ = -1;
}

namespace {

// Characters that a control word stands for.
std::optional<char16_t> SymbolFor(Kw kw) {
  switch (kw) {
    case Kw::Line:
      return kLineSeparator;
    case Kw::Tab:
      return u'\t';
    case Kw::EmDash:
      return u'\u2014';
    case Kw::EnDash:
      return u'\u2013';
    case Kw::EmSpace:
      return u'\u2003';
    case Kw::EnSpace:
      return u'\u2002';
    case Kw::QmSpace:
      return u'\u2005';
    case Kw::Bullet:
      return u'\u2022';
    case Kw::LQuote:
      return u'\u2018';
    case Kw::RQuote:
      return u'\u2019';
    case Kw::LDblQuote:
      return u'\u201C';
    case Kw::RDblQuote:
      return u'\u201D';
    case Kw::Zwj:
      return u'\u200D';
    case Kw::Zwnj:
      return u'\u200C';
    case Kw::LtrMark:
      return u'\u200E';
    case Kw::RtlMark:
      return u'\u200F';
    default:
      return std::nullopt;
  }
}

}  // namespace

void Parser::ControlWord(Kw kw, bool hasParam, int param) {
  if (starPending_) {
    starPending_ = false;
    // Word's picture for readers that know pictures; anything else starred
    // is left out.
    if (!(kw == Kw::ShpPict && cur_.dest == Dest::Text)) SetDestination(Dest::Skip);
    return;
  }
  if (DestinationWord(kw, hasParam, param)) return;

  switch (cur_.dest) {
    case Dest::Skip:
      return;
    case Dest::FontTable:
      FontTableWord(kw, param);
      return;
    case Dest::Picture:
      PictureWord(kw, param);
      return;
    case Dest::ColorTable:
      if (kw == Kw::Red) red_ = std::clamp(param, 0, 255);
      if (kw == Kw::Green) green_ = std::clamp(param, 0, 255);
      if (kw == Kw::Blue) blue_ = std::clamp(param, 0, 255);
      return;
    case Dest::Text:
      break;
  }

  if (const std::optional<char16_t> symbol = SymbolFor(kw)) {
    Put(*symbol);
    return;
  }
  if (DocumentWord(kw, param) || TableWord(kw, param) || BreakWord(kw)) return;
  switch (kw) {
    case Kw::Pard:
    case Kw::AlignLeft:
    case Kw::AlignCenter:
    case Kw::AlignRight:
    case Kw::AlignJustify:
    case Kw::LeftIndent:
    case Kw::RightIndent:
    case Kw::FirstIndent:
    case Kw::SpaceBefore:
    case Kw::SpaceAfter:
    case Kw::InTable:
      ParaWord(kw, param);
      return;
    default:
      CharWord(kw, hasParam, param);
      return;
  }
}

// Words that open a destination or read Unicode, wherever they stand.
bool Parser::DestinationWord(Kw kw, bool hasParam, int param) {
  switch (kw) {
    case Kw::SkipDestination:
      SetDestination(Dest::Skip);
      return true;
    case Kw::FontTable:
      SetDestination(Dest::FontTable);
      return true;
    case Kw::ColorTable:
      SetDestination(Dest::ColorTable);
      return true;
    case Kw::UnicodeSkip:
      cur_.unicodeSkip = std::clamp(param, 0, 16);
      return true;
    case Kw::Unicode: {
      if (!hasParam) return true;
      const int code = param < 0 ? param + 65536 : param;
      if (code > 0 && code <= 0xffff) Put(TranslateSymbol(static_cast<char16_t>(code)));
      fallbackLeft_ = cur_.unicodeSkip;
      return true;
    }
    default:
      return false;
  }
}

// The code page and the default font of the document, and pictures.
bool Parser::DocumentWord(Kw kw, int param) {
  switch (kw) {
    case Kw::Ansi:
      docTable_ = &codePages_.Table(1252);
      return true;
    case Kw::AnsiCodePage:
      docTable_ = &codePages_.Table(param);
      return true;
    case Kw::Mac:
      docTable_ = &codePages_.Table(10000);
      return true;
    case Kw::Pc:
      docTable_ = &codePages_.Table(437);
      return true;
    case Kw::Pca:
      docTable_ = &codePages_.Table(850);
      return true;
    case Kw::Picture:
      picture_ = Picture{};
      pictureNibble_ = -1;
      cur_.dest = Dest::Picture;
      return true;
    case Kw::DefaultFont:
      tables_.defaultFont = param;
      ++tables_.version;
      return true;
    default:
      return false;
  }
}

// Rows and cells of tables, their borders and shading.
bool Parser::TableWord(Kw kw, int param) {
  switch (kw) {
    case Kw::Row: {
      cellParPending_ = false;
      pendingTabs_ = 0;
      // The row becomes one line; tab stops where its cells begin keep the
      // columns of consecutive rows under each other.
      ParaProps row = cur_.para;
      for (size_t i = 0; i + 1 < rowCells_.size(); ++i) row.cellTabs.push_back(rowCells_[i] + rowGap_);
      if (std::any_of(rowCellDefs_.begin(), rowCellDefs_.end(), [](const TableCell& c) {
            return c.shaded || c.top.on || c.left.on || c.bottom.on || c.rightSide.on;
          }))
        row.cells = rowCellDefs_;
      EndParagraph(row);
      return true;
    }
    case Kw::RowDefaults:
      rowCells_.clear();
      rowCellDefs_.clear();
      cellDef_ = TableCell{};
      borderSide_ = nullptr;
      rowGap_ = 0;
      return true;
    case Kw::CellRight:
      if (rowCells_.size() < 64) {
        rowCells_.push_back(std::clamp(param, 0, 31680));
        cellDef_.right = rowCells_.back();
        rowCellDefs_.push_back(cellDef_);
      }
      cellDef_ = TableCell{};
      borderSide_ = nullptr;
      return true;
    case Kw::CellBorderTop:
      borderSide_ = &cellDef_.top;
      return true;
    case Kw::CellBorderLeft:
      borderSide_ = &cellDef_.left;
      return true;
    case Kw::CellBorderBottom:
      borderSide_ = &cellDef_.bottom;
      return true;
    case Kw::CellBorderRight:
      borderSide_ = &cellDef_.rightSide;
      return true;
    case Kw::BorderStyle:
      if (borderSide_) borderSide_->on = true;
      return true;
    case Kw::BorderNone:
      if (borderSide_) borderSide_->on = false;
      return true;
    case Kw::BorderWidth:
      if (borderSide_) borderSide_->width = std::clamp(param, 0, 300);
      return true;
    case Kw::BorderColor:
      if (borderSide_) {
        borderSide_->color = tables_.Color(param).value_or(Rgb{0xFF000000});
      }
      return true;
    case Kw::CellShading: {
      const std::optional<Rgb> c = tables_.Color(param);
      cellDef_.shaded = c.has_value();
      cellDef_.shading = c.value_or(0);
      return true;
    }
    case Kw::RowGap:
      rowGap_ = std::clamp(param, 0, 1440);
      return true;
    case Kw::Cell:
      cellParPending_ = false;
      ++pendingTabs_;
      return true;
    default:
      return false;
  }
}

// The ends of paragraphs, pages and sections.
bool Parser::BreakWord(Kw kw) {
  switch (kw) {
    case Kw::Par:
      if (cur_.para.inTable)
        EndCellParagraph();
      else
        EndParagraph();
      return true;
    case Kw::Page:
    case Kw::Sect:
      // A break that follows a paragraph mark adds no empty paragraph.
      ResolveCellParagraph();
      if (paraHasContent_ || pendingTabs_ > 0) EndParagraph();
      return true;
    default:
      return false;
  }
}

void Parser::CharWord(Kw kw, bool hasParam, int param) {
  CharProps& c = cur_.chars;
  const bool on = !hasParam || param != 0;
  switch (kw) {
    case Kw::Plain:
      c = CharProps{};
      break;
    case Kw::Font:
      c.font = std::max(param, 0);
      break;
    case Kw::FontSize:
      // Half points; 0 or nothing means the default size.
      c.halfPoints = param > 0 ? std::min(param, 3276) : 24;
      break;
    case Kw::Bold:
      c.bold = on;
      break;
    case Kw::Italic:
      c.italic = on;
      break;
    case Kw::Underline:
      c.underline = on ? Underline::Single : Underline::None;
      break;
    case Kw::UnderlineDouble:
      c.underline = on ? Underline::Double : Underline::None;
      break;
    case Kw::UnderlineDotted:
      c.underline = on ? Underline::Dotted : Underline::None;
      break;
    case Kw::UnderlineDashed:
      c.underline = on ? Underline::Dashed : Underline::None;
      break;
    case Kw::UnderlineWave:
      c.underline = on ? Underline::Wave : Underline::None;
      break;
    case Kw::UnderlineThick:
      c.underline = on ? Underline::Thick : Underline::None;
      break;
    case Kw::UnderlineNone:
      c.underline = Underline::None;
      break;
    case Kw::Strike:
      c.strike = on;
      break;
    case Kw::Foreground:
      c.foreground = param;
      break;
    case Kw::Background:
      c.background = param;
      break;
    case Kw::Super:
      c.script = Script::Super;
      break;
    case Kw::Sub:
      c.script = Script::Sub;
      break;
    case Kw::NoSuperSub:
      c.script = Script::Normal;
      break;
    case Kw::Hidden:
      c.hidden = on;
      break;
    default:
      break;
  }
}

void Parser::ParaWord(Kw kw, int param) {
  ParaProps& p = cur_.para;
  // Lengths beyond 22 inches are nonsense; keep them from overflowing later.
  const int twips = std::clamp(param, -31680, 31680);
  switch (kw) {
    case Kw::Pard:
      p = ParaProps{};
      break;
    case Kw::AlignLeft:
      p.align = Align::Left;
      break;
    case Kw::AlignCenter:
      p.align = Align::Center;
      break;
    case Kw::AlignRight:
      p.align = Align::Right;
      break;
    case Kw::AlignJustify:
      p.align = Align::Justify;
      break;
    case Kw::LeftIndent:
      p.left = twips;
      break;
    case Kw::RightIndent:
      p.right = twips;
      break;
    case Kw::FirstIndent:
      p.firstLine = twips;
      break;
    case Kw::SpaceBefore:
      p.before = std::max(twips, 0);
      break;
    case Kw::SpaceAfter:
      p.after = std::max(twips, 0);
      break;
    case Kw::InTable:
      p.inTable = true;
      break;
    default:
      break;
  }
}

void Parser::FontTableWord(Kw kw, int param) {
  switch (kw) {
    case Kw::Font:
      CommitFont();
      fontNumber_ = param;
      fontEntry_ = FontEntry{};
      break;
    case Kw::FontRoman:
      fontEntry_.family = FontFamily::Roman;
      break;
    case Kw::FontSwiss:
      fontEntry_.family = FontFamily::Swiss;
      break;
    case Kw::FontModern:
      fontEntry_.family = FontFamily::Modern;
      break;
    case Kw::FontScript:
      fontEntry_.family = FontFamily::Script;
      break;
    case Kw::FontDecor:
      fontEntry_.family = FontFamily::Decor;
      break;
    case Kw::FontNil:
      fontEntry_.family = FontFamily::Any;
      break;
    case Kw::FontCharset:
      fontEntry_.codePage = CharsetToCodePage(param);
      break;
    case Kw::FontCodePage:
      fontEntry_.codePage = param;
      break;
    default:
      break;
  }
}

void Parser::PictureWord(Kw kw, int param) {
  // Sizes beyond these are nonsense; the reader caps the drawn size anyway.
  const int size = std::clamp(param, 0, 1000000);
  switch (kw) {
    case Kw::PngBlip:
      picture_.kind = Picture::Kind::Png;
      break;
    case Kw::JpegBlip:
      picture_.kind = Picture::Kind::Jpeg;
      break;
    case Kw::PicW:
      picture_.width = size;
      break;
    case Kw::PicH:
      picture_.height = size;
      break;
    case Kw::PicWGoal:
      picture_.goalWidth = size;
      break;
    case Kw::PicHGoal:
      picture_.goalHeight = size;
      break;
    case Kw::PicScaleX:
      picture_.scaleX = std::clamp(param, 1, 10000);
      break;
    case Kw::PicScaleY:
      picture_.scaleY = std::clamp(param, 1, 10000);
      break;
    default:
      break;
  }
}

void Parser::EndPicture() {
  Picture picture = std::move(picture_);
  picture_ = Picture{};
  if (cur_.dest != Dest::Text || cur_.chars.hidden) return;
  DropHalfSurrogate();
  Emit({});  // table tabs waiting before it
  FlushRun();
  sink_.PictureAt(picture, cur_.chars, tables_);
  paraHasContent_ = true;
  ++paraLength_;
}

void Parser::ControlSymbol(char c) {
  switch (c) {
    case '{':
    case '}':
    case '\\':
      TextByte(static_cast<unsigned char>(c), true);
      return;
    case '~':
      Put(u'\u00A0');
      return;
    case '-':
      Put(u'\u00AD');
      return;
    case '_':
      Put(u'\u2011');
      return;
    case '*':
      // An ignorable destination: the next word decides.
      starPending_ = true;
      return;
    case '\r':
    case '\n':
      if (cur_.dest == Dest::Text) ControlWord(Kw::Par, false, 0);
      return;
    case '\t':
      Put(u'\t');
      return;
    default:
      return;  // \: (index subentry), \| (formula) and unknown symbols
  }
}

char16_t Parser::TranslateSymbol(char16_t unit) {
  const unsigned char byte = SymbolPrivateUseByte(unit);
  if (byte == 0) return unit;
  const FontEntry* font = tables_.Font(cur_.chars.font);
  return font && font->translated ? codePages_.Table(font->codePage)[byte] : unit;
}

char16_t Parser::Decode(unsigned char byte) {
  // Cached per font: text bytes are the most frequent thing decoded.
  if (tableFont_ != cur_.chars.font || tableVersion_ != tables_.version || tableDoc_ != docTable_) {
    tableFont_ = cur_.chars.font;
    tableVersion_ = tables_.version;
    tableDoc_ = docTable_;
    const FontEntry* font = tables_.Font(cur_.chars.font);
    table_ = font && font->codePage != 0 ? &codePages_.Table(font->codePage) : docTable_;
    auto [it, added] = stopTables_.try_emplace(table_);
    if (added) {
      for (int b = 0; b < 256; ++b) {
        const char16_t unit = (*table_)[b];
        it->second[b] = b == '\\' || b == '{' || b == '}' || b < 0x20 || unit < 0x20 || IsSurrogate(unit) ||
                        unit == 0xFDD0 || unit == 0xFDD1 || unit == kParagraphSeparator;
      }
    }
    stops_ = &it->second;
  }
  return (*table_)[byte];
}

void Parser::TextByte(unsigned char byte, bool escaped) {
  if (starPending_) {
    starPending_ = false;
    SetDestination(Dest::Skip);
  }
  switch (cur_.dest) {
    case Dest::Skip:
    case Dest::Picture:
      return;
    case Dest::ColorTable:
      if (byte == ';') CommitColor();
      return;
    case Dest::FontTable:
      if (byte == ';' && !escaped)
        CommitFont();
      else if (fontNumber_ >= 0 && byte >= 0x20)
        fontEntry_.name += byte < 0x80                ? char16_t(byte)
                           : fontEntry_.codePage != 0 ? codePages_.Table(fontEntry_.codePage)[byte]
                                                      : (*docTable_)[byte];
      return;
    case Dest::Text:
      if (byte < 0x20 && byte != '\t') return;  // stray control bytes
      Put(Decode(byte));
      return;
  }
}

void Parser::Put(char16_t unit) {
  if (cur_.dest == Dest::FontTable) {
    if (fontNumber_ >= 0 && unit >= 0x20) fontEntry_.name += unit;
    return;
  }
  if (cur_.dest != Dest::Text) return;
  // Control characters and the document's own structure markers (frame
  // boundaries, paragraph separators) must not come in as text.
  if (unit < 0x20 && unit != u'\t') return;
  if (unit == 0xFDD0 || unit == 0xFDD1) return;
  if (unit == kParagraphSeparator) unit = kLineSeparator;
  if (IsHighSurrogate(unit)) {
    DropHalfSurrogate();
    highSurrogate_ = unit;
    return;
  }
  if (IsLowSurrogate(unit)) {
    if (highSurrogate_ != 0) {
      const char16_t pair[2] = {highSurrogate_, unit};
      highSurrogate_ = 0;
      Emit(std::u16string_view(pair, 2));
    } else {
      Emit(u"\uFFFD");
    }
    return;
  }
  DropHalfSurrogate();
  Emit(std::u16string_view(&unit, 1));
}

void Parser::DropHalfSurrogate() {
  if (highSurrogate_ == 0) return;
  highSurrogate_ = 0;
  Emit(u"\uFFFD");
}

void Parser::Emit(std::u16string_view text) {
  if (cur_.chars.hidden) return;
  ResolveCellParagraph();
  if (!(cur_.chars == runChars_)) {
    FlushRun();
    runChars_ = cur_.chars;
  }
  if (pendingTabs_ > 0) {
    run_.append(static_cast<size_t>(pendingTabs_), u'\t');
    pendingTabs_ = 0;
  }
  run_.append(text);
  paraHasContent_ = true;
  paraLength_ += Index(text.size());
  if (paraLength_ >= kLongParagraph && ((text.size() == 1 && text[0] == u' ') || paraLength_ >= 2 * kLongParagraph))
    EndParagraph();
}

void Parser::FlushRun() {
  if (run_.empty()) return;
  sink_.Text(run_, runChars_, tables_);
  run_.clear();
}

void Parser::EndParagraph() { EndParagraph(cur_.para); }

void Parser::EndParagraph(const ParaProps& para) {
  DropHalfSurrogate();
  FlushRun();
  ResolveCellParagraph();
  pendingTabs_ = 0;
  paraHasContent_ = false;
  paraLength_ = 0;
  sink_.EndParagraph(para, cur_.chars, tables_);
}

void Parser::EndCellParagraph() {
  DropHalfSurrogate();
  FlushRun();
  ResolveCellParagraph();
  cellParPending_ = true;
  cellPara_ = cur_.para;
  cellChars_ = cur_.chars;
}

void Parser::ResolveCellParagraph() {
  if (!cellParPending_) return;
  cellParPending_ = false;
  pendingTabs_ = 0;
  paraHasContent_ = false;
  paraLength_ = 0;
  sink_.EndParagraph(cellPara_, cellChars_, tables_);
}

void Parser::CommitFont() {
  if (fontNumber_ < 0) return;
  fontEntry_.name = Trimmed(fontEntry_.name);
  if (fontEntry_.codePage == kSymbolCodePage) {
    fontEntry_.codePage = SymbolFontCodePage(fontEntry_.name);
    fontEntry_.translated = fontEntry_.codePage != 0;
  }
  if (!fontEntry_.name.empty() && (tables_.fonts.size() < kMaxFonts || tables_.fonts.contains(fontNumber_))) {
    tables_.fonts[fontNumber_] = fontEntry_;
    ++tables_.version;
  }
  fontNumber_ = -1;
  fontEntry_ = FontEntry{};
}

void Parser::CommitColor() {
  if (tables_.colors.size() >= kMaxColors) {
    red_ = green_ = blue_ = -1;
    return;
  }
  if (red_ < 0 && green_ < 0 && blue_ < 0)
    tables_.colors.emplace_back();  // the automatic colour
  else
    tables_.colors.emplace_back(MakeRgb(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
  red_ = green_ = blue_ = -1;
  ++tables_.version;
}

}  // namespace

bool LooksLikeRtf(std::string_view data) {
  size_t i = data.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n')) ++i;
  return data.substr(i).starts_with("{\\rtf");
}

void Parse(std::string_view rtf, Sink& sink) {
  Parser parser(rtf, sink);
  parser.Run();
}

void Parse(const ReadFn& read, Sink& sink) {
  Parser parser(read, sink);
  parser.Run();
}

}  // namespace tambril::rtf
