#include "file_dialog/selpr6.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "codec/names.h"
#include "file_dialog/form14.h"
#include "help_window/help_procedures.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "resources/messages.h"
#include "widget_kit/accessible_names.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/modal_windows.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;
using platform::MessageIcon;
using platform::Pointer;

namespace {

QLabel* StateField(QWidget* parent, const char* name, const QRect& where) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(where);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, BgrColor(0x00E0E0E0));
  label->setPalette(pal);
  label->setFont(DialogFont(6));
  return label;
}

}  // namespace

Selpr6::Selpr6(platform::Platform& platform, Controller& chain, Presenter& presenter, Module2::HelpWindow help,
               QWidget* parent)
    : QDialog(parent),
      platform_(platform),
      chain_(chain),
      presenter_(presenter),
      session_(chain.session()),
      help_(std::move(help)) {
  SetUpFixedDialog(*this, "Selpr6", QStringLiteral("Datei"));
  setModal(true);
  setFont(DialogFont(8.25));

  MenuBar = InWindowMenuBar(this);
  Directory = NamedMenu(MenuBar, "Directory", QStringLiteral("Ordner"));
  New_directory = NamedItem(Directory, "New_directory", QStringLiteral("Neuer Ordner.."));
  const int top = MenuBar->sizeHint().height();
  MenuBar->setGeometry(0, 0, Px(7635), top);

  // Everything below the menu; positions in twips from the client's top.
  auto* client = new QWidget(this);
  client->setGeometry(0, top, Px(7635), Px(4950));

  Drive1 = NamedControl<DriveList>(client, "Drive1", TwipsRect(240, 240, 3495, 330));
  Dir1 = NamedControl<FolderList>(client, "Dir1", TwipsRect(240, 660, 3495, 2310));
  File1 = NamedControl<FileList>(client, "File1", TwipsRect(3900, 240, 3495, 2730));

  const QFont bold = DialogFont(8.25, true);
  Label1 = NamedControl<QLabel>(client, "Label1", TwipsRect(240, 3150, 1215, 300));
  Label1->setText(QStringLiteral("Dateiname:"));
  Label1->setFont(bold);
  Text1 = NamedControl<QLineEdit>(client, "Text1", TwipsRect(1500, 3120, 5895, 330));
  Label2 = NamedControl<QLabel>(client, "Label2", TwipsRect(240, 3585, 1215, 300));
  Label2->setText(QStringLiteral("Dateityp:"));
  Label2->setFont(bold);
  Combo1 = NamedControl<QComboBox>(client, "Combo1", TwipsRect(1500, 3555, 2295, 330));
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);
  Combo1->setCompleter(nullptr);
  QPalette grey = Text1->palette();
  grey.setColor(QPalette::Base, BgrColor(0x00E0E0E0));
  Text1->setPalette(grey);
  Combo1->setPalette(grey);

  const auto button = [client](const char* name, const QString& caption, int left) {
    return DialogButton(client, name, caption, TwipsRect(left, 4305, 1695, 420));
  };
  // Four buttons of the design's size, as far from the frame's right line as
  // from its left one.
  Command2 = button("Command2", QStringLiteral("ÖFFNEN"), 240);
  Command1 = button("Command1", QStringLiteral("ERSTELLEN"), 2060);
  Command3 = button("Command3", QStringLiteral("ABBRECHEN"), 3880);
  Command4 = button("Command4", QStringLiteral("HILFE"), 5700);

  Label4 = StateField(client, "Label4", TwipsRect(240, 4020, 375, 195));
  Label5 = StateField(client, "Label5", TwipsRect(660, 4020, 375, 195));
  Label6 = StateField(client, "Label6", TwipsRect(1080, 4020, 375, 195));

  SetTabChain({Dir1, Drive1, File1, Combo1, Text1, Command2, Command3, Command1, Command4});
  // Each showing starts in the folder list, the first of the keyboard order.
  platform::ShowOverOpener(*this, Dir1);
  platform::NameAfterLabel(*Label1, *Text1);
  platform::NameAfterLabel(*Label2, *Combo1);
  Combo1->lineEdit()->setAccessibleName(Combo1->accessibleName());
  platform::Name(*Drive1, QStringLiteral("Laufwerk"));
  Dir1->setAccessibleName(QStringLiteral("Ordner"));
  File1->setAccessibleName(QStringLiteral("Dateien"));

  setFixedSize(Px(7635), top + Px(4950));

  // The lists start in the current folder with every file shown; the name
  // box stays empty until a caller or the user fills it.
  File1->setPattern(FilePattern(QStringLiteral("*.*")));
  QString start = QDir::currentPath();
  if (!Dir1->setPath(start)) Dir1->setPath(start = QDir::rootPath());
  File1->setPath(start);
  folder_ = QDir::toNativeSeparators(start);
  drive_ = Drive1->followPath(folder_);

  newFolder_ = new Form14(platform_, help_, this);

  Connect();
  ShowState();

  Form_Load();
  ShowToolTips();
  // A file loaded before the dialog was made: shown as after "ÖFFNEN", in
  // its folder.
  if (const std::optional<session::LoadedFile>& file = session_.loaded()) ShowFolderOf(file->path);
}

void Selpr6::Connect() {
  connect(Drive1, &DriveList::changed, this, [this](const QString& root) {
    drive_ = root;
    Drive1_Change();
  });
  connect(Dir1, &FolderList::changed, this, [this](const QString& folder) {
    folder_ = folder;
    Dir1_Change();
  });
  connect(File1, &FileList::refilled, this, [this] { listed_.clear(); });
  connect(Dir1, &FolderList::openFailed, this, &Selpr6::Dir1_OpenFailed);
  connect(File1, &FileList::clicked, this, [this](const QString& name) {
    listed_ = name;
    File1_Click();
  });
  connect(File1, &FileList::doubleClicked, this, &Selpr6::File1_DblClick);
  connect(Combo1, &QComboBox::activated, this, &Selpr6::Combo1_Click);
  connect(Combo1, &QComboBox::editTextChanged, this, &Selpr6::Combo1_Change);
  connect(Command1, &QPushButton::clicked, this, &Selpr6::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Selpr6::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Selpr6::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Selpr6::Command4_Click);
  connect(New_directory, &QAction::triggered, this, &Selpr6::New_directory_Click);
  connect(&session_, &session::Session::changed, this, &Selpr6::ShowState);
  // A failure shown anywhere in the chain sends the lists to the root; a
  // finished pass shows the loaded file again.
  connect(&presenter_, &Presenter::placeLost, this, &Selpr6::GoToFallbackPlace);
  connect(&chain_, &Controller::targetWritten, this, &Selpr6::ShowLoadedFile);
  // A file loaded from outside (the command line, a drop): shown as after
  // "ÖFFNEN", in its folder.
  connect(&chain_, &Controller::fileLoaded, this, [this](const QString& path) {
    if (loading_) return;
    PrepareOpenMode();
    ShowFolderOf(path);
  });
}

void Selpr6::Form_Load() {
  platform::CentreOnScreen(*this, platform_);
  settingCombo_ = true;
  Combo1->addItems({QStringLiteral("*.tmb"), QStringLiteral("*.txt"), QStringLiteral("*.rtf"), QStringLiteral("*.*")});
  Combo1->setCurrentIndex(-1);
  Combo1->setEditText(QStringLiteral("*.*"));
  settingCombo_ = false;
}

void Selpr6::ShowError(const QString& text, bool beep) {
  auto& p = platform_;
  if (beep) p.beep();
  p.messageBox(this, text, messages::kErrorTitle, MessageIcon::None);
}

void Selpr6::Drive1_Change() {
  auto& p = platform_;
  p.setPointer(this, Pointer::Busy);
  const QString root = drive_;
  if (!DriveList::IsReadable(root) || !Dir1->setPath(root)) presenter_.show({Problem::Device, {}}, this);
  p.setPointer(this, Pointer::Normal);
}

void Selpr6::Dir1_Change() {
  auto& p = platform_;
  p.setPointer(this, Pointer::Busy);
  drive_ = Drive1->followPath(folder_);
  if (!File1->setPath(folder_)) {
    ShowError(messages::kAccessError, true);
    p.setPointer(this, Pointer::Normal);
    return;
  }
  Text1->setText(chain_.targetIn(folder_, listed_));
  p.setPointer(this, Pointer::Normal);
}

void Selpr6::Dir1_OpenFailed() {
  ShowError(messages::kAccessError, true);
  platform_.setPointer(this, Pointer::Normal);
}

void Selpr6::File1_Click() { Text1->setText(JoinPath(folder_, listed_)); }

void Selpr6::File1_DblClick() {
  if (openMode_) Command2_Click();
}

void Selpr6::Combo1_Click() {
  pattern_ = Combo1->currentText();
  File1->setPattern(FilePattern(pattern_));
}

void Selpr6::Combo1_Change() {
  if (settingCombo_) return;
  const QString text = Combo1->currentText();
  if (FilePattern::IsAcceptable(text)) {
    pattern_ = text;
    File1->setPattern(FilePattern(text));
    return;
  }
  platform_.messageBox(this, messages::kPatternError, messages::kErrorTitle, MessageIcon::Stop);
  // Setting the text runs this handler again, which takes the pattern "*.*".
  Combo1->setEditText(QStringLiteral("*.*"));
}

void Selpr6::Command3_Click() { hide(); }

void Selpr6::Command4_Click() {
  // Open mode first; only in a create mode does the coding command count.
  if (openMode_) {
    Module2::LoadOpenInfo(help_);
  } else if (session_.lastCommand() == session::CreateMode::Decode) {
    Module2::LoadCreateDecodedInfo(help_);
  } else {
    Module2::LoadCreateEncodedInfo(help_);
  }
  Module2::ShowHelpWindow(help_, this);
}

void Selpr6::New_directory_Click() {
  Form14& form = *newFolder_;
  form.setParentFolder(folder_);
  form.exec();
  const std::optional<QString> made = form.createdFolder();
  if (!made) return;
  auto& p = platform_;
  Dir1->refresh();
  // The folder change rebuilds the name box: the proposed file inside the
  // new folder.
  if (!Dir1->setPath(*made)) {
    p.beep();
    p.messageBox(this, messages::kAccessError, messages::kErrorTitle, MessageIcon::None);
  }
}

void Selpr6::PrepareOpenMode() {
  openMode_ = true;
  setWindowTitle(QStringLiteral(" Datei öffnen"));
  Command1->setEnabled(false);
  Command2->setEnabled(true);
  Directory->menuAction()->setEnabled(false);
  chain_.beginOpening();
  Text1->clear();
  Text1->setReadOnly(true);
  ShowToolTips();
}

void Selpr6::PrepareCreateMode() {
  openMode_ = false;
  setWindowTitle(QStringLiteral(" Datei erstellen"));
  Command1->setEnabled(true);
  Command2->setEnabled(false);
  Directory->menuAction()->setEnabled(true);
  ShowToolTips();
}

bool Selpr6::OpenForCreating(session::CreateMode mode) {
  if (!RefreshLists()) return false;
  chain_.beginCreating(mode);
  Text1->setReadOnly(false);
  return true;
}

bool Selpr6::ShowProposal(const Proposal& proposal) {
  const session::Session& s = session_;
  Text1->setText(proposal.path);
  // Back to the folder the file was loaded from; its change action may
  // rebuild the name box from that folder and the proposed name.
  if (!Dir1->setPath(s.rememberedFolder()) || !DriveList::IsReadable(s.rememberedDrive())) return false;
  Drive1->setDrive(s.rememberedDrive());
  return true;
}

void Selpr6::ShowToolTips() {
  // Four of them follow the mode.
  const bool open = openMode_;
  Command3->setToolTip(open ? QStringLiteral(" Datei wird nicht geladen ")
                            : QStringLiteral(" Datei wird nicht erstellt "));
  Command4->setToolTip(open ? QStringLiteral(" Info über Datei öffnen ")
                            : QStringLiteral(" Info über Datei erstellen "));
  File1->setToolTip(open ? QStringLiteral(" Doppelklick für Laden der Datei ")
                         : QStringLiteral(" Klick für Anzeigen der Datei "));
  Text1->setToolTip(open ? QStringLiteral(" Anzeigefeld der zu ladenen Datei ")
                         : QStringLiteral(" Anzeigefeld der zu erstellenden Datei "));
  Command1->setToolTip(QStringLiteral(" Neue Datei wird erstellt für Bearbeitung "));
  Command2->setToolTip(QStringLiteral(" Lädt die Datei für die Bearbeitung "));
  Combo1->setToolTip(QStringLiteral(" Dateitypen - Listenfeld "));
  Dir1->setToolTip(QStringLiteral(" Anzeigefeld für Ordner (Doppelklick) "));
  Drive1->setToolTip(QStringLiteral(" Anzeigefeld für Laufwerk "));
}

void Selpr6::ShowLoadedFile() {
  const std::optional<session::LoadedFile>& file = session_.loaded();
  Text1->setText(file ? file->path : QString());
}

void Selpr6::ShowState() {
  const session::Session& s = session_;
  Label4->setText(session::ModeWord(s.createMode()));
  Label5->setText(s.rememberedFolder());
  Label6->setText(s.rememberedDrive());
}

void Selpr6::Command2_Click() {
  if (Text1->text().isEmpty()) {
    platform_.beep();
    return;
  }
  OpenFile(Text1->text());
}

void Selpr6::OpenFile(const QString& path) {
  auto& p = platform_;
  p.setPointer(this, Pointer::Busy);
  loading_ = true;
  const Outcome loaded = chain_.load(path, listed_, {folder_, drive_});
  loading_ = false;
  if (loaded) {
    p.setPointer(this, Pointer::Normal);
    hide();
    return;
  }
  presenter_.show(*loaded.failure, this, {this});
}

void Selpr6::ShowFolderOf(const QString& path) {
  Text1->setText(path);
  const QFileInfo info(path);
  const QString folder = QDir::toNativeSeparators(info.absolutePath());
  if (!info.isAbsolute() || !FolderList::CanOpen(folder)) return;
  // The folder change re-reads the lists; in the same folder they are
  // re-read here, so that a file made since the last showing is listed.
  if (QDir::cleanPath(folder_) == QDir::cleanPath(folder)) {
    RefreshLists();
  } else {
    Dir1->setPath(folder);
  }
  const QString name = info.fileName();
  const auto select = [this, &name] {
    const auto found = File1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty()) return false;
    File1->setCurrentItem(found.first());
    return true;
  };
  if (!name.isEmpty() && !select() && info.isFile() && pattern_ != QStringLiteral("*.*")) {
    // Hidden by the file type filter: show every file, as the user would.
    Combo1->setEditText(QStringLiteral("*.*"));
    select();
  }
  // The selection put the listed path into the name box.
  Text1->setText(path);
}

bool Selpr6::RefreshLists() { return File1->refresh() && Dir1->refresh(); }

void Selpr6::GoToFallbackPlace() {
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  Drive1->blockSignals(true);
  Drive1->setDrive(root);
  Drive1->blockSignals(false);
  drive_ = root;
  // The folder list's change action runs only if the folder changes; the
  // file list is re-read either way.
  if (Dir1->setPath(root)) File1->setPath(root);
}

// "ERSTELLEN": the name typed or proposed goes on to the coding dialog of
// the create mode, unless it is taken.
void Selpr6::Command1_Click() {
  const Acceptance accepted = chain_.acceptTarget(Text1->text());
  if (accepted.failure) {
    presenter_.show(*accepted.failure, this);
    return;
  }
  if (accepted.next == Step::Nothing) return;
  hide();
  emit targetAccepted(accepted.next);
}

void Selpr6::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // A frame around the content: grey at the top and left, black below and right.
  QPainter painter(this);
  const int top = MenuBar->height();
  DrawSunkenFrame(painter, QRect(Px(105), top + Px(105), Px(7635) - 2 * Px(105), Px(4950) - 2 * Px(105)));
}
