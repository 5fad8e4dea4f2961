// Shows one coding dialog as the user meets it, for looking at it on a real
// screen (for example under Xvfb with a screenshot):
//   coding_dialogs_show form2|form3|form4
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form3.h"
#include "coding_dialogs/form4.h"
#include "main_window/program.h"
#include "platform/qt_platform.h"
#include "session/session.h"
#include "tests/platform/controls.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tambril::platform::QtPlatform desktop;
  tambril::Program program(desktop);
  const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("form2");
  QDialog* shown = nullptr;
  if (which == QLatin1String("form2")) {
    Form2& f = program.encodeDialog();
    program.session().acceptTarget(QStringLiteral("/home/anna/Unterlagen/Größenänderung.tmb"));
    tambril::test::FindControl<QLineEdit>(f, "Text1")->setText(QStringLiteral("Übermäßig"));
    tambril::test::FindControl<QLineEdit>(f, "Text2")->setText(QStringLiteral("Übermäßig"));
    tambril::test::FindControl<QProgressBar>(f, "ProgressBar1")->setValue(8);
    shown = &f;
  } else if (which == QLatin1String("form3")) {
    Form3& f = program.checkDialog();
    tambril::test::FindControl<QLineEdit>(f, "Text1")->setText(QStringLiteral("geheim"));
    shown = &f;
  } else {
    Form4& f = program.decodeDialog();
    program.session().acceptTarget(QStringLiteral("/home/anna/Unterlagen/Größenänderung.doc"));
    tambril::test::FindControl<QProgressBar>(f, "ProgressBar1")->setValue(14);
    shown = &f;
  }
  shown->move(40, 40);
  shown->show();
  return app.exec();
}
