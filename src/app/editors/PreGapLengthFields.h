// The pre-gap length as the track property dialog and the default properties dialog edit
// it: a minutes, a seconds and a frames field, each with up-down arrows.
//
// Minutes run 0–99 and stop at their ends. Seconds (0–59) and frames (0–74) step inside
// their range and wrap at their ends with a carry into the next field. The whole runs from
// 00:00:00 to 99:59:74; a click that would leave that range is refused and changes nothing.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

inline constexpr int32_t kMaxLengthMin = 99;
inline constexpr int32_t kMaxLengthSec = 59;
inline constexpr int32_t kMaxLengthFrame = 74;
// 99:59:74 in CD frames: the largest length the three fields can hold.
inline constexpr int32_t kMaxLengthFrames = 449999;

enum class LengthField { Min, Sec, Frame };

class PreGapLengthFields {
 public:
  int32_t Min() const { return Min_; }
  int32_t Sec() const { return Sec_; }
  int32_t Frame() const { return Frame_; }
  int32_t Value(LengthField field) const;
  // The value a field shows, in decimal.
  std::string Text(LengthField field) const;

  // The length in CD frames: (minutes × 60 + seconds) × 75 + frames.
  int32_t Frames() const;
  // Shows a length given in CD frames. A length above 99:59:74 shows as 99:59:74, one
  // below zero as 00:00:00, since the fields can hold nothing else.
  void SetFrames(int64_t frames);
  // Shows a length given as minutes, seconds and frames (as a track holds it); parts out
  // of their ranges are carried over first, then the whole is held as SetFrames holds it.
  void SetMsf(int64_t minutes, int64_t seconds, int64_t frames);

  // One click on a field's up (true) or down arrow. Returns false when the click is
  // refused: then nothing changes.
  bool Click(LengthField field, bool up);
  // A number typed into a field: taken, held within the field's own range. Text that is not
  // a decimal number leaves the value as it was. No carry happens.
  void Type(LengthField field, const std::string& text);

 private:
  int32_t Min_ = 0;
  int32_t Sec_ = 0;
  int32_t Frame_ = 0;
};

}  // namespace varnel
