// "Burning": the modal dialog a burn job shows while cdrdao works — the disc's status, the
// phase, one bar for the whole disc, the drive's buffer, the elapsed and remaining time,
// and Cancel. The job reports through BurnListener on its own thread: each report is handed
// to the dialog's thread as a queued call, so the job never touches a widget and never
// waits for the window. Cancel asks the job to stop and says so at once; only the job's end
// closes the dialog (no close box, Escape ignored).
#pragma once

#include <QTimer>
#include <functional>
#include <optional>

#include "app/burn/BurnJob.h"
#include "app/burn/BurnProgressView.h"
#include "ui/dialogs/JobProgressDialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

class BurnProgressDialog : public JobProgressDialog, public BurnListener {
  Q_OBJECT
 public:
  explicit BurnProgressDialog(QWidget* parent = nullptr);

  // Called by the Cancel button (the window binds it to the job's Cancel).
  std::function<void()> OnCancel;

  // The job's reports; safe to call on any thread.
  void BurnStatusKnown(const DiscStatus& status) override;
  void BurnProgressed(const BurnProgress& progress) override;
  void BurnEnded(const BurnResult& result) override;

  // Shows the dialog modally until the job's end closes it (at once when it has ended).
  void ShowModal();
  // How the job ended; nothing before its end.
  const std::optional<BurnResult>& Result() const { return Result_; }
  const BurnProgressView& View() const { return View_; }
  // Cancel: "Cancelling…" shows at once, the button is spent, the job is asked to stop.
  void Cancel();

 signals:
  // A report has been applied to the controls.
  void Updated();

 private:
  void Queue(std::function<void()> apply);
  void ShowView();

  QLabel* DiscLbl_;
  QLabel* PhaseLbl_;
  QLabel* ElapsedLbl_;
  QLabel* RemainingLbl_;
  QProgressBar* DiscBar_;
  QProgressBar* BufferBar_;
  QPushButton* CancelBtn_;
  QTimer Timer_;
  BurnProgressView View_;
  std::optional<BurnResult> Result_;
  bool Cancelling_ = false;
};

}  // namespace varnel
