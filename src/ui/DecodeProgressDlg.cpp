#include "DecodeProgressDlg.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

#include "ListFont.h"
#include "Progressdialog.h"

namespace varnel {

TDecodeProgressDlg::TDecodeProgressDlg(QWidget* parent, const QString& fileName) : QDialog(parent) {
  setObjectName("DecodeProgressDlg");
  setWindowTitle("Decoding");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);

  auto* label1 = new QLabel("File:", this);
  label1->setObjectName("Label1");
  FileLbl_ = new QLabel(fileName, this);
  FileLbl_->setObjectName("FileLbl");
  auto* label2 = new QLabel("Done:", this);
  label2->setObjectName("Label2");
  PercentLbl_ = new QLabel("0%", this);
  PercentLbl_->setObjectName("PercentLbl");
  PercentLbl_->setMinimumWidth(PercentLbl_->fontMetrics().horizontalAdvance("100%") + 4);
  ProgressBar_ = new QProgressBar(this);
  ProgressBar_->setObjectName("ProgressBar");
  ProgressBar_->setAccessibleName("Progress");
  ProgressBar_->setRange(0, 100);
  ProgressBar_->setValue(0);
  ProgressBar_->setTextVisible(false);
  ProgressBar_->setFixedHeight(16);
  CancelBtn_ = new QPushButton("&Cancel", this);
  CancelBtn_->setObjectName("CancelBtn");
  CancelBtn_->setMinimumSize(60, 24);
  CancelBtn_->setAutoDefault(false);
  connect(CancelBtn_, &QPushButton::clicked, this, &TDecodeProgressDlg::CancelBtnClick);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 14, 16, 12);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(6);
  grid->addWidget(label1, 0, 0);
  grid->addWidget(FileLbl_, 0, 1);
  grid->addWidget(label2, 1, 0);
  grid->addWidget(PercentLbl_, 1, 1);
  grid->addWidget(ProgressBar_, 2, 0, 1, 2);
  grid->addWidget(CancelBtn_, 3, 0, 1, 2, Qt::AlignHCenter);
  grid->setColumnStretch(1, 1);
  const QSize hint = grid->sizeHint();
  setFixedSize(std::max(358, hint.width()), std::max(128, hint.height()));
}

void TDecodeProgressDlg::SetPercent(int percent) {
  percent = std::clamp(percent, 0, 100);
  ProgressBar_->setValue(percent);
  PercentLbl_->setText(QString::number(percent) + "%");
}

void TDecodeProgressDlg::CancelBtnClick() {
  if (Cancelled_) return;
  Cancelled_ = true;
  FileLbl_->setText(kCancellingText);
  CancelBtn_->setEnabled(false);
}

void TDecodeProgressDlg::closeEvent(QCloseEvent* e) {
  // Only the end of the decode closes the dialog.
  e->ignore();
}

void TDecodeProgressDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    CancelBtnClick();
    return;
  }
  QDialog::keyPressEvent(e);
}

void TDecodeProgressDlg::reject() {
  CancelBtnClick();
}

void RunDecodeWithProgress(QWidget* parent, const std::string& path,
                           const TAppContext::TDecodeJob& job) {
  std::atomic<bool> cancel{false};
  std::atomic<int> percent{0};
  std::atomic<bool> done{false};
  QEventLoop loop;
  std::thread worker([&] {
    job([&percent](double f) { percent = static_cast<int>(f * 100.0); }, &cancel);
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  const size_t slash = path.rfind('/');
  TDecodeProgressDlg dlg(
      parent, QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1)));
  QElapsedTimer clock;
  clock.start();
  // A moment without the dialog: the window repaints, takes no input.
  while (!done && clock.elapsed() < kDecodeDialogDelayMs) {
    loop.processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!done) {
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
      dlg.SetPercent(percent);
      if (dlg.Cancelled()) cancel = true;
      if (done) loop.quit();
    });
    dlg.SetPercent(percent);
    dlg.show();
    poll.start();
    if (!done) loop.exec();
    poll.stop();
    dlg.hide();
  }
  worker.join();
}

}  // namespace varnel
