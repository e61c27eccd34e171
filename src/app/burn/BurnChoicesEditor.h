// The state of the "Burn" dialog without its widgets: the drives to choose from (the list
// refreshed on demand, keeping the chosen drive while it is there), the chosen drive, the
// speeds offered, and "Simulate first", "Eject when done" and "Blank a rewritable disc
// first". It starts from the last choices (the settings file's [Burn] section) and gives
// back the options the burn job runs with (the settings glue is BurnFlow's); blanking is never
// carried over to the next burn, as it destroys what is on a disc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/burn/BurnJob.h"
#include "burn/OpticalDrive.h"

namespace varnel {

class BurnChoicesEditor {
 public:
  // `last`: the choices of the last burn (its Device, Speed, SimulateFirst and Eject).
  BurnChoicesEditor(const BurnOptions& last, std::vector<OpticalDrive> drives);

  // A new list of drives: the chosen device stays chosen while it is listed; otherwise the
  // drive a burn without a device would take (ChooseBurnDevice), when there is one.
  void Refresh(std::vector<OpticalDrive> drives);

  const std::vector<OpticalDrive>& Drives() const { return Drives_; }
  // One line per drive: "/dev/sr0 — VENDOR MODEL REV", and what it writes when udev knows.
  std::vector<std::string> DriveTexts() const;
  int32_t DriveIndex() const { return DriveIndex_; }  // −1: no drive
  void ChooseDrive(int32_t index);

  // The speeds offered, 0 (the drive's best) first, the last speed among them.
  const std::vector<int32_t>& Speeds() const { return Speeds_; }
  static std::string SpeedText(int32_t speed);  // "Drive's best", "16×"
  int32_t SpeedIndex() const { return SpeedIndex_; }
  void ChooseSpeed(int32_t index);

  bool SimulateFirst = false;
  bool Eject = false;
  bool Blank = false;

  // A drive is chosen.
  bool CanBurn() const { return DriveIndex_ >= 0; }
  // The options of the burn the dialog asks for.
  BurnOptions Options() const;

 private:
  std::vector<OpticalDrive> Drives_;
  std::string Device_;  // the chosen (or last) device, kept across refreshes
  int32_t DriveIndex_ = -1;
  std::vector<int32_t> Speeds_;
  int32_t SpeedIndex_ = 0;
};

// What the window asks when the disc in the drive is a rewritable one with something on it.
inline constexpr const char* kBlankRewritableQuestion =
    "The rewritable disc in the drive is not empty.\n"
    "Blank it (everything on it is lost) and burn?";

}  // namespace varnel
