#include "model/Track.h"

#include "model/CdTime.h"

namespace varnel {

namespace {

// A silence count as the length rules subtract it: a scan that could not open its file
// (−1) cuts nothing.
int64_t CutFrames(int32_t count) {
  return count > 0 ? count : 0;
}

// The sample frames of `dataSize` bytes, as a position holds them.
int32_t WholeFrames(int64_t dataSize) {
  return static_cast<int32_t>(dataSize / kBytesPerSample);
}

}  // namespace

Track::Track(std::string fileName, int32_t fileMode, const WaveDataInfo& waveInfo)
    : TrackFileName(std::move(fileName)), FileMode(fileMode), WaveInfo(waveInfo) {
  TrackPaddingHead = false;
  SetTrackPreGapPos(0);
  SetTrackStartPos(0);
  SetTrackEndPos(WholeFrames(WaveInfo.DataSize));
  SetPreGapStyle(PreGapNormal);
  PreGapPaddingHead = true;
  PreGapMin = 0;
  PreGapSec = 2;
  PreGapFrame = 0;
  const bool wave = FileMode == FileModeWave;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = wave;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = wave;
  if (!wave) {
    TrackLeadSilence_ = TrackTrailSilence_ = 0;
    PreGapLeadSilence_ = PreGapTrailSilence_ = 0;
  }
  SetPreGapStartPos(0);
  SetPreGapEndPos(0);
  PreEmph = false;
  Protect = false;
  TrackCutLeading = false;
  TrackCutTrailing = false;
  PreGapCutLeading = false;
  PreGapCutTrailing = false;
}

Track::~Track() = default;

void Track::SetTrackPreGapPos(int32_t value) {
  if (value == TrackPreGapPos_) return;
  TrackPreGapPos_ = value;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
}

void Track::SetTrackStartPos(int32_t value) {
  if (value == TrackStartPos_) return;
  TrackStartPos_ = value;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
}

void Track::SetTrackEndPos(int32_t value) {
  if (value == TrackEndPos_) return;
  TrackEndPos_ = value;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
}

void Track::SetPreGapStartPos(int32_t value) {
  if (value == PreGapStartPos_) return;
  PreGapStartPos_ = value;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
}

void Track::SetPreGapEndPos(int32_t value) {
  if (value == PreGapEndPos_) return;
  PreGapEndPos_ = value;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
}

void Track::SetPreGapStyle(uint8_t value) {
  if (value == PreGapStyle_) return;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
  PreGapStyle_ = value;
}

void Track::SetPreGapLength(uint32_t frames) {
  PreGapFrame = static_cast<uint8_t>(frames % kCdFramesPerSecond);
  PreGapSec = static_cast<uint8_t>((frames / kCdFramesPerSecond) % 60);
  PreGapMin = static_cast<uint8_t>((frames / kCdFramesPerMinute) & 0xFF);
}

int32_t Track::GetPreGapLength() const {
  return (PreGapMin * 60 + PreGapSec) * kCdFramesPerSecond + PreGapFrame;
}

bool Track::SetPreGapFile(const std::string& path, const WaveDataInfo& info,
                          const std::string& audioFile) {
  if (path != PreGapFileName_ || audioFile != PreGapAudioFile_) {
    PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
  }
  PreGapFileName_ = path;
  PreGapAudioFile_ = audioFile;
  PreGapWaveInfo_ = info;
  SetPreGapStartPos(0);
  SetPreGapEndPos(WholeFrames(info.DataSize));
  return true;
}

int32_t Track::GetTrackLeadSilence() {
  if (!TrackLeadSilenceDirty_) return TrackLeadSilence_;
  const int32_t first = PreGapStyle_ == PreGapIndex ? TrackPreGapPos_ : TrackStartPos_;
  const int32_t count =
      CountLeadingSilenceInFile(TrackAudioPath(), WaveInfo.DataOffset, first, TrackEndPos_);
  if (count < 0) return -1;
  TrackLeadSilence_ = count;
  TrackLeadSilenceDirty_ = false;
  return count;
}

int32_t Track::GetTrackTrailSilence() {
  if (!TrackTrailSilenceDirty_) return TrackTrailSilence_;
  const int32_t count = CountTrailingSilenceInFile(TrackAudioPath(), WaveInfo.DataOffset,
                                                   TrackStartPos_, TrackEndPos_);
  if (count < 0) return -1;
  TrackTrailSilence_ = count;
  TrackTrailSilenceDirty_ = false;
  return count;
}

int32_t Track::GetPreGapLeadSilence() {
  if (!PreGapLeadSilenceDirty_) return PreGapLeadSilence_;
  const int32_t count = CountLeadingSilenceInFile(PreGapAudioPath(), PreGapWaveInfo_.DataOffset,
                                                  PreGapStartPos_, PreGapEndPos_);
  if (count < 0) return -1;
  PreGapLeadSilence_ = count;
  PreGapLeadSilenceDirty_ = false;
  return count;
}

int32_t Track::GetPreGapTrailSilence() {
  if (!PreGapTrailSilenceDirty_) return PreGapTrailSilence_;
  const int32_t count = CountTrailingSilenceInFile(PreGapAudioPath(), PreGapWaveInfo_.DataOffset,
                                                   PreGapStartPos_, PreGapEndPos_);
  if (count < 0) return -1;
  PreGapTrailSilence_ = count;
  PreGapTrailSilenceDirty_ = false;
  return count;
}

SilenceCounts Track::KnownSilence() const {
  SilenceCounts known;
  if (!TrackLeadSilenceDirty_) known.TrackLead = TrackLeadSilence_;
  if (!TrackTrailSilenceDirty_) known.TrackTrail = TrackTrailSilence_;
  if (!PreGapLeadSilenceDirty_) known.PreGapLead = PreGapLeadSilence_;
  if (!PreGapTrailSilenceDirty_) known.PreGapTrail = PreGapTrailSilence_;
  return known;
}

int64_t Track::GetTrackBytes() {
  int64_t frames = static_cast<int64_t>(TrackEndPos_) - TrackStartPos_;
  if (PreGapStyle_ != PreGapIndex && TrackCutLeading) {
    frames -= CutFrames(GetTrackLeadSilence());
  }
  if (TrackCutTrailing) frames -= CutFrames(GetTrackTrailSilence());
  return frames * kBytesPerSample;
}

int64_t Track::GetPreGapBytes() {
  switch (PreGapStyle_) {
    case PreGapFile: {
      int64_t frames = static_cast<int64_t>(PreGapEndPos_) - PreGapStartPos_;
      if (PreGapCutLeading) frames -= CutFrames(GetPreGapLeadSilence());
      if (PreGapCutTrailing) frames -= CutFrames(GetPreGapTrailSilence());
      return frames * kBytesPerSample;
    }
    case PreGapIndex: {
      int64_t frames = static_cast<int64_t>(TrackStartPos_) - TrackPreGapPos_;
      if (TrackCutLeading) frames -= CutFrames(GetTrackLeadSilence());
      return frames * kBytesPerSample;
    }
    default:
      return static_cast<int64_t>(GetPreGapLength()) * kBytesPerCdFrame;
  }
}

int64_t Track::GetTotalBytes() {
  switch (PreGapStyle_) {
    case PreGapFile:
      return kBytesPerCdFrame * BytesToWholeFrames(GetTrackBytes() + GetPreGapBytes());
    case PreGapIndex:
      return kBytesPerCdFrame *
             (BytesToWholeFrames(GetTrackBytes()) + BytesToWholeFrames(GetPreGapBytes()));
    default:
      return GetPreGapBytes() + kBytesPerCdFrame * BytesToWholeFrames(GetTrackBytes());
  }
}

}  // namespace varnel
