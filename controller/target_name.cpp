// Whether a name for a new file is taken. Refusing every name that is taken
// is what keeps a coding pass from writing into an existing file.
#include "controller/target_name.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <filesystem>

#include "codec/files.h"
#include "controller/path_rules.h"
#include "platform/file_slots.h"
#include "platform/file_system.h"

namespace tambril {
namespace {

// A name pattern as a regular expression: "*" any run, "?" one character,
// everything else itself; "*.*" is every name, with or without a dot.
QRegularExpression NameRegex(const QString& pattern) {
  const QString re = WildcardRegex(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
  QRegularExpression::PatternOptions options = QRegularExpression::DotMatchesEverythingOption;
  if (platform::NamesIgnoreCase()) options |= QRegularExpression::CaseInsensitiveOption;
  return QRegularExpression(QRegularExpression::anchoredPattern(re), options);
}

// Errors that only say that nothing is there.
bool IsAbsence(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

}  // namespace

std::optional<bool> NameIsTaken(const QString& name) {
  namespace fs = std::filesystem;
  const QString path = QDir::fromNativeSeparators(name);
  const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
  const QString folder = cut < 0 ? QDir::currentPath() : path.left(cut + 1);
  QString pattern = path.mid(cut + 1);
  if (pattern.isEmpty()) pattern = QStringLiteral("*");

  // Asked of the file system itself, so that a refusal is told apart from
  // an empty or missing folder.
  std::error_code ec;
  const fs::path where = ToFsPath(folder);
  const fs::file_status status = fs::status(where, ec);
  if (ec) return IsAbsence(ec) ? std::optional<bool>(false) : std::nullopt;
  if (!fs::is_directory(status)) return false;

  const bool wildcards = pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?'));
  if (!wildcards) {
    return codec::EntryStands(ToFsPath(path));  // names as they are written, "x." too
  }
  const QRegularExpression re = NameRegex(pattern);
  for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
    if (re.match(platform::ShownFileName(it->path())).hasMatch()) return true;
  }
  if (ec) return std::nullopt;
  return false;
}

}  // namespace tambril
