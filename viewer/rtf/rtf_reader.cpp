#include "rtf_reader.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "resources/font_faces.h"
#include "rtf/rtf_parser.h"
#include "rtf/rtf_plain_text.h"

namespace tambril::rtf {
namespace {

// Twips to the document's pixels (1/96 inch).
constexpr qreal TwipsToPixels(int twips) { return twips / 15.0; }

// The block property that holds a row's cells: per cell its left and right
// edge, its shading (RGB, or -1) and for each side the width and colour.
constexpr int kCellsProperty = QTextFormat::UserProperty + 0x10;
constexpr int kCellValues = 11;

QFont::StyleHint StyleHint(FontFamily family) {
  switch (family) {
    case FontFamily::Roman:
      return QFont::Serif;
    case FontFamily::Swiss:
      return QFont::SansSerif;
    case FontFamily::Modern:
      return QFont::TypeWriter;
    case FontFamily::Script:
      return QFont::Cursive;
    case FontFamily::Decor:
      return QFont::Decorative;
    case FontFamily::Any:
      break;
  }
  return QFont::AnyStyle;
}

// The font table's face, then faces of the kind its family names: where the
// face is missing, one of the same kind takes its place (a monospaced table
// keeps its columns).
QStringList Faces(const FontEntry& font) {
  QStringList faces{QString::fromStdU16String(font.name)};
  const auto add = [&faces](const auto& kind) {
    for (const char* face : kind) {
      if (!faces.contains(QLatin1String(face), Qt::CaseInsensitive)) faces << QLatin1String(face);
    }
  };
  if (font.family == FontFamily::Roman) add(resources::kSerifFaces);
  if (font.family == FontFamily::Swiss) add(resources::kSansFaces);
  if (font.family == FontFamily::Modern) add(resources::kMonoFaces);
  return faces;
}

QTextCharFormat ToCharFormat(const CharProps& c, const Tables& tables) {
  QTextCharFormat f;
  if (const FontEntry* font = tables.Font(c.font); font && !font->translated) {
    f.setFontFamilies(Faces(*font));
    f.setFontStyleHint(StyleHint(font->family));
  }
  f.setFontPointSize(c.halfPoints / 2.0);
  if (c.bold) f.setFontWeight(QFont::Bold);
  if (c.italic) f.setFontItalic(true);
  if (c.strike) f.setFontStrikeOut(true);
  switch (c.underline) {
    case Underline::None:
      break;
    case Underline::Single:
    case Underline::Double:
    case Underline::Thick:
      f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
      break;
    case Underline::Dotted:
      f.setUnderlineStyle(QTextCharFormat::DotLine);
      break;
    case Underline::Dashed:
      f.setUnderlineStyle(QTextCharFormat::DashUnderline);
      break;
    case Underline::Wave:
      f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
      break;
  }
  if (const std::optional<Rgb> fg = tables.Color(c.foreground)) f.setForeground(QColor::fromRgb(*fg));
  if (const std::optional<Rgb> bg = tables.Color(c.background)) f.setBackground(QColor::fromRgb(*bg));
  if (c.script == Script::Super) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (c.script == Script::Sub) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  return f;
}

QTextBlockFormat ToBlockFormat(const ParaProps& p) {
  QTextBlockFormat f;
  switch (p.align) {
    case Align::Left:
      f.setAlignment(Qt::AlignLeft);
      break;
    case Align::Center:
      f.setAlignment(Qt::AlignHCenter);
      break;
    case Align::Right:
      f.setAlignment(Qt::AlignRight);
      break;
    case Align::Justify:
      f.setAlignment(Qt::AlignJustify);
      break;
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
  if (!p.cells.empty()) {
    QList<double> values;
    int left = 0;
    for (const TableCell& c : p.cells) {
      values << TwipsToPixels(left) << TwipsToPixels(c.right) << (c.shaded ? double(c.shading & 0xFFFFFF) : -1.0);
      for (const CellBorder* b : {&c.top, &c.left, &c.bottom, &c.rightSide})
        values << (b->on ? std::max(1.0, TwipsToPixels(b->width)) : 0.0) << double(b->color & 0xFFFFFF);
      left = std::max(left, c.right);
    }
    f.setProperty(kCellsProperty, QVariant::fromValue(values));
  }
  if (p.before != 0) f.setTopMargin(TwipsToPixels(p.before));
  if (p.after != 0) f.setBottomMargin(TwipsToPixels(p.after));
  return f;
}

// A picture is never drawn larger than this (pixels, the aspect kept), and
// one is decoded only if it has at most kMaxDecodedPixels pixels: a hostile
// size costs no more than the picture's bytes and one bounded image.
constexpr qreal kMaxPictureWidth = 1000;
constexpr qreal kMaxPictureHeight = 1400;
constexpr qint64 kMaxDecodedPixels = qint64{16} * 1024 * 1024;

// The size a picture is drawn at, in pixels, before the caps; `own` is the
// image's own pixel size where it is known.
QSizeF DrawnSize(const Picture& p, QSize own) {
  const bool bitmap = p.kind != Picture::Kind::Other;
  const auto length = [&](int goal, int size, int ownPixels) -> qreal {
    if (goal > 0) return goal / 15.0;                         // twips
    if (size > 0) return bitmap ? size : size * 96 / 2540.0;  // pixels, or 1/100 mm
    return ownPixels > 0 ? ownPixels : 0;
  };
  qreal w = length(p.goalWidth, p.width, own.width()) * p.scaleX / 100.0;
  qreal h = length(p.goalHeight, p.height, own.height()) * p.scaleY / 100.0;
  if (w <= 0 || h <= 0) return {};
  const qreal shrink = std::min({1.0, kMaxPictureWidth / w, kMaxPictureHeight / h});
  return QSizeF(std::clamp(w * shrink, 1.0, kMaxPictureWidth), std::clamp(h * shrink, 1.0, kMaxPictureHeight));
}

// Decodes a PNG or JPEG picture at no more than `drawn` pixels, or gives a
// null image.
QImage Decode(const Picture& p, QSize& own) {
  if (p.kind == Picture::Kind::Other || p.data.empty()) return {};
  QByteArray data = QByteArray::fromRawData(p.data.data(), static_cast<qsizetype>(p.data.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, p.kind == Picture::Kind::Png ? "png" : "jpeg");
  reader.setDecideFormatFromContent(false);
  own = reader.size();
  if (!own.isValid() || own.isEmpty() || qint64{own.width()} * own.height() > kMaxDecodedPixels) return {};
  const QSizeF drawn = DrawnSize(p, own);
  if (drawn.isEmpty()) return {};
  const QSize target = drawn.toSize().boundedTo(own);
  if (target != own) reader.setScaledSize(target);
  return reader.read();
}

class FrameHandler final : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  using QObject::QObject;
  QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
    return QSizeF(format.doubleProperty(QTextFormat::ImageWidth), format.doubleProperty(QTextFormat::ImageHeight));
  }
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat&) override {
    painter->save();
    painter->setPen(QPen(QColor(160, 160, 160), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter->restore();
  }
};

struct CharPropsHash {
  size_t operator()(const CharProps& c) const {
    return qHashMulti(0, c.font, c.halfPoints, c.foreground, c.background, c.bold, c.italic, c.strike, c.hidden,
                      static_cast<int>(c.underline), static_cast<int>(c.script));
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
// empty paragraph behind. Runs in one format go in with one insertion:
// each insertion costs a look-up in the document's fragments, more than
// the characters do.
class DocumentSink final : public Sink {
 public:
  DocumentSink(QTextDocument& doc, const std::function<void(int)>& afterParagraph)
      : cursor_(&doc), afterParagraph_(afterParagraph) {}

  void Text(std::u16string_view text, const CharProps& chars, const Tables& tables) override {
    const Cached& f = Format(chars, tables);
    const QStringView view(text.data(), static_cast<qsizetype>(text.size()));
    if (!runs_.empty() && runs_.back().id == f.id)
      runs_.back().text += view;
    else
      runs_.push_back({view.toString(), f.format, f.id});
  }

  void EndParagraph(const ParaProps& para, const CharProps& chars, const Tables& tables) override {
    WriteParagraph(para, chars, tables);
  }

  void PictureAt(const Picture& picture, const CharProps& chars, const Tables& tables) override {
    QSize own;
    const QImage image = Decode(picture, own);
    QSizeF size = DrawnSize(picture, own);
    if (size.isEmpty()) size = QSizeF(32, 32);  // a frame of no known size
    const QString mark(QChar::ObjectReplacementCharacter);
    if (!image.isNull()) {
      QTextImageFormat f;
      f.merge(Format(chars, tables).format);
      const QString name = QStringLiteral("tambril-picture:%1").arg(++pictures_);
      cursor_.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
      f.setName(name);
      f.setWidth(size.width());
      f.setHeight(size.height());
      runs_.push_back({mark, f, nextId_++});
    } else {
      QTextCharFormat f = Format(chars, tables).format;
      f.setObjectType(kPictureFrame);
      f.setProperty(QTextFormat::ImageWidth, size.width());
      f.setProperty(QTextFormat::ImageHeight, size.height());
      runs_.push_back({mark, f, nextId_++});
    }
  }

  void Finish(const ParaProps& para, const CharProps& chars, const Tables& tables) override {
    if (!runs_.empty() || firstBlock_) WriteParagraph(para, chars, tables);
    Flush();
  }

 private:
  struct Run {
    QString text;
    QTextCharFormat format;
    quint64 id = 0;  // equal ids: equal formats
  };
  struct Cached {
    QTextCharFormat format;
    quint64 id = 0;
  };

  void WriteParagraph(const ParaProps& para, const CharProps& chars, const Tables& tables) {
    if (!(para == lastPara_) || !haveBlockFormat_) {
      blockFormat_ = ToBlockFormat(para);
      lastPara_ = para;
      haveBlockFormat_ = true;
    }
    const Cached& mark = Format(chars, tables);
    if (firstBlock_) {
      // The document's one empty block.
      cursor_.setBlockFormat(blockFormat_);
      cursor_.setBlockCharFormat(mark.format);
      firstBlock_ = false;
    } else if (blocks_ >= kMaxBlocks && blockLength_ < kJoinedLength) {
      // A line break of its own: thousands of them in one insertion make a
      // paragraph that the text box takes minutes to lay out.
      Flush();
      cursor_.insertText(QString(QChar::LineSeparator), mark.format);
      ++blockLength_;
    } else {
      Flush();
      cursor_.insertBlock(blockFormat_, mark.format);
      ++blocks_;
      blockLength_ = 0;
    }
    for (Run& run : runs_) {
      blockLength_ += run.text.size();
      Add(std::move(run));
    }
    runs_.clear();
    if (afterParagraph_) afterParagraph_(cursor_.position() + static_cast<int>(waiting_.text.size()));
  }

  // Text after the cursor's position, not yet inserted.
  void Add(Run run) {
    if (waiting_.id != run.id) {
      Flush();
      waiting_ = std::move(run);
    } else {
      waiting_.text += run.text;
    }
  }
  void Flush() {
    if (!waiting_.text.isEmpty()) cursor_.insertText(waiting_.text, waiting_.format);
    waiting_ = Run{};
  }

  // Documents switch between a handful of formats; building a format and
  // having the document look it up again costs more than the parsing.
  const Cached& Format(const CharProps& chars, const Tables& tables) {
    if (tables.version != formatsVersion_ || formats_.size() > 4096) {
      formats_.clear();
      formatsVersion_ = tables.version;
    }
    auto [it, added] = formats_.try_emplace(chars);
    if (added) it->second = {ToCharFormat(chars, tables), nextId_++};
    return it->second;
  }

  QTextCursor cursor_;
  const std::function<void(int)>& afterParagraph_;
  int pictures_ = 0;
  bool firstBlock_ = true;
  int blocks_ = 1;
  qsizetype blockLength_ = 0;  // characters of the last block
  std::vector<Run> runs_;      // of the open paragraph
  Run waiting_;
  quint64 nextId_ = 1;
  std::unordered_map<CharProps, Cached, CharPropsHash> formats_;
  int formatsVersion_ = -1;
  ParaProps lastPara_;
  bool haveBlockFormat_ = false;
  QTextBlockFormat blockFormat_;
};

}  // namespace

void LoadRtf(QByteArrayView rtf, QTextDocument& doc, const std::function<void(int)>& afterParagraph) {
  const bool undo = doc.isUndoRedoEnabled();
  doc.setUndoRedoEnabled(false);  // a load is not an edit the user can take back
  const std::string_view bytes(rtf.data(), static_cast<size_t>(rtf.size()));
  if (!LooksLikeRtf(bytes)) {
    doc.setPlainText(RtfToPlainText(rtf));
  } else {
    // Emptying the document inside the edit block makes the whole load one
    // change from an empty document, which a text box's layout then does
    // lazily instead of at once.
    QTextCursor batch(&doc);
    batch.beginEditBlock();
    doc.clear();
    DocumentSink sink(doc, afterParagraph);
    Parse(bytes, sink);
    batch.endEditBlock();
  }
  doc.setUndoRedoEnabled(undo);
}

QList<CellBox> TableCellsOf(const QTextBlockFormat& block) {
  QList<CellBox> cells;
  const QVariant v = block.property(kCellsProperty);
  if (!v.isValid()) return cells;
  const QList<double> values = v.value<QList<double>>();
  for (qsizetype i = 0; i + kCellValues <= values.size(); i += kCellValues) {
    CellBox c;
    c.left = values[i];
    c.right = values[i + 1];
    if (values[i + 2] >= 0) c.shading = QColor::fromRgb(static_cast<QRgb>(values[i + 2]));
    for (int side = 0; side < 4; ++side) {
      c.width[side] = values[i + 3 + 2 * side];
      c.color[side] = QColor::fromRgb(static_cast<QRgb>(values[i + 4 + 2 * side]));
    }
    cells.append(c);
  }
  return cells;
}

void DrawTableCells(QPainter& painter, QTextDocument& doc, const QRectF& area, bool shading) {
  QAbstractTextDocumentLayout* layout = doc.documentLayout();
  // From the first block in sight to the last; blocks are in order of height.
  const int first = layout->hitTest(area.topLeft(), Qt::FuzzyHit);
  for (QTextBlock block = doc.findBlock(std::max(first, 0)); block.isValid(); block = block.next()) {
    const QRectF r = layout->blockBoundingRect(block);
    if (r.top() > area.bottom()) break;
    const QTextBlockFormat f = block.blockFormat();
    const QList<CellBox> cells = TableCellsOf(f);
    const qreal x0 = r.left() + f.leftMargin();
    for (const CellBox& c : cells) {
      const QRectF cell(x0 + c.left, r.top(), c.right - c.left, r.height());
      if (shading) {
        if (c.shading.isValid()) painter.fillRect(cell, c.shading);
        continue;
      }
      const qreal* w = c.width;
      if (w[0] > 0) painter.fillRect(QRectF(cell.left(), cell.top(), cell.width(), w[0]), c.color[0]);
      if (w[1] > 0) painter.fillRect(QRectF(cell.left(), cell.top(), w[1], cell.height()), c.color[1]);
      if (w[2] > 0) painter.fillRect(QRectF(cell.left(), cell.bottom() - w[2], cell.width(), w[2]), c.color[2]);
      if (w[3] > 0) painter.fillRect(QRectF(cell.right() - w[3], cell.top(), w[3], cell.height()), c.color[3]);
    }
  }
}

void RegisterPictureFrames(QTextDocument& doc) {
  auto* handler = new FrameHandler(&doc);
  doc.documentLayout()->registerHandler(kPictureFrame, handler);
}

QString RtfToPlainText(QByteArrayView rtf) {
  return QString::fromStdString(PlainText(std::string_view(rtf.data(), static_cast<size_t>(rtf.size()))));
}

}  // namespace tambril::rtf

#include "rtf_reader.moc"
