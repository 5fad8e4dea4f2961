#pragma once
// The text of an RTF document without its formats and pictures, as UTF-8:
// what the viewer shows, for the command line and for searching.
#include <functional>
#include <string>
#include <string_view>

#include "rtf_parser.h"

namespace tambril::rtf {

// The text that the viewer shows of `rtf`: paragraphs and forced line
// breaks end with '\n' (none after the last paragraph). Data that does not
// start with an RTF header is Windows-1252 text, one character per byte.
std::string PlainText(std::string_view rtf);

// The same text for a stream of any length (see ReadFn), handed to `write`
// piece by piece as it is read, in memory bounded whatever the length.
void StreamPlainText(const ReadFn& read, const std::function<void(std::string_view)>& write);

}  // namespace tambril::rtf
