#include "presenter/presenter.h"

#include <map>

#include "platform/platform.h"
#include "resources/messages.h"

namespace tambril {
namespace {

// What a failure shows: a beep or not, and a message with its title (none
// for a beep alone). A TargetTaken message names the taken name after it.
struct Shown {
  bool beep;
  const QString* text;
  const QString* title;
};

const Shown& ShownFor(Problem problem) {
  using namespace messages;
  static const std::map<Problem, Shown> table = {
      {Problem::AlreadyEncoded, {false, &kAlreadyEncoded, &kErrorTitle}},
      {Problem::AlreadyDecoded, {false, &kAlreadyDecoded, &kErrorTitle}},
      {Problem::NothingLoaded, {true, nullptr, nullptr}},
      {Problem::Device, {true, &kDeviceError, &kErrorTitle}},
      {Problem::Access, {true, &kAccessError, &kErrorTitle}},
      {Problem::Read, {true, &kReadError, &kErrorTitle}},
      {Problem::TargetTaken, {false, &kTargetExists, &kFileTitle}},
      {Problem::NoPassword, {false, &kNoPassword, &kErrorTitle}},
      {Problem::PasswordTooShort, {false, &kPasswordTooShort, &kErrorTitle}},
      {Problem::NoConfirmation, {false, &kNoConfirmation, &kErrorTitle}},
      {Problem::PasswordMismatch, {false, &kPasswordMismatch, &kErrorTitle}},
      {Problem::WrongPassword, {false, &kWrongPassword, &kErrorTitle}},
      {Problem::Damaged, {true, &kDamaged, &kErrorTitle}},
      {Problem::MadeForKey, {true, &kMadeForKey, &kErrorTitle}},
  };
  return table.at(problem);
}

}  // namespace

void Presenter::show(const Failure& failure, QWidget* over, std::initializer_list<QWidget*> busy) {
  const Shown& shown = ShownFor(failure.problem);
  if (shown.beep) platform_.beep();
  if (shown.text) platform_.messageBox(over, *shown.text + failure.name, *shown.title, platform::MessageIcon::None);
  for (QWidget* window : busy) platform_.setPointer(window, platform::Pointer::Normal);
  if (failure.problem == Problem::Device) emit placeLost();
}

}  // namespace tambril
