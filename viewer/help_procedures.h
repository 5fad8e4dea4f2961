#pragma once
// The text procedures of the help window: each puts one help or info text
// into the help window Form21 (created on first use); the caller then shows
// it with ShowHelpWindow. Part of the shared procedures Module2.
class QWidget;

namespace Module2 {

void LoadHelpText();
void LoadOpenInfo();
void LoadCreateEncodedInfo();
void LoadCreateDecodedInfo();
void LoadEncodeInfo();
void LoadPasswordCheckInfo();
void LoadDecodeInfo();
void LoadSearchInfo();
void LoadNewFolderInfo();
// Shows the help window modally over `parent` with the text last loaded.
void ShowHelpWindow(QWidget* parent);

}  // namespace Module2
