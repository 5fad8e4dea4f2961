#pragma once
// Form21: the help window "HILFE", one read-only text box in which every help and
// info text of the program is read. A caller puts its text in first
// (Module2's Load... procedures, through SetText) and then shows the window
// modally. The menu
// offers three character sizes and copying the whole text. Created once and
// afterwards only hidden, so its size and position stay for the whole run.
#include <QDialog>
#include <QPlainTextEdit>
#include "platform/platform.h"
#include "sound/sound_service.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace tambril {

// The help window's text box. It keeps the text exactly as it was assigned
// (CR LF line ends included), which is what "Copy" puts on the clipboard.
class HelpTextBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit HelpTextBox(QWidget* parent = nullptr);
  void setText(const QString& text);
  const QString& text() const { return text_; }

 private:
  QString text_;
};

}  // namespace tambril

class Form21 : public QDialog {
  Q_OBJECT

 public:
  // The three character sizes; sizes in twips are measured from "Standard".
  enum class Size { Small, Medium, Large };
  struct SizeRule {
    double points;
    int widthDelta;   // twips, against the medium size
    int heightDelta;  // twips, against the medium size
  };
  static SizeRule RuleOf(Size size);

  Form21(tambril::platform::Platform& platform, Module2::SoundService& sounds, QWidget* parent = nullptr);

  // Event handlers.
  void Form_Load();
  void Abbrechen_Click();
  void Gross_Click();
  void Standard_Click();
  void Klein_Click();
  void TeCopy_Click();
  void Text1_KeyDown(int key);

  // The text to read next, shown from its start.
  void SetText(const QString& text);
  // Shows the window modally from the start of its text.
  void ShowFromStart();

  Size characterSize() const { return size_; }
  // The client area and the text box as the size rule set them, in twips.
  QSize clientTwips() const { return clientTwips_; }
  QSize textTwips() const { return textTwips_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ChangeSize(Size next);

  tambril::platform::Platform& platform_;
  Module2::SoundService& sounds_;
  // The text as SetText gave it, which "Copy" puts on the clipboard.
  QString text_;
  void ApplySize();

  Size size_ = Size::Small;
  QSize clientTwips_{6375, 3345};
  QSize textTwips_{6135, 3015};

 private:
  // The controls; others reach them only by their objectName.
  tambril::HelpTextBox* Text1;

  // The menu; others reach it only by its objectName.
  QMenuBar* MenuBar;
  QAction* Abbrechen;  // "ABBRECHEN", a top-level entry
  QMenu* Schriftart;   // "Schriftart"
  QAction* Gross;      // "Groß"
  QAction* Standard;   // "Standard"
  QAction* Klein;      // "Klein", checked at start
  QAction* TeCopy;     // "Copy", a top-level entry
};
