#include "viewer/plain_text_accessible.h"

#include <QWidget>
#include <algorithm>
#include <limits>

#include "viewer/plain_text_view.h"

namespace tambril {

namespace {

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className == QLatin1String("tambril::PlainTextView") && object && object->isWidgetType()) {
    return new PlainTextAccessible(static_cast<PlainTextView*>(object));
  }
  return nullptr;
}

}  // namespace

PlainTextAccessible::PlainTextAccessible(PlainTextView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

PlainTextView* PlainTextAccessible::view() const { return static_cast<PlainTextView*>(widget()); }

void* PlainTextAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString PlainTextAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Name) return QAccessibleWidget::text(t);
  // The view itself or the box that holds it carries the name.
  for (const QWidget* w = widget(); w && !w->isWindow(); w = w->parentWidget()) {
    if (!w->accessibleName().isEmpty()) return w->accessibleName();
  }
  return QAccessibleWidget::text(t);
}

QAccessible::State PlainTextAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = true;
  s.editable = false;
  s.multiLine = true;
  s.selectableText = true;
  return s;
}

int PlainTextAccessible::characterCount() const {
  return static_cast<int>(std::min<qint64>(view()->length(), std::numeric_limits<int>::max()));
}

QString PlainTextAccessible::text(int startOffset, int endOffset) const {
  const int n = characterCount();
  startOffset = std::clamp(startOffset, 0, n);
  // -1 as the end means up to the end of the text.
  endOffset = endOffset < 0 ? n : std::clamp(endOffset, startOffset, n);
  // The bus carries strings that end at NUL, so a NUL byte is handed out as
  // the replacement character; every other byte stays its own character.
  QString s = view()->text(startOffset, endOffset - startOffset);
  s.replace(QChar(u'\0'), QChar(0xFFFD));
  return s;
}

int PlainTextAccessible::selectionCount() const { return view()->selectionLength() > 0 ? 1 : 0; }

void PlainTextAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
  *startOffset = *endOffset = 0;
  if (selectionIndex != 0 || selectionCount() == 0) return;
  *startOffset = static_cast<int>(view()->selectionStart());
  *endOffset = static_cast<int>(view()->selectionStart() + view()->selectionLength());
}

void PlainTextAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void PlainTextAccessible::removeSelection(int selectionIndex) {
  if (selectionIndex == 0) view()->setCaretPosition(view()->caretPosition());
}

void PlainTextAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
  if (selectionIndex != 0) return;
  const int n = characterCount();
  const int a = std::clamp(std::min(startOffset, endOffset), 0, n);
  const int b = std::clamp(std::max(startOffset, endOffset), 0, n);
  view()->select(a, b - a);
}

int PlainTextAccessible::cursorPosition() const { return static_cast<int>(view()->caretPosition()); }

void PlainTextAccessible::setCursorPosition(int position) {
  view()->setCaretPosition(std::clamp(position, 0, characterCount()));
}

// In screen coordinates; a character out of view has no rectangle.
QRect PlainTextAccessible::characterRect(int offset) const {
  const QRect r = view()->characterRect(offset);
  if (r.isNull()) return QRect();
  return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
}

int PlainTextAccessible::offsetAtPoint(const QPoint& point) const {
  return static_cast<int>(view()->characterAt(view()->viewport()->mapFromGlobal(point)));
}

void PlainTextAccessible::scrollToSubstring(int startIndex, int endIndex) {
  // Selecting scrolls the text into view.
  setSelection(0, startIndex, endIndex);
}

QString PlainTextAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  // One run without attributes over the whole text.
  *startOffset = 0;
  *endOffset = characterCount();
  Q_UNUSED(offset);
  return QString();
}

void InstallPlainTextAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  Q_UNUSED(installed);
}

}  // namespace tambril
