#pragma once
// The ways the end of the program is asked for from outside the program:
// the termination signals and the end of the desktop session.
#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tambril {

// While it exists, SIGTERM, SIGINT and SIGHUP and the end of the desktop
// session end the program through `terminate`, on the user-interface thread
// (the signal handler only writes to a pipe). The previous signal handling
// comes back when it is destroyed. One at a time.
class TerminationHandling : public QObject {
  Q_OBJECT

 public:
  explicit TerminationHandling(std::function<void()> terminate);
  ~TerminationHandling() override;
  TerminationHandling(const TerminationHandling&) = delete;
  TerminationHandling& operator=(const TerminationHandling&) = delete;

#ifdef Q_OS_UNIX
  // The signals that end the program.
  static const int kSignals[3];
#endif

 private:
  void readSignal();
  std::function<void()> terminate_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool terminated_ = false;
};

}  // namespace tambril
