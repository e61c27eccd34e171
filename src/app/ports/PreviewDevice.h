// Preview playback of the position editor: the five operations the editor needs from an
// audio device, and how a play ends.
//
// The device is an interface so that the window can play through the platform's sound
// system while tests drive a scripted fake. Positions are sample frames counted from the
// start of the file's sample data, the unit of every position in the system, so nothing is
// ever converted between the editor and the device.
#pragma once

#include <cstdint>
#include <string>

#include "model/CdTime.h"
#include "model/Track.h"

namespace varnel {

// The wave files a preview device plays: a PCM wave file whose header can be read (1 or 2
// channels, 8 or 16 bits, any rate), `info` filled. False for anything else.
bool ReadPreviewWave(const std::string& path, WaveDataInfo& info);

// How a play command ended, as the device reports it.
enum class PlayOutcome {
  Successful,  // the sound reached the end of the file
  Superseded,  // a newer play command replaced it
  Aborted,     // stopped, or the device was closed
  Failure,     // the device failed while playing
};

class PreviewDevice {
 public:
  virtual ~PreviewDevice() = default;
  // Opens the wave file at `path` (empty: no file) as a device whose position unit is
  // the sample frame. False when it cannot be opened; nothing is open then.
  virtual bool Open(const std::string& path) = 0;
  // Starts playing from sample frame `position` to the end of the file and returns at
  // once. While playing, playback restarts from the new position. False when the device
  // refuses; nothing changes then.
  // The end of each play is reported later, on the editor's thread, to the player's Notify
  // (whoever owns both device and editor forwards it); a play that a newer one replaced is
  // never reported as Successful.
  virtual bool Play(int32_t position) = 0;
  // Stops playback; no sound is played once it returns.
  virtual void Stop() = 0;
  // Releases the device (stopping first when needed).
  virtual void Close() = 0;
  // The sample frame being heard while a play runs (its start plus what the device has
  // played since); −1 when nothing plays or the device cannot tell.
  virtual int32_t PlayedPosition() const { return -1; }
  // Why the last Open failed, in words for the user; empty when the device cannot tell.
  virtual std::string OpenFailure() const { return {}; }
};

}  // namespace varnel
