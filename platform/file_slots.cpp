#include "platform/file_slots.h"

namespace tambril {

codec::InputFile& FileSlots::openSlot1(const QString& path) {
  slot1_.reset();
  slot1_ = std::make_unique<codec::InputFile>(ToFsPath(path));
  return *slot1_;
}

void FileSlots::closeAll() { slot1_.reset(); }

}  // namespace tambril
