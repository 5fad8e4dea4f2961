// "Code_An.." and "Code_Aus..": the controller checks that the loaded file
// is of the right kind and marks the coding direction; the file dialog goes
// into a create mode and the next window of the chain opens. Nothing is
// coded here.
#include "coding_dialogs/form3.h"
#include "controller/controller.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"

using namespace tambril;

namespace {

// The start both commands share: a file already coded the wanted way is
// refused; otherwise the file dialog goes into create mode, and without a
// loaded file there is only a beep. False when the command ends here.
bool StartCommand(Form1& main, Controller& chain, Presenter& presenter, session::CreateMode command, Selpr6& dialog) {
  const Outcome started = chain.startCoding(command);
  const bool refused = started.failure && started.failure->problem != Problem::NothingLoaded;
  if (!refused) dialog.PrepareCreateMode();
  if (started.failure) presenter.show(*started.failure, &main);
  return bool(started);
}

}  // namespace

void Form1::Code_AN_Click() {
  Selpr6& dialog = needs_.files();
  if (!StartCommand(*this, chain_, presenter_, session::CreateMode::Encode, dialog)) return;
  if (!dialog.OpenForCreating(session::CreateMode::Encode)) {
    presenter_.show({Problem::Device, {}}, this);
    return;
  }
  const std::optional<Proposal> proposal = chain_.proposeTarget(QStringLiteral("tmb"));
  if (!proposal || !dialog.ShowProposal(*proposal)) {
    presenter_.show({Problem::Device, {}}, this);
    return;
  }
  dialog.exec();
}

void Form1::Code_Aus_Click() {
  Selpr6& dialog = needs_.files();
  if (!StartCommand(*this, chain_, presenter_, session::CreateMode::Decode, dialog)) return;
  if (!dialog.OpenForCreating(session::CreateMode::Decode)) {
    presenter_.show({Problem::Device, {}}, this);
    return;
  }
  needs_.check().exec();
}
