// What the dialogs that show a running job share: only the job's end closes them. The close
// box and Escape do nothing, since the job goes on until it has really stopped; Cancel asks
// it to stop, and its end closes the dialog.
#pragma once

#include <QDialog>

namespace varnel {

class JobProgressDialog : public QDialog {
 public:
  using QDialog::QDialog;

  void reject() override;

 protected:
  // At the job's end: closes the dialog when it is up; false when it is not.
  bool CloseAtJobEnd();

  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool Closing_ = false;
};

}  // namespace varnel
