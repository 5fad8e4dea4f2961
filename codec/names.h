#pragma once
// The names of the files a coding pass creates, and the extension tag stored
// in an encoded file. Two rules: the windows propose a name with the tag
// written over the characters after the first "." (brief.doc gives
// brief.tmb, and decoded again brief.doc); the command line appends ".tmb"
// to the whole name, as file compressors do, so that every name comes back
// and no two sources want one target (brief.doc gives brief.doc.tmb). A
// decode on the command line understands files made by either rule.
#include <optional>
#include <string>
#include <string_view>

#include "paths.h"

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

// The extension tag of a file to encode: the last three characters of its
// absolute path (UTF-8) as Windows-1252 bytes, fewer when the path is
// shorter; a character outside the code page counts as "?".
//   /d/brief.doc -> doc, /d/notiz.c -> z.c, /d/lied.mpä -> "mp\xE4"
std::string ExtensionTag(std::string_view absolutePath);

// A stored tag (Windows-1252 bytes) as UTF-8 letters for a file name: a
// path separator, a control character or NUL becomes "_", since the tag
// comes from the file and is not to be trusted.
std::string TagForFileName(std::string_view tag);

// A decoded file's name (UTF-8) as one that `style`'s system holds as a
// file and its user can handle: "." and ".." name folders, so their dots
// become "_" ("_", "__"). On Windows also each of <>:"|?* and each control
// character becomes "_", and so does each dot or space at the end of the
// name; a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in
// any case, with any extension) gets a "_" after it (NUL.txt -> NUL_.txt).
std::string HoldableName(std::string_view name, PathStyle style = kNativePathStyle);

// Whether `name` is one Windows keeps for a device, whatever follows its
// first "." (CON, con.txt, LPT1.tar.gz).
bool IsDeviceName(std::string_view name);

// The command line's encoded file: ".tmb" appended to the whole path
//   (brief.doc -> brief.doc.tmb, .a -> .a.tmb, x.tmb -> x.tmb.tmb).
std::string EncodedPath(std::string_view path);

// The command line's decoded file of `encodedPath` with stored `tag`: for a
// name P.tmb whose P agrees with the tag (as far as P's name reaches, at
// most its last three characters) or has an extension of its own
// (report.pdf.tmb with tag txt), P itself; otherwise the windows' name,
// the tag written after the first "." (brief.tmb with tag doc gives
// brief.doc, x.t with tag x.c gives x.x ... see ProposedPath). The name
// ends in ".tmb" only where the tag is "tmb" (x.tmb.tmb with tag doc gives
// x.doc). The name is one this system can hold (HoldableName). A path
// ending in a separator comes back as it is.
std::string DecodedPath(std::string_view encodedPath, std::string_view tag);

// Whether the last component of `path` ends in ".tmb" (any case) after at
// least one character: the names EncodedPath gives.
bool HasTmbSuffix(std::string_view path);

}  // namespace tambril::codec
