// Reading 10 MiB of RTF: parsing alone (the plain text, without Qt), building a
// QTextDocument, building one that has a layout as a text box's has, and
// laying all of it out.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>

#include "rtf/rtf_plain_text.h"
#include "viewer/rtf/rtf_reader.h"

namespace {

constexpr qsizetype kTarget = 10 * 1024 * 1024;

QByteArray Header() {
  return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New "
         "Roman;}{\\f2\\fmodern Courier New;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0"
         "\\blue255;}\\viewkind4\\uc1\\pard\\f0\\fs20\r\n";
}

// Text as word processors write it: paragraphs of prose with a few
// formatted words, escapes, a table row now and then and a picture.
QByteArray Prose() {
  QByteArray rtf = Header();
  const QByteArray paragraph =
      "\\pard\\sa200\\sl276\\slmult1\\qj Die {\\b Fahrkarte} kostete 23 \\u8364? und war "
      "{\\i g\\'fcnstig}, sagte der {\\cf1 Schaffner} am Bahnsteig in K\\'f6ln. Danach fuhr der "
      "Zug \\endash  p\\'fcnktlich wie immer \\endash  weiter nach {\\f1\\fs24 Bremen}.\\par\r\n";
  const QByteArray row = "\\trowd\\cellx2000\\cellx4000\\pard\\intbl Stadt\\cell Tage\\cell\\row\\pard\r\n";
  QByteArray picture = "{\\pict\\pngblip\\picw64\\pich64 ";
  for (int i = 0; i < 64; ++i) picture += QByteArray(128, 'a') + "\r\n";
  picture += "}\\par\r\n";
  for (int i = 0; rtf.size() < kTarget; ++i) {
    rtf += paragraph;
    if (i % 10 == 0) rtf += row;
    if (i % 500 == 0) rtf += picture;
  }
  return rtf + "}";
}

// The worst sensible case for batching: every word in a new format.
QByteArray FormatHeavy() {
  QByteArray rtf = Header();
  for (int i = 0; rtf.size() < kTarget; ++i) {
    rtf += "{\\b" + QByteArray::number(i % 2) + "\\cf" + QByteArray::number(i % 3) + "\\fs" +
           QByteArray::number(16 + i % 8) + " word} ";
    if (i % 20 == 19) rtf += "\\par\r\n";
  }
  return rtf + "}";
}

void Run(benchmark::State& state, const QByteArray& rtf, int mode) {
  for (auto _ : state) {
    if (mode == 0) {
      benchmark::DoNotOptimize(tambril::rtf::PlainText(std::string_view(rtf.data(), rtf.size())));
    } else {
      QTextDocument doc;
      if (mode >= 2) doc.documentLayout();  // as inside a text box
      tambril::rtf::LoadRtf(rtf, doc);
      if (mode == 3) benchmark::DoNotOptimize(doc.size());  // the whole layout
      benchmark::DoNotOptimize(doc.characterCount());
    }
  }
  state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_ProseParseOnly(benchmark::State& s) {
  static const QByteArray r = Prose();
  Run(s, r, 0);
}
void BM_ProseDocument(benchmark::State& s) {
  static const QByteArray r = Prose();
  Run(s, r, 1);
}
void BM_ProseWithLayout(benchmark::State& s) {
  static const QByteArray r = Prose();
  Run(s, r, 2);
}
void BM_ProseLaidOut(benchmark::State& s) {
  static const QByteArray r = Prose();
  Run(s, r, 3);
}
void BM_FormatHeavyParseOnly(benchmark::State& s) {
  static const QByteArray r = FormatHeavy();
  Run(s, r, 0);
}
void BM_FormatHeavyDocument(benchmark::State& s) {
  static const QByteArray r = FormatHeavy();
  Run(s, r, 1);
}

BENCHMARK(BM_ProseParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProseDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProseWithLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProseLaidOut)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FormatHeavyParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatHeavyDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
