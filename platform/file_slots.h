#pragma once
// The program's numbered file handles. File slot 1 is the loaded file: opened
// by loading, read by the coding passes at explicit positions, and closed only
// by the next load or the end of the program. The program has one, handed to
// what uses it (main_window/program.h).
//
// Also the one conversion between the paths the windows show and the names
// the file system knows. A name on disk is a string of bytes; one that is not
// UTF-8 (an old Latin-1 archive, some USB sticks) is shown with U+FFFD where
// a byte is not, and that text no longer says which file it was. The file
// dialog's lists keep the real bytes beside each shown name and remember
// every such path here, so that a shown path, or a path inside a shown
// folder, leads back to the very file or folder the user chose.
#include <QByteArray>
#include <QString>
#include <filesystem>
#include <memory>

#include "codec/files.h"

namespace tambril {

class FileSlots {
 public:
  // The loaded file, or nullptr while none is open.
  codec::InputFile* slot1() const { return slot1_.get(); }
  // Opens `path` as file slot 1, closing what it held first. Throws
  // codec::CodecError when the file cannot be opened, and at once, with
  // NotRegularFile, for anything but a regular file.
  codec::InputFile& openSlot1(const QString& path);
  // Closes every file the program holds open.
  void closeAll();

 private:
  std::unique_ptr<codec::InputFile> slot1_;
};

// A path as the codec's file classes take it: the real bytes of a path the
// windows showed, or of a path inside a shown folder; any other text in the
// file system's encoding.
std::filesystem::path ToFsPath(const QString& path);

// The text shown for the name or path `real`: UTF-8, with U+FFFD where a
// byte is not.
QString ShownName(const QByteArray& real);
// Notes that `shown` stands for `real` from now on (a later note for the same
// text wins). Paths whose text gives their bytes back need no note.
void RememberShownPath(const QString& shown, const QByteArray& real);
// The real bytes of `shown`: those of the longest noted path that `shown` is
// or lies inside, followed by the rest in UTF-8.
QByteArray RealPath(const QString& shown);

}  // namespace tambril
