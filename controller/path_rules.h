#pragma once
// Rules of paths and name patterns that the file dialog and the controller
// share: joining a folder and a name, and the wildcards of a name; no
// controls.
#include <QByteArray>
#include <QRegularExpression>
#include <QString>

namespace tambril {

// Joins a folder and a name: directly after a folder that already ends in
// the separator (a root such as "/" or "C:\"), with one separator otherwise.
QString JoinPath(const QString& folder, const QString& name);
// The same for a folder and a name as the file system names them.
QByteArray JoinRealPath(const QByteArray& folder, const QByteArray& name);

// A name pattern as the text of a regular expression (not anchored): "*"
// stands for any run of characters, "?" for one, everything else for itself.
QString WildcardRegex(const QString& pattern);

}  // namespace tambril
