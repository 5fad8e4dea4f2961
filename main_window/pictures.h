#pragma once
// The main window's pictures, drawn by the program itself.
#include <QPixmap>

namespace tambril {

QPixmap StartPicture();    // 362 x 48
QPixmap EncodedPicture();  // 50 x 45, a closed lock
QPixmap PlainPicture();    // 50 x 45, an open lock
QIcon ProgramIcon();

}  // namespace tambril
