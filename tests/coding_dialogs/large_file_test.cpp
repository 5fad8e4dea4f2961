// A file of more than 2 GiB through both chains, with a timer on the window
// thread that must keep ticking while the passes run. Takes a minute and
// about 6.5 GB of disk, so it runs only when TAMBRIL_LARGE_FILE_TESTS is set.
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTimer>
#include <iostream>

#include "tests/coding_dialogs/coding_test.h"
#include "widget_kit/text_rules.h"

namespace tambril::test {
namespace {

QByteArray Sha256(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&f);
  return hash.result();
}

// The longest time the window thread went without a tick, in milliseconds,
// while `during` ran; also how many ticks there were.
struct Responsiveness {
  qint64 longestGap = 0;
  int ticks = 0;
  qint64 total = 0;
};

Responsiveness Measure(const std::function<void()>& during) {
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  Responsiveness r;
  QTimer ticker;
  ticker.setInterval(20);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    r.longestGap = std::max(r.longestGap, now - last);
    last = now;
    ++r.ticks;
  });
  ticker.start();
  during();
  r.total = clock.elapsed();
  return r;
}

// What a bar that starts at 1 shows for a pass over `count` bytes with `plan`.
QList<int> BarChanges(const codec::ProgressPlan& plan, std::uint64_t count) {
  QList<int> changes;
  int shown = 1;
  const codec::ProgressFn show = [&](int value) {
    if (value != shown) changes << value;
    shown = value;
  };
  plan.start(show);
  plan.advance(0, count, show);
  plan.finish(show);
  return changes;
}

class LargeFileTest : public CodingTest {};

TEST_F(LargeFileTest, MoreThanTwoGibibytesThroughTheWindowsWithoutFreezing) {
  if (qEnvironmentVariableIsEmpty("TAMBRIL_LARGE_FILE_TESTS")) GTEST_SKIP() << "set TAMBRIL_LARGE_FILE_TESTS to run";
  const qint64 size = (qint64{2} << 30) + 7;  // beyond 31 bits, not a multiple of 15
  {
    QDir().mkpath(tempPath("gross"));
    QFile f(tempPath("gross/daten.bin"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray block = Random(1 << 20, 99);
    for (qint64 done = 0; done < size; done += block.size()) {
      ASSERT_GT(f.write(block.constData(), std::min<qint64>(block.size(), size - done)), 0);
    }
  }
  const QByteArray original = Sha256(tempPath("gross/daten.bin"));
  load("gross/daten.bin");
  ASSERT_EQ(model.loaded()->size, static_cast<std::uint64_t>(size));
  ASSERT_EQ(loadedSize(), size);

  QSignalSpy encodeBar(Control<QProgressBar>(encode, "ProgressBar1"), &QProgressBar::valueChanged);
  const Responsiveness enc = Measure([&] {
    WhenModal<Selpr6>([](Selpr6& d) {
      WhenModal<Form2>([](Form2& f) {
        Control<QLineEdit>(f, "Text1")->setText("Grosse Datei");
        Control<QLineEdit>(f, "Text2")->setText("Grosse Datei");
        Control<QPushButton>(f, "Command1")->click();
      });
      Control<QPushButton>(d, "Command1")->click();
    });
    Control<QAction>(main, "Code_AN")->trigger();
  });
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(QFileInfo(tempPath("gross/daten.tmb")).size(), size + 21);
  EXPECT_EQ(Values(encodeBar), BarChanges(codec::ProgressPlan::ForEncode(size), size));

  QDir().mkpath(tempPath("zurueck"));
  QFile::rename(tempPath("gross/daten.tmb"), tempPath("zurueck/daten.tmb"));
  QFile::remove(tempPath("gross/daten.bin"));
  load("zurueck/daten.tmb");
  QSignalSpy decodeBar(Control<QProgressBar>(decode, "ProgressBar1"), &QProgressBar::valueChanged);
  const Responsiveness dec = Measure([&] {
    WhenModal<Form3>([](Form3& f) {
      Control<QLineEdit>(f, "Text1")->setText("Grosse Datei");
      WhenModal<Selpr6>([](Selpr6& d) {
        WhenModal<Form4>([](Form4& g) { Control<QPushButton>(g, "Command1")->click(); });
        Control<QPushButton>(d, "Command1")->click();
      });
      Control<QPushButton>(f, "Command1")->click();
    });
    Control<QAction>(main, "Code_Aus")->trigger();
  });
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(QFileInfo(tempPath("zurueck/daten.bin")).size(), size);
  EXPECT_EQ(Sha256(tempPath("zurueck/daten.bin")), original);
  EXPECT_EQ(Values(decodeBar), BarChanges(codec::ProgressPlan::ForDecode(size + 21), size));
  // The window thread kept running: many ticks, no long gap.
  EXPECT_GT(enc.ticks, 10);
  EXPECT_GT(dec.ticks, 10);
  std::cout << "encode: " << enc.total << " ms, " << enc.ticks << " ticks, longest gap " << enc.longestGap
            << " ms\ndecode: " << dec.total << " ms, " << dec.ticks << " ticks, longest gap " << dec.longestGap
            << " ms\n";
}

}  // namespace
}  // namespace tambril::test
