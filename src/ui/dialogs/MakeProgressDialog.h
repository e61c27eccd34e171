// "Operation in progress": the modal dialog a making run shows while it works on its
// worker thread — what the run is doing, a bar of the steps done, the elapsed time, and
// Cancel, the only way to stop a run. The run drives it by progress notifications, which
// may come from any thread: each is handed to the dialog's own thread as a queued call, so
// the worker never touches a widget and never waits for the window. The dialog has no
// close box and ignores Escape; only the run's last notification closes it.
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "app/commands/MakeController.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

class MakeProgressDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MakeProgressDialog(QWidget* parent = nullptr);

  // Called by the Cancel button (the window binds it to Cancel).
  std::function<void()> OnCancel;

  // A notification of the run; safe to call on any thread. Returns 0.
  int32_t Notify(int32_t code, int32_t argument);

  // Shows the dialog modally until the run's last notification closes it.
  int ShowModal();

  int32_t ElapsedSeconds() const { return ElapsedSeconds_; }
  const ProgressDisplay& Display() const { return Display_; }
  bool Cancelling() const { return Cancelling_; }
  // One tick of the one-second clock.
  void Tick();
  // Cancel: "Cancelling…" shows at once and the button is spent; the run is asked to stop.
  void Cancel();

 signals:
  // A notification has been applied to the controls (on the dialog's thread).
  void Updated(int code);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 public slots:
  void reject() override;

 private:
  // Runs on the dialog's thread.
  void Apply(int32_t code, int32_t argument);
  void SetCancelling(bool cancelling);

  QLabel* OperationLbl_;
  QLabel* TimeLbl_;
  QProgressBar* ProgressBar_;
  QPushButton* CancelBtn_;
  QTimer Timer_;
  ProgressDisplay Display_;
  int32_t ElapsedSeconds_ = 0;
  bool ClosingByRun_ = false;
  bool Cancelling_ = false;
  bool EndedBeforeShow_ = false;
};

}  // namespace varnel
