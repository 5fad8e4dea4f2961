#pragma once
// The names tambril-cli proposes for the files it creates, and the extension
// tag it stores. The naming rule itself is the codec's (codec/names.h), the
// one the windows use too.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tambril::cli {

// The proposed name of the encoded file: "tmb" after the first "." of the
// name (brief.doc gives brief.tmb, notiz.c gives notiz.t, README gives
// README.tmb).
std::string EncodedFileName(std::string_view plainName);

// The proposed name of the decoded file: the stored tag after the first ".".
// Tag characters that cannot stand in a file name become "_".
std::string DecodedFileName(std::string_view encodedName, const std::array<std::uint8_t, 3>& tag);

// The target beside `file`, with the name the rule gives for its own name.
std::filesystem::path EncodedTarget(const std::filesystem::path& source);
std::filesystem::path DecodedTarget(const std::filesystem::path& encoded, const std::array<std::uint8_t, 3>& tag);

// The extension tag of a plain file: the last three characters of its
// absolute path as Windows-1252 bytes (fewer when the path is shorter).
std::string ExtensionTag(const std::filesystem::path& source);

// A tag character as UTF-8 for a file name: path separators, control
// characters and NUL become "_".
std::string TagCharacterForFileName(std::uint8_t byte);

// The tag as UTF-8 for printing: control characters become "?" so that a
// damaged or hostile header cannot send escape sequences to a terminal.
std::string PrintableTag(const std::array<std::uint8_t, 3>& tag);

}  // namespace tambril::cli
