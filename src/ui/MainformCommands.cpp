// The command table of the main window, file drops, and the making commands.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "Aboutbox.h"
#include "Checkdiscdlg.h"
#include "DiscCheck.h"
#include "LayoutFile.h"
#include "ListFont.h"
#include "Mainform.h"
#include "Making.h"
#include "Progressdialog.h"
#include "RipImport.h"
#include "Settingsdialog.h"
#include "StatusBar.h"
#include "TrackListBox.h"
#include "TrackListOps.h"

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

void TVnlMainFrm::FileBinExecute() {
  ChooseDataTrackImage(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileAudioExecute() {
  AddAudioFiles(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileCdtExecute() {
  ChooseCdtFile(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileNewExecute() {
  if (!Ctx_.IsIdle()) return;
  NewLayout(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileLoadExecute() {
  if (!Ctx_.IsIdle()) return;
  varnel::FileLoadExecute(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileImportExecute() {
  if (!Ctx_.IsIdle()) return;
  varnel::FileImportExecute(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileSaveExecute() {
  if (!CommitCatalogEntry()) return;
  varnel::FileSaveExecute(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::FileMakeExecute() {
  StartMakingCommand(false);
}

void TVnlMainFrm::FileTestExecute() {
  StartMakingCommand(true);
}

void TVnlMainFrm::FileCheckExecute() {
  if (!Ctx_.IsIdle()) return;
  if (!CommitCatalogEntry()) return;
  const std::vector<TDiscFinding> findings = CheckDisc(Ctx_.Layout, Ctx_.Settings);
  TCheckDiscDlg dlg(FindingRows(Ctx_.Layout, findings), false, this);
  dlg.OnActivate = [this](const TFindingRow& row) {
    if (SelectFindingTrack(Ctx_, row)) UpdateFromContext();
  };
  if (ShowCheckDisc) {
    ShowCheckDisc(dlg);
  } else {
    dlg.exec();
  }
}

void TVnlMainFrm::SetProgressDlg(TProgressDlg* dlg) {
  ProgressDlg_ = dlg;
  if (!dlg) {
    Maker_->SetProgressReceiver({});
    return;
  }
  dlg->OnCancel = [this] { Maker_->CancelMaking(); };
  Maker_->SetProgressReceiver(
      [dlg](int32_t code, int32_t argument) { dlg->ProgressNotify(code, argument); });
}

void TVnlMainFrm::StartMakingCommand(bool test) {
  if (!Ctx_.IsIdle() || Making_) return;
  if (!CommitCatalogEntry()) return;
  Making_ = true;
  // The progress dialog's modal loop keeps the window alive (painting, the clock, Cancel)
  // while the worker runs; the run's last notification closes it. The controller joins
  // the worker before it shows the result.
  std::function<void()> showProgress;
  if (ProgressDlg_) showProgress = [this] { ProgressDlg_->ShowModal(); };
  struct TMakingFlag {
    bool& Flag;
    ~TMakingFlag() { Flag = false; }
  } flag{Making_};
  if (test) {
    Maker_->FileTestExecute(showProgress);
  } else {
    Maker_->FileMakeExecute(showProgress);
  }
  UpdateFromContext();
}

void TVnlMainFrm::EditPropertyExecute() {
  if (!Ctx_.IsIdle()) return;
  const int32_t index = Ctx_.SelectedTrack;
  if (index < 0 || index >= Ctx_.Layout.Count()) return;
  if (!ShowTrackProperty) return;
  std::string waveDir = Ctx_.Settings.WaveFileDir;
  ShowTrackProperty(Ctx_.Layout.At(index), waveDir);
  Ctx_.Settings.WaveFileDir = waveDir;
  UpdateFromContext();
}

void TVnlMainFrm::EditRemoveExecute() {
  if (!Ctx_.IsIdle()) return;
  RemoveSelectedTrack(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::EditClearAudioExecute() {
  if (!Ctx_.IsIdle()) return;
  varnel::EditClearAudioExecute(Ctx_);
  UpdateFromContext();
}

void TVnlMainFrm::SettingsGeneralExecute() {
  // The list and the status bar show changed values at their next redraw and refresh.
  if (GenSettingsDlg_) GenSettingsDlg_->Execute(Ctx_.Settings, Tracks_->font());
}

void TVnlMainFrm::SettingDefaultExecute() {
  if (ShowDefaultSettings) ShowDefaultSettings();
}

void TVnlMainFrm::SetingsFontExecute() {
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

void TVnlMainFrm::HelpAboutExecute() {
  if (AboutBox_) AboutBox_->exec();
}

std::string TVnlMainFrm::ControlNameAt(const QPoint& pos) const {
  for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget()) {
    const QString name = w->objectName();
    if (!name.isEmpty() && !name.startsWith("qt_")) return name.toStdString();
  }
  return std::string();
}

void TVnlMainFrm::DropPaths(const std::string& controlName, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  Guarded([&] { DropFiles(Ctx_, controlName, paths); });
  UpdateFromContext();
}

void TVnlMainFrm::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    // An error no command caught: reported, and the program goes on.
    Ctx_.Prompter.ShowMessage(TBoxKind::Error, e.what());
    UpdateFromContext();
  } catch (...) {
    Ctx_.Prompter.ShowMessage(TBoxKind::Error, "Unexpected error.");
    UpdateFromContext();
  }
}

void TVnlMainFrm::dragEnterEvent(QDragEnterEvent* e) {
  if (!LocalPaths(e->mimeData()).empty()) {
    e->acceptProposedAction();
  } else {
    e->ignore();
  }
}

void TVnlMainFrm::dragMoveEvent(QDragMoveEvent* e) {
  if (!LocalPaths(e->mimeData()).empty()) {
    e->acceptProposedAction();
  } else {
    e->ignore();
  }
}

void TVnlMainFrm::dropEvent(QDropEvent* e) {
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
