// "Code_An.." and "Code_Aus..": the controller checks that the loaded file
// is of the right kind, marks the coding direction and says which window
// comes next; the file dialog goes into a create mode first. Nothing is
// coded here.
#include "controller/controller.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"

using namespace tambril;

void Form1::Code_AN_Click() {
  FollowStart(session::CreateMode::Encode, chain_.startCoding(session::CreateMode::Encode));
}

void Form1::Code_Aus_Click() {
  FollowStart(session::CreateMode::Decode, chain_.startCoding(session::CreateMode::Decode));
}

void Form1::FollowStart(session::CreateMode command, const Start& start) {
  Selpr6& dialog = needs_.files();
  if (start.createMode) dialog.PrepareCreateMode();
  if (start.failure) {
    presenter_.show(*start.failure, this);
    return;
  }
  // The lists are read afresh; an encoding's proposed file is shown in the
  // folder it was loaded from.
  if (!dialog.OpenForCreating(command) || (start.proposal && !dialog.ShowProposal(*start.proposal))) {
    presenter_.show({Problem::Device, {}}, this);
    return;
  }
  needs_.go(start.next);
}
