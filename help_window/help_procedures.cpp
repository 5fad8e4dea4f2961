#include "help_window/help_procedures.h"

#include <QWindow>

#include "help/help_texts.h"
#include "help_window/form21.h"

namespace texts = tambril::help;

namespace Module2 {

void LoadHelpText(const HelpWindow& help) { help().SetText(texts::HelpText()); }
void LoadOpenInfo(const HelpWindow& help) { help().SetText(texts::OpenInfoText()); }
void LoadCreateEncodedInfo(const HelpWindow& help) { help().SetText(texts::CreateEncodedInfoText()); }
void LoadCreateDecodedInfo(const HelpWindow& help) { help().SetText(texts::CreateDecodedInfoText()); }
void LoadEncodeInfo(const HelpWindow& help) { help().SetText(texts::EncodeInfoText()); }
void LoadPasswordCheckInfo(const HelpWindow& help) { help().SetText(texts::PasswordCheckInfoText()); }
void LoadDecodeInfo(const HelpWindow& help) { help().SetText(texts::DecodeInfoText()); }
void LoadSearchInfo(const HelpWindow& help) { help().SetText(texts::SearchInfoText()); }
void LoadNewFolderInfo(const HelpWindow& help) { help().SetText(texts::NewFolderInfoText()); }

void ShowHelpWindow(const HelpWindow& help, QWidget* parent) {
  Form21& window = help();
  // Kept above the caller by the window manager; its maker stays the owner.
  if (parent) {
    window.winId();
    if (QWindow* own = window.windowHandle()) own->setTransientParent(parent->window()->windowHandle());
  }
  window.ShowFromStart();
}

}  // namespace Module2
