#pragma once
// What tambril-cli does with the terminal and with signals: typing without
// echo, the progress bar on stderr, and stopping a pass cleanly on Ctrl-C.
#include <string>
#include <termios.h>

namespace tambril::cli {

// Switches echo off on a terminal for its lifetime; a signal that ends the
// program meanwhile switches it on again first.
class EchoOff {
 public:
  explicit EchoOff(int ttyFd);
  ~EchoOff();
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  bool active_ = false;
};

// SIGINT, SIGTERM and SIGHUP end the program at once, except while a pass
// runs: then they are noted and the pass stops at its next progress report,
// so that its unfinished target is removed.
void InstallSignalHandlers();

// Thrown from a progress report after a signal; carries the signal.
struct Interrupted {
  int signal;
};

// Ends the program by `signal` with its default action.
[[noreturn]] void DieOfSignal(int signal);

// Follows one pass: draws a bar from the progress values (20 at once for a
// short input, then 1..20, and 1 at the end) on stderr when it is a terminal,
// and throws Interrupted at a report when a signal came in.
class PassMonitor {
 public:
  explicit PassMonitor(std::string label);
  ~PassMonitor();
  PassMonitor(const PassMonitor&) = delete;
  PassMonitor& operator=(const PassMonitor&) = delete;

  void report(int value);

 private:
  void draw(int value);
  std::string label_;
  bool bar_;
  bool drawn_ = false;
  bool started_ = false;
};

}  // namespace tambril::cli
