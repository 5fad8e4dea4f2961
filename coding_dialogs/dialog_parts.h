#pragma once
// Pieces the three coding dialogs share: their controls as drawn and the
// step that runs a coding pass.
#include <QRect>
#include <QString>
#include <functional>

#include "controller/controller.h"
#include "platform/platform.h"
#include "presenter/presenter.h"

class QLabel;
class QLineEdit;
class QPixmap;
class QProgressBar;
class QPushButton;
class QWidget;

namespace tambril::session {
class Session;
}

namespace tambril::coding {

// Rectangles are in twips (left, top, width, height).
QLabel* Label(QWidget* parent, const char* name, const QString& caption, QRect twips);
// A password box: "X" for every character, at most 15 of them, light grey, bold 12 pt.
QLineEdit* PasswordBox(QWidget* parent, const char* name, QRect twips);
// The box that shows the path of the file to create: white, bold 8.25 pt.
QLineEdit* NameBox(QWidget* parent, const char* name, QRect twips);
QProgressBar* ProgressBar(QWidget* parent, const char* name, QRect twips);
QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect twips);
QLabel* Picture(QWidget* parent, const char* name, const QPixmap& picture, QRect twips);
// Keeps `box` of `dialog` showing the target in `session`, the file to create.
void ShowTarget(QWidget& dialog, QLineEdit& box, const session::Session& session);
// A white dialog of the given client size in twips, with a fixed frame.
void SetUpDialog(QWidget& dialog, const char* name, const QString& caption, int widthTwips, int heightTwips);

// The OK step of the encode and decode dialogs: `pass` (the controller's
// encode or decode, handed the watch) runs under the busy pointer of
// `dialog` and `button`, its progress shown on `bar`. When it succeeds, the
// pointers go back to the arrow and the dialog hides; a failure is shown
// over the dialog, which stays. Returns the pass's outcome.
Outcome RunCodingPass(QWidget& dialog, QWidget* button, QProgressBar& bar, platform::Platform& platform,
                      Presenter& presenter, const std::function<Outcome(const PassWatch&)>& pass);

}  // namespace tambril::coding
