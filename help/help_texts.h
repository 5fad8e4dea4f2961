#pragma once
// The nine fixed German texts of the help window. Each is a list of lines,
// and every line, the last one too, is followed by CR LF. Leading and
// trailing spaces belong to the lines.
#include <QString>

namespace tambril::help {

QString HelpText();               // main window: "Hilfe" and F1
QString OpenInfoText();           // file dialog loading a file
QString CreateEncodedInfoText();  // file dialog naming the target of an encoding
QString CreateDecodedInfoText();  // file dialog naming the target of a decoding
QString EncodeInfoText();         // encode dialog
QString PasswordCheckInfoText();  // password check dialog
QString DecodeInfoText();         // decode dialog
QString SearchInfoText();         // search dialog
QString NewFolderInfoText();      // new-folder dialog

}  // namespace tambril::help
