#include "main_window/program.h"

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/windows.h"
#include "startup/form7.h"

namespace tambril {

Form7& Splash() {
  const bool made = Windows::find<Form7>() == nullptr;
  Form7& splash = Windows::get<Form7>();
  if (made) QObject::connect(&splash, &Form7::finished, &splash, [] { Windows::get<Form1>().show(); });
  return splash;
}

void ConnectDialogs(Form1& main) {
  QObject::connect(&Windows::get<Selpr6>(), &Selpr6::targetAccepted, &main, [](session::CreateMode mode) {
    if (mode == session::CreateMode::Encode) {
      Windows::get<Form2>().exec();
    } else if (mode == session::CreateMode::Decode) {
      Windows::get<Form4>().exec();
    }
  });
}

}  // namespace tambril
