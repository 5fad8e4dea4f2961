// gui_load_bench text|binary [MiB] [folder]
// Writes a file of the given size (64 MiB unless told), loads it through the
// file dialog's "ÖFFNEN" into the real windows on the offscreen platform, and
// prints the time until the main window shows the record, the time to paint
// the viewer with it, and the peak memory of the process above what it used
// before the load. Run each case in its own process, as run.sh does, so that
// the peak belongs to that case alone.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/windows.h"
#include "viewer/form8.h"
#include "session/session.h"

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

bool WriteCase(const QString& path, bool text, qint64 size) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  std::mt19937 random(42);
  const QString words[] = {"Datei", "Kennwort", "codiert", "Größe", "und", "die", "der", "Ordner", "Tambril", "Text"};
  QByteArray chunk;
  for (qint64 written = 0; written < size; written += chunk.size()) {
    chunk.clear();
    while (chunk.size() < (1 << 20)) {
      if (text) {
        QString line;
        while (line.size() < 60) line += words[random() % 10] + ' ';
        chunk += line.toLatin1() + "\r\n";
      } else {
        const auto v = random();
        chunk.append(reinterpret_cast<const char*>(&v), sizeof v);
      }
    }
    chunk.truncate(std::min<qint64>(chunk.size(), size - written));
    if (f.write(chunk) != chunk.size()) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2 || (args[1] != "text" && args[1] != "binary")) {
    std::fprintf(stderr, "usage: gui_load_bench text|binary [MiB] [folder]\n");
    return 2;
  }
  const bool text = args[1] == "text";
  const qint64 mib = args.size() > 2 ? args[2].toLongLong() : 64;
  QTemporaryDir temp(args.size() > 3 ? args[3] + "/gui-bench-XXXXXX" : QDir::tempPath() + "/gui-bench-XXXXXX");
  const QString name = text ? QStringLiteral("big.txt") : QStringLiteral("big.bin");
  if (!WriteCase(temp.filePath(name), text, mib << 20)) {
    std::fprintf(stderr, "cannot write the file\n");
    return 1;
  }

  Form1& main = tambril::Windows::get<Form1>();
  Selpr6& dialog = tambril::Windows::get<Selpr6>();
  Form8& viewer = tambril::Windows::get<Form8>();
  main.show();
  viewer.show();  // so that the box has its real size
  QApplication::processEvents();
  dialog.Command2->setEnabled(true);
  dialog.Dir1->setPath(temp.path());
  dialog.File1->setCurrentItem(dialog.File1->findItems(name, Qt::MatchExactly).value(0));
  QApplication::processEvents();
  const long rssBefore = StatusKiB("VmRSS:");
  const long hwmBefore = StatusKiB("VmHWM:");

  QElapsedTimer clock;
  clock.start();
  dialog.Command2_Click();
  main.repaint();
  const qint64 loadMs = clock.elapsed();
  if (!tambril::session::Current().loaded()) {
    std::fprintf(stderr, "the load failed\n");
    return 1;
  }
  clock.restart();
  viewer.RichTextBox1->repaint();
  QApplication::processEvents();
  const qint64 paintMs = clock.elapsed();
  clock.restart();
  const qint64 found = viewer.RichTextBox1->find(QStringLiteral("nirgends"), 0, 0);
  const qint64 findMs = clock.elapsed();

  const long hwm = StatusKiB("VmHWM:");
  const double fileMiB = static_cast<double>(mib);
  const double grewMiB = (std::max(hwm, hwmBefore) - rssBefore) / 1024.0;
  std::printf("%-6s %4lld MiB  load+record %5lld ms  paint viewer %4lld ms  find (miss) %5lld ms  "
              "peak above start %7.1f MiB (%.2fx file)  peak total %7.1f MiB  record:%s%s\n",
              text ? "text" : "binary", static_cast<long long>(mib), static_cast<long long>(loadMs),
              static_cast<long long>(paintMs), static_cast<long long>(findMs), grewMiB, grewMiB / fileMiB,
              hwm / 1024.0, qPrintable(main.Label1->text()), found < 0 ? "" : " (unexpected match)");
  tambril::Windows::clear();
  return 0;
}
