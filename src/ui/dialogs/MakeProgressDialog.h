// "Operation in progress": the modal dialog a making run shows while it works on its
// worker thread — what the run is doing, a bar of the steps done, the elapsed time, and
// Cancel, the only way to stop a run. The run drives it through MakeProgress, whose calls
// may come from any thread: each is handed to the dialog's own thread as a queued call, so
// the worker never touches a widget and never waits for the window. The dialog has no
// close box and ignores Escape; only the run's end closes it.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

#include "app/commands/ProgressDisplay.h"
#include "ui/dialogs/JobProgressDialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

class MakeProgressDialog : public JobProgressDialog, public MakeProgress {
  Q_OBJECT
 public:
  explicit MakeProgressDialog(QWidget* parent = nullptr);

  // Called by the Cancel button (the window binds it to Cancel).
  std::function<void()> OnCancel;

  // The run's progress; safe to call on any thread. A new run starts afresh; within a run
  // that is being cancelled the operation label keeps saying so. RunEnded closes the
  // dialog, or, when it is not up yet, makes the next ShowModal return at once.
  void RunStarted(int32_t steps) override;
  void TrackStarted(int32_t trackNumber) override;
  void WritingSheet() override;
  void RunEnded(RunState outcome) override;

  // Shows the dialog modally until the run's end closes it.
  int ShowModal();

  int32_t ElapsedSeconds() const { return ElapsedSeconds_; }
  const ProgressDisplay& Display() const { return Display_; }
  bool Cancelling() const { return Cancelling_; }
  // One tick of the one-second clock.
  void Tick();
  // Cancel: "Cancelling…" shows at once and the button is spent; the run is asked to stop.
  void Cancel();

 signals:
  // A step of the run (its start, a track, the sheet) has been applied to the controls.
  void Updated();
  // The run's end has been applied: the dialog has closed, or will not stay up.
  void Ended();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  // Runs `apply` on the dialog's thread; the caller goes on at once.
  void Queue(std::function<void()> apply);
  // On the dialog's thread: the label and the bar as Display_ has them now.
  void ShowStep();
  void SetCancelling(bool cancelling);

  QLabel* OperationLbl_;
  QLabel* TimeLbl_;
  QProgressBar* ProgressBar_;
  QPushButton* CancelBtn_;
  QTimer Timer_;
  ProgressDisplay Display_;
  int32_t ElapsedSeconds_ = 0;
  bool Cancelling_ = false;
  bool EndedBeforeShow_ = false;
};

}  // namespace varnel
