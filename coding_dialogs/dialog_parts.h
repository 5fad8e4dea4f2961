#pragma once
// Pieces the three coding dialogs share: their controls as drawn, the
// sunken frames, and the error block that ends a failed coding step.
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPainter;
class QPixmap;
class QProgressBar;
class QPushButton;
class QWidget;

namespace tambril::coding {

// The message of every failed coding step.
inline const QString kDeviceError = QStringLiteral("Fehler beim Lesen von/Schreiben auf Gerät");

// Rectangles are in twips (left, top, width, height).
QLabel* Label(QWidget* parent, const char* name, const QString& caption, QRect twips);
// A password box: "X" for every character, at most 15 of them, light grey, bold 12 pt.
QLineEdit* PasswordBox(QWidget* parent, const char* name, QRect twips);
// The box that shows the path of the file to create: white, bold 8.25 pt.
QLineEdit* NameBox(QWidget* parent, const char* name, QRect twips);
QProgressBar* ProgressBar(QWidget* parent, const char* name, QRect twips);
QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect twips);
QLabel* Picture(QWidget* parent, const char* name, const QPixmap& picture, QRect twips);
// A white dialog of the given client size in twips, with a fixed frame.
void SetUpDialog(QWidget& dialog, const char* name, const QString& caption, int widthTwips, int heightTwips);

// A frame of lines round `twips`: grey at the top and left, black below
// and right.
void DrawSunkenFrame(QPainter& painter, QRect twips);

// The error block of the coding dialogs: beep, the device message, the
// pointers of `dialog` and `button` back to the arrow (only when a button
// is given: the dialogs that show the busy pointer), and the file dialog
// back to the file system's root.
void ReportDeviceError(QWidget* dialog, QWidget* button);

}  // namespace tambril::coding
