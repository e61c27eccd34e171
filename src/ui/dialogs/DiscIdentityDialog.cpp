#include "ui/dialogs/DiscIdentityDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/ListFont.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QLineEdit* ValueField(const std::string& value, const char* name, QWidget* parent) {
  auto* field = new QLineEdit(Q(value), parent);
  field->setObjectName(name);
  field->setReadOnly(true);
  field->setCursorPosition(0);
  return field;
}

}  // namespace

DiscIdentityDialog::DiscIdentityDialog(PlannedIdentity planned, const DiscLayout& layout,
                                       QWidget* parent)
    : QDialog(parent), Planned_(std::move(planned)), Layout_(layout) {
  setObjectName("DiscIdentityDlg");
  setWindowTitle("Disc identity");
  setFont(DialogFont());
  setModal(true);
  auto* layoutBox = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  const DiscIds& ids = Planned_.Ids;
  form->addRow("&MusicBrainz disc ID:", ValueField(ids.MusicBrainz, "MusicBrainzEdit", this));
  form->addRow("MusicBrainz &TOC:", ValueField(ids.MusicBrainzToc, "MusicBrainzTocEdit", this));
  form->addRow("&freedb ID:", ValueField(Hex8(ids.FreeDb), "FreeDbEdit", this));
  form->addRow("&AccurateRip IDs:", ValueField(Hex8(ids.AccurateRip1) + " " +
                                                   Hex8(ids.AccurateRip2) + " " + Hex8(ids.FreeDb),
                                               "AccurateRipEdit", this));
  form->addRow("AccurateRip &record:",
               ValueField(ids.AccurateRipFile(), "AccurateRipFileEdit", this));
  layoutBox->addLayout(form);

  auto* caption = new QLabel("C&hecksums (track, AccurateRip v1, v2, CRC32):", this);
  layoutBox->addWidget(caption);
  Checksums_ = new QPlainTextEdit(this);
  Checksums_->setObjectName("ChecksumsEdit");
  Checksums_->setReadOnly(true);
  Checksums_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Checksums_->setPlaceholderText("Not computed: they read all the disc's audio.");
  caption->setBuddy(Checksums_);
  layoutBox->addWidget(Checksums_);
  Progress_ = new QProgressBar(this);
  Progress_->setObjectName("ChecksumsProgress");
  Progress_->setRange(0, 100);
  Progress_->setValue(0);
  layoutBox->addWidget(Progress_);

  auto* buttons = new QHBoxLayout();
  ComputeBtn_ = new QPushButton("Com&pute checksums", this);
  ComputeBtn_->setObjectName("ChecksumsBtn");
  CancelBtn_ = new QPushButton("Ca&ncel", this);
  CancelBtn_->setObjectName("CancelBtn");
  CancelBtn_->setEnabled(false);
  auto* close = new QPushButton("&Close", this);
  close->setObjectName("CloseBtn");
  buttons->addWidget(ComputeBtn_);
  buttons->addWidget(CancelBtn_);
  buttons->addStretch();
  buttons->addWidget(close);
  layoutBox->addLayout(buttons);
  connect(ComputeBtn_, &QPushButton::clicked, this, &DiscIdentityDialog::ComputeChecksums);
  connect(CancelBtn_, &QPushButton::clicked, this, &DiscIdentityDialog::CancelChecksums);
  connect(close, &QPushButton::clicked, this, &DiscIdentityDialog::reject);
  resize(560, 420);
}

DiscIdentityDialog::~DiscIdentityDialog() {
  Job_.reset();  // cancels and waits; its last calls to this dialog are dropped with it
}

void DiscIdentityDialog::ComputeChecksums() {
  if (Job_) return;
  Checksums_->clear();
  Progress_->setValue(0);
  ComputeBtn_->setEnabled(false);
  CancelBtn_->setEnabled(true);
  CancelBtn_->setFocus();
  Job_ = std::make_unique<ChecksumJob>(Planned_, static_cast<ChecksumListener&>(*this));
}

void DiscIdentityDialog::CancelChecksums() {
  if (Job_) Job_->Cancel();
}

void DiscIdentityDialog::reject() {
  // Escape while the checksums run cancels them first; Close (or Escape again) closes.
  if (Job_) {
    CancelChecksums();
    return;
  }
  QDialog::reject();
}

void DiscIdentityDialog::ChecksumProgress(int64_t done, int64_t total) {
  const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
  QMetaObject::invokeMethod(
      this, [this, percent] { Progress_->setValue(percent); }, Qt::QueuedConnection);
}

void DiscIdentityDialog::ChecksumsEnded(const std::vector<TrackChecksums>& sums,
                                        const std::string& error, bool cancelled) {
  QMetaObject::invokeMethod(
      this, [this, sums, error, cancelled] { ShowEnd(sums, error, cancelled); },
      Qt::QueuedConnection);
}

void DiscIdentityDialog::ShowEnd(const std::vector<TrackChecksums>& sums, const std::string& error,
                                 bool cancelled) {
  Job_.reset();
  ComputeBtn_->setEnabled(true);
  CancelBtn_->setEnabled(false);
  ComputeBtn_->setFocus();
  if (cancelled) {
    Checksums_->setPlainText("Cancelled.");
    return;
  }
  if (!error.empty()) {
    Checksums_->setPlainText(Q("The disc's audio cannot be read: " + error));
    return;
  }
  Progress_->setValue(100);
  std::string text;
  for (const TrackChecksums& s : sums) text += ChecksumLine(s) + "\n";
  for (const DiscFinding& f : ChecksumFindings(Layout_, sums)) {
    text += "Track " + std::to_string(f.Track) + ": " + f.Text + "\n";
  }
  Checksums_->setPlainText(Q(text));
}

}  // namespace varnel
