#pragma once
// What tambril-cli does with the terminal and with signals: typing without
// echo, the progress bar on stderr, and stopping a pass cleanly on Ctrl-C.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tambril::cli {

// Every signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGUSR1, SIGALRM ...) first switches the terminal's echo back on and then
// ends it at once, except while a pass runs: then it is noted, and the pass
// stops at its next block, so that its unfinished target is dropped. (An
// unnamed target vanishes even under SIGKILL; a hidden one, on file systems
// without unnamed files, is removed this way.) Ctrl-Z gives the terminal
// back as it was found before the program stops, and SIGCONT switches echo
// off again where it was off. On Windows the same holds for Ctrl-C and
// Ctrl-Break in the console (noted as SIGINT), and for the console's
// closing, logoff and shutdown (noted as SIGTERM).
void InstallSignalHandlers();

// Thrown from a progress report after a signal; carries the signal.
struct Interrupted {
  int signal;
};

// Whether a signal that ends the program came in during a pass; any thread
// may ask.
bool SignalPending();

// Ends the program by `signal` with its default action.
[[noreturn]] void DieOfSignal(int signal);

// Follows one pass: draws a bar from the progress values (20 at once for a
// short input, then 1..20, and 1 at the end) on stderr when it is a terminal,
// and throws Interrupted at a report or a checkpoint between blocks when a
// signal came in.
class PassMonitor {
 public:
  // Without `showBar` nothing is drawn (--quiet, or a many-file run with its
  // own bar).
  explicit PassMonitor(std::string label, bool showBar = true);
  ~PassMonitor();
  PassMonitor(const PassMonitor&) = delete;
  PassMonitor& operator=(const PassMonitor&) = delete;

  void report(int value);
  void checkpoint();

 private:
  void draw(int value);
  std::string label_;
  bool bar_;
  bool drawn_ = false;
  bool started_ = false;
};

// The one bar of a many-file run on stderr when it is a terminal: files done
// of the total, and bytes done of the total ("[#####...] 3/10 files, 1.5 of
// 4.0 MiB"). Lines printed meanwhile go above it: clear() before them,
// draw() after. finish() draws it full and ends its line, so that it stays.
class RunBar {
 public:
  RunBar(std::size_t files, std::uint64_t bytes, bool show);
  ~RunBar();
  RunBar(const RunBar&) = delete;
  RunBar& operator=(const RunBar&) = delete;

  bool shown() const { return show_; }
  void draw(std::size_t filesDone, std::uint64_t bytesDone);
  void clear();
  void finish();

 private:
  std::size_t files_;
  std::uint64_t bytes_;
  bool show_;
  bool drawn_ = false;
  std::string last_;
};

// "1.5 of 4.0 MiB": both amounts in the unit that suits the total.
std::string BytesOfTotal(std::uint64_t done, std::uint64_t total);

}  // namespace tambril::cli
