#include "viewer/help_procedures.h"

#include <QWindow>

#include "platform/windows.h"
#include "startup/help_texts.h"
#include "viewer/form21.h"

using tambril::Windows;
namespace texts = tambril::startup;

namespace Module2 {
namespace {
void Put(const QString& text) { Windows::get<Form21>().SetText(text); }
}  // namespace

void LoadHelpText() { Put(texts::HelpText()); }
void LoadOpenInfo() { Put(texts::OpenInfoText()); }
void LoadCreateEncodedInfo() { Put(texts::CreateEncodedInfoText()); }
void LoadCreateDecodedInfo() { Put(texts::CreateDecodedInfoText()); }
void LoadEncodeInfo() { Put(texts::EncodeInfoText()); }
void LoadPasswordCheckInfo() { Put(texts::PasswordCheckInfoText()); }
void LoadDecodeInfo() { Put(texts::DecodeInfoText()); }
void LoadSearchInfo() { Put(texts::SearchInfoText()); }
void LoadNewFolderInfo() { Put(texts::NewFolderInfoText()); }

void ShowHelpWindow(QWidget* parent) {
  Form21& help = Windows::get<Form21>();
  // Kept above the caller by the window manager; the registry stays the owner.
  if (parent) {
    help.winId();
    if (QWindow* own = help.windowHandle()) own->setTransientParent(parent->window()->windowHandle());
  }
  help.ShowFromStart();
}

}  // namespace Module2
