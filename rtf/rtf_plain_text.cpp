#include "rtf_plain_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/cp1252.h"

namespace tambril::rtf {
namespace {

using Index = std::ptrdiff_t;

// UTF-8 built in a buffer that only ever grows, so that appending costs
// neither a fill of new room nor a check per byte.
class Utf8Buffer {
 public:
  std::string_view view() const { return std::string_view(bytes_.data(), used_); }
  size_t size() const { return used_; }
  void clear() { used_ = 0; }
  void push(char c) {
    *room(1) = c;
    ++used_;
  }

  // Appends UTF-16 text; a forced line break becomes '\n', a surrogate
  // without its partner U+FFFD.
  void append(std::u16string_view text) {
    char* const start = room(3 * text.size());
    char* p = start;
    for (size_t i = 0; i < text.size(); ++i) {
      // Most text is ASCII: four units at a time while they are.
      while (i + 4 <= text.size()) {
        std::uint64_t four;
        std::memcpy(&four, text.data() + i, sizeof four);
        if (four & 0xFF80FF80FF80FF80u) break;
        p[0] = static_cast<char>(text[i]);
        p[1] = static_cast<char>(text[i + 1]);
        p[2] = static_cast<char>(text[i + 2]);
        p[3] = static_cast<char>(text[i + 3]);
        p += 4;
        i += 4;
      }
      if (i == text.size()) break;
      char32_t c = text[i];
      if (c < 0x80) {
        *p++ = static_cast<char>(c);
        continue;
      }
      if (c < 0x800) {
        *p++ = static_cast<char>(0xC0 | c >> 6);
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
        continue;
      }
      if (c == kLineSeparator) {
        *p++ = '\n';
        continue;
      }
      if (IsHighSurrogate(static_cast<char16_t>(c)) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        *p++ = static_cast<char>(0xF0 | c >> 18);
        *p++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
        continue;
      }
      if (IsSurrogate(static_cast<char16_t>(c))) c = 0xFFFD;
      *p++ = static_cast<char>(0xE0 | c >> 12);
      *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
      *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    used_ += static_cast<size_t>(p - start);
  }

  std::string take() {
    bytes_.resize(used_);
    used_ = 0;
    return std::move(bytes_);
  }

 private:
  char* room(size_t n) {
    if (bytes_.size() - used_ < n) bytes_.resize(std::max(2 * bytes_.size(), used_ + n));
    return bytes_.data() + used_;
  }
  std::string bytes_;
  size_t used_ = 0;
};

// The text alone; with `write` given it is handed over in pieces as it
// grows, through a buffer that is reused, so that memory stays bounded
// whatever the length.
class PlainTextSink final : public Sink {
 public:
  explicit PlainTextSink(const std::function<void(std::string_view)>* write = nullptr) : write_(write) {}

  void Text(std::u16string_view text, const CharProps&, const Tables&) override {
    if (paragraphEnded_) out_.push('\n');
    paragraphEnded_ = false;
    out_.append(text);
    if (write_ && out_.size() >= kPiece) Flush();
  }
  void EndParagraph(const ParaProps&, const CharProps&, const Tables&) override {
    if (paragraphEnded_) out_.push('\n');
    paragraphEnded_ = true;
  }
  void PictureAt(const Picture&, const CharProps& chars, const Tables& tables) override {
    Text({}, chars, tables);  // not shown, but it opens its paragraph
  }
  bool WantsPictures() const override { return false; }
  void Finish(const ParaProps&, const CharProps&, const Tables&) override {
    if (write_) Flush();
  }

  std::string Take() { return out_.take(); }

 private:
  static constexpr size_t kPiece = 1 << 16;
  void Flush() {
    if (out_.size() > 0) (*write_)(out_.view());
    out_.clear();
  }

  const std::function<void(std::string_view)>* write_;
  Utf8Buffer out_;
  bool paragraphEnded_ = false;
};

}  // namespace

std::string PlainText(std::string_view rtf) {
  if (!LooksLikeRtf(rtf)) return codec::Cp1252ToUtf8(rtf);
  PlainTextSink sink;
  Parse(rtf, sink);
  return sink.Take();
}

void StreamPlainText(const ReadFn& read, const std::function<void(std::string_view)>& write) {
  // The head decides whether this is RTF: read on through a byte order mark
  // and white space until the header's first bytes are there.
  constexpr Index kStep = 1 << 16;
  std::string head;
  bool ended = false;
  const auto headDecides = [&] {
    size_t i = head.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    return head.size() - i >= 5;
  };
  while (!ended && !headDecides()) {
    const size_t had = head.size();
    head.resize(had + kStep);
    const Index n = read(head.data() + had, kStep);
    head.resize(had + static_cast<size_t>(std::max<Index>(n, 0)));
    ended = n <= 0;
  }
  if (!LooksLikeRtf(head)) {
    std::vector<char> block(kStep);
    std::string utf8;
    for (std::string_view piece = head; !piece.empty();) {
      utf8.clear();
      codec::AppendCp1252AsUtf8(utf8, piece);
      write(utf8);
      const Index n = ended ? 0 : read(block.data(), kStep);
      ended = n <= 0;
      piece = std::string_view(block.data(), static_cast<size_t>(std::max<Index>(n, 0)));
    }
    return;
  }
  // The head first, then the rest of the stream.
  size_t served = 0;
  const ReadFn rest = [&](char* to, Index max) -> Index {
    if (served < head.size()) {
      const size_t n = std::min(static_cast<size_t>(max), head.size() - served);
      std::copy_n(head.data() + served, n, to);
      served += n;
      return static_cast<Index>(n);
    }
    return ended ? 0 : read(to, max);
  };
  PlainTextSink sink(&write);
  Parse(rest, sink);
}

}  // namespace tambril::rtf
