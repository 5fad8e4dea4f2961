// Feeds arbitrary bytes to the RTF reader through all of its outputs (the
// document, the plain text and the plain text of a stream read a few bytes
// at a time) and checks that they agree on the text.
#include <QGuiApplication>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "viewer/rtf/rtf_parser.h"
#include "viewer/rtf/rtf_reader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const QByteArrayView rtf(data, static_cast<qsizetype>(size));
  const QString plain = tambril::rtf::RtfToPlainText(rtf);
  QTextDocument doc;
  tambril::rtf::LoadRtf(rtf, doc);
  qsizetype at = 0;
  std::string streamed;
  tambril::rtf::StreamPlainText(
      [&](char* to, qsizetype max) {
        const qsizetype n = std::min<qsizetype>({max, 7, rtf.size() - at});
        std::copy_n(rtf.data() + at, n, to);
        at += n;
        return n;
      },
      [&](std::string_view piece) { streamed += piece; });
  if (streamed != plain.toStdString()) {
    std::fprintf(stderr, "stream and plain text differ\n");
    std::abort();
  }
  if (tambril::rtf::LooksLikeRtf(rtf)) {
    QString shown = doc.toRawText();
    shown.remove(QChar::ObjectReplacementCharacter);  // pictures are not text
    shown.replace(QChar::ParagraphSeparator, u'\n');
    shown.replace(QChar::LineSeparator, u'\n');
    if (shown != plain) {
      std::fprintf(stderr, "document and plain text differ:\n%s\n---\n%s\n", qPrintable(shown), qPrintable(plain));
      std::abort();
    }
  }
  return 0;
}
