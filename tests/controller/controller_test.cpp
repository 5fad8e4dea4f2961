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

#include "age/age.h"
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
    if (const Start started = chain.startCoding(CreateMode::Encode); !started) return {started.failure};
    chain.beginCreating(CreateMode::Encode);
    const Acceptance accepted = chain.acceptTarget(path(target));
    if (accepted.failure) return {accepted.failure};
    return chain.encode(password, password, watch);
  }
  // An age file of `plain` with `passphrase`, made by the age module (a low
  // work factor, for speed); armored when asked, with CRLF line ends.
  QString writeAge(const QString& name, const QByteArray& plain, const std::string& passphrase, bool armored = false) {
    const QString in = write("plain.in", plain);
    const QString out = path("age.out");
    age::Encode(ToFsPath(in), ToFsPath(out), passphrase, {}, {}, {.workFactor = 10});
    QByteArray bytes = read("age.out");
    QFile::remove(in);
    QFile::remove(out);
    if (armored) {
      QByteArray armor = "-----BEGIN AGE ENCRYPTED FILE-----\r\n";
      const QByteArray base64 = bytes.toBase64();
      for (qsizetype i = 0; i < base64.size(); i += 64) armor += base64.mid(i, 64) + "\r\n";
      bytes = armor + "-----END AGE ENCRYPTED FILE-----\r\n";
    }
    return write(name, bytes);
  }
  // Checks the loaded file with `password` as the decode command does.
  CheckOutcome check(const QString& password) {
    if (const Start started = chain.startCoding(CreateMode::Decode); !started)
      return {Verdict::Failed, started.failure, {}, {}};
    chain.beginCreating(CreateMode::Decode);
    return chain.checkPassword(password, watch);
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

  // An encoding goes on in the file dialog, with the .tmb file proposed.
  const Start encoding = chain.startCoding(CreateMode::Encode);
  ASSERT_TRUE(encoding);
  EXPECT_TRUE(encoding.createMode);
  EXPECT_EQ(encoding.next, Step::NameTarget);
  EXPECT_EQ(session.lastCommand(), CreateMode::Encode);
  EXPECT_EQ(session.extensionTag(), QStringLiteral("txt"));
  chain.beginCreating(CreateMode::Encode);
  const std::optional<Proposal> proposal = encoding.proposal;
  ASSERT_TRUE(proposal);
  EXPECT_EQ(proposal->path, path("brief.tmb"));
  EXPECT_EQ(proposal->bareReal, QByteArray("brief.tmb"));
  EXPECT_EQ(session.proposedName(), QStringLiteral("brief.tmb"));
  // Another folder in the file dialog: the proposed name after it.
  EXPECT_EQ(chain.targetIn(path("unter"), {}), path("unter/brief.tmb"));
  const Acceptance accepted = chain.acceptTarget(proposal->path);
  ASSERT_FALSE(accepted.failure);
  EXPECT_EQ(accepted.next, Step::Encode);
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
  // A decoding goes on in the check dialog.
  const Start decoding = chain.startCoding(CreateMode::Decode);
  ASSERT_TRUE(decoding);
  EXPECT_EQ(decoding.next, Step::CheckPassword);
  EXPECT_FALSE(decoding.proposal);
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
  EXPECT_EQ(decodeTo.next, Step::Decode);
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

  // The commands: nothing loaded (the file dialog still goes into its
  // create mode, and only a beep follows), then a file already of the
  // wanted kind (the dialog stays as it was). No window follows either.
  const Start nothing = chain.startCoding(CreateMode::Encode);
  EXPECT_EQ(problem(nothing.failure), Problem::NothingLoaded);
  EXPECT_TRUE(nothing.createMode);
  EXPECT_EQ(nothing.next, Step::Nothing);
  EXPECT_FALSE(chain.proposeTarget(QStringLiteral("tmb")));
  write("brief.txt", "Hallo Welt, ein Brief.");
  ASSERT_TRUE(load("brief.txt"));
  const Start plain = chain.startCoding(CreateMode::Decode);
  EXPECT_EQ(problem(plain.failure), Problem::AlreadyDecoded);
  EXPECT_FALSE(plain.createMode);
  EXPECT_EQ(plain.next, Step::Nothing);
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

// An age file counts as encoded by its first bytes, binary or armored,
// whatever its name; its check runs after `begin` (the busy pointer) and
// proposes the name without ".age", or the name itself where it has none.
TEST_F(ControllerTest, AgeFilesAreKnownByContentAndDecodeToTheirNameWithoutAge) {
  const QByteArray plain = QByteArray("Liebe Grüße, ").repeated(12000);
  writeAge("brief.doc.AGE", plain, "Grüße1");
  writeAge("daten", plain, "Grüße1", true);
  write("fast.txt", "age-encryption.org/v2\n-> scrypt");
  write("name.age", "nur der Name");
  for (const auto& [name, isAge] : {std::pair{"brief.doc.AGE", true}, std::pair{"daten", true},
                                    std::pair{"fast.txt", false}, std::pair{"name.age", false}}) {
    ASSERT_TRUE(load(name));
    EXPECT_EQ(session.markedEncoded(), isAge) << name;
    EXPECT_EQ(session.loaded()->age, isAge) << name;
  }

  ASSERT_TRUE(load("brief.doc.AGE"));
  EXPECT_EQ(problem(chain.startCoding(CreateMode::Encode).failure), Problem::AlreadyEncoded);
  const CheckOutcome wrong = check(QStringLiteral("Grüße2"));
  EXPECT_EQ(problem(wrong.failure), Problem::WrongPassword);
  EXPECT_EQ(begun, 1);
  EXPECT_FALSE(session.lastCheck());
  EXPECT_EQ(session.createMode(), CreateMode::None);
  // The passphrase is the UTF-8 of what was typed, as the age module took
  // it. The key is derived beside the window thread, whose loop turns.
  bool checking = true;
  bool turned = false;
  watch.begin = [&] {
    QMetaObject::invokeMethod(
        &chain, [&] { turned = checking; }, Qt::QueuedConnection);
  };
  const CheckOutcome right = check(QStringLiteral("Grüße1"));
  checking = false;
  QCoreApplication::processEvents();
  EXPECT_TRUE(turned);
  ASSERT_FALSE(right.failure);
  EXPECT_EQ(right.verdict, Verdict::Fits);
  EXPECT_EQ(right.tag, QString());
  EXPECT_EQ(right.proposal->path, path("brief.doc"));
  EXPECT_EQ(session.proposedName(), QStringLiteral("brief.doc"));
  ASSERT_FALSE(chain.acceptTarget(right.proposal->path).failure);
  ASSERT_TRUE(chain.decode(watch));
  EXPECT_EQ(read("brief.doc"), plain);
  EXPECT_EQ(progress.last(), 1);

  ASSERT_TRUE(load("daten"));
  const CheckOutcome armored = check(QStringLiteral("Grüße1"));
  ASSERT_TRUE(armored.proposal);
  EXPECT_EQ(armored.proposal->path, path("daten"));
  EXPECT_EQ(problem(chain.acceptTarget(armored.proposal->path).failure), Problem::TargetTaken);
  ASSERT_FALSE(chain.acceptTarget(path("daten.txt")).failure);
  ASSERT_TRUE(chain.decode(watch));
  EXPECT_EQ(read("daten.txt"), plain);
}

// "Code_An.." still proposes the .tmb name; a name accepted with ".age" at
// its end is written as an age file, with the passphrase as UTF-8.
TEST_F(ControllerTest, AnAgeTargetIsWrittenAsAnAgeFile) {
  const QByteArray plain = QByteArray("Kontoauszug ").repeated(9000);
  write("konto.pdf", plain);
  ASSERT_TRUE(load("konto.pdf"));
  ASSERT_TRUE(chain.startCoding(CreateMode::Encode));
  chain.beginCreating(CreateMode::Encode);
  EXPECT_EQ(chain.proposeTarget(QStringLiteral("tmb"))->path, path("konto.tmb"));
  ASSERT_FALSE(chain.acceptTarget(path("konto.pdf.Age")).failure);
  // At least five characters, counted as characters.
  EXPECT_EQ(problem(chain.encode(QStringLiteral("äöüß"), QStringLiteral("äöüß"), watch).failure),
            Problem::PasswordTooShort);
  ASSERT_TRUE(chain.encode(QStringLiteral("Grüße1"), QStringLiteral("Grüße1"), watch));
  EXPECT_EQ(progress.last(), 1);
  EXPECT_TRUE(read("konto.pdf.Age").startsWith("age-encryption.org/v1\n-> scrypt "));
  const age::CheckResult opened = age::CheckPassphrase(ToFsPath(path("konto.pdf.Age")), "Grüße1");
  ASSERT_TRUE(opened.fits());
  EXPECT_EQ(opened.workFactor, age::kDefaultWorkFactor);
  age::Decode(ToFsPath(path("konto.pdf.Age")), ToFsPath(path("zurück.pdf")), opened);
  EXPECT_EQ(read("zurück.pdf"), plain);
}

// An age file that fails its check: a changed byte in the content fails
// the decode and leaves nothing; a changed header MAC or a file made for a
// key fails the check, with its own message, and ends the create mode.
TEST_F(ControllerTest, AnAgeFileThatFailsItsCheckLeavesNothing) {
  const QByteArray plain = QByteArray("Geheimnis ").repeated(10000);
  writeAge("inhalt.age", plain, "Geheim1");
  QByteArray changed = read("inhalt.age");
  changed[changed.size() - 1] = static_cast<char>(changed.back() ^ 1);
  write("inhalt.age", changed);
  ASSERT_TRUE(load("inhalt.age"));
  ASSERT_EQ(check(QStringLiteral("Geheim1")).verdict, Verdict::Fits);
  ASSERT_FALSE(chain.acceptTarget(path("inhalt")).failure);
  QSignalSpy written(&chain, &Controller::targetWritten);
  EXPECT_EQ(problem(chain.decode(watch).failure), Problem::Damaged);
  EXPECT_EQ(written.size(), 0);
  EXPECT_EQ(entries(), QStringList({"inhalt.age"}));

  writeAge("kopf.age", plain, "Geheim1");
  QByteArray header = read("kopf.age");
  const qsizetype mac = header.indexOf("\n--- ") + 5;
  header[mac] = header[mac] == 'A' ? 'B' : 'A';
  write("kopf.age", header);
  const QByteArray wrapped = "age-encryption.org/v1\n-> X25519 " +
                             QByteArray(32, 'k').toBase64(QByteArray::OmitTrailingEquals) + "\n" +
                             QByteArray(32, 'b').toBase64(QByteArray::OmitTrailingEquals) + "\n--- " +
                             QByteArray(32, 'm').toBase64(QByteArray::OmitTrailingEquals) + "\n" + QByteArray(40, 'p');
  write("schluessel.age", wrapped);
  for (const auto& [name, expected] :
       {std::pair{"kopf.age", Problem::Damaged}, std::pair{"schluessel.age", Problem::MadeForKey}}) {
    ASSERT_TRUE(load(name));
    const CheckOutcome failed = check(QStringLiteral("Geheim1"));
    EXPECT_EQ(problem(failed.failure), expected) << name;
    EXPECT_EQ(failed.verdict, Verdict::Failed);
    EXPECT_FALSE(session.lastCheck());
    EXPECT_EQ(session.createMode(), CreateMode::None);
  }
  EXPECT_EQ(entries(), QStringList({"inhalt.age", "kopf.age", "schluessel.age"}));
}

}  // namespace
}  // namespace tambril

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
