// "Disc identity…": the MusicBrainz, freedb and AccurateRip identity of the disc the layout
// would make, shown at once in read-only fields the user can select and copy, and on request
// the checksums of its audio, read by a job on a thread of its own (app/commands/
// IdentityCommands.h) with a progress bar and Cancel, so the window never waits for it. A
// track whose CRC32 is not the one its rip recorded is named below the checksums.
#pragma once

#include <QDialog>
#include <memory>

#include "app/commands/IdentityCommands.h"

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace varnel {

class DiscIdentityDialog : public QDialog, private ChecksumListener {
  Q_OBJECT
 public:
  DiscIdentityDialog(PlannedIdentity planned, const DiscLayout& layout, QWidget* parent);
  ~DiscIdentityDialog() override;

  // Starts reading the audio (the "Compute checksums" button).
  void ComputeChecksums();
  // Stops it (the "Cancel" button); the checksums say so.
  void CancelChecksums();
  bool ChecksumsRunning() const { return Job_ != nullptr; }

 public slots:
  void reject() override;

 private:
  void ChecksumProgress(int64_t done, int64_t total) override;
  void ChecksumsEnded(const std::vector<TrackChecksums>& sums, const std::string& error,
                      bool cancelled) override;
  void ShowEnd(const std::vector<TrackChecksums>& sums, const std::string& error, bool cancelled);

  PlannedIdentity Planned_;
  const DiscLayout& Layout_;
  std::unique_ptr<ChecksumJob> Job_;
  QPlainTextEdit* Checksums_;
  QProgressBar* Progress_;
  QPushButton* ComputeBtn_;
  QPushButton* CancelBtn_;
};

}  // namespace varnel
