#include "ui/dialogs/BurnProgressDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/dialogs/ProgressLayout.h"
#include "ui/widgets/ListFont.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QLabel* Value(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

QProgressBar* Bar(const char* name, const char* accessibleName, int maximum, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setAccessibleName(accessibleName);
  bar->setRange(0, maximum);
  bar->setValue(0);
  return bar;
}

}  // namespace

BurnProgressDialog::BurnProgressDialog(QWidget* parent)
    : JobProgressDialog(parent), View_(BurnProgressView::Clock::now()) {
  setObjectName("BurnProgressDlg");
  setWindowTitle("Burning");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);

  DiscLbl_ = Value("DiscLbl", this);
  PhaseLbl_ = Value("PhaseLbl", this);
  PhaseLbl_->setMinimumWidth(
      PhaseLbl_->fontMetrics().horizontalAdvance("Writing track 99 of 99 (simulation)") + 4);
  ElapsedLbl_ = Value("ElapsedLbl", this);
  RemainingLbl_ = Value("RemainingLbl", this);
  DiscBar_ = Bar("DiscBar", "Disc written", 1000, this);
  DiscBar_->setTextVisible(false);
  BufferBar_ = Bar("BufferBar", "Drive buffer", 100, this);
  CancelBtn_ = new QPushButton("&Cancel", this);
  CancelBtn_->setObjectName("CancelBtn");
  CancelBtn_->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 14, 16, 12);
  grid->setHorizontalSpacing(12);
  int row = 0;
  auto add = [&](const char* caption, QWidget* value) {
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(value, row++, 1);
  };
  add("Disc:", DiscLbl_);
  add("Phase:", PhaseLbl_);
  grid->addWidget(DiscBar_, row++, 0, 1, 2);
  add("Drive buffer:", BufferBar_);
  add("Elapsed time:", ElapsedLbl_);
  add("Remaining time:", RemainingLbl_);
  grid->addWidget(CancelBtn_, row, 0, 1, 2, Qt::AlignHCenter);
  grid->setColumnStretch(1, 1);

  connect(CancelBtn_, &QPushButton::clicked, this, &BurnProgressDialog::Cancel);
  Timer_.setObjectName("Timer");
  Timer_.setInterval(1000);
  connect(&Timer_, &QTimer::timeout, this, &BurnProgressDialog::ShowView);
  ShowView();
}

void BurnProgressDialog::Queue(std::function<void()> apply) {
  QMetaObject::invokeMethod(this, std::move(apply), Qt::QueuedConnection);
}

void BurnProgressDialog::BurnStatusKnown(const DiscStatus& status) {
  Queue([this, status] {
    View_.StatusKnown(status);
    ShowView();
  });
}

void BurnProgressDialog::BurnProgressed(const BurnProgress& progress) {
  Queue([this, progress] {
    View_.Progressed(progress, BurnProgressView::Clock::now());
    ShowView();
  });
}

void BurnProgressDialog::BurnEnded(const BurnResult& result) {
  Queue([this, result] {
    Result_ = result;
    Timer_.stop();
    CloseAtJobEnd();
    emit Updated();
  });
}

void BurnProgressDialog::ShowView() {
  const auto now = BurnProgressView::Clock::now();
  DiscLbl_->setText(Q(View_.DiscLine()));
  if (!Cancelling_) PhaseLbl_->setText(Q(View_.Phase()));
  DiscBar_->setValue(View_.DiscPermille());
  BufferBar_->setValue(View_.DriveBufferPercent().value_or(0));
  BufferBar_->setTextVisible(View_.DriveBufferPercent().has_value());
  ElapsedLbl_->setText(Q(View_.ElapsedText(now)));
  RemainingLbl_->setText(Q(View_.RemainingText(now)));
  emit Updated();
}

void BurnProgressDialog::ShowModal() {
  if (Result_) return;
  Timer_.start();
  exec();
}

void BurnProgressDialog::Cancel() {
  if (Cancelling_ || Result_) return;
  Cancelling_ = true;
  CancelBtn_->setEnabled(false);
  PhaseLbl_->setText(kCancellingText);
  if (OnCancel) OnCancel();
}

}  // namespace varnel
