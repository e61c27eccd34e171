// The main window "Varnel": the data track and audio track controls, the track list under
// its header with the capacity bar below it, the four-panel status bar, and every command in
// one table of actions that the menu bar, the toolbar and the window's buttons share. Every
// change of the layout is noted for Undo under the name of what made it; "Open Recent"
// lists the layouts last loaded or saved. It owns the disc layout and the settings
// (through its AppContext), reads the settings file when created and applies its list
// font when first shown, writes the whole file when closed, and takes files dropped from
// the file manager, handing them to the control under the pointer.
#pragma once

#include <QDialog>
#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/AppContext.h"
#include "app/burn/BurnChoicesEditor.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolBar;

namespace varnel {

class AboutDialog;
class CapacityBar;
class MakeController;
class GeneralSettingsDialog;
class MakeProgressDialog;
class TrackListView;

inline constexpr int kMinWindowWidth = 500;
inline constexpr int kMinWindowHeight = 400;
// The size the window opens at when the settings file holds none (within the screen).
inline constexpr int kDefaultWindowWidth = 1000;
inline constexpr int kDefaultWindowHeight = 600;
// Least widths of the four status bar panels; each is as wide as its widest text.
inline constexpr int kStatusPanelWidths[4] = {90, 50, 55, 50};

// What the Undo and Redo items call the changes ("&Undo Add Files").
inline constexpr const char* kAddFilesChange = "Add Files";
inline constexpr const char* kDropChange = "Drop Files";
inline constexpr const char* kRemoveChange = "Remove Track";
inline constexpr const char* kClearChange = "Clear Audio Tracks";
inline constexpr const char* kMoveChange = "Move Track";
inline constexpr const char* kPropertiesChange = "Track Properties";
inline constexpr const char* kDataTrackChange = "Data Track";
inline constexpr const char* kCatalogChange = "Catalog Number";
inline constexpr const char* kCdtChange = "CD-TEXT File";

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Reads the settings file at `settingsPath` ("WorkDir" defaulting to `defaultWorkDir`).
  MainWindow(Prompter& prompter, std::string settingsPath, std::string defaultWorkDir,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  AppContext& Context() { return Ctx_; }
  MakeController& Maker() { return *Maker_; }
  TrackListView* Tracks() const { return Tracks_; }
  QAction* Action(const char* name) const;

  // The dialogs created after the window (kept for the whole run).
  void SetGeneralSettingsDialog(GeneralSettingsDialog* dlg) { GeneralSettingsDialog_ = dlg; }
  void SetAboutDialog(AboutDialog* dlg) { AboutDialog_ = dlg; }
  // The dialog that shows the progress of making runs and whose Cancel stops them.
  void SetMakeProgressDialog(MakeProgressDialog* dlg);

  // The dialogs other parts of the program provide. ShowTrackPropertiesDialog edits a track
  // modally and may change the wave folder; ShowDefaultPropertiesDialog edits the defaults.
  std::function<void(Track& track, std::string& waveFileDir)> ShowTrackPropertiesDialog;
  std::function<void()> ShowDefaultPropertiesDialog;
  // The font dialog: the chosen font, or nothing when cancelled (QFontDialog unless
  // replaced).
  std::function<std::optional<QFont>(const QFont& initial)> ChooseFont;
  // Shows the "Check disc…" dialog, built and wired by ShowDiscCheck (modal unless
  // replaced).
  std::function<void(QDialog& dlg)> ShowDiscCheckDialog;
  // Shows the CD-Text editor, built by EditCdText, which reads its result (modal unless
  // replaced).
  std::function<void(QDialog& dlg)> ShowCdTextDialog;
  // Shows the "Disc identity" dialog; tests replace it (default: exec()).
  std::function<void(QDialog& dlg)> ShowDiscIdentityDialog;
  // Shows the "Burn" dialog (BurnDialog); tests replace it (default: exec()).
  std::function<void(QDialog& dlg)> ShowBurnDialog;
  // The drives, and the status of the disc in one: this machine's unless replaced.
  std::function<std::vector<OpticalDrive>()> ListDrives;
  std::function<DiscStatus(const std::string& device, const std::atomic<bool>& cancel)>
      ReadDiscStatus;

  // The commands of the action table.
  void ChooseDataTrack();
  void AddTracks();
  void ChooseCdt();
  void NewLayout();
  void OpenLayout();
  void ImportSheet();
  void SaveLayout();
  void SaveLayoutAs();
  void Undo();
  void Redo();
  void MoveTrackUp();
  void MoveTrackDown();
  void EditCdText();
  void ToggleToolbarText();
  void Make();
  void TestMake();
  void ShowDiscCheck();
  void ShowDiscIdentity();
  // File > Burn…: the burn dialog, the drive and the disc checked, the disc made (a Make
  // with its TOC file), then the burn job behind its progress dialog, a question for a
  // rewritable disc that is not empty, and the result.
  void Burn();
  void EditTrackProperties();
  void RemoveTrack();
  void ClearAudioTracks();
  void EditGeneralSettings();
  void EditDefaultProperties();
  void ChooseListFont();
  void ShowAbout();

  // The layout named on the command line (`arguments` as QApplication gives them: the
  // program, then the file), loaded as "Load disc layout" loads a chosen file.
  void OpenFromCommandLine(const QStringList& arguments);
  // A change of the layout may have happened: noted for Undo under `label` (see
  // UndoStack::Note), then the Undo and Redo items say what they would act on.
  void NoteChange(const char* label, bool merge = false);

  // Files dropped on the control named `controlName` (empty: no control of the system).
  void DropPaths(const std::string& controlName, const std::vector<std::string>& paths);
  // The system's name of the control at `pos` (window coordinates): the nearest widget
  // that carries one, labels counting as the box they stand in.
  std::string ControlNameAt(const QPoint& pos) const;

  // Shows the layout, the control availability, the status texts and the title of the
  // context.
  void UpdateFromContext();
  // The title: the layout file's name and whether it has unsaved changes.
  void RefreshTitle();
  // The catalog number field's text, when the user changed it, goes into the layout if it
  // is complete or empty; otherwise the warning, the field keeps the focus, and false.
  bool CommitCatalogEntry();
  // Gives the list, the image path field and the .cdt path field the font, and the list
  // rows its height.
  void ApplyListFont(const FontSettings& font);
  FontSettings ListFontSettings() const;
  // Writes the whole settings file (window geometry, column widths and font included), unless
  // it could not be read when the window opened.
  bool SaveSettingsFile();

  // Runs a command; an error it lets escape is shown in an error box and the program
  // goes on.
  void Guarded(const std::function<void()>& command);

  // A making run or a burn is being shown: the window cannot be closed.
  bool Making() const { return Making_; }

 protected:
  void showEvent(QShowEvent* e) override;
  // Closing asks about unsaved changes first, and is given up on Cancel.
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // The widgets, group box by group box, each control named as the system names it.
  void BuildControls();
  QGroupBox* BuildDataTrackGroup(QWidget* parent);
  QGroupBox* BuildAudioTracksGroup(QWidget* parent);
  void ConnectFields();
  void BuildActions();
  void ApplyWindowSettings(bool sizeStored);
  void ApplyQtFont(const QFont& font);
  void StartMake(bool test);
  // The burn's first steps on a thread behind the progress dialog: the result that ends
  // the burn there, or nothing.
  std::optional<BurnResult> CheckDriveAndDisc(const BurnRequest& request);
  // The end of a check or a job: for a used CD-RW the user may have it blanked (true,
  // options.Blank set); otherwise the end is shown (false).
  bool ShowEndUnlessBlanking(const BurnResult& end, BurnOptions& options);
  // Makes the disc with its TOC file; the request to burn it, or nothing.
  std::optional<BurnRequest> MakeForBurn(const BurnOptions& options);
  // Runs the burn job until it ends, again with blanking when the user asks for it.
  void RunBurn(BurnRequest request);
  void DataTrackPathEdited();
  // The toolbar over the window and the capacity bar under the track list.
  void BuildToolBar();
  void RefreshUndoActions();
  void RefreshRecentMenu();
  void RefreshCapacity();
  void OpenRecent(const std::string& path);

  AppContext Ctx_;
  std::unique_ptr<MakeController> Maker_;
  std::string SettingsPath_;
  bool SettingsUnreadable_ = false;  // never written, then
  FontSettings FontKept_;
  bool FirstShown_ = false;
  // The settings file held the column widths.
  bool ColumnsStored_ = false;
  bool Updating_ = false;
  bool Making_ = false;

  QGroupBox* DataTrackGroup_ = nullptr;
  QLineEdit* ImagePathEdit_ = nullptr;
  QPushButton* ImageBrowseButton_ = nullptr;
  QComboBox* ImageTypeCombo_ = nullptr;
  QGroupBox* AudioTracksGroup_ = nullptr;
  QCheckBox* CdTextCheck_ = nullptr;
  QLineEdit* CdtPathEdit_ = nullptr;
  QPushButton* CdtBrowseButton_ = nullptr;
  QPushButton* CdTextEditButton_ = nullptr;
  QLineEdit* CatalogEdit_ = nullptr;
  QPushButton* AddAudioButton_ = nullptr;
  QPushButton* ClearAudioButton_ = nullptr;
  TrackListView* Tracks_ = nullptr;
  CapacityBar* Capacity_ = nullptr;
  QToolBar* ToolBar_ = nullptr;
  QMenu* RecentMenu_ = nullptr;
  std::array<QLabel*, 4> StatusPanels_{};

  GeneralSettingsDialog* GeneralSettingsDialog_ = nullptr;
  AboutDialog* AboutDialog_ = nullptr;
  MakeProgressDialog* MakeProgressDialog_ = nullptr;
};

}  // namespace varnel
