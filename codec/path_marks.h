#pragma once
// What the text of a path says about its file, the same in the windows and
// on the command line: ".tmb" anywhere in it, in any letter case, marks an
// encoded file, ".rtf" a file shown formatted. Only the text counts, folder
// names included ("/alt.tmb.d/x" names an encoded file); the content is
// never looked at.
#include <string_view>

namespace tambril::codec {

bool NamesEncodedFile(std::string_view path);
bool NamesRtfFile(std::string_view path);

}  // namespace tambril::codec
