#include "file_dialog/browse_lists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QStorageInfo>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "platform/file_slots.h"
#include "platform/file_system.h"

namespace tambril {
namespace {

QString Native(const QString& p) { return QDir::toNativeSeparators(p); }
QString Internal(const QString& p) { return QDir::cleanPath(QDir::fromNativeSeparators(p)); }

using platform::DriveText;

// Where a list item keeps the real bytes of the path it stands for.
constexpr int kRealPathRole = Qt::UserRole + 1;

QByteArray JoinReal(const QByteArray& folder, const QByteArray& name) {
  return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// A path as shown, noted so that its shown text leads back to it.
QString Shown(const QByteArray& real) {
  const QString shown = Native(ShownName(real));
  RememberShownPath(shown, real);
  return shown;
}

struct Entry {
  QString name;     // as shown
  QByteArray real;  // the whole path as the file system knows it
};

enum class Kind { Folders, Files };

// The entries of `folder` that are of `kind`, links followed, hidden ones
// left out, sorted by their shown names whatever the case of the letters.
std::vector<Entry> ReadFolder(const QByteArray& folder, Kind kind) {
  std::vector<Entry> entries;
  const auto kindOf = kind == Kind::Folders ? platform::EntryKind::Folders : platform::EntryKind::Files;
  for (const QByteArray& name : platform::FolderEntries(folder, kindOf)) {
    entries.push_back({ShownName(name), JoinReal(folder, name)});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.real < b.real;
  });
  return entries;
}

// The list's tooltip shows over its entries only, not over the empty part
// below them.
class TooltipOverEntries : public QObject {
 public:
  explicit TooltipOverEntries(QListWidget* list) : QObject(list), list_(list) {
    list->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    if (list_->itemAt(static_cast<QHelpEvent*>(event)->pos())) return false;
    // Taken here, so that it does not go on to the list itself.
    QToolTip::hideText();
    event->accept();
    return true;
  }

 private:
  QListWidget* list_;
};

}  // namespace

// ---- drives

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  reload();
  connect(this, &QComboBox::activated, this, [this](int index) {
    const QString root = itemData(index).toString();
    if (root != drive_) {
      drive_ = root;
      emit changed(root);
    }
  });
}

QString DriveList::RootOf(const QString& path) {
  // The longest root the path lies under; on Windows every drive's root is
  // as long as the system's, so that one is only the fall-back.
  const QString p = Native(QDir::cleanPath(path)) + QDir::separator();
  QString best;
  for (const QString& root : Roots()) {
    if (p.startsWith(root, Qt::CaseInsensitive) && root.size() > best.size()) best = root;
  }
  return best.isEmpty() ? Native(QDir::rootPath()) : best;
}

QStringList DriveList::Roots() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = volume.rootPath();
    if (!QFileInfo(root).isDir()) continue;  // files mounted into a container
    if (root.startsWith(QLatin1String("/proc")) || root.startsWith(QLatin1String("/sys")) ||
        root.startsWith(QLatin1String("/dev"))) {
      continue;
    }
    roots << Native(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
  }
  const QString system = Native(QDir::rootPath());
  if (!roots.contains(system)) roots << system;
  roots.removeDuplicates();
  std::sort(roots.begin(), roots.end(),
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  return roots;
}

void DriveList::reload() {
  clear();
  for (const QString& root : Roots()) addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), DriveText(root), root);
  if (!drive_.isEmpty()) {
    const int i = indexOfRoot(drive_);
    if (i < 0) {
      addItem(DriveText(drive_), drive_);
      setCurrentIndex(count() - 1);
    } else {
      setCurrentIndex(i);
    }
  }
}

void DriveList::showPopup() {
  // A medium mounted since the last look is offered too.
  reload();
  QComboBox::showPopup();
}

int DriveList::indexOfRoot(const QString& root) const {
  for (int i = 0; i < count(); ++i) {
    if (itemData(i).toString().compare(root, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

void DriveList::setDrive(const QString& root) {
  QString r = Native(root);
  if (!r.endsWith(QDir::separator())) r += QDir::separator();
  int i = indexOfRoot(r);
  if (i < 0) {
    addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), DriveText(r), r);
    i = count() - 1;
  }
  setCurrentIndex(i);
  if (itemData(i).toString() != drive_) {
    drive_ = itemData(i).toString();
    emit changed(drive_);
  }
}

QString DriveList::followPath(const QString& path) {
  const QString p = Native(QDir::cleanPath(path)) + QDir::separator();
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = 0; i < count(); ++i) {
    const QString root = itemData(i).toString();
    if (p.startsWith(root, Qt::CaseInsensitive) && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  if (best >= 0) {
    setCurrentIndex(best);
    drive_ = itemData(best).toString();
  }
  return drive_;
}

bool DriveList::IsReadable(const QString& root) {
  const QStorageInfo volume(root);
  return volume.isValid() && volume.isReady() && FolderList::CanOpen(root);
}

// ---- folders

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  new TooltipOverEntries(this);
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (!setRealPath(item->data(kRealPathRole).toByteArray())) emit openFailed(item->data(Qt::UserRole).toString());
  });
}

bool FolderList::CanOpen(const QString& folder) { return CanOpenReal(RealPath(folder)); }

bool FolderList::CanOpenReal(const QByteArray& folder) {
  // Asks the system itself, with the rights the program runs under.
  return platform::CanListFolder(folder);
}

bool FolderList::setPath(const QString& folder) {
  const QString p = Internal(folder);
  return !p.isEmpty() && setRealPath(RealPath(Internal(QDir::current().absoluteFilePath(p))));
}

bool FolderList::setRealPath(const QByteArray& folder) {
  if (!CanOpenReal(folder)) return false;
  const QString shown = Shown(folder);
  const bool other = shown != path_ || folder != realPath_;
  path_ = shown;
  realPath_ = folder;
  fill();
  if (other) emit changed(shown);
  return true;
}

void FolderList::keyboardSearch(const QString& search) {
  if (search.isEmpty() || count() == 0) return;
  const bool goOn = sinceTyped_.isValid() && sinceTyped_.elapsed() < QApplication::keyboardInputInterval();
  sinceTyped_.start();
  // The same letter again steps on to the next name that starts with it.
  typed_ = goOn && typed_ != search ? typed_ + search : search;
  const int from = std::max(0, currentRow());
  const int first = typed_.size() == 1 ? from + 1 : from;
  for (int k = 0; k < count(); ++k) {
    QListWidgetItem* candidate = item((first + k) % count());
    if (candidate->text().trimmed().startsWith(typed_, Qt::CaseInsensitive)) {
      setCurrentItem(candidate);
      scrollToItem(candidate);
      return;
    }
  }
}

bool FolderList::refresh() {
  if (!CanOpenReal(realPath_)) return false;
  fill();
  return true;
}

void FolderList::fill() {
  clear();
  // The chain from the root down to the folder, then its sub-folders.
  // A root keeps its slash: "/" here, "C:/" on Windows.
  QList<QByteArray> chain;
  for (QByteArray folder = realPath_;;) {
    chain.prepend(folder);
    const qsizetype cut = folder.lastIndexOf('/');
    const qsizetype root = folder.startsWith('/') ? 1 : folder.indexOf(":/") + 2;
    if (cut < 0 || folder.size() <= root) break;
    folder = folder.left(std::max(cut, root));
  }
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const auto add = [this](const QIcon& icon, int depth, const QString& name, const QByteArray& real) {
    auto* item = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(Qt::UserRole, Shown(real));
    item->setData(kRealPathRole, real);
    // A screen reader says the name, not the indentation.
    item->setData(Qt::AccessibleTextRole, name);
  };
  for (int depth = 0; depth < chain.size(); ++depth) {
    const QByteArray& folder = chain[depth];
    // The root by its path, every other folder by its name.
    add(open, depth, depth == 0 ? Shown(folder) : ShownName(folder.mid(folder.lastIndexOf('/') + 1)), folder);
  }
  if (QListWidgetItem* current = item(count() - 1)) setCurrentItem(current);
  for (const Entry& sub : ReadFolder(realPath_, Kind::Folders)) add(closed, chain.size(), sub.name, sub.real);
}

// ---- files

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  new TooltipOverEntries(this);
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (filling_ || selectedItems().isEmpty()) return;
    // Of two names shown alike, the chosen one is what the shown path means.
    RememberShownPath(JoinPath(path_, fileName()), realFilePath());
    emit clicked(fileName());
  });
  connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit doubleClicked(); });
}

bool FileList::setPath(const QString& folder) { return setRealPath(RealPath(Internal(folder))); }

bool FileList::setRealPath(const QByteArray& folder) {
  if (!FolderList::CanOpenReal(folder)) return false;
  path_ = Shown(folder);
  realPath_ = folder;
  fill();
  return true;
}

void FileList::setPattern(const FilePattern& pattern) {
  pattern_ = pattern;
  if (!path_.isEmpty()) fill();
}

bool FileList::refresh() {
  if (!FolderList::CanOpenReal(realPath_)) return false;
  fill();
  return true;
}

QString FileList::fileName() const {
  const auto selected = selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

QByteArray FileList::realFilePath() const {
  const auto selected = selectedItems();
  return selected.isEmpty() ? QByteArray() : selected.first()->data(kRealPathRole).toByteArray();
}

void FileList::fill() {
  filling_ = true;
  clear();
  for (const Entry& file : ReadFolder(realPath_, Kind::Files)) {
    if (!pattern_.matches(file.name)) continue;
    auto* item = new QListWidgetItem(file.name, this);
    item->setData(kRealPathRole, file.real);
    RememberShownPath(JoinPath(path_, file.name), file.real);
  }
  setCurrentRow(-1);
  clearSelection();
  filling_ = false;
  emit refilled();
}

}  // namespace tambril
