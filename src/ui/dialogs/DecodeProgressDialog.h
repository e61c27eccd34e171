// "Decoding": the dialog shown while a FLAC, AIFF, Ogg Vorbis or Opus file (or a converted
// one) is decoded into the decode cache, in the look of the making run's progress dialog —
// the file's name (or "N files" while several are decoded at once), a bar with the overall
// percentage done, and Cancel, which stops every worker. RunDecodeWithProgress runs the decode on a
// worker thread and keeps the window's thread turning: the dialog appears only when the
// decode lasts longer than a moment, and until then the window only repaints (no input
// reaches it, so nothing can change the layout while a file is being added).
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "app/AppContext.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

class DecodeProgressDialog : public QDialog {
  Q_OBJECT
 public:
  DecodeProgressDialog(QWidget* parent, const QString& fileName);

  // Shows `percent` (0 to 100) on the bar and as text.
  void SetPercent(int percent);
  bool Cancelled() const { return Cancelled_; }
  // Cancel: "Cancelling…" shows at once and the button is spent.
  void Cancel();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 public slots:
  void reject() override;

 private:
  QLabel* FileLbl_;
  QLabel* PercentLbl_;
  QProgressBar* ProgressBar_;
  QPushButton* CancelBtn_;
  bool Cancelled_ = false;
};

// How long a decode runs before its dialog appears, in milliseconds.
inline constexpr int kDecodeDialogDelayMs = 400;

// Runs `job` for the file at `path` on a worker thread and returns when it has ended.
void RunDecodeWithProgress(QWidget* parent, const std::string& path,
                           const AppContext::DecodeJob& job);

}  // namespace varnel
