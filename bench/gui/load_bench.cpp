// gui_load_bench KIND [MiB] [folder]
// Writes a file of the given kind, loads it through the file dialog's
// "ÖFFNEN" into the real windows on the offscreen platform, and prints the
// time until the main window shows the record, the time to paint the viewer
// with it, the longest time the window thread then went without its 20 ms
// timer tick while the viewer finishes its work (3 s), the time until the
// whole text is there to search, a search that finds nothing, and the peak memory
// of the process above what it used before the load. Run each case in its
// own process, as run.sh does, so that the peak belongs to that case alone.
//
// `gui_load_bench show FILE` loads FILE the same way and leaves the viewer
// open on the screen. Kinds: text, binary (MiB of either); rtf (MiB of ordinary formatted
// paragraphs); fonts40k, fonts200k (that many names in the font table, each
// used once); emptypars (1 000 000 empty paragraphs); deep (100 000 nested
// groups around every paragraph of 1 MiB); bigpara (MiB of one paragraph);
// pictures (MiB of RTF that is mostly hex picture data).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <random>

#include "bench/gui/words.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "main_window/program.h"
#include "platform/qt_platform.h"
#include "session/session.h"
#include "tests/platform/controls.h"
#include "viewer/form8.h"

namespace {

// A field of /proc/self/status in KiB (VmRSS, VmHWM).
long StatusKiB(const char* field) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith(field)) return line.mid(qstrlen(field) + 1).trimmed().split(' ').first().toLong();
  }
  return -1;
}

// Writes pieces from `next` until the file has `size` bytes; `next` gets the
// running byte count and returns the next piece (empty to stop early).
template <typename Next>
bool WritePieces(QFile& f, qint64 size, const QByteArray& head, const QByteArray& tail, Next next) {
  QByteArray chunk = head;
  qint64 written = 0;
  for (;;) {
    while (chunk.size() < (1 << 20)) {
      const QByteArray piece = next(written + chunk.size());
      if (piece.isEmpty() || written + chunk.size() + piece.size() + tail.size() > size) {
        chunk += tail;
        return f.write(chunk) == chunk.size();
      }
      chunk += piece;
    }
    if (f.write(chunk) != chunk.size()) return false;
    written += chunk.size();
    chunk.clear();
  }
}

bool WriteCase(const QString& path, const QString& kind, qint64 size) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  std::mt19937 random(42);
  const auto words = [&](int length) {
    QByteArray line;
    while (line.size() < length) line += QByteArray(bench::kWords[random() % 10]) + ' ';
    return line;
  };
  const QByteArray rtfHead =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\viewkind4\\uc1\\pard\\f0\\fs20\r\n";
  if (kind == "text") return WritePieces(f, size, {}, {}, [&](qint64) { return words(60) + "\r\n"; });
  if (kind == "binary") {
    return WritePieces(f, size, {}, {}, [&](qint64) {
      const auto v = random();
      return QByteArray(reinterpret_cast<const char*>(&v), sizeof v);
    });
  }
  if (kind == "rtf") {
    return WritePieces(f, size, rtfHead, "}", [&](qint64) {
      return "\\pard\\sa120\\qj " + words(150) + "{\\b " + words(20) + "}{\\i\\cf1 " + words(30) +
             "}\\'e4\\'f6 {\\f1\\fs24 " + words(80) + "}\\par\r\n";
    });
  }
  if (kind.startsWith("fonts")) {
    const int fonts = kind.mid(5).chopped(1).toInt() * 1000;
    QByteArray table = "{\\rtf1\\ansi{\\fonttbl";
    for (int i = 0; i < fonts; ++i)
      table += "{\\f" + QByteArray::number(i) + "\\fswiss Schrift" + QByteArray::number(i) + ";}";
    table += "}";
    for (int i = 0; i < fonts; ++i) table += "\\f" + QByteArray::number(i) + " x" + (i % 10 == 9 ? "\\par\r\n" : "");
    table += "}";
    return f.write(table) == table.size();
  }
  if (kind == "emptypars") {
    int left = 1000000;
    return WritePieces(f, qint64{1} << 40, "{\\rtf1\\ansi ", "}",
                       [&](qint64) { return left-- > 0 ? QByteArray("\\par\r\n") : QByteArray(); });
  }
  if (kind == "deep") {
    const QByteArray open(100000, '{'), close(100000, '}');
    return WritePieces(f, size, "{\\rtf1\\ansi ", "}",
                       [&](qint64) { return open + "\\b " + words(60) + close + "\\par\r\n"; });
  }
  if (kind == "bigpara") return WritePieces(f, size, rtfHead, "}", [&](qint64) { return words(200); });
  if (kind == "pictures") {
    return WritePieces(f, size, rtfHead, "}", [&](qint64) {
      QByteArray pict = "Bild: {\\pict\\pngblip\\picwgoal1440\\pichgoal1440 ";
      for (int i = 0; i < 4096; ++i) pict += "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\r\n";
      return pict + "} danach Text.\\par\r\n";
    });
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tambril::platform::QtPlatform desktop;
  tambril::Program program(desktop);
  const QStringList args = QApplication::arguments();
  const QStringList kinds = {"text",      "binary", "rtf",     "fonts40k", "fonts200k",
                             "emptypars", "deep",   "bigpara", "pictures"};
  if (args.size() == 3 && args[1] == "show") {
    // gui_load_bench show FILE: loads FILE through "ÖFFNEN" and leaves the
    // viewer open, for a look or a screenshot.
    const QFileInfo file(args[2]);
    Selpr6& dialog = program.fileDialog();
    Form8& viewer = program.viewer();
    tambril::test::FindControl<QPushButton>(dialog, "Command2")->setEnabled(true);
    tambril::test::FindControl<tambril::FolderList>(dialog, "Dir1")->setPath(file.absolutePath());
    tambril::test::FindControl<tambril::FileList>(dialog, "File1")
        ->setCurrentItem(tambril::test::FindControl<tambril::FileList>(dialog, "File1")
                             ->findItems(file.fileName(), Qt::MatchExactly)
                             .value(0));
    dialog.Command2_Click();
    viewer.show();
    return app.exec();
  }
  if (args.size() < 2 || !kinds.contains(args[1])) {
    std::fprintf(stderr, "usage: gui_load_bench %s [MiB] [folder]\n", qPrintable(kinds.join('|')));
    return 2;
  }
  const QString kind = args[1];
  const qint64 mib = args.size() > 2 ? args[2].toLongLong() : 64;
  QTemporaryDir temp(args.size() > 3 ? args[3] + "/gui-bench-XXXXXX" : QDir::tempPath() + "/gui-bench-XXXXXX");
  const bool rich = kind != "text" && kind != "binary";
  const QString name = QStringLiteral("big.") + (rich ? "rtf" : kind == "text" ? "txt" : "bin");
  if (!WriteCase(temp.filePath(name), kind, mib << 20)) {
    std::fprintf(stderr, "cannot write the file\n");
    return 1;
  }
  const double fileMiB = QFileInfo(temp.filePath(name)).size() / 1048576.0;

  Form1& main = program.mainWindow();
  Selpr6& dialog = program.fileDialog();
  Form8& viewer = program.viewer();
  main.show();
  viewer.show();  // so that the box has its real size
  QApplication::processEvents();
  tambril::test::FindControl<QPushButton>(dialog, "Command2")->setEnabled(true);
  tambril::test::FindControl<tambril::FolderList>(dialog, "Dir1")->setPath(temp.path());
  tambril::test::FindControl<tambril::FileList>(dialog, "File1")
      ->setCurrentItem(
          tambril::test::FindControl<tambril::FileList>(dialog, "File1")->findItems(name, Qt::MatchExactly).value(0));
  QApplication::processEvents();
  const long rssBefore = StatusKiB("VmRSS:");
  const long hwmBefore = StatusKiB("VmHWM:");

  // The window thread's 20 ms tick: the longest gap between two ticks.
  QElapsedTimer tick;
  qint64 longestGap = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, tick.restart()); });

  QElapsedTimer clock, sinceClick;
  clock.start();
  sinceClick.start();
  dialog.Command2_Click();
  main.repaint();
  const qint64 loadMs = clock.elapsed();
  if (!program.session().loaded()) {
    std::fprintf(stderr, "the load failed\n");
    return 1;
  }
  clock.restart();
  tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")->repaint();
  QApplication::processEvents();
  const qint64 paintMs = clock.elapsed();
  // What the viewer still does once it is shown (a layout in steps) must
  // leave the window thread free.
  tick.start();
  ticker.start(20);
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 3000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  ticker.stop();
  tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")
      ->textLength();  // waits for a formatted text still being read
  const qint64 wholeMs = sinceClick.elapsed();
  clock.restart();
  const qint64 found = tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")
                           ->locate(QStringLiteral("nirgends"), 0, 0);
  const qint64 findMs = clock.elapsed();

  const long hwm = StatusKiB("VmHWM:");
  const double grewMiB = (std::max(hwm, hwmBefore) - rssBefore) / 1024.0;
  std::printf(
      "%-9s %6.1f MiB  load+record %5lld ms  paint viewer %4lld ms  longest gap %4lld ms  whole text %5lld ms  find "
      "(miss) %5lld ms  "
      "peak above start %7.1f MiB (%.2fx file)  shown %s\n",
      qPrintable(kind), fileMiB, static_cast<long long>(loadMs), static_cast<long long>(paintMs),
      static_cast<long long>(longestGap), static_cast<long long>(wholeMs), static_cast<long long>(findMs), grewMiB,
      grewMiB / fileMiB,
      tambril::test::FindControl<tambril::RichTextBox>(viewer, "RichTextBox1")->isPlain() ? "plain" : "formatted");
  if (found >= 0) std::printf("  (unexpected match)\n");
  return 0;
}
