#include "widget_kit/dialog_look.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>
#include <QToolTip>
#include <QWidget>

#include "widget_kit/menu_keys.h"
#include "widget_kit/text_rules.h"

namespace tambril {
namespace {

// Enter and Return press the focused button, as on Windows. The button is
// still no default button, so Enter in a text box does not press it.
class EnterPressesButton : public QObject {
 public:
  explicit EnterPressesButton(QPushButton* button) : QObject(button), button_(button) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != button_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier)) return false;
    button_->click();
    return true;
  }

 private:
  QPushButton* button_;
};

// Tooltips in the program's colours: Windows' style takes the tooltip's
// text colour from the system's theme when it polishes one and paints its
// ground from the theme (under Wine light grey on white), over whatever
// palette the program gave it.
class TooltipColours : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void polish(QWidget* widget) override {
    QProxyStyle::polish(widget);
    if (widget->inherits("QTipLabel")) widget->setPalette(QToolTip::palette());
  }
  using QProxyStyle::polish;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_PanelTipLabel) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    painter->fillRect(option->rect, option->palette.brush(QPalette::ToolTipBase));
    painter->setPen(option->palette.color(QPalette::ToolTipText));
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  }
};

}  // namespace

void SetUpApplicationLook() {
  QApplication::setStyle(new TooltipColours(QApplication::style()->name()));
  QPalette tips = QToolTip::palette();
  tips.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
  tips.setColor(QPalette::ToolTipText, Qt::black);
  tips.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));
  tips.setColor(QPalette::WindowText, Qt::black);
  QToolTip::setPalette(tips);
#ifdef Q_OS_WIN
  for (const char* widgets : {static_cast<const char*>(nullptr), "QMenuBar", "QMenu", "QMessageBox", "QToolTip"}) {
    QFont font = QApplication::font(widgets);
    font.setFamilies(DialogFaces());
    QApplication::setFont(font, widgets);
  }
#endif
}

void SetUpFixedDialog(QWidget& dialog, const char* name, const QString& caption) {
  dialog.setObjectName(QLatin1String(name));
  dialog.setWindowTitle(caption);
  dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint);
  SetBackground(dialog, Qt::white);
}

void SetFixedWindowSize(QWidget& window, const QSize& size) {
  window.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  window.setFixedSize(size);
}

void SetBackground(QWidget& window, const QColor& colour) {
  QPalette pal = window.palette();
  pal.setColor(QPalette::Window, colour);
  window.setPalette(pal);
  window.setAutoFillBackground(true);
}

QMenuBar* InWindowMenuBar(QWidget* window) {
  auto* bar = new QMenuBar(window);
  bar->setObjectName(QStringLiteral("MenuBar"));
  bar->setNativeMenuBar(false);
  platform::OpenMenusWithF10(*window, *bar);
  return bar;
}

QAction* NamedItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromUtf8(name));
  return action;
}

QAction* NamedItem(QMenuBar* bar, const char* name, const QString& caption) {
  QAction* action = bar->addAction(caption);
  action->setObjectName(QString::fromUtf8(name));
  return action;
}

QMenu* NamedMenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(QString::fromUtf8(name));
  return menu;
}

void SetTabChain(std::initializer_list<QWidget*> chain) {
  for (auto it = chain.begin(); it + 1 < chain.end(); ++it) QWidget::setTabOrder(*it, *(it + 1));
}

QPushButton* DialogButton(QWidget* parent, const char* name, const QString& caption, const QRect& where) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setFont(DialogFont(8.25, true));
  button->setAutoDefault(false);
  button->installEventFilter(new EnterPressesButton(button));
  button->setGeometry(where);
  return button;
}

void DrawSunkenFrame(QPainter& painter, const QRect& r) {
  painter.setPen(Qt::gray);
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(Qt::black);
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace tambril
