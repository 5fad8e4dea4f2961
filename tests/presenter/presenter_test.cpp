// What the presenter shows for each failure of the chain.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "presenter/presenter.h"
#include "resources/messages.h"
#include "tests/platform/recording_platform.h"

namespace tambril {
namespace {

TEST(Presenter, FailuresAreShownOverTheWindowThatAsked) {
  platform::RecordingPlatform rec;
  Presenter presenter(rec);
  QSignalSpy lost(&presenter, &Presenter::placeLost);
  const auto shown = [&](Problem p, const QString& name = {}) {
    rec.reset();
    presenter.show({p, name}, nullptr);
    return rec.events;
  };
  const QString error = QStringLiteral("message ERROR|none: ");
  EXPECT_EQ(shown(Problem::NothingLoaded), QStringList({"beep"}));
  EXPECT_EQ(lost.size(), 0);
  EXPECT_EQ(shown(Problem::Device), QStringList({"beep", error + messages::kDeviceError}));
  EXPECT_EQ(lost.size(), 1);  // after the message: the file dialog goes to the root
  EXPECT_EQ(shown(Problem::Access), QStringList({"beep", error + messages::kAccessError}));
  EXPECT_EQ(shown(Problem::Read), QStringList({"beep", error + messages::kReadError}));
  EXPECT_EQ(shown(Problem::AlreadyEncoded), QStringList({error + messages::kAlreadyEncoded}));
  EXPECT_EQ(shown(Problem::AlreadyDecoded), QStringList({error + messages::kAlreadyDecoded}));
  EXPECT_EQ(shown(Problem::TargetTaken, QStringLiteral("/x/a.tmb")),
            QStringList({"message File|none: " + messages::kTargetExists + "/x/a.tmb"}));
  EXPECT_EQ(shown(Problem::NoPassword), QStringList({error + messages::kNoPassword}));
  EXPECT_EQ(shown(Problem::PasswordTooShort), QStringList({error + messages::kPasswordTooShort}));
  EXPECT_EQ(shown(Problem::NoConfirmation), QStringList({error + messages::kNoConfirmation}));
  EXPECT_EQ(shown(Problem::PasswordMismatch), QStringList({error + messages::kPasswordMismatch}));
  EXPECT_EQ(shown(Problem::WrongPassword), QStringList({error + messages::kWrongPassword}));
  EXPECT_EQ(shown(Problem::Damaged), QStringList({"beep", error + messages::kDamaged}));
  EXPECT_EQ(shown(Problem::MadeForKey), QStringList({"beep", error + messages::kMadeForKey}));
  EXPECT_EQ(lost.size(), 1);
}

}  // namespace
}  // namespace tambril

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
