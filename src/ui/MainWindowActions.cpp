// The command table of the main window, file drops, and the making commands.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "app/check/DiscCheck.h"
#include "app/commands/DecodeAhead.h"
#include "app/commands/LayoutFile.h"
#include "app/commands/MakeController.h"
#include "app/commands/TrackListCommands.h"
#include "app/commands/UndoStack.h"
#include "app/import/RipImport.h"
#include "app/views/StatusBar.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/CdTextDialog.h"
#include "ui/dialogs/DiscCheckDialog.h"
#include "ui/dialogs/DiscIdentityDialog.h"
#include "ui/dialogs/GeneralSettingsDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"
#include "ui/widgets/ListFont.h"
#include "ui/widgets/TrackListView.h"

namespace varnel {

namespace {

// The local files of a drag; other addresses are not files of this machine.
std::vector<std::string> LocalPaths(const QMimeData* mime) {
  std::vector<std::string> paths;
  if (!mime || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (!path.isEmpty()) paths.push_back(path.toStdString());
  }
  return paths;
}

}  // namespace

void MainWindow::ChooseDataTrack() {
  ChooseDataTrackImage(Ctx_);
  NoteChange(kDataTrackChange);
  UpdateFromContext();
}

void MainWindow::AddTracks() {
  AddAudioFiles(Ctx_);
  NoteChange(kAddFilesChange);
  UpdateFromContext();
}

void MainWindow::ChooseCdt() {
  ChooseCdtFile(Ctx_);
  NoteChange(kCdtChange);
  UpdateFromContext();
}

void MainWindow::NewLayout() {
  if (!Ctx_.IsIdle()) return;
  varnel::NewLayout(Ctx_);
  UpdateFromContext();
}

void MainWindow::OpenLayout() {
  if (!Ctx_.IsIdle()) return;
  varnel::OpenLayout(Ctx_);
  UpdateFromContext();
}

void MainWindow::ImportSheet() {
  if (!Ctx_.IsIdle()) return;
  varnel::ImportSheet(Ctx_);
  UpdateFromContext();
}

void MainWindow::SaveLayout() {
  if (!CommitCatalogEntry()) return;
  if (Ctx_.LayoutPath.empty()) {
    varnel::SaveLayoutAs(Ctx_);
  } else {
    SaveLayoutFile(Ctx_, Ctx_.LayoutPath, Overwrite::Replace);
  }
  UpdateFromContext();
}

void MainWindow::SaveLayoutAs() {
  if (!CommitCatalogEntry()) return;
  varnel::SaveLayoutAs(Ctx_);
  UpdateFromContext();
}

void MainWindow::Undo() {
  UndoLayoutChange(Ctx_);
  UpdateFromContext();
}

void MainWindow::Redo() {
  RedoLayoutChange(Ctx_);
  UpdateFromContext();
}

void MainWindow::MoveTrackUp() {
  MoveSelectedTrack(Ctx_, -1);
  NoteChange(kMoveChange);
  UpdateFromContext();
}

void MainWindow::MoveTrackDown() {
  MoveSelectedTrack(Ctx_, 1);
  NoteChange(kMoveChange);
  UpdateFromContext();
}

void MainWindow::ToggleToolbarText() {
  Ctx_.Settings.ToolbarText = Action("SettingsToolbarText")->isChecked();
  ToolBar_->setToolButtonStyle(Ctx_.Settings.ToolbarText ? Qt::ToolButtonTextBesideIcon
                                                         : Qt::ToolButtonIconOnly);
}

void MainWindow::Make() {
  StartMake(false);
}

void MainWindow::TestMake() {
  StartMake(true);
}

void MainWindow::ShowDiscCheck() {
  if (!Ctx_.IsIdle()) return;
  if (!CommitCatalogEntry()) return;
  const std::vector<DiscFinding> findings =
      CheckDisc(Ctx_.Layout, Ctx_.Settings, Ctx_.Settings.Media);
  DiscCheckDialog dlg(FindingRows(Ctx_.Layout, findings), false, this);
  dlg.OnActivate = [this](const FindingRow& row) {
    if (SelectFindingTrack(Ctx_, row)) UpdateFromContext();
  };
  if (ShowDiscCheckDialog) {
    ShowDiscCheckDialog(dlg);
  } else {
    dlg.exec();
  }
}

void MainWindow::EditCdText() {
  if (!Ctx_.IsIdle()) return;
  CdTextDialog dlg(Ctx_, this);
  if (ShowCdTextDialog) {
    ShowCdTextDialog(dlg);
  } else {
    dlg.exec();
  }
  if (dlg.result() == QDialog::Accepted && dlg.Editor().Accept()) {
    NoteChange(kCdTextChange);
    UpdateFromContext();
  }
}

void MainWindow::SetMakeProgressDialog(MakeProgressDialog* dlg) {
  MakeProgressDialog_ = dlg;
  Maker_->ReportProgressTo(dlg);
  if (dlg) dlg->OnCancel = [this] { Maker_->Cancel(); };
}

void MainWindow::StartMake(bool test) {
  if (!Ctx_.IsIdle() || Making_) return;
  if (!CommitCatalogEntry()) return;
  Making_ = true;
  // The progress dialog's modal loop keeps the window alive (painting, the clock, Cancel)
  // while the worker runs; the run's end closes it. The controller joins the worker before
  // it shows the result.
  std::function<void()> showProgress;
  if (MakeProgressDialog_) showProgress = [this] { MakeProgressDialog_->ShowModal(); };
  struct MakingFlag {
    bool& Flag;
    ~MakingFlag() { Flag = false; }
  } flag{Making_};
  if (test) {
    Maker_->TestMake(showProgress);
  } else {
    Maker_->Make(showProgress);
  }
  UpdateFromContext();
}

void MainWindow::ShowDiscIdentity() {
  if (!Ctx_.IsIdle()) return;
  if (!CommitCatalogEntry()) return;
  PlannedIdentity planned = PlanIdentity(Ctx_.Layout, Ctx_.Settings, Ctx_.LayoutPath);
  if (!planned.Ok) {
    Ctx_.Prompter.Show({BoxKind::Error, planned.Message, planned.Detail, {}});
    return;
  }
  DiscIdentityDialog dlg(std::move(planned), Ctx_.Layout, this);
  if (ShowDiscIdentityDialog) {
    ShowDiscIdentityDialog(dlg);
  } else {
    dlg.exec();
  }
}

void MainWindow::EditTrackProperties() {
  if (!Ctx_.IsIdle()) return;
  const int32_t index = Ctx_.SelectedTrack;
  if (index < 0 || index >= Ctx_.Layout.Count()) return;
  if (!ShowTrackPropertiesDialog) return;
  std::string waveDir = Ctx_.Settings.WaveFileDir;
  ShowTrackPropertiesDialog(Ctx_.Layout.At(index), waveDir);
  Ctx_.Settings.WaveFileDir = waveDir;
  NoteChange(kPropertiesChange);
  UpdateFromContext();
}

void MainWindow::RemoveTrack() {
  if (!Ctx_.IsIdle()) return;
  RemoveSelectedTrack(Ctx_);
  NoteChange(kRemoveChange);
  UpdateFromContext();
}

void MainWindow::ClearAudioTracks() {
  if (!Ctx_.IsIdle()) return;
  varnel::ClearAudioTracks(Ctx_);
  NoteChange(kClearChange);
  UpdateFromContext();
}

void MainWindow::EditGeneralSettings() {
  // The list and the status bar show changed values at their next redraw and refresh.
  if (GeneralSettingsDialog_) {
    GeneralSettingsDialog_->ShowDecodedCache(DecodedCacheFolderOf(Ctx_),
                                             DecodedCopiesInUse(Ctx_.Layout));
    GeneralSettingsDialog_->Edit(Ctx_.Settings, Tracks_->font());
  }
}

void MainWindow::EditDefaultProperties() {
  if (ShowDefaultPropertiesDialog) ShowDefaultPropertiesDialog();
}

void MainWindow::ChooseListFont() {
  const QFont kept = Tracks_->font();
  std::optional<QFont> chosen = ChooseFont ? ChooseFont(kept) : std::nullopt;
  if (!chosen) {
    ApplyQtFont(kept);
    return;
  }
  QFont font = *chosen;
  // The list offers sizes up to 16 points.
  if (font.pointSize() > kMaxListFontPoints) font.setPointSize(kMaxListFontPoints);
  FontKept_ = SettingsFromFont(font, FontKept_);
  ApplyQtFont(font);
}

void MainWindow::ShowAbout() {
  if (AboutDialog_) AboutDialog_->exec();
}

std::string MainWindow::ControlNameAt(const QPoint& pos) const {
  for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget()) {
    const QString name = w->objectName();
    if (!name.isEmpty() && !name.startsWith("qt_")) return name.toStdString();
  }
  return std::string();
}

void MainWindow::DropPaths(const std::string& controlName, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  Guarded([&] { DropFiles(Ctx_, controlName, paths); });
  NoteChange(kDropChange);
  UpdateFromContext();
}

void MainWindow::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    // An error no command caught: reported, and the program goes on.
    Ctx_.Prompter.ShowMessage(BoxKind::Error, e.what());
    UpdateFromContext();
  } catch (...) {
    Ctx_.Prompter.ShowMessage(BoxKind::Error, "Unexpected error.");
    UpdateFromContext();
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (!LocalPaths(e->mimeData()).empty()) {
    e->acceptProposedAction();
  } else {
    e->ignore();
  }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* e) {
  if (!LocalPaths(e->mimeData()).empty()) {
    e->acceptProposedAction();
  } else {
    e->ignore();
  }
}

void MainWindow::dropEvent(QDropEvent* e) {
  std::vector<std::string> paths = LocalPaths(e->mimeData());
  if (paths.empty()) {
    e->ignore();
    return;
  }
  const std::string name = ControlNameAt(e->position().toPoint());
  e->acceptProposedAction();
  // The drop is completed first; the files are taken afterwards, since taking them may ask
  // questions in modal boxes.
  QTimer::singleShot(0, this, [this, name, paths = std::move(paths)] { DropPaths(name, paths); });
}

}  // namespace varnel
