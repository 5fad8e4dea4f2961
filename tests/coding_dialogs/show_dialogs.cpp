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
#include "platform/windows.h"
#include "session/session.h"
#include "tests/platform/controls.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("form2");
  QDialog* shown = nullptr;
  if (which == QLatin1String("form2")) {
    Form2& f = tambril::Window<Form2>();
    tambril::SharedSession().acceptTarget(QStringLiteral("/home/anna/Unterlagen/Größenänderung.tmb"));
    tambril::test::FindControl<QLineEdit>(f, "Text1")->setText(QStringLiteral("Übermäßig"));
    tambril::test::FindControl<QLineEdit>(f, "Text2")->setText(QStringLiteral("Übermäßig"));
    tambril::test::FindControl<QProgressBar>(f, "ProgressBar1")->setValue(8);
    shown = &f;
  } else if (which == QLatin1String("form3")) {
    Form3& f = tambril::Window<Form3>();
    tambril::test::FindControl<QLineEdit>(f, "Text1")->setText(QStringLiteral("geheim"));
    shown = &f;
  } else {
    Form4& f = tambril::Window<Form4>();
    tambril::SharedSession().acceptTarget(QStringLiteral("/home/anna/Unterlagen/Größenänderung.doc"));
    tambril::test::FindControl<QProgressBar>(f, "ProgressBar1")->setValue(14);
    shown = &f;
  }
  shown->move(40, 40);
  shown->show();
  const int code = app.exec();
  tambril::Windows::clear();
  return code;
}
