#include "coding_dialogs/dialog_parts.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "codec/codec.h"
#include "file_dialog/selpr6.h"
#include "platform/platform.h"
#include "session/session.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

namespace tambril::coding {
namespace {

QRect Px(QRect twips) { return TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()); }

template <class W>
W* Placed(QWidget* parent, const char* name, QRect twips) {
  return NamedControl<W>(parent, name, Px(twips));
}

}  // namespace

QLabel* Label(QWidget* parent, const char* name, const QString& caption, QRect twips) {
  auto* label = Placed<QLabel>(parent, name, twips);
  label->setText(caption);
  label->setFont(DialogFont(8.25, true));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QLineEdit* PasswordBox(QWidget* parent, const char* name, QRect twips) {
  auto* box = Placed<QLineEdit>(parent, name, twips);
  box->setFont(DialogFont(12, true));
  box->setEchoMode(QLineEdit::Password);
  box->setMaxLength(static_cast<int>(codec::kMaxPasswordLength));
  // 88 is "X": the character shown for every typed one.
  box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 88; background: #E0E0E0; }"));
  QPalette pal = box->palette();
  pal.setColor(QPalette::Base, BgrColor(0x00E0E0E0));
  box->setPalette(pal);
  return box;
}

QLineEdit* NameBox(QWidget* parent, const char* name, QRect twips) {
  auto* box = Placed<QLineEdit>(parent, name, twips);
  box->setFont(DialogFont(8.25, true));
  // The name was checked by the file dialog; it is shown, not edited here.
  box->setReadOnly(true);
  QPalette pal = box->palette();
  pal.setColor(QPalette::Base, Qt::white);
  box->setPalette(pal);
  return box;
}

QProgressBar* ProgressBar(QWidget* parent, const char* name, QRect twips) {
  auto* bar = Placed<QProgressBar>(parent, name, twips);
  bar->setRange(1, 20);
  bar->setValue(1);
  bar->setTextVisible(false);
  return bar;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect twips) {
  return DialogButton(parent, name, caption, Px(twips));
}

QLabel* Picture(QWidget* parent, const char* name, const QPixmap& picture, QRect twips) {
  auto* label = Placed<QLabel>(parent, name, twips);
  label->setPixmap(picture.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

void ShowTarget(QWidget& dialog, QLineEdit& box, const session::Session& session) {
  const auto show = [&box, &session] { box.setText(session.target()); };
  QObject::connect(&session, &session::Session::changed, &dialog, show);
  show();
}

void SetUpDialog(QWidget& dialog, const char* name, const QString& caption, int widthTwips, int heightTwips) {
  SetUpFixedDialog(dialog, name, caption);
  dialog.setFont(DialogFont(8.25));
  dialog.setFixedSize(TwipsSize(widthTwips, heightTwips));
}

Outcome RunCodingPass(QWidget& dialog, QWidget* button, QProgressBar& bar, platform::Platform& p, Presenter& presenter,
                      const std::function<Outcome(const PassWatch&)>& pass) {
  bool begun = false;
  const PassWatch watch{[&] {
                          begun = true;
                          p.setPointer(&dialog, platform::Pointer::Busy);
                          p.setPointer(button, platform::Pointer::Busy);
                        },
                        [&bar](int value) { bar.setValue(value); }};
  const Outcome done = pass(watch);
  if (!done) {
    if (begun) {
      presenter.show(*done.failure, &dialog, {&dialog, button});
    } else {
      presenter.show(*done.failure, &dialog);
    }
    return done;
  }
  p.setPointer(&dialog, platform::Pointer::Normal);
  p.setPointer(button, platform::Pointer::Normal);
  dialog.hide();
  return done;
}

}  // namespace tambril::coding
