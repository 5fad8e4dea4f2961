#pragma once
// The program's pictures, drawn in code: icon, start picture, the two marker
// pictures of the main window, the splash background and the info logo.
// Everything but ProgramIconImage() draws text or makes pixmaps and so needs
// a QGuiApplication.
#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QRgb>

namespace tambril::resources {

inline constexpr QRgb kDarkBlue = qRgb(0x00, 0x00, 0x40);
inline constexpr QRgb kRed = qRgb(0xD0, 0x18, 0x18);

// The sizes the icon is drawn in, smallest first.
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// A padlock over a document, square, on a transparent ground. Draws no text,
// so the build can render it without a window system.
QImage ProgramIconImage(int size);
// The icon in every size of kIconSizes.
QIcon ProgramIcon();
// The icon of an encoded file in the file manager: the coded document with
// the padlock, like the main window's encoded-file marker, square. Draws no
// text either.
QImage EncodedFileIconImage(int size);

// A Windows icon file (.ico) holding `draw` in every size of kIconSizes,
// each image stored as PNG.
QByteArray IconFile(QImage (*draw)(int));

QImage StartPicture();        // 362 x 48, shown until the first file is loaded
QImage EncodedFilePicture();  // 50 x 45, marks an encoded file
QImage PlainFilePicture();    // 50 x 45, marks a plain file
QImage SplashBackground();    // 550 x 257, rows of coded-looking characters
QImage InfoLogo();            // 216 x 119, logo and name

}  // namespace tambril::resources
