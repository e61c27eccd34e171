#include "app/editors/PreGapLengthFields.h"

#include <algorithm>
#include <cctype>

#include "model/CdTime.h"

namespace varnel {

namespace {

int32_t MaxOf(LengthField field) {
  switch (field) {
    case LengthField::Min:
      return kMaxLengthMin;
    case LengthField::Sec:
      return kMaxLengthSec;
    case LengthField::Frame:
      break;
  }
  return kMaxLengthFrame;
}

// Minutes stop at their ends.
bool StepMinutes(int32_t& min, bool up) {
  if (up ? min >= kMaxLengthMin : min <= 0) return false;
  min += up ? 1 : -1;
  return true;
}

// Seconds step inside 0–59; at the wrap point they carry into the minutes, which may refuse.
bool StepSeconds(int32_t& min, int32_t& sec, bool up) {
  if (up && sec >= kMaxLengthSec) {
    if (!StepMinutes(min, true)) return false;
    sec = 0;
    return true;
  }
  if (!up && sec <= 0) {
    if (!StepMinutes(min, false)) return false;
    sec = kMaxLengthSec;
    return true;
  }
  sec += up ? 1 : -1;
  return true;
}

}  // namespace

int32_t PreGapLengthFields::Value(LengthField field) const {
  switch (field) {
    case LengthField::Min:
      return Min_;
    case LengthField::Sec:
      return Sec_;
    case LengthField::Frame:
      break;
  }
  return Frame_;
}

std::string PreGapLengthFields::Text(LengthField field) const {
  return std::to_string(Value(field));
}

int32_t PreGapLengthFields::Frames() const {
  return (Min_ * 60 + Sec_) * kCdFramesPerSecond + Frame_;
}

void PreGapLengthFields::SetFrames(int64_t frames) {
  const Msf msf = FramesToMsf(std::clamp<int64_t>(frames, 0, kMaxLengthFrames));
  Min_ = msf.Min;
  Sec_ = msf.Sec;
  Frame_ = msf.Frame;
}

void PreGapLengthFields::SetMsf(int64_t minutes, int64_t seconds, int64_t frames) {
  SetFrames(MsfToFrames(minutes, seconds, frames));
}

bool PreGapLengthFields::Click(LengthField field, bool up) {
  int32_t min = Min_;
  int32_t sec = Sec_;
  int32_t frame = Frame_;
  bool taken = false;
  switch (field) {
    case LengthField::Min:
      taken = StepMinutes(min, up);
      break;
    case LengthField::Sec:
      taken = StepSeconds(min, sec, up);
      break;
    case LengthField::Frame:
      if (up && frame >= kMaxLengthFrame) {
        taken = StepSeconds(min, sec, true);
        frame = 0;
      } else if (!up && frame <= 0) {
        taken = StepSeconds(min, sec, false);
        frame = kMaxLengthFrame;
      } else {
        frame += up ? 1 : -1;
        taken = true;
      }
      break;
  }
  if (!taken) return false;
  Min_ = min;
  Sec_ = sec;
  Frame_ = frame;
  return true;
}

void PreGapLengthFields::Type(LengthField field, const std::string& text) {
  // Leading and trailing blanks aside, only digits make a number here; more than a few of
  // them is beyond every field's range anyway.
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return;
  const size_t last = text.find_last_not_of(' ');
  int64_t value = 0;
  for (size_t i = first; i <= last; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isdigit(c)) return;
    value = std::min<int64_t>(value * 10 + (c - '0'), 1000000);
  }
  const int32_t held = static_cast<int32_t>(std::min<int64_t>(value, MaxOf(field)));
  switch (field) {
    case LengthField::Min:
      Min_ = held;
      break;
    case LengthField::Sec:
      Sec_ = held;
      break;
    case LengthField::Frame:
      Frame_ = held;
      break;
  }
}

}  // namespace varnel
