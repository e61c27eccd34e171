// "Burn": the dialog File ▸ Burn… shows before anything is made or written — the drive
// (its list and a Refresh button), the status of the disc in it, the speed, "Simulate
// first", "Eject when done", "Blank a rewritable disc first", and Burn. It only shows its
// BurnChoicesEditor and forwards every change to it. The disc's status is read, when the
// caller can read it, on a thread of the dialog's own, so a slow drive never freezes the
// window; its answer reaches the label as a queued call.
#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/burn/BurnChoicesEditor.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace varnel {

class BurnDialog : public QDialog {
  Q_OBJECT
 public:
  // What reads the status of the disc in a device, taking as long as the drive needs;
  // it gives up when `cancel` is set.
  using StatusReader =
      std::function<DiscStatus(const std::string& device, const std::atomic<bool>& cancel)>;
  // `listDrives` lists the drives again for Refresh; `readStatus` may be empty.
  BurnDialog(BurnChoicesEditor& editor, std::function<std::vector<OpticalDrive>()> listDrives,
             StatusReader readStatus, QWidget* parent = nullptr);
  // Stops a status read still under way and waits for it.
  ~BurnDialog() override;

  BurnChoicesEditor& Editor() { return Editor_; }
  // Lists the drives again and shows the list.
  void Refresh();

 signals:
  // The status line shows the answer of a status read.
  void StatusShown();

 private:
  void ShowDrives();
  void ReadStatus();
  void StatusRead(const DiscStatus& status);

  BurnChoicesEditor& Editor_;
  std::function<std::vector<OpticalDrive>()> ListDrives_;
  StatusReader ReadStatus_;
  std::thread Reader_;
  std::atomic<bool> StopReading_{false};
  bool ReadAgain_ = false;  // the chosen drive changed while a read was under way
  QComboBox* DriveCombo_;
  QLabel* StatusLbl_;
  QComboBox* SpeedCombo_;
  QCheckBox* SimulateCk_;
  QCheckBox* EjectCk_;
  QCheckBox* BlankCk_;
  QPushButton* BurnBtn_;
};

}  // namespace varnel
