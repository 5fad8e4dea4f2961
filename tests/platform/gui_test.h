#pragma once
// Helpers for tests that click through the real windows on the offscreen
// platform. Each GuiTest builds a program object around a fresh
// RecordingPlatform and destroys it afterwards, so each test starts from the
// program's start.
//
// Modal dialogs: schedule what happens inside the dialog before the call
// that opens it, for example
//
//   WhenModal<Selpr6>([&](Selpr6& d) { ...; Control<QPushButton>(d, "Command3")->click(); });
//   Control<QAction>(form1, "Datei_öffnen")->trigger();   // returns once the dialog is hidden
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

#include "main_window/program.h"
#include "tests/platform/controls.h"
#include "tests/platform/recording_platform.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']';
}

namespace tambril::test {

class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;

  // Writes `bytes` to `relative` inside the temporary folder (folders are
  // created) and returns the full path in the platform's notation.
  QString writeFile(const QString& relative, const QByteArray& bytes = {});
  QString makeFolder(const QString& relative);
  QString tempPath(const QString& relative = {}) const;

  // The program under test, built around `rec`.
  Program& program() { return *program_; }
  // Ends the program and starts a new one around `rec`, as a new start would.
  Program& restartProgram();

  // The session's loaded file: its path (empty while none is loaded) and
  // its size (-1 while none is loaded).
  QString loadedPath();
  std::int64_t loadedSize();

  platform::RecordingPlatform rec;
  QTemporaryDir temp;

 private:
  std::optional<Program> program_{std::in_place, rec};
};

// While it lives, a test run as root acts with the rights of the ordinary
// user nobody, so that refusals of the file system can be tried. The
// temporary folder is opened to others so that nobody can reach it.
class AsOrdinaryUser {
 public:
  explicit AsOrdinaryUser(const QString& reachable);
  ~AsOrdinaryUser();
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

 private:
  bool dropped_ = false;
};

// Runs `action` on the dialog once a window of type W is the active modal
// window. Gives up (and closes whatever modal window is open, so that the
// test does not hang) after `tries` rounds of the event loop.
void WhenModalWidget(const std::function<bool(QWidget*)>& isIt, const std::function<void(QWidget*)>& action,
                     int tries = 2000);

// The control `name` of `window` (see FindControl); fails the test when the
// window has no control of that name and type.
template <class C>
C* Control(const QWidget& window, const char* name) {
  C* control = FindControl<C>(window, name);
  if (!control) ADD_FAILURE() << window.objectName().toStdString() << " has no control " << name;
  return control;
}

// W must carry Q_OBJECT (every window class does).
template <class W>
void WhenModal(std::function<void(W&)> action, int tries = 2000) {
  WhenModalWidget([](QWidget* w) { return qobject_cast<W*>(w) != nullptr; },
                  [action](QWidget* w) { action(*qobject_cast<W*>(w)); }, tries);
}

}  // namespace tambril::test

namespace tambril {
using test::Control;
}  // namespace tambril
