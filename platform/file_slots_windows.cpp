// Shown and real names on Windows: names are UTF-16 there and every one can
// be shown as it is.
#include "platform/file_slots.h"

namespace tambril {

QString ShownName(const QByteArray& real) { return QString::fromUtf8(real); }
void RememberShownPath(const QString&, const QByteArray&) {}
QByteArray RealPath(const QString& shown) { return shown.toUtf8(); }
std::filesystem::path ToFsPath(const QString& path) { return std::filesystem::path(path.toStdWString()); }

}  // namespace tambril
