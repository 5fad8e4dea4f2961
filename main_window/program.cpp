#include "main_window/program.h"

#include <QTimer>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/selpr6.h"
#include "help_window/form21.h"
#include "main_window/form1.h"
#include "platform/platform.h"
#include "startup/form6.h"
#include "startup/form7.h"
#include "viewer/form8.h"

namespace tambril {

Program::Program(platform::Platform& platform)
    : platform_(platform),
      sounds_(platform),
      controller_(session_, files_),
      presenter_(platform),
      end_(platform, sounds_, files_) {
  // A splash still running must not open the main window meanwhile.
  QObject::connect(&end_, &ProgramEnd::ending, &end_, [this] {
    if (splash_) splash_->Stop();
  });
}

Program::~Program() {
  // The windows first, newest kinds first, while what they use is still there.
  decode_.reset();
  check_.reset();
  encode_.reset();
  files_dialog_.reset();
  viewer_.reset();
  info_.reset();
  help_.reset();
  main_.reset();
  splash_.reset();
}

Form1& Program::mainWindow() {
  if (!main_) {
    main_ = std::make_unique<Form1>(
        platform_, sounds_, controller_, presenter_,
        Form1::Needs{[this]() -> Selpr6& { return fileDialog(); }, [this](Step next) { go(next); },
                     [this]() -> Form8& { return viewer(); }, [this]() -> Form6& { return infoWindow(); },
                     [this]() -> Form21& { return helpWindow(); }, [this] { terminate(); }});
    if (!fileToLoad_.isEmpty()) loadOnFirstShow(*main_, std::exchange(fileToLoad_, QString()));
  }
  return *main_;
}

Selpr6& Program::fileDialog() {
  if (!files_dialog_) {
    QWidget* owner = &mainWindow();
    files_dialog_ = std::make_unique<Selpr6>(
        platform_, controller_, presenter_, [this]() -> Form21& { return helpWindow(); }, owner);
    // "ERSTELLEN" goes on in the coding dialog the controller names.
    QObject::connect(files_dialog_.get(), &Selpr6::targetAccepted, files_dialog_.get(),
                     [this](Step next) { go(next); });
  }
  return *files_dialog_;
}

namespace {
// What every coding dialog is handed.
CodingNeeds ForCoding(platform::Platform& platform, Controller& chain, Program& program) {
  return {platform, chain, program.presenter(), [&program]() -> Form21& { return program.helpWindow(); }};
}
}  // namespace

Form2& Program::encodeDialog() {
  if (!encode_) {
    QWidget* owner = &mainWindow();
    encode_ = std::make_unique<Form2>(ForCoding(platform_, controller_, *this), owner);
  }
  return *encode_;
}

Form3& Program::checkDialog() {
  if (!check_) {
    QWidget* owner = &mainWindow();
    check_ = std::make_unique<Form3>(
        ForCoding(platform_, controller_, *this), [this]() -> Selpr6& { return fileDialog(); }, owner);
  }
  return *check_;
}

Form4& Program::decodeDialog() {
  if (!decode_) {
    QWidget* owner = &mainWindow();
    decode_ = std::make_unique<Form4>(ForCoding(platform_, controller_, *this), owner);
  }
  return *decode_;
}

Form6& Program::infoWindow() {
  if (!info_) {
    QWidget* owner = &mainWindow();
    info_ = std::make_unique<Form6>(platform_, sounds_, owner);
  }
  return *info_;
}

Form7& Program::splash() {
  if (!splash_) {
    splash_ = std::make_unique<Form7>(platform_, sounds_);
    // The main window opens when the splash has run its course.
    QObject::connect(splash_.get(), &Form7::finished, splash_.get(), [this] { mainWindow().show(); });
  }
  return *splash_;
}

Form8& Program::viewer() {
  if (!viewer_) {
    QWidget* owner = &mainWindow();
    viewer_ = std::make_unique<Form8>(
        platform_, controller_, [this]() -> Form21& { return helpWindow(); }, owner);
  }
  return *viewer_;
}

Form21& Program::helpWindow() {
  if (!help_) {
    QWidget* owner = &mainWindow();
    help_ = std::make_unique<Form21>(platform_, sounds_, owner);
  }
  return *help_;
}

void Program::go(Step next) {
  switch (next) {
    case Step::NameTarget:
      fileDialog().exec();
      break;
    case Step::CheckPassword:
      checkDialog().exec();
      break;
    case Step::Encode:
      encodeDialog().exec();
      break;
    case Step::Decode:
      decodeDialog().exec();
      break;
    case Step::Nothing:
      break;
  }
}

Program::Made Program::made() const {
  return {main_.get(), files_dialog_.get(), encode_.get(), check_.get(), decode_.get(),
          info_.get(), splash_.get(),       viewer_.get(), help_.get()};
}

void Program::loadOnFirstShow(Form1& main, const QString& path) {
  QObject::connect(
      &main, &Form1::shown, &main,
      [&main, path] { QTimer::singleShot(0, &main, [&main, path] { main.OpenFromOutside(path); }); },
      Qt::SingleShotConnection);
}

void Program::loadWhenMainWindowAppears(const QString& path) {
  if (main_) {
    loadOnFirstShow(*main_, path);
  } else {
    fileToLoad_ = path;
  }
}

}  // namespace tambril
