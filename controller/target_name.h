#pragma once
// The existence test of "ERSTELLEN".
#include <QString>
#include <optional>

namespace tambril {

// Whether anything exists under `name` taken as a file pattern: "*" stands
// for any run of characters and "?" for one, and a name that ends in the
// separator stands for every entry of that folder. Folders, hidden entries
// and dangling links count as taken, so that the codec never meets them as
// its target. A folder that does not exist holds nothing. Empty when the
// folder exists but cannot be searched.
std::optional<bool> NameIsTaken(const QString& name);

}  // namespace tambril
