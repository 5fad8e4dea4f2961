#include "rtf_reader.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <unordered_map>
#include <utility>
#include <vector>

#include "codec/cp1252.h"
#include "rtf_parser.h"

namespace tambril::rtf {
namespace {

// Twips to the document's pixels (1/96 inch).
constexpr qreal TwipsToPixels(int twips) { return twips / 15.0; }

QTextCharFormat ToCharFormat(const CharProps& c, const Tables& tables) {
  QTextCharFormat f;
  if (const FontEntry* font = tables.Font(c.font); font && !font->translated) {
    f.setFontFamilies(QStringList{font->name});
    f.setFontStyleHint(font->hint);
  }
  f.setFontPointSize(c.halfPoints / 2.0);
  if (c.bold) f.setFontWeight(QFont::Bold);
  if (c.italic) f.setFontItalic(true);
  if (c.strike) f.setFontStrikeOut(true);
  switch (c.underline) {
    case Underline::None: break;
    case Underline::Single:
    case Underline::Double:
    case Underline::Thick: f.setUnderlineStyle(QTextCharFormat::SingleUnderline); break;
    case Underline::Dotted: f.setUnderlineStyle(QTextCharFormat::DotLine); break;
    case Underline::Dashed: f.setUnderlineStyle(QTextCharFormat::DashUnderline); break;
    case Underline::Wave: f.setUnderlineStyle(QTextCharFormat::WaveUnderline); break;
  }
  if (const QColor fg = tables.Color(c.foreground); fg.isValid()) f.setForeground(fg);
  if (const QColor bg = tables.Color(c.background); bg.isValid()) f.setBackground(bg);
  if (c.script == Script::Super) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (c.script == Script::Sub) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  return f;
}

QTextBlockFormat ToBlockFormat(const ParaProps& p) {
  QTextBlockFormat f;
  switch (p.align) {
    case Align::Left: f.setAlignment(Qt::AlignLeft); break;
    case Align::Center: f.setAlignment(Qt::AlignHCenter); break;
    case Align::Right: f.setAlignment(Qt::AlignRight); break;
    case Align::Justify: f.setAlignment(Qt::AlignJustify); break;
  }
  // Qt has no negative margins; a hanging first line may reach back to the
  // left edge but not beyond.
  const int left = std::max(p.left, 0);
  if (left != 0) f.setLeftMargin(TwipsToPixels(left));
  if (p.right > 0) f.setRightMargin(TwipsToPixels(p.right));
  if (const int first = std::max(p.firstLine, -left); first != 0) {
    f.setTextIndent(TwipsToPixels(first));
    // A hanging first line ("1.<tab>text") has a tab stop at the paragraph's
    // indent; tab positions count from the start of the first line.
    if (first < 0) f.setTabPositions({QTextOption::Tab(TwipsToPixels(-first), QTextOption::LeftTab)});
  }
  if (!p.cellTabs.empty()) {
    QList<QTextOption::Tab> tabs;
    for (const int twips : p.cellTabs) tabs.append(QTextOption::Tab(TwipsToPixels(twips), QTextOption::LeftTab));
    f.setTabPositions(tabs);
  }
  if (p.before != 0) f.setTopMargin(TwipsToPixels(p.before));
  if (p.after != 0) f.setBottomMargin(TwipsToPixels(p.after));
  return f;
}

struct CharPropsHash {
  size_t operator()(const CharProps& c) const {
    return qHashMulti(0, c.font, c.halfPoints, c.foreground, c.background, c.bold, c.italic,
                      c.strike, c.hidden, static_cast<int>(c.underline),
                      static_cast<int>(c.script));
  }
};

// A text document spends some hundred bytes and a share of every layout pass
// on each paragraph. Beyond this many, paragraphs are joined into the one
// before as forced line breaks (which count one character, as a paragraph
// end does) until that one holds kJoinedLength characters: the text and its
// character formats stay, the joined paragraphs share one paragraph format.
constexpr int kMaxBlocks = 100000;
constexpr qsizetype kJoinedLength = 8192;

// Builds the document through one cursor. A paragraph's format is known
// only at its mark, so its runs wait until then and the block is inserted
// with its formats in one step; the final \par of a file thus leaves no
// empty paragraph behind.
class DocumentSink final : public Sink {
 public:
  DocumentSink(QTextDocument& doc, const std::function<void(int)>& afterParagraph)
      : cursor_(&doc), afterParagraph_(afterParagraph) {}

  void Text(const QString& text, const CharProps& chars, const Tables& tables) override {
    runs_.emplace_back(text, Format(chars, tables));
  }

  void EndParagraph(const ParaProps& para, const CharProps& chars,
                    const Tables& tables) override {
    WriteParagraph(para, chars, tables);
  }

  void Finish(const ParaProps& para, const CharProps& chars, const Tables& tables) override {
    if (!runs_.empty() || firstBlock_) WriteParagraph(para, chars, tables);
  }

 private:
  void WriteParagraph(const ParaProps& para, const CharProps& chars, const Tables& tables) {
    if (!(para == lastPara_) || !haveBlockFormat_) {
      blockFormat_ = ToBlockFormat(para);
      lastPara_ = para;
      haveBlockFormat_ = true;
    }
    const QTextCharFormat& markFormat = Format(chars, tables);
    if (firstBlock_) {
      // The document's one empty block.
      cursor_.setBlockFormat(blockFormat_);
      cursor_.setBlockCharFormat(markFormat);
      firstBlock_ = false;
    } else if (blocks_ >= kMaxBlocks && blockLength_ < kJoinedLength) {
      cursor_.insertText(QString(QChar::LineSeparator), markFormat);
      ++blockLength_;
    } else {
      cursor_.insertBlock(blockFormat_, markFormat);
      ++blocks_;
      blockLength_ = 0;
    }
    for (const auto& [text, format] : runs_) {
      cursor_.insertText(text, format);
      blockLength_ += text.size();
    }
    runs_.clear();
    if (afterParagraph_) afterParagraph_(cursor_.position());
  }

  // Documents switch between a handful of formats; building a format and
  // having the document look it up again costs more than the parsing.
  const QTextCharFormat& Format(const CharProps& chars, const Tables& tables) {
    if (tables.version != formatsVersion_ || formats_.size() > 4096) {
      formats_.clear();
      formatsVersion_ = tables.version;
    }
    auto [it, added] = formats_.try_emplace(chars);
    if (added) it->second = ToCharFormat(chars, tables);
    return it->second;
  }

  QTextCursor cursor_;
  const std::function<void(int)>& afterParagraph_;
  bool firstBlock_ = true;
  int blocks_ = 1;
  qsizetype blockLength_ = 0;  // characters of the last block
  std::vector<std::pair<QString, QTextCharFormat>> runs_;  // of the open paragraph
  std::unordered_map<CharProps, QTextCharFormat, CharPropsHash> formats_;
  int formatsVersion_ = -1;
  ParaProps lastPara_;
  bool haveBlockFormat_ = false;
  QTextBlockFormat blockFormat_;
};

class PlainTextSink final : public Sink {
 public:
  void Text(const QString& text, const CharProps&, const Tables&) override {
    if (paragraphEnded_) out_ += u'\n';
    paragraphEnded_ = false;
    out_ += text;
  }
  void EndParagraph(const ParaProps&, const CharProps&, const Tables&) override {
    if (paragraphEnded_) out_ += u'\n';
    paragraphEnded_ = true;
  }
  void Finish(const ParaProps&, const CharProps&, const Tables&) override {}

  QString Take() {
    out_.replace(QChar::LineSeparator, u'\n');
    return std::move(out_);
  }

 private:
  QString out_;
  bool paragraphEnded_ = false;
};

QString Cp1252Text(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i)
    text[i] = QChar(static_cast<char16_t>(codec::Cp1252ToUnicode(static_cast<unsigned char>(bytes[i]))));
  return text;
}

}  // namespace

void LoadRtf(QByteArrayView rtf, QTextDocument& doc, const std::function<void(int)>& afterParagraph) {
  const bool undo = doc.isUndoRedoEnabled();
  doc.setUndoRedoEnabled(false);  // a load is not an edit the user can take back
  if (!LooksLikeRtf(rtf)) {
    doc.setPlainText(Cp1252Text(rtf));
  } else {
    // Emptying the document inside the edit block makes the whole load one
    // change from an empty document, which a text box's layout then does
    // lazily instead of at once.
    QTextCursor batch(&doc);
    batch.beginEditBlock();
    doc.clear();
    DocumentSink sink(doc, afterParagraph);
    Parse(rtf, sink);
    batch.endEditBlock();
  }
  doc.setUndoRedoEnabled(undo);
}

QString RtfToPlainText(QByteArrayView rtf) {
  if (!LooksLikeRtf(rtf)) return Cp1252Text(rtf);
  PlainTextSink sink;
  Parse(rtf, sink);
  return sink.Take();
}

}  // namespace tambril::rtf
