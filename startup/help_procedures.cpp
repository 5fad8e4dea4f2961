#include "startup/module2.h"

// Placeholders until the help window exists: the texts are in help_texts.h.
namespace Module2 {
void LoadHelpText() {}
void LoadOpenInfo() {}
void LoadCreateEncodedInfo() {}
void LoadCreateDecodedInfo() {}
void LoadEncodeInfo() {}
void LoadPasswordCheckInfo() {}
void LoadDecodeInfo() {}
void LoadSearchInfo() {}
void LoadNewFolderInfo() {}
void ShowHelpWindow(QWidget*) {}
}  // namespace Module2
