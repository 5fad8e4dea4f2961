#include "main_window/program.h"

#include <QTimer>
#include <memory>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "controller/controller.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "main_window/program_end.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "platform/windows.h"
#include "sound/sound_service.h"
#include "startup/form6.h"
#include "startup/form7.h"
#include "viewer/form21.h"
#include "viewer/form8.h"

namespace tambril {

namespace {

platform::Platform* g_platform = nullptr;
// The file named on the command line, loaded when the main window first
// appears.
QString g_fileToLoad;

// A window handed to another, made when that one first needs it.
template <class W>
Lazy<W> Later() {
  return []() -> W& { return Window<W>(); };
}

platform::Platform& Desktop() { return PlatformInUse(); }

CodingNeeds ForCoding() { return {Desktop(), Chain(), Later<Form21>()}; }

// The end sequence, made with the splash's stop connected.
ProgramEnd& End() {
  return Windows::get<ProgramEnd>([] {
    auto end = std::make_unique<ProgramEnd>(Desktop(), Sounds(), SharedFileSlots());
    // A splash still running must not open the main window meanwhile.
    QObject::connect(end.get(), &ProgramEnd::ending, end.get(), [] {
      if (Form7* splash = Windows::find<Form7>()) splash->Stop();
    });
    return end;
  });
}

// Loads `path` once `main` has appeared, after its own showing has finished.
void LoadOnFirstShow(Form1& main, const QString& path) {
  QObject::connect(
      &main, &Form1::shown, &main,
      [&main, path] { QTimer::singleShot(0, &main, [&main, path] { main.OpenFromOutside(path); }); },
      Qt::SingleShotConnection);
}

}  // namespace

void UsePlatform(platform::Platform* platform) { g_platform = platform; }

platform::Platform& PlatformInUse() { return g_platform ? *g_platform : platform::DesktopPlatform(); }

template <>
Form1& Window<Form1>() {
  return Windows::get<Form1>([] {
    auto main =
        std::make_unique<Form1>(Desktop(), Sounds(), Chain(),
                                Form1::Needs{Later<Selpr6>(), [] { return Windows::find<Selpr6>(); }, Later<Form3>(),
                                             Later<Form8>(), Later<Form6>(), Later<Form21>(), Terminate});
    if (!g_fileToLoad.isEmpty()) LoadOnFirstShow(*main, std::exchange(g_fileToLoad, QString()));
    return main;
  });
}

template <>
Selpr6& Window<Selpr6>() {
  return Windows::get<Selpr6>([] {
    auto dialog = std::make_unique<Selpr6>(Desktop(), Chain(), Later<Form21>());
    // "ERSTELLEN" goes on in the encode or decode dialog.
    QObject::connect(dialog.get(), &Selpr6::targetAccepted, dialog.get(), [](session::CreateMode mode) {
      if (mode == session::CreateMode::Encode) {
        Window<Form2>().exec();
      } else if (mode == session::CreateMode::Decode) {
        Window<Form4>().exec();
      }
    });
    return dialog;
  });
}

template <>
Form2& Window<Form2>() {
  return Windows::get<Form2>([] { return std::make_unique<Form2>(ForCoding()); });
}

template <>
Form3& Window<Form3>() {
  return Windows::get<Form3>([] { return std::make_unique<Form3>(ForCoding(), Later<Selpr6>()); });
}

template <>
Form4& Window<Form4>() {
  return Windows::get<Form4>([] { return std::make_unique<Form4>(ForCoding()); });
}

template <>
Form6& Window<Form6>() {
  return Windows::get<Form6>([] { return std::make_unique<Form6>(Desktop(), Sounds()); });
}

template <>
Form7& Window<Form7>() {
  return Windows::get<Form7>([] {
    auto splash = std::make_unique<Form7>(Desktop(), Sounds());
    // The main window opens when the splash has run its course.
    QObject::connect(splash.get(), &Form7::finished, splash.get(), [] { Window<Form1>().show(); });
    return splash;
  });
}

template <>
Form8& Window<Form8>() {
  return Windows::get<Form8>([] { return std::make_unique<Form8>(Desktop(), Chain(), Later<Form21>()); });
}

template <>
Form21& Window<Form21>() {
  return Windows::get<Form21>([] { return std::make_unique<Form21>(Desktop(), Sounds()); });
}

session::Session& SharedSession() { return Windows::get<session::Session>(); }

FileSlots& SharedFileSlots() { return Windows::get<FileSlots>(); }

Module2::SoundService& Sounds() {
  return Windows::get<Module2::SoundService>([] { return std::make_unique<Module2::SoundService>(Desktop()); });
}

Controller& Chain() {
  return Windows::get<Controller>(
      [] { return std::make_unique<Controller>(SharedSession(), SharedFileSlots(), Desktop()); });
}

void LoadWhenMainWindowAppears(const QString& path) {
  if (Form1* main = Windows::find<Form1>()) {
    LoadOnFirstShow(*main, path);
  } else {
    g_fileToLoad = path;
  }
}

void Terminate() { End().run(); }

void DestroyWindows() {
  Windows::clear();
  g_fileToLoad.clear();
}

}  // namespace tambril
