#include "app/burn/BurnChoicesEditor.h"

#include <algorithm>
#include <utility>

#include "app/burn/BurnDrives.h"

namespace varnel {

namespace {

// The speeds CD writers commonly offer for CD-R.
constexpr int32_t kCommonSpeeds[] = {1, 2, 4, 8, 10, 12, 16, 20, 24, 32, 40, 48, 52};

}  // namespace

BurnChoicesEditor::BurnChoicesEditor(const BurnOptions& last, std::vector<OpticalDrive> drives)
    : SimulateFirst(last.SimulateFirst), Eject(last.Eject), Device_(last.Device) {
  Speeds_.push_back(0);
  Speeds_.insert(Speeds_.end(), std::begin(kCommonSpeeds), std::end(kCommonSpeeds));
  // A speed the settings file holds is offered even when it is not a common one.
  if (last.Speed > 0 && std::find(Speeds_.begin(), Speeds_.end(), last.Speed) == Speeds_.end()) {
    Speeds_.insert(std::upper_bound(Speeds_.begin() + 1, Speeds_.end(), last.Speed), last.Speed);
  }
  const auto at = std::find(Speeds_.begin(), Speeds_.end(), std::max<int32_t>(last.Speed, 0));
  SpeedIndex_ = static_cast<int32_t>(at - Speeds_.begin());
  Refresh(std::move(drives));
}

void BurnChoicesEditor::Refresh(std::vector<OpticalDrive> drives) {
  Drives_ = std::move(drives);
  auto indexOf = [this](const std::string& device) {
    for (size_t i = 0; i < Drives_.size(); ++i) {
      if (!device.empty() && Drives_[i].Device == device) return static_cast<int32_t>(i);
    }
    return int32_t{-1};
  };
  DriveIndex_ = indexOf(Device_);
  if (DriveIndex_ < 0) DriveIndex_ = indexOf(ChooseBurnDevice(Drives_, {}));
  if (DriveIndex_ >= 0) Device_ = Drives_[static_cast<size_t>(DriveIndex_)].Device;
}

std::vector<std::string> BurnChoicesEditor::DriveTexts() const {
  std::vector<std::string> texts;
  for (const OpticalDrive& d : Drives_) {
    std::string text = d.Device + " \u2014";
    for (const std::string* part : {&d.Vendor, &d.Model, &d.Revision}) {
      if (!part->empty()) text += " " + *part;
    }
    if (d.WritesKnown) {
      text += d.WritesCdRw ? " (writes CD-R and CD-RW)"
                           : (d.WritesCdR ? " (writes CD-R)" : " (does not write CDs)");
    }
    texts.push_back(text);
  }
  return texts;
}

void BurnChoicesEditor::ChooseDrive(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(Drives_.size())) return;
  DriveIndex_ = index;
  Device_ = Drives_[static_cast<size_t>(index)].Device;
}

std::string BurnChoicesEditor::SpeedText(int32_t speed) {
  return speed <= 0 ? "Drive's best" : std::to_string(speed) + "\u00d7";
}

void BurnChoicesEditor::ChooseSpeed(int32_t index) {
  if (index >= 0 && index < static_cast<int32_t>(Speeds_.size())) SpeedIndex_ = index;
}

BurnOptions BurnChoicesEditor::Options() const {
  BurnOptions options;
  options.Device = DriveIndex_ >= 0 ? Drives_[static_cast<size_t>(DriveIndex_)].Device : "";
  options.Speed = Speeds_[static_cast<size_t>(SpeedIndex_)];
  options.SimulateFirst = SimulateFirst;
  options.Eject = Eject;
  options.Blank = Blank;
  return options;
}

}  // namespace varnel
