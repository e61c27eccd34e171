#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/burn/BurnDiscStatus.h"
#include "app/commands/MakeController.h"
#include "app/commands/RecentLayouts.h"
#include "app/commands/SettingsFile.h"
#include "app/commands/TrackListCommands.h"
#include "app/commands/UnsavedChanges.h"
#include "app/editors/EntryChecks.h"
#include "app/views/StatusBar.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/DecodeProgressDialog.h"
#include "ui/dialogs/GeneralSettingsDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"
#include "ui/widgets/CapacityBar.h"
#include "ui/widgets/EditFields.h"
#include "ui/widgets/ListFont.h"
#include "ui/widgets/TrackListView.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// A control with the system's name. `accessible` names it for assistive tools where its
// caption or the label beside it (its buddy) does not say what it acts on.
template <typename W>
W* Named(W* w, const char* name, const QString& accessible = QString()) {
  w->setObjectName(name);
  if (!accessible.isEmpty()) w->setAccessibleName(accessible);
  return w;
}

QLabel* Caption(const QString& text, QWidget* parent, QWidget* buddy) {
  // Labels carry no control name: a drop on one counts as a drop on the box it stands in.
  // The control beside the label takes its name from it.
  auto* l = new QLabel(text, parent);
  if (buddy) l->setBuddy(buddy);
  return l;
}

// The widest text each status bar panel can show, for its width.
const char* const kStatusPanelSamples[4] = {" Total: 00 tracks", " 0000MB", " 000:00:00",
                                            " Mix-Mode disc"};

void SetTextKeepingCursor(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

}  // namespace

MainWindow::MainWindow(Prompter& prompter, std::string settingsPath, std::string defaultWorkDir,
                       QWidget* parent)
    : QMainWindow(parent), Ctx_(prompter), SettingsPath_(std::move(settingsPath)) {
  setObjectName("VnlMainFrm");
  setWindowTitle("Varnel");
  setFont(DialogFont());
  Maker_ = std::make_unique<MakeController>(Ctx_);
  ChooseFont = [this](const QFont& initial) -> std::optional<QFont> {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, initial, this, QString());
    if (!ok) return std::nullopt;
    return f;
  };

  // The drives and discs of this machine.
  ListDrives = [] { return ListOpticalDrives(); };
  ReadDiscStatus = [](const std::string& device, const std::atomic<bool>& cancel) {
    return varnel::ReadDiscStatus(device, cancel);
  };

  // 1. The window from its layout.
  BuildControls();
  BuildActions();
  BuildToolBar();
  Ctx_.RedrawTracks = [this] {
    Tracks_->SyncWithLayout();
    RefreshTitle();
  };
  // FLAC, AIFF, Ogg Vorbis and Opus files are decoded off the window's thread.
  Ctx_.RunDecode = [this](const std::string& path, const AppContext::DecodeJob& job) {
    RunDecodeWithProgress(this, path, job);
  };

  // 2. The settings: geometry, column widths and the rest of AppSettings.
  const StoredWindowSettings stored =
      ReadWindowSettings(SettingsPath_, Ctx_.Settings, defaultWorkDir);
  ColumnsStored_ = stored.ColumnsStored;
  ApplyWindowSettings(stored.SizeStored);
  Action("SettingsToolbarText")->setChecked(Ctx_.Settings.ToolbarText);
  ToolBar_->setToolButtonStyle(Ctx_.Settings.ToolbarText ? Qt::ToolButtonTextBesideIcon
                                                         : Qt::ToolButtonIconOnly);
  RefreshRecentMenu();
  if (!stored.Problem.empty()) {
    // Kept as it is: closing does not replace what could not be read with the defaults.
    SettingsUnreadable_ = true;
    Ctx_.Prompter.Show({BoxKind::Error, stored.Problem, stored.ProblemDetail, {}});
  }

  // 3. Idle drag state (the list starts idle), no run, image type 0 and unavailable,
  // nothing on disc.
  Ctx_.MakeState.store(RunState::Idle);
  Ctx_.Layout.ImageType = 0;
  Ctx_.CanEnableCdText = true;
  Ctx_.CanChooseImageType = false;
  Ctx_.Layout.TotalBytes = 0;

  // 4. The status bar.
  RefreshStatusBar(Ctx_);
  UpdateFromContext();

  // 5. Files dropped from the file manager.
  setAcceptDrops(true);
}

MainWindow::~MainWindow() {
  Ctx_.RedrawTracks = nullptr;
  Ctx_.RunDecode = nullptr;
  ClearTracks(Ctx_);
}

void MainWindow::BuildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* column = new QVBoxLayout(central);
  column->addWidget(BuildDataTrackGroup(central));
  column->addWidget(BuildAudioTracksGroup(central), 1);

  // Drops are the window's: the fields must not take a dropped file as text.
  for (QLineEdit* e : {ImagePathEdit_, CdtPathEdit_, CatalogEdit_}) e->setAcceptDrops(false);
  Tracks_->Header()->setAcceptDrops(false);
  Tracks_->Header()->viewport()->setAcceptDrops(false);

  // The status bar with its four panels. Each is wide enough for the widest text it can
  // show; the last one reaches to the right edge, as a status bar's last part does. The
  // panels are read out by their texts.
  auto* bar = new QStatusBar(this);
  bar->setObjectName("StatusBar");
  bar->setAccessibleName("Disc summary");
  setStatusBar(bar);
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const int text =
        panel->fontMetrics().horizontalAdvance(QString::fromLatin1(kStatusPanelSamples[i]));
    const int frame = 2 * panel->frameWidth() + panel->margin() * 2 + 6;
    panel->setMinimumWidth(std::max(kStatusPanelWidths[i], text + frame));
    if (i == 2) panel->setToolTip(QString("Playing time (%1)").arg(kTimeUnitNote));
    bar->addWidget(panel, i < 3 ? 0 : 1);
    StatusPanels_[static_cast<size_t>(i)] = panel;
  }
  ConnectFields();
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
}

QGroupBox* MainWindow::BuildDataTrackGroup(QWidget* parent) {
  // The data track image and its type.
  DataTrackGroup_ = Named(new QGroupBox(" Data Track (for Mix-Mode disc) ", parent), "DataTrackGbx",
                          "Data Track (for Mix-Mode disc)");
  ImagePathEdit_ = Named(new QLineEdit(DataTrackGroup_), "BinPathEdit");
  ImageBrowseButton_ = Named(new QPushButton("&Browse", DataTrackGroup_), "BinBrowseBtn",
                             "Browse for data track image");
  // A drop-down list reads as its choice, labelled by the label beside it.
  ImageTypeCombo_ = Named(new QComboBox(DataTrackGroup_), "BinTypeCmb");
  for (const char* t : kImageTypeTexts) ImageTypeCombo_->addItem(QString::fromLatin1(t));
  auto* dataGrid = new QGridLayout(DataTrackGroup_);
  dataGrid->addWidget(Caption("Image:", DataTrackGroup_, ImagePathEdit_), 0, 0);
  dataGrid->addWidget(ImagePathEdit_, 0, 1);
  dataGrid->addWidget(ImageBrowseButton_, 0, 2);
  dataGrid->addWidget(Caption("Type:", DataTrackGroup_, ImageTypeCombo_), 1, 0);
  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(ImageTypeCombo_);
  typeRow->addStretch();
  dataGrid->addLayout(typeRow, 1, 1, 1, 2);
  dataGrid->setColumnStretch(1, 1);
  return DataTrackGroup_;
}

QGroupBox* MainWindow::BuildAudioTracksGroup(QWidget* parent) {
  // CD-TEXT, the media catalog number, the buttons that add and clear audio tracks, and the
  // track list.
  AudioTracksGroup_ =
      Named(new QGroupBox(" Audio Tracks ", parent), "AudioTracksGbx", "Audio Tracks");
  CdTextCheck_ = Named(new QCheckBox("Enable CD-TEXT", AudioTracksGroup_), "CdTextCk");
  // The field has no label of its own: the check box before it says what it holds.
  CdtPathEdit_ = Named(new QLineEdit(AudioTracksGroup_), "CdtEdit", "CD-TEXT file");
  CdTextEditButton_ = Named(new QPushButton("Edi&t text\u2026", AudioTracksGroup_), "CdTextEditBtn",
                            "Edit CD-Text");
  CdtBrowseButton_ = Named(new QPushButton("Br&owse", AudioTracksGroup_), "CdtBrowseBtn",
                           "Browse for CD-Text file");
  CatalogEdit_ = Named(new QLineEdit(AudioTracksGroup_), "CatalogEdit");
  // Thirteen digit positions, blanks where no digit has been typed.
  CatalogEdit_->setInputMask("0000000000000; ");
  CatalogEdit_->setAttribute(Qt::WA_InputMethodEnabled, false);
  CatalogEdit_->setFixedWidth(CatalogEdit_->fontMetrics().horizontalAdvance("00000000000000") + 12);
  CatalogEdit_->installEventFilter(this);
  KeepCaretAtFirstEmptyPlace(CatalogEdit_);
  AddAudioButton_ = Named(new QPushButton("&Add files\u2026", AudioTracksGroup_), "WaveBrowseBtn",
                          "Add audio files");
  ClearAudioButton_ =
      Named(new QPushButton("&Clear", AudioTracksGroup_), "WaveClearbtn", "Clear audio tracks");
  Tracks_ = new TrackListView(Ctx_, AudioTracksGroup_);
  connect(Tracks_, &TrackListView::PropertiesRequested, this, &MainWindow::EditTrackProperties);
  connect(Tracks_, &TrackListView::RemoveRequested, this,
          [this] { Guarded([this] { RemoveTrack(); }); });
  connect(Tracks_, &TrackListView::MoveRequested, this, [this](int delta) {
    Guarded([&] { MoveSelectedTrack(Ctx_, delta); });
    NoteChange(kMoveChange);
    UpdateFromContext();
  });
  connect(Tracks_, &TrackListView::OrderChanged, this, [this] {
    NoteChange(kMoveChange);
    RefreshTitle();
  });
  Capacity_ = new CapacityBar(AudioTracksGroup_);
  connect(Capacity_, &CapacityBar::MediaChosen, this, [this](int32_t minutes) {
    Ctx_.Settings.Media = minutes;
    RefreshCapacity();
  });

  auto* audioGrid = new QGridLayout(AudioTracksGroup_);
  audioGrid->addWidget(CdTextCheck_, 0, 0);
  audioGrid->addWidget(CdtPathEdit_, 0, 1, 1, 2);
  audioGrid->addWidget(CdTextEditButton_, 0, 3);
  audioGrid->addWidget(CdtBrowseButton_, 0, 4);
  auto* catalogRow = new QHBoxLayout;
  catalogRow->addWidget(Caption("Media Catalog Number:", AudioTracksGroup_, CatalogEdit_));
  catalogRow->addWidget(CatalogEdit_);
  catalogRow->addStretch();
  audioGrid->addLayout(catalogRow, 1, 0, 1, 3);
  audioGrid->addWidget(AddAudioButton_, 1, 3);
  audioGrid->addWidget(ClearAudioButton_, 1, 4);
  audioGrid->addWidget(Tracks_, 2, 0, 1, 5);
  audioGrid->addWidget(Capacity_, 3, 0, 1, 5);
  audioGrid->setColumnStretch(1, 1);
  audioGrid->setRowStretch(2, 1);
  return AudioTracksGroup_;
}

void MainWindow::ConnectFields() {
  // The fields write the layout as the user types; nothing while the window writes them.
  connect(ImagePathEdit_, &QLineEdit::textChanged, this, &MainWindow::DataTrackPathEdited);
  connect(ImageTypeCombo_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (Updating_ || index < 0) return;
    Ctx_.Layout.ImageType = index;
    NoteChange("Image Type");
    RefreshTitle();
  });
  connect(CdTextCheck_, &QCheckBox::toggled, this, [this](bool on) {
    if (Updating_) return;
    Ctx_.Layout.CdTextEnabled = on;
    NoteChange("CD-TEXT");
    RefreshTitle();
    // CD-Text with nothing to carry: the editor, to type some.
    if (on && Ctx_.Layout.CdtPath.empty() && !Ctx_.Layout.HasTypedCdText()) {
      Guarded([this] { EditCdText(); });
    }
  });
  connect(CdtPathEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (Updating_) return;
    Ctx_.Layout.CdtPath = text.toStdString();
    NoteChange(kCdtChange, true);
    RefreshTitle();
  });
  connect(CatalogEdit_, &QLineEdit::textChanged, this, [this] {
    if (Updating_) return;
    // A complete number (or none) is taken at once; a partial one only when the field is
    // left, where it is refused.
    const std::string text = CatalogEdit_->displayText().toStdString();
    if (IsCatalogEntry(text)) Ctx_.Layout.MediaCatalog = CatalogFieldText(text);
    NoteChange(kCatalogChange, true);
    RefreshTitle();
  });
}

void MainWindow::DataTrackPathEdited() {
  if (Updating_) return;
  Guarded([this] { SetDataTrackFile(Ctx_, ImagePathEdit_->text().toStdString()); });
  NoteChange(kDataTrackChange, true);
  UpdateFromContext();
}

QAction* MainWindow::Action(const char* name) const {
  return findChild<QAction*>(name);
}

void MainWindow::BuildActions() {
  // One entry per menu item, in menu order: the menu it stands in, the action's object name
  // and text, and the command it runs. An entry without an object name is a separator; one
  // without a command (File > Exit) closes the window.
  struct MenuAction {
    const char* Menu;
    const char* ObjectName;
    const char* Text;
    void (MainWindow::*Command)();
  };
  static const MenuAction kActions[] = {
      {"&File", "FileBin", "Select a .&bin file for mix-mode disc", &MainWindow::ChooseDataTrack},
      {"&File", "FileAudio", "Select .&wav/.mp3/.cdg files for audio tracks",
       &MainWindow::AddTracks},
      {"&File", "FileCdt", "Select a .cdt file for CD-TEXT information", &MainWindow::ChooseCdt},
      {"&File", nullptr, nullptr, nullptr},
      {"&File", "FileNew", "&New deic layout", &MainWindow::NewLayout},
      {"&File", "FileLoad", "&Load disc layout", &MainWindow::OpenLayout},
      {"&File", "FileImport", "&Import a cue sheet or TOC…", &MainWindow::ImportSheet},
      {"&File", "FileSave", "&Save disc layout", &MainWindow::SaveLayout},
      {"&File", "FileSaveAs", "Save disc layout &as\u2026", &MainWindow::SaveLayoutAs},
      {"&File", nullptr, nullptr, nullptr},
      {"&File", "FileMake", "&Make a Cue sheet for CDRWIN", &MainWindow::Make},
      {"&File", "FileTest", "&Test (Don't make wave files)", &MainWindow::TestMake},
      {"&File", "FileCheck", "&Check disc\u2026", &MainWindow::ShowDiscCheck},
      {"&File", "FileIdentity", "Disc identit&y\u2026", &MainWindow::ShowDiscIdentity},
      {"&File", "FileBurn", "B&urn\u2026", &MainWindow::Burn},
      {"&File", nullptr, nullptr, nullptr},
      {"&File", "FileExit", "E&xit", nullptr},
      {"&Edit", "EditUndo", "&Undo", &MainWindow::Undo},
      {"&Edit", "EditRedo", "R&edo", &MainWindow::Redo},
      {"&Edit", nullptr, nullptr, nullptr},
      {"&Edit", "EditProperty", "Track &properties", &MainWindow::EditTrackProperties},
      {"&Edit", "EditRemove", "&Remove a selected track", &MainWindow::RemoveTrack},
      {"&Edit", "EditClearAudio", "&Clear audio tracks", &MainWindow::ClearAudioTracks},
      {"&Edit", nullptr, nullptr, nullptr},
      {"&Edit", "EditMoveUp", "&Move track up", &MainWindow::MoveTrackUp},
      {"&Edit", "EditMoveDown", "Move track d&own", &MainWindow::MoveTrackDown},
      {"&Edit", nullptr, nullptr, nullptr},
      {"&Edit", "EditCdText", "CD-&Text\u2026", &MainWindow::EditCdText},
      {"&Settings", "SettingsGeneral", "&General", &MainWindow::EditGeneralSettings},
      {"&Settings", "SettingsDefault", "&Default properties", &MainWindow::EditDefaultProperties},
      {"&Settings", "SettingsFont", "&Font", &MainWindow::ChooseListFont},
      {"&Settings", "SettingsToolbarText", "&Toolbar text beside icons",
       &MainWindow::ToggleToolbarText},
      {"&Help", "HelpAbout", "&About", &MainWindow::ShowAbout},
  };
  static const struct {
    const char* Title;
    const char* ObjectName;
  } kMenus[] = {{"&File", "FileMenu"},
                {"&Edit", "EditMenu"},
                {"&Settings", "SettingsMenu"},
                {"&Help", "HelpMenu"}};

  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu");
  for (const auto& m : kMenus) {
    QMenu* menu = bar->addMenu(m.Title);
    menu->setObjectName(m.ObjectName);
    for (const MenuAction& entry : kActions) {
      if (std::string(entry.Menu) != m.Title) continue;
      if (entry.ObjectName == nullptr) {
        menu->addSeparator();
        continue;
      }
      auto* action = new QAction(entry.Text, this);
      action->setObjectName(entry.ObjectName);
      if (entry.Command) {
        auto command = entry.Command;
        connect(action, &QAction::triggered, this,
                [this, command] { Guarded([&] { (this->*command)(); }); });
      } else {
        connect(action, &QAction::triggered, this, &QWidget::close);
      }
      menu->addAction(action);
      addAction(action);
    }
  }
  // The keys every desktop program has for these.
  static const struct {
    const char* Action;
    QKeyCombination Key;
  } kShortcuts[] = {
      {"FileNew", Qt::CTRL | Qt::Key_N},
      {"FileLoad", Qt::CTRL | Qt::Key_O},
      {"FileSave", Qt::CTRL | Qt::Key_S},
      {"FileSaveAs", Qt::CTRL | Qt::SHIFT | Qt::Key_S},
      {"FileMake", Qt::CTRL | Qt::Key_M},
      {"FileCheck", QKeyCombination(Qt::Key_F5)},
      {"FileExit", Qt::CTRL | Qt::Key_Q},
      {"EditUndo", Qt::CTRL | Qt::Key_Z},
      {"EditRedo", Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
      {"EditRemove", Qt::CTRL | Qt::Key_Delete},
  };
  for (const auto& s : kShortcuts) Action(s.Action)->setShortcut(QKeySequence(s.Key));
  Action("SettingsToolbarText")->setCheckable(true);

  // "Open Recent" after "Load disc layout".
  QMenu* file = findChild<QMenu*>("FileMenu");
  RecentMenu_ = new QMenu("Open &Recent", file);
  RecentMenu_->setObjectName("FileRecentMenu");
  RecentMenu_->menuAction()->setObjectName("FileRecent");
  file->insertMenu(Action("FileImport"), RecentMenu_);
  connect(RecentMenu_, &QMenu::aboutToShow, this, &MainWindow::RefreshRecentMenu);

  // The buttons run the same actions as the menu.
  auto bind = [this](QPushButton* button, const char* action) {
    QAction* a = Action(action);
    connect(button, &QPushButton::clicked, a, &QAction::trigger);
  };
  bind(ImageBrowseButton_, "FileBin");
  bind(CdtBrowseButton_, "FileCdt");
  bind(CdTextEditButton_, "EditCdText");
  bind(AddAudioButton_, "FileAudio");
  bind(ClearAudioButton_, "EditClearAudio");
}

void MainWindow::ApplyWindowSettings(bool sizeStored) {
  AppSettings& s = Ctx_.Settings;
  // Geometry within reach of a screen: a settings file from another display (or a
  // hand-edited one) must not put the window where nobody can see it. Without a stored
  // size the window opens at a size that shows every column.
  int w = std::clamp(s.Width, kMinWindowWidth, 16384);
  int h = std::clamp(s.Height, kMinWindowHeight, 16384);
  if (!sizeStored) {
    w = kDefaultWindowWidth;
    h = kDefaultWindowHeight;
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
      const QRect avail = primary->availableGeometry();
      w = std::clamp(std::min(w, avail.width() - 40), kMinWindowWidth, w);
      h = std::clamp(std::min(h, avail.height() - 60), kMinWindowHeight, h);
    }
  }
  // The window goes wholly onto the screen that shows most of it (the primary one when none
  // does), as small as it may be made when the screen is smaller than the stored size.
  QPoint pos(std::clamp(s.Left, -100000, 100000), std::clamp(s.Top, -100000, 100000));
  const QRect wanted(pos, QSize(w, h));
  QScreen* target = QGuiApplication::primaryScreen();
  int64_t most = 0;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect seen = screen->availableGeometry().intersected(wanted);
    const int64_t area = seen.isEmpty() ? 0 : int64_t{seen.width()} * seen.height();
    if (area > most) {
      most = area;
      target = screen;
    }
  }
  if (target) {
    const QRect avail = target->availableGeometry();
    w = std::max(kMinWindowWidth, std::min(w, avail.width()));
    h = std::max(kMinWindowHeight, std::min(h, avail.height()));
    pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - w)));
    pos.setY(std::clamp(pos.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - h)));
  }
  move(pos);
  resize(w, h);

  QHeaderView* header = Tracks_->Header();
  for (int c = 0; c < kTrackColumnCount; ++c) {
    header->resizeSection(c, std::clamp(s.ColumnWidth[static_cast<size_t>(c)], 0, 16384));
  }
}

void MainWindow::UpdateFromContext() {
  const bool was = Updating_;
  Updating_ = true;
  const DiscLayout& l = Ctx_.Layout;
  SetTextKeepingCursor(ImagePathEdit_, Q(l.DataTrackFile));
  // A stored index the box does not offer shows as no selection (it is written as
  // MODE1/2048) and stays as it is until the user picks a type.
  const bool offered = l.ImageType >= 0 && l.ImageType < ImageTypeCombo_->count();
  ImageTypeCombo_->setCurrentIndex(offered ? l.ImageType : -1);
  ImageTypeCombo_->setEnabled(Ctx_.CanChooseImageType);
  CdTextCheck_->setEnabled(Ctx_.CanEnableCdText);
  CdTextCheck_->setChecked(l.CdTextEnabled);
  SetTextKeepingCursor(CdtPathEdit_, Q(l.CdtPath));
  const QString catalog = Q(CatalogFieldText(l.MediaCatalog));
  if (CatalogEdit_->displayText() != catalog) CatalogEdit_->setText(catalog);
  Tracks_->SyncWithLayout();
  for (size_t i = 0; i < StatusPanels_.size(); ++i) {
    StatusPanels_[i]->setText(Q(Ctx_.StatusPanels[i]));
  }
  RefreshCapacity();
  RefreshUndoActions();
  if (NoteRecentLayout(Ctx_.Settings, Ctx_.LayoutPath)) RefreshRecentMenu();
  RefreshTitle();
  Updating_ = was;
}

void MainWindow::RefreshTitle() {
  const QString title = Q(MainWindowTitle(Ctx_));
  if (windowTitle() != title) setWindowTitle(title);
}

bool MainWindow::CommitCatalogEntry() {
  const std::string text = CatalogEdit_->displayText().toStdString();
  if (text == CatalogFieldText(Ctx_.Layout.MediaCatalog)) return true;
  if (EnterMediaCatalog(Ctx_, text)) {
    NoteChange(kCatalogChange, true);
    RefreshTitle();
    return true;
  }
  CatalogEdit_->setFocus(Qt::OtherFocusReason);
  return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CatalogEdit_ && event->type() == QEvent::FocusOut && !Updating_) {
    // Leaving the field by the keyboard or the mouse checks it; a menu or a box opening
    // over it does not.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
      QTimer::singleShot(0, this, [this] { CommitCatalogEntry(); });
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ApplyListFont(const FontSettings& font) {
  FontKept_ = font;
  ApplyQtFont(FontFromSettings(font));
}

void MainWindow::ApplyQtFont(const QFont& font) {
  Tracks_->setFont(font);
  for (QLineEdit* e : {ImagePathEdit_, CdtPathEdit_}) {
    e->setFont(font);
    QPalette pal = e->palette();
    const std::optional<QColor> color = FontColor(FontKept_.Color);
    pal.setColor(QPalette::Text, color ? *color : QApplication::palette(e).color(QPalette::Text));
    e->setPalette(pal);
  }
  Tracks_->SetRowHeight(ListRowHeight(font));
  Tracks_->viewport()->update();
}

FontSettings MainWindow::ListFontSettings() const {
  return SettingsFromFont(Tracks_->font(), FontKept_);
}

bool MainWindow::SaveSettingsFile() {
  if (SettingsUnreadable_) return false;
  AppSettings& s = Ctx_.Settings;
  s.Top = y();
  s.Left = x();
  s.Width = width();
  s.Height = height();
  for (int c = 0; c < kTrackColumnCount; ++c) {
    s.ColumnWidth[static_cast<size_t>(c)] = Tracks_->Header()->sectionSize(c);
  }
  s.Font = ListFontSettings();
  std::string error;
  if (!WriteSettingsFile(SettingsPath_, s, &error)) {
    // Closing asks nothing; a settings file that cannot be written is only noted.
    std::fprintf(stderr, "varnel: settings not saved to %s: %s\n", SettingsPath_.c_str(),
                 error.c_str());
    return false;
  }
  return true;
}

void MainWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (FirstShown_) return;
  FirstShown_ = true;
  if (QScreen* screen = this->screen()) setMaximumSize(screen->size());
  ApplyListFont(ReadListFont(SettingsPath_));
  // Without widths of its own the list starts with columns that show their texts.
  if (!ColumnsStored_) Tracks_->FitColumnsToTexts();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  // A run ends before the window can: its progress dialog and result box come first.
  if (Making_) {
    e->ignore();
    return;
  }
  // Unsaved work is saved or given up knowingly.
  bool goOn = false;
  Guarded([&] { goOn = CommitCatalogEntry() && ConfirmDiscardLayout(Ctx_); });
  UpdateFromContext();
  if (!goOn) {
    e->ignore();
    return;
  }
  SaveSettingsFile();
  e->accept();
}

}  // namespace varnel
