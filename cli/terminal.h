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

// Every signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGUSR1, SIGALRM ...) first switches the terminal's echo back on and then
// ends it at once, except while a pass runs: then it is noted, and the pass
// stops at its next block, so that its unfinished target is dropped. (An
// unnamed target vanishes even under SIGKILL; a hidden one, on file systems
// without unnamed files, is removed this way.)
void InstallSignalHandlers();

// Thrown from a progress report after a signal; carries the signal.
struct Interrupted {
  int signal;
};

// Ends the program by `signal` with its default action.
[[noreturn]] void DieOfSignal(int signal);

// Follows one pass: draws a bar from the progress values (20 at once for a
// short input, then 1..20, and 1 at the end) on stderr when it is a terminal,
// and throws Interrupted at a report or a checkpoint between blocks when a
// signal came in.
class PassMonitor {
 public:
  explicit PassMonitor(std::string label);
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

}  // namespace tambril::cli
