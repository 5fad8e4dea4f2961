#pragma once
// Shows what went wrong in a step of the chain, as the user meets it: a
// beep where it takes one, the message with its title over the window that
// asked, the busy pointers back to the arrow; after a device failure the
// file dialog goes back to the root (`placeLost`). The controller decides
// the failure, the windows hand it here; the program has one.
//
//   if (const Outcome done = chain.encode(...); !done) presenter.show(*done.failure, this);
#include <QObject>
#include <initializer_list>

#include "controller/controller.h"

class QWidget;

namespace tambril {

namespace platform {
class Platform;
}

class Presenter : public QObject {
  Q_OBJECT

 public:
  explicit Presenter(platform::Platform& platform) : platform_(platform) {}

  // Shows `failure` over the window `over` that asked, then puts the
  // pointers of `busy` back to the arrow.
  void show(const Failure& failure, QWidget* over, std::initializer_list<QWidget*> busy = {});

 signals:
  // A device failure was shown: the file dialog goes back to the root.
  void placeLost();

 private:
  platform::Platform& platform_;
};

}  // namespace tambril
