#pragma once
// The text procedures of the help window: each puts one help or info text
// into the help window Form21 (made on first use by `help`); the caller then
// shows it with ShowHelpWindow. Part of the shared procedures Module2.
#include "widget_kit/lazy.h"

class Form21;
class QWidget;

namespace Module2 {

// The help window as a window gets it: made when it is first needed.
using HelpWindow = tambril::Lazy<Form21>;

void LoadHelpText(const HelpWindow& help);
void LoadOpenInfo(const HelpWindow& help);
void LoadCreateEncodedInfo(const HelpWindow& help);
void LoadCreateDecodedInfo(const HelpWindow& help);
void LoadEncodeInfo(const HelpWindow& help);
void LoadPasswordCheckInfo(const HelpWindow& help);
void LoadDecodeInfo(const HelpWindow& help);
void LoadSearchInfo(const HelpWindow& help);
void LoadNewFolderInfo(const HelpWindow& help);
// Shows the help window modally over `parent` with the text last loaded.
void ShowHelpWindow(const HelpWindow& help, QWidget* parent);

}  // namespace Module2
