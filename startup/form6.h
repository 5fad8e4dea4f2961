#pragma once
// Form6: the info window "INFO", the program's logo and an OK button. Shown modally
// by the main window's "Info"; OK plays a sound and hides it (it is never
// destroyed before the program ends).
#include <QDialog>

#include "platform/platform.h"
#include "sound/sound_service.h"

class QLabel;
class QPushButton;

class Form6 : public QDialog {
  Q_OBJECT

 public:
  Form6(tambril::platform::Platform& platform, Module2::SoundService& sounds, QWidget* parent = nullptr);

  void Command1_Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  tambril::platform::Platform& platform_;
  Module2::SoundService& sounds_;

 private:
  // The controls; others reach them only by their objectName.
  QLabel* Image1;
  QPushButton* Command1;  // "OK"
};
