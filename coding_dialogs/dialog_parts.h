#pragma once
// Pieces the three coding dialogs share: their controls as drawn and the
// step that runs a coding pass.
#include <QRect>
#include <QString>
#include <functional>

#include "platform/windows.h"

class QLabel;
class QLineEdit;
class QPixmap;
class QProgressBar;
class QPushButton;
class QWidget;
class Selpr6;

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
void ShowTarget(QWidget& dialog, QLineEdit& box, session::Session& session);
// A white dialog of the given client size in twips, with a fixed frame.
void SetUpDialog(QWidget& dialog, const char* name, const QString& caption, int widthTwips, int heightTwips);

// The OK step of the encode and decode dialogs: `pass` runs under the busy
// pointer of `dialog` and `button`. When it succeeds, the name box of the
// file dialog (`files`) shows the loaded file again, the pointers go back to
// the arrow and the dialog hides; when it throws, the file dialog's device
// error block ends the step and the dialog stays.
void RunCodingPass(QWidget& dialog, QWidget* button, const Lazy<Selpr6>& files, const std::function<void()>& pass);

}  // namespace tambril::coding
