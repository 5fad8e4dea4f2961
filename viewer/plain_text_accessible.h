#pragma once
// The 8-bit text view as assistive technology sees it: a read-only text
// whose characters, selection, caret and character places a screen reader
// can read. It uses only the view's public face; the view itself reports
// moves of its caret and changes of its selection.
#include <QAccessibleWidget>

namespace tambril {

class PlainTextView;

class PlainTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit PlainTextAccessible(PlainTextView* view);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;

  // QAccessibleTextInterface
  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override;
  void addSelection(int startOffset, int endOffset) override;
  void removeSelection(int selectionIndex) override;
  void setSelection(int selectionIndex, int startOffset, int endOffset) override;
  int cursorPosition() const override;
  void setCursorPosition(int position) override;
  QString text(int startOffset, int endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int startIndex, int endIndex) override;
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  PlainTextView* view() const;
};

// Makes QAccessible hand out a PlainTextAccessible for every PlainTextView.
// Safe to call more than once.
void InstallPlainTextAccessibility();

}  // namespace tambril
