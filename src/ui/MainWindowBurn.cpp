// File > Burn…: the burn dialog, the made disc, the burn job behind its progress dialog and
// the result.
#include "app/burn/BurnJob.h"
#include "app/burn/BurnResultBox.h"
#include "app/burn/MadeDisc.h"
#include "app/commands/MakeController.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/BurnDialog.h"
#include "ui/dialogs/BurnProgressDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"

namespace varnel {

void MainWindow::Burn() {
  if (!Ctx_.IsIdle() || Making_) return;
  if (!CommitCatalogEntry()) return;
  BurnChoicesEditor editor(LastBurnChoices(Ctx_.Settings),
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
  KeepBurnChoices(Ctx_.Settings, editor.Options());
  std::optional<BurnRequest> request = PrepareBurn();
  UpdateFromContext();
  if (!request) return;
  request->Options = editor.Options();
  RunBurn(std::move(*request));
}

std::optional<BurnRequest> MainWindow::PrepareBurn() {
  // The made disc comes from a Make run, with the TOC on for it whatever the setting says.
  struct Restore {
    MainWindow& W;
    bool Toc;
    ~Restore() {
      W.Ctx_.Settings.CdrdaoToc = Toc;
      W.Making_ = false;
    }
  } restore{*this, Ctx_.Settings.CdrdaoToc};
  Ctx_.Settings.CdrdaoToc = true;
  Making_ = true;
  std::function<void()> showProgress;
  if (MakeProgressDialog_) showProgress = [this] { MakeProgressDialog_->ShowModal(); };
  const MakeOutcome outcome = Maker_->Make(showProgress);
  if (outcome != MakeOutcome::Succeeded) return std::nullopt;
  return MadeDiscRequest(Ctx_, Maker_->CuePath());
}

void MainWindow::RunBurn(BurnRequest request) {
  Making_ = true;
  struct BurningFlag {
    bool& Flag;
    ~BurningFlag() { Flag = false; }
  } flag{Making_};
  for (;;) {
    BurnProgressDialog progress(this);
    {
      BurnJob job(request, progress);
      // Cancel returns at once; the job's end, once cdrdao has gone, closes the dialog.
      progress.OnCancel = [&job] { job.Cancel(); };
      progress.ShowModal();
    }
    if (!progress.Result()) return;
    const BurnResult& result = *progress.Result();
    if (result.Problem == BurnProblem::RewritableNotEmpty && !request.Options.Blank &&
        Ctx_.Prompter.AskYesNo(kBlankRewritableQuestion)) {
      request.Options.Blank = true;
      continue;
    }
    Ctx_.Prompter.Show(BurnResultBox(result));
    return;
  }
}

}  // namespace varnel
