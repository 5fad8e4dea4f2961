#pragma once
// Form7: the splash window at the start, a borderless picture on which the letters of the name
// appear one after another with a click each, then the subtitle with its own
// sound and the name-and-version line; 6400 ms after it was shown it hides
// and the main window opens. It cannot be skipped and takes no input.
//
// Timer1's ticks drive everything (Timer1_Timer); the times of the steps are
// the sums of the intervals the ticks set:
//   tick  1 at 1000 ms  T           tick  8 at 2400 ms  subtitle, sound 1
//   ticks 2..7 150 ms apart  A .. L tick  9 at 4400 ms  name line
//                                   tick 10 at 6400 ms  main window
#include <QWidget>

#include "platform/platform.h"
#include "sound/sound_service.h"

class QLabel;
class QTimer;

class Form7 : public QWidget {
  Q_OBJECT

 public:
  Form7(tambril::platform::Platform& platform, Module2::SoundService& sounds);

  // Counts the ticks; back to 0 at the last step.
  unsigned char SplashStep = 0;

  // Prepares the two sound players before the window is shown.
  void Form_Load();
  void Timer1_Timer();

  // Stops the steps: the main window is not opened.
  void Stop();

 signals:
  // The last step has hidden the splash: the main window, which is above
  // this folder, opens now.
  void finished();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  Module2::SoundService& sounds_;
  QPixmap background_;
  bool started_ = false;

 private:
  // The controls; others reach them only by their objectName.
  QLabel* Label1;  // "Tambril 1.1"
  QLabel* Label2;  // subtitle
  QLabel* Label3;  // T
  QLabel* Label4;  // A
  QLabel* Label5;  // M
  QLabel* Label6;  // B
  QLabel* Label7;  // R
  QLabel* Label8;  // I
  QLabel* Label9;  // L
  QTimer* Timer1;
};
