#include "tests/platform/gui_test.h"

#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <filesystem>

#include "platform/background_work.h"
#include "session/session.h"

namespace tambril::test {

GuiTest::GuiTest() { EXPECT_TRUE(temp.isValid()); }

GuiTest::~GuiTest() {
  // Let any modal helper that is still waiting run out inside this test.
  for (int i = 0; i < 2100; ++i) QCoreApplication::processEvents();
  program_.reset();
  // Qt passes over names that are not UTF-8 when it removes the folder.
  std::error_code ignored;
  std::filesystem::remove_all(QFile::encodeName(temp.path()).toStdString(), ignored);
}

QString GuiTest::tempPath(const QString& relative) const {
  return QDir::toNativeSeparators(relative.isEmpty() ? temp.path() : temp.filePath(relative));
}

QString GuiTest::writeFile(const QString& relative, const QByteArray& bytes) {
  const QString path = temp.filePath(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(bytes);
  return QDir::toNativeSeparators(path);
}

QString GuiTest::makeFolder(const QString& relative) {
  const QString path = temp.filePath(relative);
  EXPECT_TRUE(QDir().mkpath(path));
  return QDir::toNativeSeparators(path);
}

AsOrdinaryUser::AsOrdinaryUser(const QString& reachable) {
  if (::geteuid() != 0) return;
  QFile::setPermissions(reachable, QFile::permissions(reachable) | QFileDevice::ReadOther | QFileDevice::ExeOther);
  dropped_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
  EXPECT_TRUE(dropped_);
}

AsOrdinaryUser::~AsOrdinaryUser() {
  if (!dropped_) return;
  EXPECT_EQ(::seteuid(0), 0);
  EXPECT_EQ(::setegid(0), 0);
}

Program& GuiTest::restartProgram() {
  program_.reset();
  return program_.emplace(rec);
}

QString GuiTest::loadedPath() {
  const auto& file = program().session().loaded();
  return file ? file->path : QString();
}

std::int64_t GuiTest::loadedSize() {
  const auto& file = program().session().loaded();
  return file ? static_cast<std::int64_t>(file->size) : -1;
}

void WhenModalWidget(const std::function<bool(QWidget*)>& isIt, const std::function<void(QWidget*)>& action,
                     int tries) {
  QTimer::singleShot(0, [isIt, action, tries] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && isIt(modal)) {
      action(modal);
    } else if (BackgroundWorkRunning() > 0) {
      // A pass or a key derivation beside the windows: its loop turns
      // quickly and as long as the work takes, so it counts no tries.
      WhenModalWidget(isIt, action, tries);
    } else if (tries > 0) {
      WhenModalWidget(isIt, action, tries - 1);
    } else {
      ADD_FAILURE() << "the expected modal window did not open";
      if (modal) modal->hide();
    }
  });
}

}  // namespace tambril::test
