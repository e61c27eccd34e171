#include "ui/dialogs/MakeProgressDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

#include "ui/dialogs/ProgressLayout.h"
#include "ui/widgets/ListFont.h"
#include "app/commands/MakeController.h"

namespace varnel {

MakeProgressDialog::MakeProgressDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("ProgressDlg");
  setWindowTitle("Operation in progress");
  setFont(DialogFont());
  // A dialog border without border icons: no close box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);

  // The labels read as the texts they show, the changing ones too.
  auto* label1 = new QLabel("Operation:", this);
  label1->setObjectName("Label1");
  auto* label2 = new QLabel("Elapsed time:", this);
  label2->setObjectName("Label2");
  OperationLbl_ = new QLabel("Current Operation", this);
  OperationLbl_->setObjectName("OperationLbl");
  // As wide as the longest text a run shows.
  int widest = 0;
  for (const QString& text : {QStringLiteral("Editing and Copying a wave file for Track99..."),
                              QStringLiteral("Exporting Cue sheet..."), kCancellingText}) {
    widest = std::max(widest, OperationLbl_->fontMetrics().horizontalAdvance(text));
  }
  OperationLbl_->setMinimumWidth(widest + 4);
  TimeLbl_ = new QLabel("00:00", this);
  TimeLbl_->setObjectName("TimeLbl");
  TimeLbl_->setMinimumWidth(TimeLbl_->fontMetrics().horizontalAdvance("0000:00") + 4);
  const ProgressLook look = LayOutProgress(this, label1, OperationLbl_, label2, TimeLbl_);
  ProgressBar_ = look.Bar;
  CancelBtn_ = look.Cancel;
  CancelBtn_->setFocusPolicy(Qt::ClickFocus);
  connect(CancelBtn_, &QPushButton::clicked, this, &MakeProgressDialog::Cancel);

  Timer_.setObjectName("Timer");
  Timer_.setInterval(1000);
  connect(&Timer_, &QTimer::timeout, this, &MakeProgressDialog::Tick);
}

int32_t MakeProgressDialog::Notify(int32_t code, int32_t argument) {
  // Queued onto the dialog's thread; the caller goes on at once.
  QMetaObject::invokeMethod(
      this, [this, code, argument] { Apply(code, argument); }, Qt::QueuedConnection);
  return 0;
}

void MakeProgressDialog::Apply(int32_t code, int32_t argument) {
  switch (code) {
    case ProgressStart:
    case ProgressNextTrack:
    case ProgressCueSheet: {
      Display_.Apply(code, argument);
      // A new run starts afresh; within a run that is being cancelled the label keeps
      // saying so.
      if (code == ProgressStart) SetCancelling(false);
      if (!Cancelling_) OperationLbl_->setText(QString::fromStdString(Display_.Operation));
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

int MakeProgressDialog::ShowModal() {
  if (EndedBeforeShow_) {
    EndedBeforeShow_ = false;
    return QDialog::Accepted;
  }
  return exec();
}

void MakeProgressDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (Cancelling_) {
    SetCancelling(false);
    OperationLbl_->setText(QString::fromStdString(Display_.Operation));
  }
  ElapsedSeconds_ = 0;
  TimeLbl_->setText(QString());
  Timer_.start();
}

void MakeProgressDialog::Tick() {
  if (ElapsedSeconds_ < INT32_MAX) ++ElapsedSeconds_;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2d:%.2d", static_cast<int>(ElapsedSeconds_ / 60),
                static_cast<int>(ElapsedSeconds_ % 60));
  TimeLbl_->setText(QString::fromLatin1(buf));
}

void MakeProgressDialog::Cancel() {
  if (Cancelling_) return;
  // Said at once: the run stops only after the track it is working on.
  SetCancelling(true);
  if (OnCancel) OnCancel();
}

void MakeProgressDialog::SetCancelling(bool cancelling) {
  Cancelling_ = cancelling;
  CancelBtn_->setEnabled(!cancelling);
  if (cancelling) OperationLbl_->setText(kCancellingText);
}

void MakeProgressDialog::closeEvent(QCloseEvent* e) {
  // Only the run closes the dialog.
  if (ClosingByRun_) {
    QDialog::closeEvent(e);
  } else {
    e->ignore();
  }
}

void MakeProgressDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void MakeProgressDialog::reject() {
  if (ClosingByRun_) QDialog::reject();
}

}  // namespace varnel
