// gui_width_bench [MiB]
// Changes the viewer's width in steps with a large 8-bit text loaded, on the
// offscreen platform, and prints the milliseconds per step (resize and
// repaint of the viewer window): the median and the slowest of 60 steps
// between 300 and 900 pixels, at the start of the text and in its middle.
// Cases: ordinary lines of words; one line without any line end or space;
// nothing but line ends; one line of words without any line end.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "bench/gui/words.h"
#include "main_window/program.h"
#include "platform/qt_platform.h"
#include "tests/platform/controls.h"
#include "viewer/form8.h"
#include "viewer/plain_text_view.h"
#include "viewer/rich_text_box.h"

namespace {

QByteArray MakeCase(const char* kind, qint64 size) {
  if (qstrcmp(kind, "oneline") == 0) return QByteArray(size, 'x');
  if (qstrcmp(kind, "lineends") == 0) return QByteArray(size, '\n');
  QByteArray bytes;
  bytes.reserve(size + 256);
  std::mt19937 random(42);
  const bool lines = qstrcmp(kind, "text") == 0;
  qint64 lineLength = 0, target = 40 + random() % 80;
  while (bytes.size() < size) {
    const char* word = bench::kWords[random() % 10];
    bytes += word;
    lineLength += qstrlen(word) + 1;
    if (lines && lineLength >= target) {
      bytes += "\r\n";
      lineLength = 0;
      target = 40 + random() % 80;
    } else {
      bytes += ' ';
    }
  }
  bytes.truncate(size);
  return bytes;
}

// Milliseconds of each width step of the viewer window.
std::vector<double> Steps(Form8& viewer) {
  std::vector<double> ms;
  QElapsedTimer clock;
  for (int i = 0; i < 60; ++i) {
    const int width = i < 30 ? 900 - i * 20 : 300 + (i - 30) * 20;
    clock.start();
    viewer.resize(width, viewer.height());
    viewer.repaint();
    QApplication::processEvents();
    ms.push_back(clock.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tambril::platform::QtPlatform desktop;
  tambril::Program program(desktop);
  const qint64 mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
  Form8& viewer = program.viewer();
  viewer.resize(900, 600);
  viewer.show();
  QApplication::processEvents();
  tambril::RichTextBox& box = *tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1");
  for (const char* kind : {"text", "oneline", "lineends", "words"}) {
    QByteArray bytes = MakeCase(kind, mib << 20);
    const qint64 size = bytes.size();
    QElapsedTimer clock;
    clock.start();
    box.loadPlain(std::move(bytes));
    viewer.repaint();
    const double loadMs = clock.nsecsElapsed() / 1e6;
    const std::vector<double> top = Steps(viewer);
    box.select(size / 2, 1);
    const std::vector<double> middle = Steps(viewer);
    std::printf(
        "%-9s %6.1f MiB  load+paint %6.1f ms  width step: median %5.2f ms, slowest %5.2f ms (top); "
        "median %5.2f ms, slowest %5.2f ms (middle)  blocks laid out %lld\n",
        kind, size / 1048576.0, loadMs, top[top.size() / 2], top.back(), middle[middle.size() / 2], middle.back(),
        static_cast<long long>(box.plainView()->layoutsDone()));
    box.clear();
  }
  return 0;
}
