#include "file_dialog/browse_lists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
#include <QHelpEvent>
#include <QToolTip>
#include <algorithm>
#ifdef Q_OS_UNIX
#include <dirent.h>
#endif

namespace tambril {
namespace {

QString Native(const QString& p) { return QDir::toNativeSeparators(p); }
QString Internal(const QString& p) { return QDir::cleanPath(QDir::fromNativeSeparators(p)); }

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
      emit changed();
    }
  });
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
  std::sort(roots.begin(), roots.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  return roots;
}

void DriveList::reload() {
  clear();
  for (const QString& root : Roots()) addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
  if (!drive_.isEmpty()) {
    const int i = indexOfRoot(drive_);
    if (i < 0) {
      addItem(drive_, drive_);
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
    addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), r, r);
    i = count() - 1;
  }
  setCurrentIndex(i);
  if (itemData(i).toString() != drive_) {
    drive_ = itemData(i).toString();
    emit changed();
  }
}

void DriveList::followPath(const QString& path) {
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
    const QString folder = item->data(Qt::UserRole).toString();
    if (!setPath(folder)) emit openFailed(folder);
  });
}

bool FolderList::CanOpen(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return false;
#ifdef Q_OS_UNIX
  // Asks the system itself, with the rights the program runs under.
  DIR* d = ::opendir(QFile::encodeName(folder).constData());
  if (!d) return false;
  ::closedir(d);
  return true;
#else
  return QDir(folder).isReadable();
#endif
}

bool FolderList::setPath(const QString& folder) {
  const QString p = Internal(folder);
  if (p.isEmpty() || !CanOpen(p)) return false;
  const bool other = Native(p) != path_;
  path_ = Native(p);
  fill();
  if (other) emit changed();
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
  if (!CanOpen(Internal(path_))) return false;
  fill();
  return true;
}

void FolderList::fill() {
  clear();
  const QString p = Internal(path_);
  // The chain from the root down to the folder, then its sub-folders.
  QStringList chain;
  for (QDir d(p);; ) {
    chain.prepend(d.absolutePath());
    if (d.isRoot() || !d.cdUp()) break;
  }
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  int depth = 0;
  for (const QString& folder : chain) {
    const QString name = QDir(folder).isRoot() ? Native(folder) : QFileInfo(folder).fileName();
    auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(Qt::UserRole, Native(folder));
    // A screen reader says the name, not the indentation.
    item->setData(Qt::AccessibleTextRole, name);
    ++depth;
  }
  if (QListWidgetItem* current = item(count() - 1)) setCurrentItem(current);
  const QStringList subs =
      QDir(p).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& sub : subs) {
    auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + sub, this);
    item->setData(Qt::UserRole, Native(QDir(p).filePath(sub)));
    item->setData(Qt::AccessibleTextRole, sub);
  }
}

// ---- files

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  new TooltipOverEntries(this);
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (!filling_ && !selectedItems().isEmpty()) emit clicked();
  });
  connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit doubleClicked(); });
}

bool FileList::setPath(const QString& folder) {
  const QString p = Internal(folder);
  if (!FolderList::CanOpen(p)) return false;
  path_ = Native(p);
  fill();
  return true;
}

void FileList::setPattern(const FilePattern& pattern) {
  pattern_ = pattern;
  if (!path_.isEmpty()) fill();
}

bool FileList::refresh() {
  if (!FolderList::CanOpen(Internal(path_))) return false;
  fill();
  return true;
}

QString FileList::fileName() const {
  const auto selected = selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::fill() {
  filling_ = true;
  clear();
  const QStringList names =
      QDir(Internal(path_)).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) {
    if (pattern_.matches(name)) addItem(name);
  }
  setCurrentRow(-1);
  clearSelection();
  filling_ = false;
}

}  // namespace tambril
