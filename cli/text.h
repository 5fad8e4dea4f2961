#pragma once
// Text as tambril-cli prints it: file names that always take one line, and
// stored tags that can send nothing to a terminal.
#include <filesystem>
#include <string>
#include <string_view>

#include "codec/files.h"

namespace tambril::cli {

// A file name for printing: as it is when every character prints, else
// quoted as a shell reads it back ($'a\nb', $'x\ty', $'caf\xe9'), so that
// a newline, a tab, an escape, another control character or a byte that is
// not UTF-8 never breaks a line or reaches the terminal.
std::string Quoted(std::string_view name);

// A command-line argument for a usage error: in quotes ('-x'), or quoted
// as a file name is where it holds what cannot be printed ($'-\E[2J').
std::string QuotedArgument(std::string_view argument);

// A stored tag (Windows-1252 bytes) as UTF-8 for printing: control
// characters become "?" so that a damaged or hostile header cannot send
// escape sequences to a terminal.
std::string PrintableTag(std::string_view tag);

// The line of a failure: "SOURCE -> TARGET: why" where the target went
// wrong, "SOURCE: why" where the source did; each name once, quoted.
std::string FailureLine(const std::filesystem::path& source, const std::filesystem::path& target,
                        const codec::CodecError& e);

}  // namespace tambril::cli
