// File > Burn…: the burn dialog, the drive and disc checked, the disc made, the burn job
// behind its progress dialog and the result — what `varnel-cli burn` does (BurnFlow), with
// the choices from a dialog and the questions asked in boxes.
#include <atomic>
#include <thread>

#include "app/burn/BurnFlow.h"
#include "app/burn/BurnJob.h"
#include "app/commands/MakeController.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/BurnDialog.h"
#include "ui/dialogs/BurnProgressDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"

namespace varnel {

void MainWindow::Burn() {
  if (!Ctx_.IsIdle() || Making_) return;
  if (!CommitCatalogEntry()) return;
  BurnChoicesEditor editor(BurnOptionsFromSettings(Ctx_.Settings),
                           ListDrives ? ListDrives() : std::vector<OpticalDrive>{});
  {
    BurnDialog dlg(editor, ListDrives, ReadDiscStatus, this);
    if (ShowBurnDialog) {
      ShowBurnDialog(dlg);
    } else {
      dlg.exec();
    }
    if (dlg.result() != QDialog::Accepted || !editor.CanBurn()) return;
  }
  BurnOptions options = editor.Options();
  RememberBurnOptions(options, Ctx_.Settings);

  Making_ = true;
  struct BurningFlag {
    bool& Flag;
    ~BurningFlag() { Flag = false; }
  } flag{Making_};
  // The drive and the disc are checked before anything is made, and again by the job.
  if (std::optional<BurnResult> end = CheckDriveAndDisc(BurnRequestFor(Ctx_, {}, options))) {
    if (!ShowEndUnlessBlanking(*end, options)) return;
  }
  std::optional<BurnRequest> request = MakeForBurn(options);
  UpdateFromContext();
  if (request) RunBurn(std::move(*request));
}

bool MainWindow::ShowEndUnlessBlanking(const BurnResult& end, BurnOptions& options) {
  if (end.Problem == BurnProblem::RewritableNotEmpty && !options.Blank &&
      Ctx_.Prompter.AskYesNo(kBlankRewritableQuestion)) {
    options.Blank = true;
    return true;
  }
  ShowBurnResult(Ctx_.Prompter, end);
  return false;
}

std::optional<BurnResult> MainWindow::CheckDriveAndDisc(const BurnRequest& request) {
  BurnProgressDialog progress(this);
  std::atomic<bool> cancel{false};
  std::optional<BurnResult> end;
  std::thread checker([&] {
    end = CheckBeforeBurning(request, progress, cancel);
    // The check has no end of its own to report: this one only closes the dialog.
    progress.BurnEnded(end.value_or(BurnResult{}));
  });
  progress.OnCancel = [&cancel] { cancel.store(true); };
  progress.ShowModal();
  checker.join();
  return end;
}

std::optional<BurnRequest> MainWindow::MakeForBurn(const BurnOptions& options) {
  // A Make with the TOC file on, the disc check before it measuring against the largest
  // medium (the job measures against the disc in the drive); the settings as they were
  // afterwards.
  struct Restore {
    AppSettings& S;
    AppSettings Kept;
    ~Restore() {
      S.CdrdaoToc = Kept.CdrdaoToc;
      S.CheckBeforeMake = Kept.CheckBeforeMake;
      S.Media = Kept.Media;
    }
  } restore{Ctx_.Settings, Ctx_.Settings};
  Ctx_.Settings.CdrdaoToc = true;
  Ctx_.Settings.CheckBeforeMake = true;
  Ctx_.Settings.Media = kBurnCheckMediaMinutes;
  std::function<void()> showProgress;
  if (MakeProgressDialog_) showProgress = [this] { MakeProgressDialog_->ShowModal(); };
  if (Maker_->Make(showProgress) != MakeOutcome::Succeeded) return std::nullopt;
  return BurnRequestFor(Ctx_, Maker_->CuePath(), options);
}

void MainWindow::RunBurn(BurnRequest request) {
  for (;;) {
    BurnProgressDialog progress(this);
    {
      BurnJob job(request, progress);
      // Cancel returns at once; the job's end, once cdrdao has gone, closes the dialog.
      progress.OnCancel = [&job] { job.Cancel(); };
      progress.ShowModal();
    }
    if (!progress.Result()) return;
    // A disc changed for a used CD-RW since the check: asked again.
    if (!ShowEndUnlessBlanking(*progress.Result(), request.Options)) return;
  }
}

}  // namespace varnel
