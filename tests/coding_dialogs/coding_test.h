#pragma once
// A fixture for the coding chains: the real windows on the offscreen
// platform, files in a temporary folder, and loading through the file dialog
// as the user does it.
#include <qpa/qwindowsysteminterface.h>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include "codec/codec.h"
#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/selpr6.h"
#include "main_window/form1.h"
#include "platform/file_slots.h"
#include "session/session.h"
#include "tests/platform/gui_test.h"

namespace tambril::test {

inline const QString kDeviceError = QStringLiteral("Fehler beim Lesen von/Schreiben auf Gerät");

class CodingTest : public GuiTest {
 protected:
  Form1& main = program().mainWindow();
  Selpr6& dialog = program().fileDialog();
  Form2& encode = program().encodeDialog();
  Form3& check = program().checkDialog();
  Form4& decode = program().decodeDialog();
  session::Session& model = program().session();

  // Loads `relative` from the temporary folder through "ÖFFNEN".
  void load(const QString& relative) {
    const QString path = tempPath(relative);
    const QString folder = path.left(path.lastIndexOf(QDir::separator()));
    const QString name = path.mid(folder.size() + 1);
    dialog.PrepareOpenMode();
    ASSERT_TRUE(Control<tambril::FolderList>(dialog, "Dir1")->setPath(folder));
    ASSERT_TRUE(Control<tambril::FileList>(dialog, "File1")->refresh());
    const auto found = Control<tambril::FileList>(dialog, "File1")->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    Control<tambril::FileList>(dialog, "File1")->setCurrentItem(found.first());
    Control<QPushButton>(dialog, "Command2")->click();
    ASSERT_TRUE(model.loaded());
    ASSERT_EQ(model.loaded()->path, path);
    rec.reset();
  }

  static QByteArray Random(qsizetype n, quint32 seed = 7) {
    QRandomGenerator gen(seed);
    QByteArray bytes(n, Qt::Uninitialized);
    for (char& c : bytes) c = static_cast<char>(gen.bounded(256));
    return bytes;
  }
  QByteArray read(const QString& relative) const {
    QFile f(tempPath(relative));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
  }
  bool exists(const QString& relative) const { return QFileInfo::exists(tempPath(relative)); }
  QStringList entries(const QString& relative = {}) const {
    return QDir(tempPath(relative)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  }
  // What the codec itself writes for the same input.
  QByteArray reference(const QByteArray& plain, const std::string& password, const std::string& tag) {
    const QString in = writeFile("ref/in.bin", plain);
    const QString out = tempPath("ref/out.tmb");
    QFile::remove(out);
    codec::Encode(ToFsPath(in), ToFsPath(out), password, tag);
    return read("ref/out.tmb");
  }
  QString root() const { return QDir::toNativeSeparators(QDir::rootPath()); }
  QStringList messageTexts() const {
    QStringList texts;
    for (const auto& m : rec.messages) texts << m.text;
    return texts;
  }
};

// The user's hand on a coding dialog, through the window system as real
// input comes: the first click on OK is handed over at once; the second
// half of a double-click the moment the pass reports its first progress,
// and Return and Space on the focused OK as it reports its last, so that
// they always arrive while the pass runs, however fast that is.
class DoubleClickOnOk : public QObject {
 public:
  DoubleClickOnOk(QPushButton* ok, QProgressBar* bar) : ok_(ok) {
    connect(bar, &QProgressBar::valueChanged, this, [this](int value) {
      if (!duringThePass_) {
        duringThePass_ = true;
        click();
      } else if (value == 1) {
        key(Qt::Key_Return, QStringLiteral("\r"));
        key(Qt::Key_Space, QStringLiteral(" "));
      }
    });
  }
  // The first click; its pass starts once the dialog's event loop takes it.
  void click() {
    QWindow* window = ok_->window()->windowHandle();
    const QPointF local = ok_->mapTo(ok_->window(), QPointF(ok_->rect().center()));
    const QPointF global = ok_->mapToGlobal(QPointF(ok_->rect().center()));
    using W = QWindowSystemInterface;
    W::handleMouseEvent<W::AsynchronousDelivery>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                                 QEvent::MouseButtonPress);
    W::handleMouseEvent<W::AsynchronousDelivery>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                                 QEvent::MouseButtonRelease);
  }
  bool duringThePass() const { return duringThePass_; }

 private:
  void key(Qt::Key code, const QString& text) {
    QWindow* window = ok_->window()->windowHandle();
    using W = QWindowSystemInterface;
    W::handleKeyEvent<W::AsynchronousDelivery>(window, QEvent::KeyPress, code, Qt::NoModifier, text);
    W::handleKeyEvent<W::AsynchronousDelivery>(window, QEvent::KeyRelease, code, Qt::NoModifier, text);
  }
  QPushButton* ok_;
  bool duringThePass_ = false;
};

// Lets the window system hand over whatever input it still holds.
inline void HandlePendingInput() {
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
}

// The values a progress bar was set to, in order (a value equal to the one
// shown before makes no change and is not seen).
inline QList<int> Values(const QSignalSpy& spy) {
  QList<int> values;
  for (const auto& args : spy) values << args.at(0).toInt();
  return values;
}

inline QList<int> Stepped() {
  QList<int> values;
  for (int v = 2; v <= 20; ++v) values << v;
  values << 1;
  return values;
}

}  // namespace tambril::test
