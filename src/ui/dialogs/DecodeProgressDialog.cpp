#include "ui/dialogs/DecodeProgressDialog.h"

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

#include "ui/dialogs/ProgressLayout.h"
#include "ui/widgets/ListFont.h"

namespace varnel {

DecodeProgressDialog::DecodeProgressDialog(QWidget* parent, const QString& fileName)
    : QDialog(parent) {
  setObjectName("DecodeProgressDlg");
  setWindowTitle("Decoding");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);

  auto* fileCaption = new QLabel("File:", this);
  fileCaption->setObjectName("FileCaptionLbl");
  FileLbl_ = new QLabel(fileName, this);
  FileLbl_->setObjectName("FileLbl");
  auto* doneCaption = new QLabel("Done:", this);
  doneCaption->setObjectName("DoneCaptionLbl");
  PercentLbl_ = new QLabel("0%", this);
  PercentLbl_->setObjectName("PercentLbl");
  PercentLbl_->setMinimumWidth(PercentLbl_->fontMetrics().horizontalAdvance("100%") + 4);
  const ProgressLook look = LayOutProgress(this, fileCaption, FileLbl_, doneCaption, PercentLbl_);
  ProgressBar_ = look.Bar;
  CancelBtn_ = look.Cancel;
  connect(CancelBtn_, &QPushButton::clicked, this, &DecodeProgressDialog::Cancel);
}

void DecodeProgressDialog::SetPercent(int percent) {
  percent = std::clamp(percent, 0, 100);
  ProgressBar_->setValue(percent);
  PercentLbl_->setText(QString::number(percent) + "%");
}

void DecodeProgressDialog::Cancel() {
  if (Cancelled_) return;
  Cancelled_ = true;
  FileLbl_->setText(kCancellingText);
  CancelBtn_->setEnabled(false);
}

void DecodeProgressDialog::closeEvent(QCloseEvent* e) {
  // Only the end of the decode closes the dialog.
  e->ignore();
}

void DecodeProgressDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    Cancel();
    return;
  }
  QDialog::keyPressEvent(e);
}

void DecodeProgressDialog::reject() {
  Cancel();
}

void RunDecodeWithProgress(QWidget* parent, const std::string& path,
                           const AppContext::DecodeJob& job) {
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
  DecodeProgressDialog dlg(
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
