#include "terminal.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>

#include "cli/messages.h"
#include "cli/system.h"

namespace tambril::cli {
namespace {

constexpr int kBarWidth = 20;

// Atomic, as the jobs of a many-file run read them beside the handler
// (lock-free, so that a signal handler may write them).
std::atomic<int> g_pendingSignal{0};
std::atomic<int> g_inPass{0};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void SetInPass(bool inPass) {
  if (inPass) g_pendingSignal = 0;
  g_inPass = inPass ? 1 : 0;
}

int PendingSignal() { return g_pendingSignal; }

bool NoteSignalInPass(int signal) {
  if (!g_inPass) return false;
  g_pendingSignal = signal;
  return true;
}

bool SignalPending() { return PendingSignal() != 0; }

PassMonitor::PassMonitor(std::string label, bool showBar)
    : label_(std::move(label)), bar_(showBar && StderrIsTerminal()) {
  SetInPass(true);
}

PassMonitor::~PassMonitor() {
  SetInPass(false);
  if (drawn_) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }
}

void PassMonitor::report(int value) {
  // The pass reports 1 once more after its target is complete; a signal
  // must not undo a finished file, so only earlier reports stop the pass.
  const bool finished = started_ && value == 1;
  started_ = true;
  if (!finished) checkpoint();
  if (bar_ && !finished) draw(value);
}

void PassMonitor::checkpoint() {
  const int signal = PendingSignal();
  if (signal == 0) return;
  HandOverOpenHandles();
  throw Interrupted{signal};
}

void PassMonitor::draw(int value) {
  const int filled = value < 0 ? 0 : value > kBarWidth ? kBarWidth : value;
  std::string line = "\r" + label_ + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] " + std::to_string(filled * 100 / kBarWidth) + "%";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = true;
}

std::string BytesOfTotal(std::uint64_t done, std::uint64_t total) {
  static constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  double scale = 1;
  while (unit + 1 < std::size(kUnits) && total >= scale * 1024) {
    scale *= 1024;
    ++unit;
  }
  char text[96];
  if (unit == 0) {
    std::snprintf(text, sizeof text, "%llu %s %llu bytes", static_cast<unsigned long long>(done),
                  Text(Msg::OfWord).data(), static_cast<unsigned long long>(total));
  } else {
    std::snprintf(text, sizeof text, "%.1f %s %.1f %s", static_cast<double>(done) / scale, Text(Msg::OfWord).data(),
                  static_cast<double>(total) / scale, kUnits[unit]);
  }
  return text;
}

RunBar::RunBar(std::size_t files, std::uint64_t bytes, bool show)
    : files_(files), bytes_(bytes), show_(show && StderrIsTerminal()) {}

RunBar::~RunBar() { clear(); }

void RunBar::draw(std::size_t filesDone, std::uint64_t bytesDone) {
  if (!show_) return;
  filesDone = std::min(filesDone, files_);
  bytesDone = std::min(bytesDone, bytes_);
  // Bytes fill the bar; a run of empty files is counted by its files.
  const double part = bytes_ > 0   ? static_cast<double>(bytesDone) / static_cast<double>(bytes_)
                      : files_ > 0 ? static_cast<double>(filesDone) / static_cast<double>(files_)
                                   : 1.0;
  const int filled = static_cast<int>(part * kBarWidth);
  std::string line = "[";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] " + std::to_string(filesDone) + "/" + std::to_string(files_) + " " + std::string(Text(Msg::FilesWord)) +
          ", " + BytesOfTotal(bytesDone, bytes_);
  if (drawn_ && line == last_) return;
  std::fputs(("\r\033[K" + line).c_str(), stderr);
  std::fflush(stderr);
  last_ = std::move(line);
  drawn_ = true;
}

void RunBar::clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void RunBar::finish() {
  if (!show_) return;
  draw(files_, bytes_);
  std::fputs("\n", stderr);
  std::fflush(stderr);
  drawn_ = false;
  show_ = false;
}

}  // namespace tambril::cli
