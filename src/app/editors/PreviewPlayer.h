// The playing state of the position editor, kept on top of a preview device
// (app/ports/PreviewDevice.h): whether a play runs, and where it is.
#pragma once

#include <cstdint>
#include <string>

#include "app/ports/PreviewDevice.h"

namespace varnel {

// `Playing` is true from a successful play command until a stop or the device's report of
// successful completion; any other report (superseded, aborted, failure) leaves it alone.
class PreviewPlayer {
 public:
  // `device` may be null: nothing can be opened then.
  explicit PreviewPlayer(PreviewDevice* device) : Device_(device) {}

  // Opens the file (a device still open from before is closed first). On success
  // Playing is false. On failure nothing is open.
  bool OpenWave(const std::string& path) {
    CloseWave();
    if (Device_ == nullptr || !Device_->Open(path)) return false;
    Open_ = true;
    Playing_ = false;
    return true;
  }
  // Closes the device; its errors are ignored.
  void CloseWave() {
    if (Open_) Device_->Close();
    Open_ = false;
  }
  // Plays from a sample frame to the end. Playing becomes true when the device takes the
  // command; a refused command (or no open device) changes nothing.
  bool PlayFrom(int32_t position) {
    if (!Open_ || !Device_->Play(position)) return false;
    Playing_ = true;
    return true;
  }
  // Stops, effective on return; Playing is false whatever the device says.
  void StopPlay() {
    if (Open_) Device_->Stop();
    Playing_ = false;
  }
  // The device's report of how a play ended.
  void Notify(PlayOutcome code) {
    if (code == PlayOutcome::Successful) Playing_ = false;
  }

  bool Playing() const { return Playing_; }
  bool IsOpen() const { return Open_; }
  // Where the running play is (see PreviewDevice::PlayedPosition); −1 when not playing.
  int32_t PlayedPosition() const { return Open_ && Playing_ ? Device_->PlayedPosition() : -1; }
  // Why no device could be opened: the device's own words, else a general reason.
  std::string OpenFailure() const {
    std::string reason = Device_ != nullptr ? Device_->OpenFailure() : std::string();
    return reason.empty() ? "No sound output is available for this file." : reason;
  }

 private:
  PreviewDevice* Device_;
  bool Open_ = false;
  bool Playing_ = false;
};

}  // namespace varnel
