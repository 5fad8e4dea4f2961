// A count search ("Alles durchsuchen") through the real search dialog over a
// 64 MiB text in the viewer, on the offscreen platform; the message box is
// recorded instead of shown. Cases: a word in every line ignoring case, the
// same with match case and whole words, and a single letter that occurs
// millions of times (the cost per match); and a letter in 2 MiB of RTF shown
// formatted, with short and with long paragraphs. Run by hand:
//   build/bin/gui_search_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <random>

#include "bench/gui/words.h"
#include "main_window/program.h"
#include "tests/platform/controls.h"
#include "tests/platform/recording_platform.h"
#include "viewer/form5.h"
#include "viewer/form8.h"

namespace {

using namespace tambril;

constexpr qint64 kBytes = qint64{64} << 20;

// German-looking lines of about 60 characters with CR LF, as the load bench writes them.
QByteArray Text() {
  static const QByteArray text = [] {
    std::mt19937 random(42);
    QByteArray out;
    out.reserve(kBytes + 128);
    while (out.size() < kBytes) {
      QByteArray line;
      while (line.size() < 60) line += QByteArray(bench::kWords[random() % 10]) + ' ';
      out += line + "\r\n";
    }
    out.truncate(kBytes);
    return out;
  }();
  return text;
}

void CountSearch(benchmark::State& state, const char* word, bool matchCase, bool wholeWord) {
  platform::RecordingPlatform rec;
  Program program(rec);
  Form8& viewer = program.viewer();
  tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")->loadPlain(Text());
  Form5& search = viewer.searchDialog();
  tambril::test::FindControl<QLineEdit>(search, "Text1")->setText(QString::fromLatin1(word));
  tambril::test::FindControl<QCheckBox>(search, "Check1")->setChecked(matchCase);
  tambril::test::FindControl<QCheckBox>(search, "Check2")->setChecked(wholeWord);
  tambril::test::FindControl<QCheckBox>(search, "Check3")->setChecked(true);
  for (auto _ : state) {
    search.Command1_Click();
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
  state.SetLabel(rec.messages.empty() ? std::string("no message") : rec.messages.back().text.toStdString());
}

// A formatted text: 2 MiB of RTF with paragraphs of about 60 or 6000
// characters, counting the letter "e"; and 64 MiB of RTF in one paragraph,
// counting a word.
void CountRich(benchmark::State& state, int linesPerParagraph, qint64 bytes = 2 << 20, const char* word = "e") {
  platform::RecordingPlatform rec;
  Program program(rec);
  QByteArray rtf = "{\\rtf1\\ansi ";
  const QByteArray text = Text().left(bytes);
  int line = 0;
  for (const QByteArray& l : text.split('\n')) {
    rtf += l.trimmed() + (++line % linesPerParagraph == 0 ? "\\par\n" : " ");
  }
  rtf += "}";
  Form8& viewer = program.viewer();
  tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")->loadRtf(rtf);
  tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")->waitForWholeText();
  Form5& search = viewer.searchDialog();
  tambril::test::FindControl<QLineEdit>(search, "Text1")->setText(QString::fromLatin1(word));
  tambril::test::FindControl<QCheckBox>(search, "Check3")->setChecked(true);
  for (auto _ : state) search.Command1_Click();
  state.SetLabel(rec.messages.empty() ? std::string("no message") : rec.messages.back().text.toStdString());
}

void BM_CountRichShortParagraphs(benchmark::State& s) { CountRich(s, 1); }
void BM_CountRichLongParagraphs(benchmark::State& s) { CountRich(s, 100); }
void BM_CountRichOneParagraph64MiB(benchmark::State& s) { CountRich(s, 1 << 30, kBytes, "kennwort"); }
BENCHMARK(BM_CountRichShortParagraphs)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CountRichOneParagraph64MiB)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CountRichLongParagraphs)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CountWordIgnoringCase(benchmark::State& s) { CountSearch(s, "kennwort", false, false); }
void BM_CountWordMatchCaseWholeWord(benchmark::State& s) { CountSearch(s, "Kennwort", true, true); }
void BM_CountFrequentLetter(benchmark::State& s) { CountSearch(s, "e", false, false); }
void BM_CountAbsentWord(benchmark::State& s) { CountSearch(s, "Passwort", false, false); }

BENCHMARK(BM_CountWordIgnoringCase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CountWordMatchCaseWholeWord)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CountFrequentLetter)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CountAbsentWord)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
