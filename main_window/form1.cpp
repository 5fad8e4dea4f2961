#include "main_window/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "file_dialog/browse_lists.h"
#include "file_dialog/selpr6.h"
#include "help_window/help_procedures.h"
#include "main_window/outside_files.h"
#include "platform/file_slots.h"
#include "platform/platform.h"
#include "resources/pictures.h"
#include "session/session.h"
#include "sound/sound_service.h"
#include "startup/form6.h"
#include "viewer/form8.h"
#include "widget_kit/accessible_names.h"
#include "widget_kit/dialog_look.h"
#include "widget_kit/menu_keys.h"
#include "widget_kit/menu_marks.h"
#include "widget_kit/text_rules.h"
#include "widget_kit/twips.h"

using namespace tambril;

namespace {

const QColor kGrey = BgrColor(0x00E0E0E0);
const QColor kDarkBlue = BgrColor(0x00400000);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QRect where, double points) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(where);
  label->setFont(DialogFont(points, true));
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, kDarkBlue);
  pal.setColor(QPalette::Window, kGrey);
  label->setPalette(pal);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QLabel* MakePicture(QWidget* parent, const char* name, const QPixmap& picture, QRect where) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(where);
  label->setPixmap(picture);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

Form1::Form1(platform::Platform& platform, Module2::SoundService& sounds, Controller& chain, Presenter& presenter,
             Needs needs)
    : platform_(platform),
      sounds_(sounds),
      chain_(chain),
      presenter_(presenter),
      session_(chain.session()),
      needs_(std::move(needs)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowIcon(resources::ProgramIcon());
  SetBackground(*this, kGrey);

  auto* client = new QWidget(this);
  client->setFixedSize(TwipsSize(9960, 3750));
  setCentralWidget(client);

  Label4 = MakeLabel(client, "Label4", QStringLiteral("Dateiname:"), TwipsRect(240, 360, 1575, 495), 13.5);
  Text1 = new QLineEdit(client);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setReadOnly(true);
  // A file dropped on it is loaded (the window's own drop), not taken as text.
  Text1->setAcceptDrops(false);
  Text1->setFrame(false);
  Text1->setGeometry(TwipsRect(1920, 360, 16815, 525));
  Text1->setFont(DialogFont(13.5, true));
  // Its text starts at the top, level with the "Dateiname:" beside it.
  Text1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Text1->setTextMargins(0, 0, 0, 0);
  platform::NameAfterLabel(*Label4, *Text1);
  QPalette textPal = Text1->palette();
  textPal.setColor(QPalette::Text, kDarkBlue);
  textPal.setColor(QPalette::Base, kGrey);
  Text1->setPalette(textPal);
  Label2 = MakeLabel(client, "Label2", QStringLiteral("Größe:"), TwipsRect(720, 1080, 735, 255), 9.75);
  Label1 = MakeLabel(client, "Label1", QString(), TwipsRect(1560, 1080, 10215, 255), 8.25);
  Label7 = MakeLabel(client, "Label7", QString(), TwipsRect(1560, 1560, 10335, 375), 8.25);
  Label6 = MakeLabel(client, "Label6", QStringLiteral("Geändert am:"), TwipsRect(120, 2160, 1455, 255), 9.75);
  Label8 = MakeLabel(client, "Label8", QString(), TwipsRect(1800, 2160, 6855, 255), 8.25);
  Image3 =
      MakePicture(client, "Image3", QPixmap::fromImage(resources::StartPicture()), TwipsRect(120, 2640, 5490, 780));
  Image1 = MakePicture(client, "Image1", QPixmap::fromImage(resources::EncodedFilePicture()),
                       TwipsRect(120, 2640, 810, 735));
  Image1->hide();
  Image2 =
      MakePicture(client, "Image2", QPixmap::fromImage(resources::PlainFilePicture()), TwipsRect(120, 2640, 810, 735));
  Image2->hide();
  Label9 = MakeLabel(client, "Label9", QStringLiteral("CODIERTE- DATEI"), TwipsRect(960, 2760, 4215, 495), 13.5);
  Label9->hide();
  Label10 = MakeLabel(client, "Label10", QStringLiteral("ENTCODIERTE-DATEI"), TwipsRect(960, 2760, 4095, 495), 13.5);
  Label10->hide();
  // The record's fields show the arrow with a question mark.
  for (QWidget* w : std::initializer_list<QWidget*>{Text1, Label1, Label2, Label4, Label6, Label7, Label8}) {
    w->setCursor(Qt::WhatsThisCursor);
  }

  // The menu; no item has a shortcut key.
  QMenuBar* bar = menuBar();
  bar->setNativeMenuBar(false);
  platform::OpenMenusWithF10(*this, *bar);
  Date = NamedMenu(bar, "Date", QStringLiteral("Datei"));
  Datei_öffnen = NamedItem(Date, "Datei_öffnen", QStringLiteral("Datei öffnen.."));
  Beenden = NamedItem(Date, "Beenden", QStringLiteral("Beenden"));
  Bearbeiten = NamedMenu(bar, "Bearbeiten", QStringLiteral("Bearbeiten"));
  Code_AN = NamedItem(Bearbeiten, "Code_AN", QStringLiteral("Code_An.."));
  Code_Aus = NamedItem(Bearbeiten, "Code_Aus", QStringLiteral("Code_Aus.."));
  Code_AN->setCheckable(true);
  Code_Aus->setCheckable(true);
  platform::ShowMarksOnlyWhenChecked(*Bearbeiten);
  Suchen = NamedMenu(bar, "Suchen", QStringLiteral("Zeigen"));
  Window = NamedItem(Suchen, "Window", QStringLiteral("Window"));
  Zeichen = NamedMenu(bar, "Zeichen", QStringLiteral("?"));
  Hilfe = NamedItem(Zeichen, "Hilfe", QStringLiteral("Hilfe"));
  Info = NamedItem(Zeichen, "Info", QStringLiteral("Info"));

  connect(Datei_öffnen, &QAction::triggered, this, &Form1::Datei_öffnen_Click);
  connect(Beenden, &QAction::triggered, this, &Form1::Beenden_Click);
  // The coding commands decide the marks of their items themselves.
  ConnectMarkedItem(Code_AN, this, &Form1::Code_AN_Click);
  ConnectMarkedItem(Code_Aus, this, &Form1::Code_Aus_Click);
  connect(Window, &QAction::triggered, this, &Form1::Window_Click);
  connect(Hilfe, &QAction::triggered, this, &Form1::Hilfe_Click);
  connect(Info, &QAction::triggered, this, &Form1::Info_Click);
  Text1->installEventFilter(this);
  connect(qApp, &QCoreApplication::aboutToQuit, this, &Form1::Form_Terminate);
  AcceptFileDrops(*this);

  connect(&session_, &session::Session::changed, this, &Form1::ShowRecord);

  adjustSize();
  SetFixedWindowSize(*this, sizeHint());
  Form_Load();
}

void Form1::Form_Load() {
  platform::CentreOnScreen(*this, platform_);
  // The start texts of the size lines: "0 Byte" and "0 MB".
  ShowRecord();
  ShowToolTips();
}

void Form1::ShowToolTips() {
  Label4->setToolTip(QStringLiteral("Zeigt die zu bearbeitende Datei an "));
  Text1->setToolTip(QStringLiteral("Zeigt die zu bearbeitende Datei an "));
  Label1->setToolTip(QStringLiteral(" Zeigt die Größe der Datei an "));
  Label2->setToolTip(QStringLiteral(" Zeigt die Größe der Datei an "));
  Label7->setToolTip(QStringLiteral(" Zeigt die Größe der Datei an "));
  Label8->setToolTip(QStringLiteral(" Zeigt die letzte Änderung an "));
  Label6->setToolTip(QStringLiteral(" Zeigt die letzte Änderung an "));
}

void Form1::ShowRecord() {
  const session::Session& s = session_;
  const std::optional<session::LoadedFile>& file = s.loaded();
  const bool tried = !s.lastAttempt().isEmpty();
  setWindowTitle(tried ? QStringLiteral("  ") + s.lastAttempt() : QStringLiteral("Tambril"));
  Text1->setText(file ? file->name : tried ? QStringLiteral("ERROR") : QString());
  Label1->setText(file    ? NumberText(static_cast<std::int64_t>(file->size)) + QStringLiteral(" Byte")
                  : tried ? QString()
                          : QStringLiteral("0 Byte"));
  // The megabyte and date lines of the last good load stay after a failed one.
  const std::optional<session::LoadedFile>& last = s.lastLoaded();
  Label7->setText(last ? NumberText(RoundedMebibytes(last->size)) + QStringLiteral(" MB") : QStringLiteral("0 MB"));
  Label8->setText(last ? last->changed.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString());
  const std::optional<bool> encoded = s.markedEncoded();
  Image3->setVisible(!encoded);
  Label9->setVisible(encoded && *encoded);
  Image1->setVisible(encoded && *encoded);
  Label10->setVisible(encoded && !*encoded);
  Image2->setVisible(encoded && !*encoded);
  Code_AN->setChecked(s.lastCommand() == session::CreateMode::Encode);
  Code_Aus->setChecked(s.lastCommand() == session::CreateMode::Decode);
}

void Form1::Datei_öffnen_Click() {
  Selpr6& dialog = needs_.files();
  dialog.PrepareOpenMode();
  if (!dialog.RefreshLists()) {
    // The folder shown last is gone (a removed disk): start again at the root.
    presenter_.show({Problem::Device, {}}, this);
    return;
  }
  dialog.exec();
}

void Form1::Beenden_Click() { EndSequence(); }

void Form1::Window_Click() { needs_.viewer().exec(); }

void Form1::Hilfe_Click() {
  Module2::LoadHelpText(needs_.help);
  Module2::ShowHelpWindow(needs_.help, this);
}

void Form1::Info_Click() {
  sounds_.PlaySound({.SoundDevice = 2, .SoundMode = 1});
  needs_.info().exec();
}

void Form1::Text1_KeyDown(int key) {
  if (key == Qt::Key_F1) Hilfe->trigger();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Text1 && event->type() == QEvent::KeyPress) {
    Text1_KeyDown(static_cast<QKeyEvent*>(event)->key());
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form1::Form_Unload() { EndSequence(); }
void Form1::Form_Terminate() { EndSequence(); }

void Form1::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void Form1::EndSequence() { needs_.end(); }

void Form1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  emit shown();
}

void Form1::OpenFromOutside(const QString& path) {
  // Remembered as where the file dialog goes: the file's folder, if it can
  // be opened. The dialog follows a load from outside on its own.
  const QFileInfo info(path);
  const QString folder = QDir::toNativeSeparators(info.absolutePath());
  const Place place = info.isAbsolute() && FolderList::CanOpen(folder)
                          ? Place{folder, DriveList::RootOf(folder)}
                          : Place{session_.rememberedFolder(), session_.rememberedDrive()};
  const Outcome loaded = chain_.load(path, info.fileName(), place);
  if (!loaded) presenter_.show(*loaded.failure, this);
}
