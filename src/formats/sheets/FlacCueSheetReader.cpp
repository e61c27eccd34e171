// FLAC cue sheet reader. The metadata is read through libFLAC's level-2 chain with our own
// I/O callbacks on a PosixFile, so that only a regular file is ever opened and no read blocks.
#include "formats/sheets/FlacCueSheetReader.h"

#include <FLAC/metadata.h>
#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "formats/sheets/CueSheetReader.h"
#include "model/Isrc.h"
#include "model/PathNames.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

struct FlacIo {
  const PosixFile* File = nullptr;
  int64_t Pos = 0;
  int64_t Size = 0;
};

size_t IoRead(void* ptr, size_t size, size_t nmemb, FLAC__IOHandle handle) {
  auto* io = static_cast<FlacIo*>(handle);
  if (size == 0 || nmemb > std::numeric_limits<size_t>::max() / size) return 0;
  try {
    const size_t got = io->File->ReadAt(io->Pos, ptr, size * nmemb);
    io->Pos += static_cast<int64_t>(got);
    return got / size;
  } catch (const FileError&) {
    return 0;
  }
}

int IoSeek(FLAC__IOHandle handle, FLAC__int64 offset, int whence) {
  auto* io = static_cast<FlacIo*>(handle);
  int64_t base = 0;
  if (whence == SEEK_CUR) base = io->Pos;
  if (whence == SEEK_END) base = io->Size;
  if (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset) return -1;
  if (base + offset < 0) return -1;
  io->Pos = base + offset;
  return 0;
}

FLAC__int64 IoTell(FLAC__IOHandle handle) {
  return static_cast<FlacIo*>(handle)->Pos;
}

int IoEof(FLAC__IOHandle handle) {
  auto* io = static_cast<FlacIo*>(handle);
  return io->Pos >= io->Size ? 1 : 0;
}

struct ChainDeleter {
  void operator()(FLAC__Metadata_Chain* c) const { FLAC__metadata_chain_delete(c); }
};
struct IteratorDeleter {
  void operator()(FLAC__Metadata_Iterator* i) const { FLAC__metadata_iterator_delete(i); }
};

std::string Trimmed(const char* text, size_t max) {
  std::string s(text, ::strnlen(text, max));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Positions beyond this are refused: no audio is that long, and sums stay in 64 bits.
constexpr uint64_t kMaxPosition = uint64_t{1} << 48;

struct FlacFailure {
  RipError Error;
};

[[noreturn]] void Fail(int32_t line, std::string message) {
  throw FlacFailure{{line, std::move(message)}};
}

std::string Num(uint64_t n) {
  return std::to_string(n);
}

void FromBlock(const FLAC__StreamMetadata_CueSheet& cs, int64_t total, RipSheet& sheet) {
  const char* violation = nullptr;
  if (!FLAC__format_cuesheet_is_legal(&cs, cs.is_cd, &violation)) {
    Fail(0, std::string("The CUESHEET block is not valid: ") +
                (violation != nullptr ? violation : "unknown fault") + ".");
  }
  sheet.IsCd = cs.is_cd != 0;
  if (cs.lead_in > kMaxPosition) Fail(0, "The CUESHEET block's lead-in is too long.");
  sheet.LeadIn = static_cast<int64_t>(cs.lead_in);
  const std::string catalog = Trimmed(cs.media_catalog_number, sizeof cs.media_catalog_number);
  if (catalog.size() == 13 && catalog.find_first_not_of("0123456789") == std::string::npos) {
    sheet.Catalog = catalog;
  } else if (!catalog.empty()) {
    sheet.Warnings.push_back({0, "The catalog number \"" + catalog.substr(0, 40) +
                                     "\" is not 13 digits; it is ignored."});
  }
  int64_t last = 0;
  for (uint32_t t = 0; t < cs.num_tracks; ++t) {
    const FLAC__StreamMetadata_CueSheet_Track& src = cs.tracks[t];
    if (src.offset > kMaxPosition)
      Fail(0, "The offset of track " + Num(src.number) + " is too large.");
    if (t + 1 == cs.num_tracks) {  // the lead-out, as the legality check makes sure
      sheet.LeadOut = static_cast<int64_t>(src.offset);
      break;
    }
    if (src.number < 1 || src.number > 99 ||
        (!sheet.Tracks.empty() && src.number <= sheet.Tracks.back().Number)) {
      Fail(0, "The CUESHEET block's track number " + Num(src.number) +
                  " is not from 1 to 99 above the one before.");
    }
    RipTrack track;
    track.Number = src.number;
    track.Audio = src.type == 0;
    track.Mode = track.Audio ? "AUDIO" : "DATA";
    track.Pre = src.pre_emphasis != 0;
    const std::string isrc = Trimmed(src.isrc, sizeof src.isrc);
    if (IsIsrc(isrc)) {
      track.Isrc = isrc;
    } else if (!isrc.empty()) {
      sheet.Warnings.push_back({0, "The ISRC \"" + isrc + "\" of track " + Num(src.number) +
                                       " is not 12 letters and digits; it is ignored."});
    }
    for (uint32_t i = 0; i < src.num_indices; ++i) {
      const FLAC__StreamMetadata_CueSheet_Index& index = src.indices[i];
      if (index.offset > kMaxPosition)
        Fail(0, "An index offset of track " + Num(src.number) + " is too large.");
      const int64_t position = static_cast<int64_t>(src.offset + index.offset);
      if (position < last) {
        Fail(0, "Index " + Num(index.number) + " of track " + Num(src.number) +
                    " lies before the index before it.");
      }
      if (total >= 0 && position >= total) {
        Fail(0, "Index " + Num(index.number) + " of track " + Num(src.number) +
                    " lies beyond the end of the audio.");
      }
      last = position;
      track.Indices.push_back({index.number, 0, position, 0});
    }
    if (track.FindIndex(1) == nullptr) {
      Fail(0, "Track " + Num(src.number) + " of the CUESHEET block has no index 1.");
    }
    sheet.Tracks.push_back(std::move(track));
  }
  if (sheet.Tracks.empty()) Fail(0, "The CUESHEET block has no tracks.");
}

// The text of the first CUESHEET= comment, if any.
bool FindCueSheetTag(const FLAC__StreamMetadata_VorbisComment& vc, std::string& text) {
  static constexpr char kField[] = "CUESHEET=";
  constexpr size_t kLen = sizeof kField - 1;
  for (uint32_t i = 0; i < vc.num_comments; ++i) {
    const FLAC__StreamMetadata_VorbisComment_Entry& e = vc.comments[i];
    if (e.entry != nullptr && e.length >= kLen &&
        ::strncasecmp(reinterpret_cast<const char*>(e.entry), kField, kLen) == 0) {
      text.assign(reinterpret_cast<const char*>(e.entry) + kLen, e.length - kLen);
      return true;
    }
  }
  return false;
}

// The disc IDs a ripper tagged the file with (MUSICBRAINZ_DISCID, DISCID), as the REM lines a
// cue sheet would carry them in.
void AddDiscIdTags(const FLAC__StreamMetadata_VorbisComment& vc, std::vector<RipRem>& rems) {
  for (const char* field : {"MUSICBRAINZ_DISCID=", "DISCID="}) {
    const size_t len = std::strlen(field);
    for (uint32_t i = 0; i < vc.num_comments; ++i) {
      const FLAC__StreamMetadata_VorbisComment_Entry& e = vc.comments[i];
      if (e.entry == nullptr || e.length < len ||
          ::strncasecmp(reinterpret_cast<const char*>(e.entry), field, len) != 0) {
        continue;
      }
      rems.push_back({std::string(field, len - 1),
                      std::string(reinterpret_cast<const char*>(e.entry) + len, e.length - len),
                      0});
      break;
    }
  }
}

// The text the tag adds to a sheet read from the block.
void MergeTagText(RipSheet& sheet, RipSheet& tag) {
  sheet.CdTextContent = std::move(tag.CdTextContent);
  sheet.Rems = std::move(tag.Rems);
  sheet.CdTextFile = tag.CdTextFile;
  sheet.CdTextFilePath = tag.CdTextFilePath;
  if (sheet.Catalog.empty()) sheet.Catalog = tag.Catalog;
  for (RipTrack& track : sheet.Tracks) {
    for (RipTrack& from : tag.Tracks) {
      if (from.Number != track.Number) continue;
      track.CdTextContent = std::move(from.CdTextContent);
      track.Rems = std::move(from.Rems);
      if (track.Isrc.empty()) track.Isrc = from.Isrc;
      track.Dcp = from.Dcp;
      track.FourChannel = from.FourChannel;
      track.Scms = from.Scms;
    }
  }
}

RipSheet Read(const std::string& path) {
  PosixFile file;
  try {
    file = PosixFile::OpenForReading(path);
  } catch (const FileError& e) {
    Fail(0, "The file \"" + path + "\" cannot be opened: " + ErrnoText(e.Errno()) + ".");
  }
  FlacIo io{&file, 0, file.Size()};
  std::unique_ptr<FLAC__Metadata_Chain, ChainDeleter> chain(FLAC__metadata_chain_new());
  std::unique_ptr<FLAC__Metadata_Iterator, IteratorDeleter> it(FLAC__metadata_iterator_new());
  if (!chain || !it) Fail(0, "Out of memory while reading \"" + path + "\".");
  FLAC__IOCallbacks callbacks{IoRead, nullptr, IoSeek, IoTell, IoEof, nullptr};
  if (!FLAC__metadata_chain_read_with_callbacks(chain.get(), &io, callbacks)) {
    const FLAC__Metadata_ChainStatus status = FLAC__metadata_chain_status(chain.get());
    Fail(0, "The file \"" + path + "\" is not a readable FLAC file (" +
                FLAC__Metadata_ChainStatusString[status] + ").");
  }

  RipSheet sheet;
  sheet.Source = RipSource::FlacCueSheet;
  sheet.Folder = FolderOf(path);
  RipFile flac;
  flac.Name = flac.Path = path;
  flac.Type = RipFileType::Flac;
  flac.TypeText = "FLAC";
  const FLAC__StreamMetadata_CueSheet* block = nullptr;
  std::string tagText;
  bool haveTag = false;
  std::vector<RipRem> idTags;
  uint32_t rate = 0;
  FLAC__metadata_iterator_init(it.get(), chain.get());
  do {
    const FLAC__StreamMetadata* m = FLAC__metadata_iterator_get_block(it.get());
    if (m->type == FLAC__METADATA_TYPE_STREAMINFO) {
      rate = m->data.stream_info.sample_rate;
      const uint64_t total = m->data.stream_info.total_samples;
      flac.Length = total == 0 || total > kMaxPosition ? -1 : static_cast<int64_t>(total);
    } else if (m->type == FLAC__METADATA_TYPE_CUESHEET && block == nullptr) {
      block = &m->data.cue_sheet;
    } else if (m->type == FLAC__METADATA_TYPE_VORBIS_COMMENT && !haveTag) {
      haveTag = FindCueSheetTag(m->data.vorbis_comment, tagText);
      AddDiscIdTags(m->data.vorbis_comment, idTags);
    }
  } while (FLAC__metadata_iterator_next(it.get()));

  if (block == nullptr && !haveTag) {
    Fail(0, "The FLAC file has no cue sheet (neither a CUESHEET block nor a CUESHEET tag).");
  }
  if (rate != 44100) {
    Fail(0, "The FLAC file's sample rate is " + std::to_string(rate) +
                " Hz; the positions of a CD cue sheet need 44100 Hz.");
  }
  if (block != nullptr) FromBlock(*block, flac.Length, sheet);

  if (haveTag) {
    RipResult tag = ReadCueSheetText(tagText, sheet.Folder);
    if (tag.Ok && tag.Sheet.Files.size() != 1) {
      tag.Ok = false;
      tag.Error = {tag.Sheet.Files[1].Line,
                   "The sheet names more than one FILE; an embedded "
                   "cue sheet describes its own file only."};
    }
    if (!tag.Ok && block == nullptr) {
      Fail(tag.Error.Line, "In the CUESHEET tag: " + tag.Error.Message);
    }
    if (!tag.Ok) {
      sheet.Warnings.push_back({0, "The CUESHEET tag cannot be read (" + tag.Error.Text() +
                                       "); its titles are left out."});
    } else if (block != nullptr) {
      MergeTagText(sheet, tag.Sheet);
    } else {
      std::vector<RipError> warnings = std::move(sheet.Warnings);
      flac.Line = tag.Sheet.Files.front().Line;
      sheet = std::move(tag.Sheet);
      sheet.Source = RipSource::FlacCueSheet;
      sheet.Files.front() = flac;
      for (const RipTrack& track : sheet.Tracks) {
        for (const RipIndex& index : track.Indices) {
          if (flac.Length >= 0 && index.Position >= flac.Length) {
            Fail(index.Line, "In the CUESHEET tag: INDEX " + std::to_string(index.Number) +
                                 " of track " + std::to_string(track.Number) +
                                 " lies beyond the end of the audio.");
          }
        }
      }
      for (RipError& w : sheet.Warnings) w.Message = "In the CUESHEET tag: " + w.Message;
      sheet.Warnings.insert(sheet.Warnings.begin(), warnings.begin(), warnings.end());
    }
  }
  if (sheet.Files.empty()) sheet.Files.push_back(flac);
  for (RipRem& rem : idTags) {
    if (FindRem(sheet.Rems, rem.Key) == nullptr) sheet.Rems.push_back(std::move(rem));
  }
  return sheet;
}

}  // namespace

RipResult ReadFlacCueSheet(const std::string& path) {
  RipResult result;
  try {
    result.Sheet = Read(path);
    result.Ok = true;
  } catch (const FlacFailure& failure) {
    result.Error = failure.Error;
  }
  return result;
}

}  // namespace varnel
