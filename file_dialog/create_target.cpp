// "ERSTELLEN": accepts the name of the file a coding pass is to create and
// hands it to the coding dialog of the current mode. The dialog writes
// nothing itself; refusing every name that is taken is what keeps a coding
// pass from writing into an existing file.
#include "file_dialog/create_target.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include "coding_dialogs/form2.h"
#include "coding_dialogs/form4.h"
#include "file_dialog/selpr6.h"
#include "platform/platform.h"
#include "platform/windows.h"

using namespace tambril;
using platform::MessageIcon;

namespace tambril {
namespace {

// A name pattern as a regular expression: "*" any run, "?" one character,
// everything else itself; "*.*" is every name, with or without a dot.
QRegularExpression NameRegex(const QString& pattern) {
  QString re;
  if (pattern != QLatin1String("*.*")) {
    for (const QChar c : pattern) {
      if (c == QLatin1Char('*')) {
        re += QLatin1String(".*");
      } else if (c == QLatin1Char('?')) {
        re += QLatin1Char('.');
      } else {
        re += QRegularExpression::escape(QString(c));
      }
    }
  } else {
    re = QStringLiteral(".*");
  }
  QRegularExpression::PatternOptions options = QRegularExpression::DotMatchesEverythingOption;
#ifdef Q_OS_WIN
  options |= QRegularExpression::CaseInsensitiveOption;
#endif
  return QRegularExpression(QRegularExpression::anchoredPattern(re), options);
}

}  // namespace

std::optional<bool> NameIsTaken(const QString& name) {
  const QString path = QDir::fromNativeSeparators(name);
  const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
  const QString folder = cut < 0 ? QDir::currentPath() : path.left(cut + 1);
  QString pattern = path.mid(cut + 1);
  if (pattern.isEmpty()) pattern = QStringLiteral("*");

  const QFileInfo where(folder);
  if (!where.exists() || !where.isDir()) return false;
  if (!where.isReadable() || !where.isExecutable()) return std::nullopt;

  const bool wildcards = pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?'));
  if (!wildcards) {
    const QFileInfo entry(QDir(folder).filePath(pattern));
    return entry.exists() || entry.isSymLink();
  }
  const QRegularExpression re = NameRegex(pattern);
  const QStringList entries =
      QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) {
    if (re.match(entry).hasMatch()) return true;
  }
  return false;
}

}  // namespace tambril

void Selpr6::Command1_Click() {
  auto& p = platform::Current();
  const QString name = Text1->text();
  const std::optional<bool> taken = NameIsTaken(name);
  if (!taken) {
    p.beep();
    p.messageBox(this, QStringLiteral("Fehler beim Lesen von/Schreiben auf Gerät"), QStringLiteral("ERROR"),
                 MessageIcon::None);
    GoToFallbackPlace();
    return;
  }
  if (*taken) {
    p.messageBox(this, QStringLiteral("Datei ist schon vorhanden und kann nicht mehr erstellt werden.") + name,
                 QStringLiteral("File"), MessageIcon::None);
    return;
  }
  const QString mode = Label4->text();
  if (mode == QLatin1String("CODEON")) {
    Form2& encode = Windows::get<Form2>();
    encode.Text3->setText(name);
    hide();
    encode.exec();
  } else if (mode == QLatin1String("CODEOFF")) {
    Form4& decode = Windows::get<Form4>();
    decode.Text1->setText(name);
    hide();
    decode.exec();
  }
  Label4->clear();
}
