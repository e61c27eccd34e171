// One audio track of the disc layout: its source file, the region of the file that is
// used, how its pre-gap is filled, the editing options, flags and ISRC, and four cached
// counts of digital silence that are recomputed from the file only after a field they
// depend on has changed.
//
// Positions are sample frames (4 bytes) counted from the file's DataOffset. Byte lengths
// are computed in 64 bits: a long pre-gap or a hostile layout value cannot overflow.
#pragma once

#include <cstdint>
#include <string>

#include "model/CdTextFields.h"
#include "model/SilenceScan.h"

namespace varnel {

// Summary of an audio file's sample data, as the file checks fill it. DataSize is held in
// 64 bits: an MP3 file of more than about 3 h 22 min plays for more bytes than an int32 can
// count (a wave file's data, and every position, still fit in 32 bits).
struct WaveDataInfo {
  int32_t DataOffset = 0;
  int64_t DataSize = 0;
  int32_t Channels = 0;
  int32_t BitsPerSample = 0;
  int32_t SampleRate = 0;
  friend bool operator==(const WaveDataInfo&, const WaveDataInfo&) = default;
};

enum FileMode : int32_t {
  FileModeWave = 0,
  FileModeMp3 = 1,
  FileModeCdg = 2,
};

enum PreGapStyle : uint8_t {
  PreGapNormal = 0,  // "Normal(Silence)"
  PreGapFile = 1,    // "Hidden Track(Another file)"
  PreGapIndex = 2,   // "Hidden Track(Same file)"
};

// The four silence counts of a track as far as its caches know them: −1 for a count whose
// cache is dirty.
struct SilenceCounts {
  int32_t TrackLead = -1;
  int32_t TrackTrail = -1;
  int32_t PreGapLead = -1;
  int32_t PreGapTrail = -1;
};

class Track {
 public:
  // Every field takes its default; the region is the whole file. Only a wave track starts
  // with dirty silence caches: any other FileMode starts clean with zero counts.
  Track(std::string fileName, int32_t fileMode, const WaveDataInfo& waveInfo);
  virtual ~Track();

  Track(const Track&) = default;
  Track& operator=(const Track&) = default;

  // Setters that keep the silence caches honest: a changed value makes the caches that
  // depend on it dirty; setting the value already held changes nothing.
  void SetTrackPreGapPos(int32_t value);
  void SetTrackStartPos(int32_t value);
  void SetTrackEndPos(int32_t value);
  void SetPreGapStartPos(int32_t value);
  void SetPreGapEndPos(int32_t value);
  void SetPreGapStyle(uint8_t value);
  // frames mod 75, (frames div 75) mod 60, frames div 4500 kept in one byte.
  void SetPreGapLength(uint32_t frames);
  int32_t GetPreGapLength() const;
  // Takes the file and its summary; the region becomes the whole file. Returns true.
  // `audioFile` is where the pre-gap audio is read from when the file itself holds no
  // wave data (the decoded copy of a FLAC, AIFF, Ogg Vorbis or Opus file); empty when the
  // file is read as it is.
  bool SetPreGapFile(const std::string& path, const WaveDataInfo& info,
                     const std::string& audioFile = {});

  // Silent sample frames at the start / end of the track's region and of the pre-gap
  // file's region; cached while clean; −1 when the file cannot be opened (the cache and
  // its dirty flag are then left as they were).
  int32_t GetTrackLeadSilence();
  int32_t GetTrackTrailSilence();
  int32_t GetPreGapLeadSilence();
  int32_t GetPreGapTrailSilence();

  // The length operations scan only for cut options that are on; a scan that cannot open
  // its file (−1) counts as no silence. A style other than PreGapFile or PreGapIndex is
  // treated as PreGapNormal. In style PreGapIndex a pre-gap region that is silent into the
  // track proper makes GetPreGapBytes negative (making refuses such a track).
  //
  // Audio bytes of the track proper after cutting, before padding.
  int64_t GetTrackBytes();
  // Bytes of the pre-gap after cutting, before padding.
  int64_t GetPreGapBytes();
  // Bytes the track occupies on disc, pre-gap included, in whole CD frames.
  int64_t GetTotalBytes();

  // Read-only views of the guarded fields.
  int32_t TrackPreGapPos() const { return TrackPreGapPos_; }
  int32_t TrackStartPos() const { return TrackStartPos_; }
  int32_t TrackEndPos() const { return TrackEndPos_; }
  int32_t PreGapStartPos() const { return PreGapStartPos_; }
  int32_t PreGapEndPos() const { return PreGapEndPos_; }
  uint8_t PreGapStyle() const { return PreGapStyle_; }
  const std::string& PreGapFileName() const { return PreGapFileName_; }
  const WaveDataInfo& PreGapWaveInfo() const { return PreGapWaveInfo_; }
  // The decoded copy of the pre-gap file (empty: the file itself is read), and the file
  // whose wave data the pre-gap audio is read from.
  const std::string& PreGapAudioFile() const { return PreGapAudioFile_; }
  const std::string& PreGapAudioPath() const {
    return PreGapAudioFile_.empty() ? PreGapFileName_ : PreGapAudioFile_;
  }
  // The file whose wave data the track's audio is read from: the decoded copy when there
  // is one, else the track's own file. Silence scans, waveform, preview and making read it;
  // the layout, the list and every message name TrackFileName.
  const std::string& TrackAudioPath() const {
    return TrackAudioFile.empty() ? TrackFileName : TrackAudioFile;
  }
  // A track whose file is a FLAC, AIFF, Ogg Vorbis or Opus source, played from its decoded
  // copy (FileMode is then FileModeWave).
  bool IsDecoded() const { return !TrackAudioFile.empty(); }
  bool TrackLeadSilenceDirty() const { return TrackLeadSilenceDirty_; }
  bool TrackTrailSilenceDirty() const { return TrackTrailSilenceDirty_; }
  bool PreGapLeadSilenceDirty() const { return PreGapLeadSilenceDirty_; }
  bool PreGapTrailSilenceDirty() const { return PreGapTrailSilenceDirty_; }
  // The counts the caches hold, without scanning: what a reader that must not touch the
  // file (or the record, from another thread) may take.
  SilenceCounts KnownSilence() const;

  // Public fields, read and written directly by dialogs, loader and list operations.
  std::string TrackFileName;
  // The decoded copy of TrackFileName (a canonical wave file in the decode cache) when the
  // file is a FLAC, AIFF, Ogg Vorbis or Opus source; empty for a wave, MP3 or CD+G file.
  // WaveInfo then describes the copy. Not saved: a layout load decodes again when needed.
  std::string TrackAudioFile;
  int32_t FileMode = FileModeWave;
  WaveDataInfo WaveInfo;
  bool TrackPaddingHead = false;
  bool TrackCutLeading = false;
  bool TrackCutTrailing = false;
  uint8_t PreGapMin = 0;
  uint8_t PreGapSec = 2;
  uint8_t PreGapFrame = 0;
  bool PreGapPaddingHead = true;
  bool PreGapCutLeading = false;
  bool PreGapCutTrailing = false;
  bool PreEmph = false;
  bool Protect = false;
  std::string ISRC;
  // The track's typed CD-Text; it travels with the record through every move.
  CdTextFields CdText;

 private:
  int32_t TrackPreGapPos_ = 0;
  int32_t TrackStartPos_ = 0;
  int32_t TrackEndPos_ = 0;
  bool TrackLeadSilenceDirty_ = true;
  bool TrackTrailSilenceDirty_ = true;
  int32_t TrackLeadSilence_ = 0;
  int32_t TrackTrailSilence_ = 0;
  uint8_t PreGapStyle_ = PreGapNormal;
  std::string PreGapFileName_;
  std::string PreGapAudioFile_;
  WaveDataInfo PreGapWaveInfo_;
  int32_t PreGapStartPos_ = 0;
  int32_t PreGapEndPos_ = 0;
  bool PreGapLeadSilenceDirty_ = true;
  bool PreGapTrailSilenceDirty_ = true;
  int32_t PreGapLeadSilence_ = 0;
  int32_t PreGapTrailSilence_ = 0;
};

}  // namespace varnel
