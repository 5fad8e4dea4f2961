#include "codec/path_marks.h"

#include <algorithm>

namespace tambril::codec {
namespace {

// Whether `mark` (lower case ASCII) occurs in `path`, ASCII letters in any case.
bool ContainsMark(std::string_view path, std::string_view mark) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::search(path.begin(), path.end(), mark.begin(), mark.end(),
                     [&](char a, char b) { return lower(a) == b; }) != path.end();
}

}  // namespace

bool NamesEncodedFile(std::string_view path) { return ContainsMark(path, ".tmb"); }
bool NamesRtfFile(std::string_view path) { return ContainsMark(path, ".rtf"); }

}  // namespace tambril::codec
