#pragma once
// Naming rules of the coding commands: the proposed names of the file a
// coding pass creates (the rules themselves, and the extension tag, are the
// codec's: codec/names.h).
#include <QString>
#include <optional>

namespace tambril {

// The proposed name of a new file (codec::ProposedPath, the rule the
// command line uses too): `letters` written over the characters after the
// first "." of the last component of `text`, one for one, stopping at the
// end of the name; its folder stays. A name without "." (or ending in its
// only ".") gets "." and the letters appended. An empty text, or one ending
// in a separator, gives nothing.
//   /d/brief.doc -> /d/brief.tmb, brief.doc -> brief.tmb, notiz.c -> notiz.t,
//   seite.html -> seite.tmbl, a.b.txt -> a.tmbxt, /alt.dir/plan.txt ->
//   /alt.dir/plan.tmb, README -> README.tmb
std::optional<QString> OverwriteAfterFirstDot(const QString& text, const QString& letters);

}  // namespace tambril
