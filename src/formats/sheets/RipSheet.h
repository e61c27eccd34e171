// The neutral picture of a ripped disc as a cue sheet, a cdrdao TOC file or the CUESHEET
// block of a FLAC file describes it, before anything is mapped onto a disc layout. The
// three readers (CueSheetReader.h, TocFileReader.h, FlacCueSheetReader.h) fill it; the
// importer turns it into tracks. The readers check the sheet's own grammar and order;
// nothing here has looked at the audio files (their lengths are unknown unless a field
// says otherwise), so "an index beyond the end of its file" is the importer's check.
//
// Units: every position and length is in sample frames (1/44100 s; 4 bytes of 16-bit
// stereo) unless its comment says bytes. A cue sheet's mm:ss:ff counts CD frames and is
// held as frames × 588, exactly; a TOC's plain numbers are sample frames and keep that
// precision. Values are 64-bit and never negative unless a comment gives −1 a meaning.
//
// Lines count from 1; a CR LF, a lone LF and a lone CR each end one line. Line 0 stands
// for the sheet as a whole, or for a source that has no lines (a FLAC metadata block).
//
// Text (CD-Text, REM values) is UTF-8: a sheet that is not valid UTF-8 was read as
// Windows-1252/Latin-1, a UTF-16 sheet with a byte-order mark was converted, and a
// warning says so. File names are kept as the sheet spells them after that conversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

// What went wrong, and where. Message is one sentence without the line number.
struct RipError {
  int32_t Line = 0;
  std::string Message;
  // "line 12: Message" (the whole sheet: just Message).
  std::string Text() const;
};

enum class RipSource : uint8_t { CueSheet, TocFile, FlacCueSheet };

// How a file's contents are to be read.
enum class RipFileType : uint8_t {
  Wave,      // cue FILE … WAVE (also used for ".flac", ".ape"… images by rippers)
  Binary,    // cue BINARY: raw little-endian samples or data sectors
  Motorola,  // cue MOTOROLA: raw big-endian samples
  Aiff,      // cue AIFF
  Mp3,       // cue MP3
  Flac,      // cue FLAC, and the FLAC file a FLAC cue sheet belongs to
  Other,     // cue: any other type word (TypeText holds it)
  Audio,     // TOC FILE/AUDIOFILE: a WAVE file when the name ends in ".wav", else raw
             // big-endian 16-bit stereo samples (cdrdao's rule)
  Data,      // TOC DATAFILE: data sectors
};

struct RipFile {
  std::string Name;  // as the sheet writes it
  std::string Path;  // Name resolved against the sheet's folder (kept when absolute)
  RipFileType Type = RipFileType::Wave;
  std::string TypeText;  // the declared type word ("WAVE"), or the TOC command ("FILE")
  int64_t Length = -1;   // sample frames when the reader knows them (FLAC), else −1
  int32_t Line = 0;
};

// One language block of CD-Text items (string items only; binary items such as
// SIZE_INFO or TOC_INFO1 are read and dropped: a writer builds them anew).
struct RipCdText {
  int32_t Block = 0;  // TOC LANGUAGE number 0..7; 0 for cue sheets
  std::string Title;
  std::string Performer;
  std::string Songwriter;
  std::string Composer;
  std::string Arranger;
  std::string Message;
  std::string DiscId;  // disc only
  std::string Genre;   // disc only (a cue sheet's REM GENRE also lands here)
  std::string UpcEan;  // disc only: the CD-Text UPC/EAN item (not CATALOG)
  std::string Isrc;    // track only: the CD-Text ISRC item (not the sub-channel ISRC)
  bool Empty() const;
};

// A TOC LANGUAGE_MAP entry: language block → language code (9 = English).
struct RipLanguage {
  int32_t Block = 0;
  int32_t Code = 0;
};

// A REM line of a cue sheet: "REM DATE 1999" is {"DATE", "1999"}. The key is the first
// word as written (compare it case-insensitively); the value is the rest of the line,
// without its quotes when it is one quoted string.
struct RipRem {
  std::string Key;
  std::string Value;
  int32_t Line = 0;
};

// One INDEX of a track.
//  - Cue sheet and FLAC: File is an index into RipSheet::Files and Position the sample
//    frame within that file where the index begins (a FLAC index is made absolute: track
//    offset + index offset). Number runs 0 (pre-gap), 1 (track start), 2, 3… in order.
//  - TOC: File is −1; only the INDEX increments (Number 2, 3…) are listed, and Position
//    counts from the track's start (the end of its pre-gap, see RipTrack::Start), as
//    cdrdao's INDEX does.
struct RipIndex {
  int32_t Number = 1;
  int32_t File = -1;
  int64_t Position = 0;
  int32_t Line = 0;
};

// One piece of a TOC track's contents, in disc order.
enum class RipPieceKind : uint8_t {
  Audio,    // FILE/AUDIOFILE: audio from Files[File]
  Silence,  // SILENCE: digital silence
  Zero,     // ZERO: zero data in a data track (Length in bytes)
  Data,     // DATAFILE: sectors from Files[File] (Length in bytes)
};

struct RipPiece {
  RipPieceKind Kind = RipPieceKind::Audio;
  int32_t File = -1;       // Audio and Data: index into RipSheet::Files; else −1
  int64_t Start = 0;       // Audio: first sample frame used, counted from the file's audio
  int64_t Length = -1;     // Audio, Silence: sample frames; Zero, Data: bytes;
                           // −1: to the end of the file (Audio and Data only)
  int64_t ByteOffset = 0;  // "#n": bytes of the file skipped before its audio starts
  bool Swap = false;       // SWAP: the samples' byte order is reversed
  int32_t Line = 0;
};

// A position marked within a TOC track (START, END). Line 0: not given.
struct RipTrackMark {
  int32_t Line = 0;
  // Sample frames from the track's first piece. A bare START (no time) falls after the
  // pieces written before it; its Position is their total length rounded up to a whole CD
  // frame (as cdrdao rounds it), or −1 when one of them runs to the end of its file (the
  // importer knows the file's length).
  int64_t Position = -1;
  int32_t PiecesBefore = 0;  // pieces written before the mark
};

struct RipTrack {
  int32_t Number = 0;        // as written (cue, FLAC); counted from 1 (TOC)
  int32_t Line = 0;          // of the TRACK command (0 for FLAC)
  bool Audio = true;         // false for every data mode
  std::string Mode;          // as written, upper case: "AUDIO", "MODE1/2352", "MODE2_FORM1",
                             // "CDG"; FLAC: "AUDIO" or "DATA"
  int32_t BlockSize = 2352;  // bytes per sector the mode reads from the file
  std::string SubChannel;    // TOC: "RW" or "RW_RAW"; else empty
  bool Dcp = false;          // digital copy permitted (cue DCP, TOC COPY)
  bool Pre = false;          // pre-emphasis (cue PRE, TOC PRE_EMPHASIS, FLAC)
  bool FourChannel = false;  // cue 4CH, TOC FOUR_CHANNEL_AUDIO
  bool Scms = false;         // cue SCMS
  std::string Isrc;          // 12 characters, or empty (a malformed one is dropped
                             // with a warning)
  std::vector<RipCdText> CdTextContent;
  std::vector<RipRem> Rems;
  int64_t PreGapSilence = 0;   // PREGAP: silence before the track start, in no file
  int64_t PostGapSilence = 0;  // POSTGAP (cue): silence after the track, in no file
  std::vector<RipIndex> Indices;
  // TOC only: the contents in order, where the pre-gap ends (START; Line 0 when the track
  // has no START: then its pre-gap is PreGapSilence alone, possibly 0) and END.
  std::vector<RipPiece> Pieces;
  RipTrackMark Start;
  RipTrackMark End;

  // The index with that number, or nullptr.
  const RipIndex* FindIndex(int32_t number) const;
};

struct RipSheet {
  RipSource Source = RipSource::CueSheet;
  std::string Folder;                  // the folder relative names were resolved against
  std::string Catalog;                 // 13 digits, or empty
  std::string TocType;                 // TOC: "CD_DA", "CD_ROM", "CD_ROM_XA" or "CD_I"; else empty
  std::string CdTextFile;              // cue CDTEXTFILE as written
  std::string CdTextFilePath;          // …resolved against Folder
  std::vector<RipLanguage> Languages;  // TOC LANGUAGE_MAP
  std::vector<RipCdText> CdTextContent;  // disc CD-Text, one entry per language block
  std::vector<RipRem> Rems;              // disc REM lines
  std::vector<RipFile> Files;            // in the order the sheet names them: one per
                                         // FILE line of a cue sheet, one per distinct
                                         // name of a TOC, the one FLAC file
  std::vector<RipTrack> Tracks;          // 1 to 99, numbers increasing
  int64_t LeadIn = -1;                   // FLAC: lead-in sample frames; else −1
  int64_t LeadOut = -1;                  // FLAC: offset of the lead-out track; else −1
  bool IsCd = true;                      // FLAC: the block's is-CD flag; true for the others
  std::vector<RipError> Warnings;        // what was read but ignored or mended
};

// What a reader gives: Ok with the sheet, or the error that stopped it.
struct RipResult {
  bool Ok = false;
  RipSheet Sheet;
  RipError Error;
};

// The largest sheet text a reader accepts (a 99-track sheet is a few kilobytes).
inline constexpr int64_t kMaxSheetBytes = 1024 * 1024;

// The REM value for a key (case-insensitive), or nullptr.
const RipRem* FindRem(const std::vector<RipRem>& rems, const std::string& key);

}  // namespace varnel
