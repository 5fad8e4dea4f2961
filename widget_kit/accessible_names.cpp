#include "widget_kit/accessible_names.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tambril::platform {

namespace {

// On Linux Qt reads a drop-down list by its current entry ("/", "*.*") and
// drops the name it was given, so a screen reader would say "/" for the
// drive list. A named list is read by its name instead; the entry stays its
// value, and its popup list, its edit line and its actions stay as they were.
class NamedComboBox : public QAccessibleWidget {
 public:
  explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
    addControllingSignal(QStringLiteral("activated(int)"));
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    if (t == QAccessible::Name) return box()->accessibleName();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = box()->view()->isVisible();
    s.editable = box()->isEditable();
    return s;
  }

  // The popup list first, then the edit line of an editable list.
  int childCount() const override { return box()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->isEditable()) return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == box()->view()) return 0;
    if (box()->isEditable() && child->object() == box()->lineEdit()) return 1;
    return -1;
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  // The edit line never has the focus itself: the list is its focus proxy.
  QAccessibleInterface* focusChild() const override { return box()->isEditable() ? child(1) : nullptr; }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (box()->view()->isVisible()) {
      box()->hidePopup();
    } else {
      box()->showPopup();
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* NamedComboBoxes(const QString&, QObject* object) {
  auto* box = qobject_cast<QComboBox*>(object);
  if (box && !box->accessibleName().isEmpty()) return new NamedComboBox(box);
  return nullptr;
}

// Qt asks the newest factory first, so this one comes after the
// application's own; installing it twice does nothing.
void InstallNamedComboBoxes() { QAccessible::installFactory(NamedComboBoxes); }

// An interface Qt made before the list had its name (while the list was
// filled, say) is dropped, so that the next question gets a named one.
void ReplaceUnnamedInterface(QComboBox& box) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&box);
  if (a && !dynamic_cast<NamedComboBox*>(a)) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(a));
}

}  // namespace

void NameAfterLabel(QLabel& label, QWidget& control) {
  label.setBuddy(&control);
  QString name = label.text().trimmed();
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  Name(control, name.trimmed());
}

void Name(QWidget& control, const QString& name) {
  control.setAccessibleName(name);
  if (auto* box = qobject_cast<QComboBox*>(&control)) {
    InstallNamedComboBoxes();
    ReplaceUnnamedInterface(*box);
  }
}

}  // namespace tambril::platform
