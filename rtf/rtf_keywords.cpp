#include "rtf_keywords.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace tambril::rtf {
namespace {

using Map = std::unordered_map<std::string_view, Kw>;

Map BuildMap() {
  Map m = {
      {"fonttbl", Kw::FontTable},
      {"colortbl", Kw::ColorTable},
      {"ansi", Kw::Ansi},
      {"ansicpg", Kw::AnsiCodePage},
      {"mac", Kw::Mac},
      {"pc", Kw::Pc},
      {"pca", Kw::Pca},
      {"deff", Kw::DefaultFont},
      {"uc", Kw::UnicodeSkip},
      {"u", Kw::Unicode},
      {"bin", Kw::Binary},
      {"plain", Kw::Plain},
      {"f", Kw::Font},
      {"fs", Kw::FontSize},
      {"b", Kw::Bold},
      {"i", Kw::Italic},
      {"ul", Kw::Underline},
      {"ulw", Kw::Underline},
      {"uldb", Kw::UnderlineDouble},
      {"uld", Kw::UnderlineDotted},
      {"ulth", Kw::UnderlineThick},
      {"ulthd", Kw::UnderlineThick},
      {"uldash", Kw::UnderlineDashed},
      {"uldashd", Kw::UnderlineDashed},
      {"uldashdd", Kw::UnderlineDashed},
      {"ulldash", Kw::UnderlineDashed},
      {"ulthdash", Kw::UnderlineThick},
      {"ulthdashd", Kw::UnderlineThick},
      {"ulthdashdd", Kw::UnderlineThick},
      {"ulthldash", Kw::UnderlineThick},
      {"ulwave", Kw::UnderlineWave},
      {"ulhwave", Kw::UnderlineWave},
      {"ululdbwave", Kw::UnderlineWave},
      {"ulnone", Kw::UnderlineNone},
      {"strike", Kw::Strike},
      {"striked", Kw::Strike},
      {"cf", Kw::Foreground},
      {"cb", Kw::Background},
      {"highlight", Kw::Background},
      {"chcbpat", Kw::Background},
      {"super", Kw::Super},
      {"sub", Kw::Sub},
      {"nosupersub", Kw::NoSuperSub},
      {"v", Kw::Hidden},
      {"pard", Kw::Pard},
      {"ql", Kw::AlignLeft},
      {"qc", Kw::AlignCenter},
      {"qr", Kw::AlignRight},
      {"qj", Kw::AlignJustify},
      {"qd", Kw::AlignJustify},
      {"li", Kw::LeftIndent},
      {"lin", Kw::LeftIndent},
      {"ri", Kw::RightIndent},
      {"rin", Kw::RightIndent},
      {"fi", Kw::FirstIndent},
      {"sb", Kw::SpaceBefore},
      {"sa", Kw::SpaceAfter},
      {"intbl", Kw::InTable},
      {"par", Kw::Par},
      {"line", Kw::Line},
      {"tab", Kw::Tab},
      {"cell", Kw::Cell},
      {"nestcell", Kw::Cell},
      {"row", Kw::Row},
      {"nestrow", Kw::Row},
      {"page", Kw::Page},
      {"sect", Kw::Sect},
      {"trowd", Kw::RowDefaults},
      {"cellx", Kw::CellRight},
      {"trgaph", Kw::RowGap},
      {"froman", Kw::FontRoman},
      {"fswiss", Kw::FontSwiss},
      {"fmodern", Kw::FontModern},
      {"fscript", Kw::FontScript},
      {"fdecor", Kw::FontDecor},
      {"fnil", Kw::FontNil},
      {"ftech", Kw::FontNil},
      {"fbidi", Kw::FontNil},
      {"fcharset", Kw::FontCharset},
      {"cpg", Kw::FontCodePage},
      {"red", Kw::Red},
      {"green", Kw::Green},
      {"blue", Kw::Blue},
      {"emdash", Kw::EmDash},
      {"endash", Kw::EnDash},
      {"emspace", Kw::EmSpace},
      {"enspace", Kw::EnSpace},
      {"qmspace", Kw::QmSpace},
      {"bullet", Kw::Bullet},
      {"lquote", Kw::LQuote},
      {"rquote", Kw::RQuote},
      {"ldblquote", Kw::LDblQuote},
      {"rdblquote", Kw::RDblQuote},
      {"zwj", Kw::Zwj},
      {"zwnj", Kw::Zwnj},
      {"ltrmark", Kw::LtrMark},
      {"rtlmark", Kw::RtlMark},
      {"clbrdrt", Kw::CellBorderTop},
      {"clbrdrl", Kw::CellBorderLeft},
      {"clbrdrb", Kw::CellBorderBottom},
      {"clbrdrr", Kw::CellBorderRight},
      {"brdrs", Kw::BorderStyle},
      {"brdrth", Kw::BorderStyle},
      {"brdrdb", Kw::BorderStyle},
      {"brdrhair", Kw::BorderStyle},
      {"brdrdot", Kw::BorderStyle},
      {"brdrdash", Kw::BorderStyle},
      {"brdrsh", Kw::BorderStyle},
      {"brdrtriple", Kw::BorderStyle},
      {"brdrthtnsg", Kw::BorderStyle},
      {"brdrnone", Kw::BorderNone},
      {"brdrw", Kw::BorderWidth},
      {"brdrcf", Kw::BorderColor},
      {"clcbpat", Kw::CellShading},
      {"pict", Kw::Picture},
      {"shppict", Kw::ShpPict},
      {"pngblip", Kw::PngBlip},
      {"jpegblip", Kw::JpegBlip},
      {"picw", Kw::PicW},
      {"pich", Kw::PicH},
      {"picwgoal", Kw::PicWGoal},
      {"pichgoal", Kw::PicHGoal},
      {"picscalex", Kw::PicScaleX},
      {"picscaley", Kw::PicScaleY},
  };
  // Destinations whose text must not appear in the shown document: tables
  // and metadata, embedded objects and the stand-in pictures for old readers, page furniture, notes,
  // field instructions (their result is shown) and numbering definitions.
  for (std::string_view skip : {"stylesheet",  "info",         "header",     "headerl",
                                "headerr",     "headerf",      "footer",     "footerl",
                                "footerr",     "footerf",      "footnote",   "annotation",
                                "atnid",       "atnauthor",    "fldinst",    "objdata",
                                "objclass",    "objname",      "themedata",  "colorschememapping",
                                "datastore",   "latentstyles", "listtable",  "listoverridetable",
                                "revtbl",      "rsidtbl",      "xmlnstbl",   "filetbl",
                                "pgdsctbl",    "pn",           "pnseclvl",   "template",
                                "docvar",      "xe",           "tc",         "txe",
                                "bkmkstart",   "bkmkend",      "nonshppict", "shpinst",
                                "sp",          "sn",           "sv",         "mmathPr",
                                "generator",   "fchars",       "lchars",     "ftnsep",
                                "ftnsepc",     "ftncn",        "aftnsep",    "aftnsepc",
                                "aftncn",      "do",           "falt",       "panose",
                                "fname",       "author",       "operator",   "title",
                                "subject",     "keywords",     "comment",    "doccomm",
                                "company",     "manager",      "category",   "creatim",
                                "revtim",      "printim",      "buptim",     "userprops",
                                "background",  "pgptbl",       "blipuid",    "picprop",
                                "protusertbl", "ud",           "themedata",  "wgrffmtfilter",
                                "mhtmltag",    "htmltag"})
    m.emplace(skip, Kw::SkipDestination);
  return m;
}

// The words in open addressing with a cheap hash: a look-up is done for
// every control word of a document, a few for every sentence.
class Table {
 public:
  explicit Table(const Map& map) {
    for (const auto& [word, kw] : map) {
      size_t i = Hash(word);
      while (!slots_[i & kMask].word.empty()) ++i;
      slots_[i & kMask] = {word, kw};
    }
  }
  Kw Find(std::string_view word) const {
    for (size_t i = Hash(word);; ++i) {
      const Slot& slot = slots_[i & kMask];
      if (slot.word.empty()) return Kw::Unknown;
      if (Same(slot.word, word)) return slot.kw;
    }
  }

 private:
  static constexpr size_t kSlots = 1024;  // a power of two, at least four times the words
  static constexpr size_t kMask = kSlots - 1;
  struct Slot {
    std::string_view word;
    Kw kw = Kw::Unknown;
  };
  // Words are short: a loop beats a call of memcmp.
  static bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  static size_t Hash(std::string_view word) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (const char c : word) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
  }
  std::array<Slot, kSlots> slots_{};
};

}  // namespace

Kw LookUpKeyword(std::string_view word) {
  static const Table table{BuildMap()};
  return word.empty() ? Kw::Unknown : table.Find(word);
}

}  // namespace tambril::rtf
