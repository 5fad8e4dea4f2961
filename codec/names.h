#pragma once
// The name proposed for the file a coding pass creates, the same in the
// windows and on the command line: the encoded file of brief.doc is
// brief.tmb beside it, and its decoded file takes the extension stored in it.
#include <optional>
#include <string>
#include <string_view>

namespace tambril::codec {

// Writes `letters` over the characters after the first "." of the last
// component of `path`, one for one, stopping at the end of the name; the
// folder part is kept as it is. A name without "." (or whose only "." is its
// last character) gets "." and the letters appended instead. Nothing when
// the path ends in a separator or is empty.
//   /d/brief.doc -> /d/brief.tmb, seite.html -> seite.tmbl, notiz.c -> notiz.t,
//   a.b.txt -> a.tmbxt, /my.d/plan.txt -> /my.d/plan.tmb, README -> README.tmb
// Text is UTF-8; a byte that starts no well-formed sequence counts as a
// character of its own, so a name that is not UTF-8 keeps its bytes.
std::optional<std::string> ProposedPath(std::string_view path, std::string_view letters);

}  // namespace tambril::codec
