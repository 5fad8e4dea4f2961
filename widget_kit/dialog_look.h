#pragma once
// The look the program's fixed-size dialogs share.
#include <QAction>
#include <QRect>
#include <QSize>
#include <QString>
#include <initializer_list>

class QColor;
class QMenu;
class QMenuBar;
class QPainter;
class QPushButton;
class QWidget;

namespace tambril {

// The program's look for the whole application, set once after the
// application object is made: tooltips black on pale yellow whatever the
// system's palette says (Wine's gives light grey on white); on Windows,
// menus, message boxes and tooltips in the dialog face, since Wine lacks the
// system's own fonts and Qt would fall back to a serif face.
void SetUpApplicationLook();

// Names the dialog and gives it its caption, a frame that cannot be resized
// (title bar, system menu and close button only) and a white background.
void SetUpFixedDialog(QWidget& dialog, const char* name, const QString& caption);

// Gives `window` the fixed size `size` (pixels) and a frame without a
// resizing edge: on Windows a thin one, which Wine hands on to the window
// manager as a window that cannot be resized, so that no resize handle is
// drawn along its bottom edge.
void SetFixedWindowSize(QWidget& window, const QSize& size);

// Fills the window's background with `colour`.
void SetBackground(QWidget& window, const QColor& colour);

// A menu bar named "MenuBar", drawn inside `window` (never the desktop's
// global menu).
QMenuBar* InWindowMenuBar(QWidget* window);

// An entry of a menu or menu bar and a drop-down menu of a menu bar, each
// named as the program's code knows it (`name` is UTF-8).
QAction* NamedItem(QMenu* menu, const char* name, const QString& caption);
QAction* NamedItem(QMenuBar* bar, const char* name, const QString& caption);
QMenu* NamedMenu(QMenuBar* bar, const char* name, const QString& caption);

// Connects a checkable menu item whose handler sets the marks itself: the
// flip of its mark that choosing the item makes is undone before `handler`
// runs.
template <class Window>
void ConnectMarkedItem(QAction* item, Window* window, void (Window::*handler)()) {
  QObject::connect(item, &QAction::triggered, window, [item, window, handler](bool checked) {
    item->setChecked(!checked);
    (window->*handler)();
  });
}

// A new control of type W in `parent`, named `name` (as the program's code
// knows it) and placed at `where` (pixels).
template <class W>
W* NamedControl(QWidget* parent, const char* name, const QRect& where) {
  auto* control = new W(parent);
  control->setObjectName(QString::fromUtf8(name));
  control->setGeometry(where);
  return control;
}

// Tab moves the focus through `chain` in this order.
void SetTabChain(std::initializer_list<QWidget*> chain);

// A push button of the dialogs: bold 8.25 pt caption; Enter presses it when
// it has the focus, never from elsewhere in the dialog; `where` in pixels.
QPushButton* DialogButton(QWidget* parent, const char* name, const QString& caption, const QRect& where);

// A frame of lines round `r` (pixels): grey at the top and left, black below
// and right, so that the inside looks sunken.
void DrawSunkenFrame(QPainter& painter, const QRect& r);

}  // namespace tambril
