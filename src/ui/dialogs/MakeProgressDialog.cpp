#include "ui/dialogs/MakeProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

#include "ui/dialogs/ProgressLayout.h"
#include "ui/widgets/ListFont.h"

namespace varnel {

MakeProgressDialog::MakeProgressDialog(QWidget* parent) : JobProgressDialog(parent) {
  setObjectName("ProgressDlg");
  setWindowTitle("Operation in progress");
  setFont(DialogFont());
  // A dialog border without border icons: no close box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);

  // The labels read as the texts they show, the changing ones too.
  auto* operationCaption = new QLabel("Operation:", this);
  operationCaption->setObjectName("OperationCaptionLbl");
  auto* timeCaption = new QLabel("Elapsed time:", this);
  timeCaption->setObjectName("TimeCaptionLbl");
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
  const ProgressLook look =
      LayOutProgress(this, operationCaption, OperationLbl_, timeCaption, TimeLbl_);
  ProgressBar_ = look.Bar;
  CancelBtn_ = look.Cancel;
  CancelBtn_->setFocusPolicy(Qt::ClickFocus);
  connect(CancelBtn_, &QPushButton::clicked, this, &MakeProgressDialog::Cancel);

  Timer_.setObjectName("Timer");
  Timer_.setInterval(1000);
  connect(&Timer_, &QTimer::timeout, this, &MakeProgressDialog::Tick);
}

void MakeProgressDialog::Queue(std::function<void()> apply) {
  QMetaObject::invokeMethod(this, std::move(apply), Qt::QueuedConnection);
}

void MakeProgressDialog::RunStarted(int32_t steps) {
  Queue([this, steps] {
    Display_.RunStarted(steps);
    SetCancelling(false);  // a new run starts afresh
    ShowStep();
  });
}

void MakeProgressDialog::TrackStarted(int32_t trackNumber) {
  Queue([this, trackNumber] {
    Display_.TrackStarted(trackNumber);
    ShowStep();
  });
}

void MakeProgressDialog::WritingSheet() {
  Queue([this] {
    Display_.WritingSheet();
    ShowStep();
  });
}

void MakeProgressDialog::RunEnded(RunState outcome) {
  Queue([this, outcome] {
    Display_.RunEnded(outcome);
    Timer_.stop();
    if (!CloseAtJobEnd()) {
      // The run ended before the dialog came up: the showing that follows returns at once.
      EndedBeforeShow_ = true;
    }
    emit Ended();
  });
}

void MakeProgressDialog::ShowStep() {
  if (!Cancelling_) OperationLbl_->setText(QString::fromStdString(Display_.Operation));
  ProgressBar_->setRange(0, std::max(Display_.Maximum, 1));
  ProgressBar_->setValue(std::clamp(Display_.Position, 0, ProgressBar_->maximum()));
  emit Updated();
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

}  // namespace varnel
