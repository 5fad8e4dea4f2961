#include "platform/file_slots.h"

#include <QFile>

#include "platform/windows.h"

namespace tambril {

codec::InputFile& FileSlots::openSlot1(const QString& path) {
  slot1_.reset();
  slot1_ = std::make_unique<codec::InputFile>(ToFsPath(path));
  return *slot1_;
}

void FileSlots::closeAll() { slot1_.reset(); }

FileSlots& Files() { return Windows::get<FileSlots>(); }

std::filesystem::path ToFsPath(const QString& path) {
#ifdef Q_OS_WIN
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

}  // namespace tambril
