// The whole coding chain through the controller, as the windows drive it,
// without any window: load, propose, accept, check, encode, decode, and the
// failure of each step.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>

#include "codec/codec.h"
#include "controller/controller.h"
#include "platform/file_slots.h"
#include "session/session.h"

namespace tambril {
namespace {

using session::CreateMode;

class ControllerTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return QDir::toNativeSeparators(temp.filePath(name)); }
  QString write(const QString& name, const QByteArray& bytes) {
    QFile f(temp.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path(name);
  }
  QByteArray read(const QString& name) const {
    QFile f(temp.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  QStringList entries() const { return QDir(temp.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
  Place here() const { return {QDir::toNativeSeparators(temp.path()), QDir::toNativeSeparators(QDir::rootPath())}; }
  Outcome load(const QString& name) { return chain.load(path(name), name, here()); }
  std::optional<Problem> problem(const std::optional<Failure>& failure) const {
    return failure ? std::optional(failure->problem) : std::nullopt;
  }
  // Encodes the loaded file into `target` with `password`, as the chain does.
  Outcome encodeInto(const QString& target, const QString& password) {
    if (const Outcome started = chain.startCoding(CreateMode::Encode); !started) return started;
    chain.beginCreating(CreateMode::Encode);
    const Acceptance accepted = chain.acceptTarget(path(target));
    if (accepted.failure) return {accepted.failure};
    return chain.encode(password, password, watch);
  }

  QTemporaryDir temp;
  session::Session session;
  FileSlots files;
  Controller chain{session, files};
  QList<int> progress;
  int begun = 0;
  PassWatch watch{[this] { ++begun; }, [this](int value) { progress << value; }};
};

TEST_F(ControllerTest, TheWholeChainEncodesAndDecodesByteForByte) {
  QByteArray plain(100000, '\0');
  for (int i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7 + i / 251);
  write("brief.txt", plain);
  QSignalSpy written(&chain, &Controller::targetWritten);
  QSignalSpy changes(&session, &session::Session::changed);

  ASSERT_TRUE(load("brief.txt"));
  EXPECT_EQ(changes.size(), 1);  // one load, one change
  ASSERT_TRUE(session.loaded());
  EXPECT_EQ(session.loaded()->size, 100000u);
  EXPECT_EQ(session.rememberedFolder(), here().folder);
  EXPECT_EQ(chain.loadedContent(), plain);

  ASSERT_TRUE(chain.startCoding(CreateMode::Encode));
  EXPECT_EQ(session.lastCommand(), CreateMode::Encode);
  EXPECT_EQ(session.extensionTag(), QStringLiteral("txt"));
  chain.beginCreating(CreateMode::Encode);
  const std::optional<Proposal> proposal = chain.proposeTarget(QStringLiteral("tmb"));
  ASSERT_TRUE(proposal);
  EXPECT_EQ(proposal->path, path("brief.tmb"));
  EXPECT_EQ(proposal->bareReal, QByteArray("brief.tmb"));
  EXPECT_EQ(session.proposedName(), QStringLiteral("brief.tmb"));
  const Acceptance accepted = chain.acceptTarget(proposal->path);
  ASSERT_FALSE(accepted.failure);
  EXPECT_EQ(accepted.mode, CreateMode::Encode);
  EXPECT_EQ(session.target(), path("brief.tmb"));
  EXPECT_EQ(session.createMode(), CreateMode::None);

  ASSERT_TRUE(chain.encode(QStringLiteral("geheim"), QStringLiteral("geheim"), watch));
  EXPECT_EQ(begun, 1);
  EXPECT_EQ(progress.last(), 1);
  EXPECT_GT(progress.size(), 1);
  EXPECT_EQ(written.size(), 1);
  // What the codec itself writes for the same input.
  codec::Encode(ToFsPath(path("brief.txt")), ToFsPath(path("ref.tmb")), "geheim", "txt");
  EXPECT_EQ(read("brief.tmb"), read("ref.tmb"));

  ASSERT_TRUE(load("brief.tmb"));
  ASSERT_TRUE(chain.startCoding(CreateMode::Decode));
  EXPECT_EQ(session.lastCommand(), CreateMode::Decode);
  chain.beginCreating(CreateMode::Decode);
  const CheckOutcome wrong = chain.checkPassword(QStringLiteral("falsch"));
  EXPECT_EQ(problem(wrong.failure), Problem::WrongPassword);
  EXPECT_EQ(wrong.verdict, Verdict::Wrong);
  EXPECT_FALSE(session.lastCheck());
  EXPECT_EQ(session.createMode(), CreateMode::None);

  const CheckOutcome right = chain.checkPassword(QStringLiteral("geheim"));
  ASSERT_FALSE(right.failure);
  EXPECT_EQ(right.verdict, Verdict::Fits);
  EXPECT_EQ(right.tag, QStringLiteral("txt"));
  ASSERT_TRUE(right.proposal);
  EXPECT_EQ(right.proposal->path, path("brief.txt"));
  EXPECT_TRUE(session.lastCheck());
  EXPECT_EQ(session.createMode(), CreateMode::Decode);
  // The proposed name is the original's, which is still there.
  EXPECT_EQ(problem(chain.acceptTarget(right.proposal->path).failure), Problem::TargetTaken);
  const Acceptance decodeTo = chain.acceptTarget(path("zurück.txt"));
  ASSERT_FALSE(decodeTo.failure);
  EXPECT_EQ(decodeTo.mode, CreateMode::Decode);
  ASSERT_TRUE(chain.decode(watch));
  EXPECT_EQ(read("zurück.txt"), plain);
  EXPECT_EQ(written.size(), 2);
  chain.endCheck();
  EXPECT_FALSE(session.lastCheck());
}

TEST_F(ControllerTest, EachStepFailsWithItsOwnProblemAndLeavesNothingBehind) {
  // Loading: a missing file, a folder and a file that says it is empty but
  // has content (it would be encoded as empty) are refused by the path; no
  // file is loaded afterwards, but the place is remembered. A failed load
  // is one change too.
  QSignalSpy changes(&session, &session::Session::changed);
  EXPECT_EQ(problem(load("fehlt.txt").failure), Problem::Access);
  EXPECT_EQ(changes.size(), 1);
  QDir(temp.path()).mkdir("ordner");
  EXPECT_EQ(problem(load("ordner").failure), Problem::Access);
  EXPECT_EQ(problem(chain.load(QStringLiteral("/proc/self/status"), QStringLiteral("status"), here()).failure),
            Problem::Access);
  EXPECT_FALSE(session.loaded());
  EXPECT_EQ(session.rememberedFolder(), here().folder);
  EXPECT_EQ(chain.loadedContent(), QByteArray());

  // The commands: nothing loaded, then a file already of the wanted kind.
  EXPECT_EQ(problem(chain.startCoding(CreateMode::Encode).failure), Problem::NothingLoaded);
  EXPECT_FALSE(chain.proposeTarget(QStringLiteral("tmb")));
  write("brief.txt", "Hallo Welt, ein Brief.");
  ASSERT_TRUE(load("brief.txt"));
  EXPECT_EQ(problem(chain.startCoding(CreateMode::Decode).failure), Problem::AlreadyDecoded);
  EXPECT_EQ(session.lastCommand(), CreateMode::None);

  // The passwords of an encoding, in the order they are looked at; none
  // starts the pass.
  ASSERT_TRUE(chain.startCoding(CreateMode::Encode));
  chain.beginCreating(CreateMode::Encode);
  ASSERT_FALSE(chain.acceptTarget(path("brief.tmb")).failure);
  const auto refusal = [&](const char* password, const char* confirmation) {
    return problem(chain.encode(QString::fromUtf8(password), QString::fromUtf8(confirmation), watch).failure);
  };
  EXPECT_EQ(refusal("", "geheim"), Problem::NoPassword);
  EXPECT_EQ(refusal("vier", ""), Problem::PasswordTooShort);
  EXPECT_EQ(refusal("äöüß", "äöüß"), Problem::PasswordTooShort);  // four bytes for the codec
  EXPECT_EQ(refusal("geheim", ""), Problem::NoConfirmation);
  EXPECT_EQ(refusal("geheim", "geheiM"), Problem::PasswordMismatch);
  EXPECT_EQ(begun, 0);
  EXPECT_EQ(entries(), QStringList({"brief.txt"}));

  // "ERSTELLEN" on a taken name, with the name in the message.
  const Acceptance taken = chain.acceptTarget(path("brief.txt"));
  EXPECT_EQ(problem(taken.failure), Problem::TargetTaken);
  EXPECT_EQ(taken.failure->name, path("brief.txt"));

  // A pass that fails: the target was taken meanwhile. Nothing of the pass
  // is left, the file there is untouched, nothing is said written.
  QSignalSpy written(&chain, &Controller::targetWritten);
  write("brief.tmb", "schon da");
  EXPECT_EQ(problem(chain.encode(QStringLiteral("geheim"), QStringLiteral("geheim"), watch).failure), Problem::Device);
  EXPECT_EQ(begun, 1);
  EXPECT_EQ(read("brief.tmb"), QByteArray("schon da"));
  EXPECT_EQ(entries(), QStringList({"brief.tmb", "brief.txt"}));
  EXPECT_EQ(written.size(), 0);

  // An encoded file replaced under its name after its check, even by a copy
  // of the same bytes, is no longer the file that was checked and loaded.
  ASSERT_TRUE(QFile::remove(temp.filePath("brief.tmb")));
  ASSERT_TRUE(load("brief.txt"));
  ASSERT_TRUE(encodeInto("brief.tmb", QStringLiteral("geheim")));
  ASSERT_TRUE(load("brief.tmb"));
  ASSERT_EQ(chain.checkPassword(QStringLiteral("geheim")).verdict, Verdict::Fits);
  ASSERT_TRUE(QFile::copy(temp.filePath("brief.tmb"), temp.filePath("kopie.tmb")));
  ASSERT_EQ(std::rename(QFile::encodeName(temp.filePath("kopie.tmb")), QFile::encodeName(temp.filePath("brief.tmb"))),
            0);
  ASSERT_FALSE(chain.acceptTarget(path("neu.txt")).failure);
  EXPECT_EQ(problem(chain.decode(watch).failure), Problem::Device);
  EXPECT_EQ(problem(chain.checkPassword(QStringLiteral("geheim")).failure), Problem::Device);
  EXPECT_EQ(entries(), QStringList({"brief.tmb", "brief.txt"}));
  ASSERT_TRUE(QFile::remove(temp.filePath("brief.tmb")));
  write("brief.tmb", "schon da");

  // A decode needs a fitting check; an encoded file that has gone since
  // its load cannot be checked.
  ASSERT_TRUE(load("brief.tmb"));
  EXPECT_EQ(problem(chain.startCoding(CreateMode::Encode).failure), Problem::AlreadyEncoded);
  session.acceptTarget(path("neu.txt"));
  EXPECT_EQ(problem(chain.decode(watch).failure), Problem::Device);
  EXPECT_EQ(problem(chain.checkPassword(QStringLiteral("geheim")).failure), Problem::WrongPassword);
  ASSERT_TRUE(QFile::remove(temp.filePath("brief.tmb")));
  const CheckOutcome gone = chain.checkPassword(QStringLiteral("geheim"));
  EXPECT_EQ(problem(gone.failure), Problem::Device);
  EXPECT_EQ(gone.verdict, Verdict::Failed);
  EXPECT_FALSE(session.lastCheck());
  EXPECT_EQ(entries(), QStringList({"brief.txt"}));
}

}  // namespace
}  // namespace tambril

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
