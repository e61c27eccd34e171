#include "Progressdialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

#include "ListFont.h"
#include "MakeRun.h"
#include "Making.h"

namespace varnel {

TProgressDlg::TProgressDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("ProgressDlg");
  setWindowTitle("Operation in progress");
  setAccessibleName("Operation in progress");
  setFont(DialogFont());
  // A dialog border without border icons: no close box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(358, 128);
  setModal(true);

  auto* label1 = new QLabel("Operation:", this);
  label1->setObjectName("Label1");
  label1->setAccessibleName("Operation:");
  label1->move(16, 16);
  auto* label2 = new QLabel("Elapsed time:", this);
  label2->setObjectName("Label2");
  label2->setAccessibleName("Elapsed time:");
  label2->move(16, 38);
  OperationLbl_ = new QLabel("Current Operation", this);
  OperationLbl_->setObjectName("OperationLbl");
  OperationLbl_->setAccessibleName("OperationLbl");
  OperationLbl_->setGeometry(100, 16, 250, 16);
  TimeLbl_ = new QLabel("00:00", this);
  TimeLbl_->setObjectName("TimeLbl");
  TimeLbl_->setAccessibleName("TimeLbl");
  TimeLbl_->setGeometry(100, 38, 120, 16);
  ProgressBar_ = new QProgressBar(this);
  ProgressBar_->setObjectName("ProgressBar");
  ProgressBar_->setAccessibleName("ProgressBar");
  ProgressBar_->setGeometry(16, 64, 328, 16);
  ProgressBar_->setRange(0, 100);
  ProgressBar_->setValue(0);
  ProgressBar_->setTextVisible(false);
  CancelBtn_ = new QPushButton("&Cancel", this);
  CancelBtn_->setObjectName("CancelBtn");
  CancelBtn_->setAccessibleName("Cancel");
  CancelBtn_->setGeometry(152, 91, 60, 24);
  CancelBtn_->setFocusPolicy(Qt::ClickFocus);
  CancelBtn_->setAutoDefault(false);
  connect(CancelBtn_, &QPushButton::clicked, this, &TProgressDlg::CancelBtnClick);

  Timer_.setObjectName("Timer");
  Timer_.setInterval(1000);
  connect(&Timer_, &QTimer::timeout, this, &TProgressDlg::TimerTimer);
}

int32_t TProgressDlg::ProgressNotify(int32_t code, int32_t argument) {
  // Queued onto the dialog's thread; the caller goes on at once.
  QMetaObject::invokeMethod(
      this, [this, code, argument] { Apply(code, argument); }, Qt::QueuedConnection);
  return 0;
}

void TProgressDlg::Apply(int32_t code, int32_t argument) {
  switch (code) {
    case ProgressStart:
    case ProgressNextTrack:
    case ProgressCueSheet: {
      Display_.Apply(code, argument);
      OperationLbl_->setText(QString::fromStdString(Display_.Operation));
      ProgressBar_->setRange(0, std::max(Display_.Maximum, 1));
      ProgressBar_->setValue(std::clamp(Display_.Position, 0, ProgressBar_->maximum()));
      break;
    }
    case ProgressSucceeded:
    case ProgressAborted:
      Timer_.stop();
      if (isVisible()) {
        ClosingByRun_ = true;
        done(QDialog::Accepted);
        ClosingByRun_ = false;
      } else {
        // The run ended before the dialog came up: the showing that follows returns at once.
        EndedBeforeShow_ = true;
      }
      break;
    default:
      break;
  }
  emit Updated(code);
}

int TProgressDlg::ShowModal() {
  if (EndedBeforeShow_) {
    EndedBeforeShow_ = false;
    return QDialog::Accepted;
  }
  return exec();
}

void TProgressDlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  ElapsedSeconds_ = 0;
  TimeLbl_->setText(QString());
  Timer_.start();
}

void TProgressDlg::TimerTimer() {
  if (ElapsedSeconds_ < INT32_MAX) ++ElapsedSeconds_;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2d:%.2d", static_cast<int>(ElapsedSeconds_ / 60),
                static_cast<int>(ElapsedSeconds_ % 60));
  TimeLbl_->setText(QString::fromLatin1(buf));
}

void TProgressDlg::CancelBtnClick() {
  if (OnCancel) OnCancel();
}

void TProgressDlg::closeEvent(QCloseEvent* e) {
  // Only the run closes the dialog.
  if (ClosingByRun_) {
    QDialog::closeEvent(e);
  } else {
    e->ignore();
  }
}

void TProgressDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void TProgressDlg::reject() {
  if (ClosingByRun_) QDialog::reject();
}

}  // namespace varnel
