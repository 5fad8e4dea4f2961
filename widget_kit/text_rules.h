#pragma once
// Small text rules that several windows share.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace tambril {

// A number as its decimal digits after one space (a minus sign in that place
// for a negative number): 1234 gives " 1234".
QString NumberText(std::int64_t n);

// Bytes in whole mebibytes, rounded to the nearest, an exact half to the
// even neighbour: 524288 gives 0, 1572864 gives 2, 2621440 gives 2.
std::int64_t RoundedMebibytes(std::uint64_t bytes);

// Whether `needle` occurs anywhere in `text`, ignoring the case of letters.
bool ContainsNoCase(const QString& text, const QString& needle);

// A colour written as &H00BBGGRR.
QColor BgrColor(std::uint32_t bgr);

// The faces of the program's dialogs: "MS Sans Serif" where it is a scalable
// face whose bold is drawn clearly bolder than its regular letters at 8.25
// points on this screen and fits the captions as they were laid out, or
// where it is missing, then the first such face of its successors on
// Windows ("Microsoft Sans Serif", "Tahoma") and of similar faces elsewhere.
// Wine's bitmap "MS Sans Serif" is passed over, and so is a bold that comes
// out as thin as the regular letters.
QStringList DialogFaces();
// The dialog face in the given size.
QFont DialogFont(double points, bool bold = false);
// "Times New Roman" in the given size, or a similar serif face with a bold.
QFont SerifFont(double points, bool bold = false);

}  // namespace tambril
