#pragma once
// The program's numbered file handles. File slot 1 is the loaded file: opened
// by loading, read by the coding passes at explicit positions, and closed only
// by the next load or the end of the program. Reach it through Files().
#include <QString>
#include <memory>

#include "codec/files.h"

namespace tambril {

class FileSlots {
 public:
  // The loaded file, or nullptr while none is open.
  codec::InputFile* slot1() const { return slot1_.get(); }
  // Opens `path` as file slot 1, closing what it held first. Throws
  // codec::CodecError when the file cannot be opened.
  codec::InputFile& openSlot1(const QString& path);
  // Closes every file the program holds open.
  void closeAll();

 private:
  std::unique_ptr<codec::InputFile> slot1_;
};

// The program's one FileSlots, from the window registry.
FileSlots& Files();

// A path as the codec's file classes take it.
std::filesystem::path ToFsPath(const QString& path);

}  // namespace tambril
