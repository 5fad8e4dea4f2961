#pragma once
// Naming rules of the coding commands: the extension tag stored in an
// encoded file and the proposed names of the file a coding pass creates.
#include <QString>
#include <cstdint>
#include <optional>

namespace tambril {

// Writes `letters` over the characters after the first "." of `text` (from
// the first character when there is no "."), one for one, stopping at the end
// of `text`: the length never changes. Needs a character at the start
// position; an empty text, or one whose first "." is its last character,
// gives nothing.
//   brief.doc -> brief.tmb, seite.html -> seite.tmbl, notiz.c -> notiz.t,
//   a.b.txt -> a.tmbxt, README -> tmbDME
std::optional<QString> OverwriteAfterFirstDot(const QString& text, const QString& letters);

// The extension tag of a loaded file: the last three characters of its path
// (the whole path when it is shorter), without looking for a ".".
QString ExtensionTag(const QString& loadedPath);

// A decoded tag comes from the file and is not to be trusted: every
// character that cannot stand in a file name (a path separator, a control
// character, NUL) becomes "_".
QString TagForFileName(const QString& tag);

// The number at the start of a number text such as " 1234" (leading spaces
// allowed); 0 when the text starts with no digit.
std::uint64_t LeadingNumber(const QString& text);

}  // namespace tambril
