#include "app/import/RipLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>

#include "app/commands/LayoutFile.h"
#include "app/import/RawAudioCopy.h"
#include "app/import/RipCdText.h"
#include "formats/audio/InputChecks.h"
#include "model/CdTime.h"

namespace varnel {

namespace {

constexpr int64_t kSamplesPerCdFrame = 588;
constexpr int64_t kDiscLeadFrames = 150;
// Longer than any disc by far; no sum of such lengths in one sheet can overflow.
constexpr int64_t kMaxFrames = int64_t{1} << 40;

// Ends the mapping with the error (or the user's No).
struct LayoutFailure {
  RipError Error;
};
struct StopRequest {};

// The message as one sentence, as the readers word theirs.
[[noreturn]] void Fail(int32_t line, std::string message) {
  if (!message.empty() && message[0] >= 'a' && message[0] <= 'z') message[0] -= 'a' - 'A';
  if (message.empty() || message.back() != '.') message += '.';
  throw LayoutFailure{{line, std::move(message)}};
}

// A stretch of disc audio: sample frames of a file, or silence (File −1).
struct Span {
  int32_t File = -1;
  int64_t From = 0;
  int64_t Length = 0;
};

// A file the sheet names, once checked.
enum class RawOrder : uint8_t { None, Little, Big };

struct FileState {
  std::string Path;       // what the layout names: the file, or the wave copy of raw samples
  std::string AudioFile;  // the decoded copy of a compressed file (empty: none)
  RawOrder Raw = RawOrder::None;  // raw samples, in this byte order
  bool Checked = false;
  bool Usable = false;
  int32_t Mode = FileModeWave;
  WaveDataInfo Info;
  int64_t Frames = 0;
};

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// mm:ss:ff of a count of sample frames (a partial CD frame dropped).
std::string TimeText(int64_t samples) {
  const int64_t frames = samples / kSamplesPerCdFrame;
  char text[48];
  std::snprintf(text, sizeof text, "%.2lld:%.2lld:%.2lld", static_cast<long long>(frames / 4500),
                static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
  return text;
}

std::string TrackName(const RipTrack& track) {
  char text[16];
  std::snprintf(text, sizeof text, "track %.2d", track.Number);
  return text;
}

bool EndsWithWav(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".wav";
}

// Consecutive silences joined, consecutive stretches of one file joined, empty ones dropped.
std::vector<Span> Merged(const std::vector<Span>& spans) {
  std::vector<Span> out;
  for (const Span& s : spans) {
    if (s.Length <= 0) continue;
    if (!out.empty()) {
      Span& last = out.back();
      if (last.File == s.File && (s.File < 0 || last.From + last.Length == s.From)) {
        last.Length += s.Length;
        continue;
      }
    }
    out.push_back(s);
  }
  return out;
}

class Mapper {
 public:
  Mapper(const RipSheet& sheet, Prompter& prompter, const RipSources& sources)
      : Sheet(sheet), Prompter(prompter), Sources(sources), Files(sheet.Files.size()) {}

  void Run(RipLayout& out);

 private:
  struct Planned {
    const RipTrack* Rip = nullptr;
    std::vector<Span> Gap;  // merged
    Span Body;
  };

  const FileState& Check(int32_t file);
  int64_t Frames(int32_t file) { return Check(file).Frames; }
  // How the file's audio is read, before it is checked: as it is, or as raw samples.
  void TakeFileType(int32_t file, int32_t line, RawOrder order);
  void CheckIndex(const RipTrack& track, const RipIndex& index);
  Planned PlanCueTrack(size_t k);
  Planned PlanTocTrack(const RipTrack& track);
  void TakeDataTrack(const RipTrack& track, DiscLayout& layout);
  std::unique_ptr<Track> MakeTrack(const Planned& p, bool firstDiscTrack);
  void Note(std::string text) { Notes.push_back(std::move(text)); }

  const RipSheet& Sheet;
  varnel::Prompter& Prompter;
  const RipSources& Sources;
  std::vector<FileState> Files;
  std::vector<std::string> Notes;
};

const FileState& Mapper::Check(int32_t file) {
  FileState& f = Files.at(static_cast<size_t>(file));
  if (f.Checked) return f;
  f.Checked = true;
  const std::string& path = Sheet.Files[static_cast<size_t>(file)].Path;
  if (f.Raw != RawOrder::None) {
    try {
      const RawCopy copy = CopyRawAudio(path, f.Raw == RawOrder::Big, Sources.RawFolder);
      f.Path = copy.Path;
      f.Info = copy.Info;
      f.Usable = true;
      f.Frames = f.Info.DataSize / 4;
      Note(Quoted(path) + " holds raw samples and is laid out from its wave copy " +
           Quoted(copy.Path));
      return f;
    } catch (const std::exception& error) {
      if (!Prompter.AskYesNo(Quoted(path) + " cannot be read: " + error.what() +
                             ". Do you want to continue?")) {
        throw StopRequest{};
      }
      return f;
    }
  }
  f.Path = path;
  if (IsDecodedSourcePath(path)) {
    // The layout names the compressed file; its audio is read from the decoded copy.
    const DecodedCheck check = Sources.Decode(path, f.Info);
    if (check.Result == 0) throw StopRequest{};
    if (check.Result != 1) {
      if (!Prompter.AskYesNo(Quoted(path) + check.Reason)) throw StopRequest{};
      return f;
    }
    f.AudioFile = check.AudioFile;
    f.Mode = FileModeWave;
    f.Usable = true;
    f.Frames = f.Info.DataSize / 4;
    return f;
  }
  const int32_t result = CheckFileOfKind(path, f.Mode, f.Info);
  if (result != 1) {
    if (!Prompter.AskYesNo(Quoted(path) + LoadRefusal(f.Mode, result))) throw StopRequest{};
    return f;
  }
  if (f.Mode != FileModeWave) {
    Fail(Sheet.Files[static_cast<size_t>(file)].Line,
         Quoted(Sheet.Files[static_cast<size_t>(file)].Name) +
             " is no wave file: the tracks of a ripped disc are taken from wave files");
  }
  f.Usable = true;
  f.Frames = f.Info.DataSize / 4;
  return f;
}

void Mapper::TakeFileType(int32_t file, int32_t line, RawOrder order) {
  const RipFile& rf = Sheet.Files.at(static_cast<size_t>(file));
  if (rf.Type == RipFileType::Data) {
    Fail(line ? line : rf.Line, Quoted(rf.Name) + " holds data sectors, not audio");
  }
  FileState& f = Files[static_cast<size_t>(file)];
  if (f.Checked && f.Raw != order) {
    Fail(line ? line : rf.Line, Quoted(rf.Name) +
                                    " is read in two ways: as raw samples and "
                                    "otherwise, or in two byte orders");
  }
  f.Raw = order;
}

void Mapper::CheckIndex(const RipTrack& track, const RipIndex& index) {
  const FileState& f = Check(index.File);
  if (f.Usable && index.Position > f.Frames) {
    char number[8];
    std::snprintf(number, sizeof number, "%.2d", index.Number);
    Fail(index.Line, "INDEX " + std::string(number) + " of " + TrackName(track) + " at " +
                         TimeText(index.Position) + " lies beyond the end of " +
                         Quoted(Sheet.Files[static_cast<size_t>(index.File)].Name) + ", which is " +
                         TimeText(f.Frames) + " long");
  }
}

Mapper::Planned Mapper::PlanCueTrack(size_t k) {
  const RipTrack& t = Sheet.Tracks[k];
  Planned p;
  p.Rip = &t;
  if (t.PostGapSilence > 0) Fail(t.Line, "the POSTGAP of " + TrackName(t) + " cannot be laid out");
  if (t.PreGapSilence > kMaxFrames) Fail(t.Line, "the pre-gap of " + TrackName(t) + " is too long");
  const RipIndex* i0 = t.FindIndex(0);
  const RipIndex* i1 = t.FindIndex(1);
  if (i1 == nullptr) Fail(t.Line, TrackName(t) + " has no INDEX 01");
  for (const RipIndex& index : t.Indices) {
    const RipFileType type = Sheet.Files.at(static_cast<size_t>(index.File)).Type;
    TakeFileType(index.File, index.Line,
                 type == RipFileType::Binary     ? RawOrder::Little
                 : type == RipFileType::Motorola ? RawOrder::Big
                                                 : RawOrder::None);
    CheckIndex(t, index);
    if (index.Number > 1) {
      char number[8];
      std::snprintf(number, sizeof number, "%.2d", index.Number);
      Note("line " + std::to_string(index.Line) + ": INDEX " + number + " of " + TrackName(t) +
           " is left out: a layout track has no such index");
    }
  }
  std::vector<Span> gap;
  if (t.PreGapSilence > 0) gap.push_back({-1, 0, t.PreGapSilence});
  if (i0 != nullptr) {
    if (i0->File == i1->File) {
      gap.push_back({i0->File, i0->Position, i1->Position - i0->Position});
    } else if (i1->Position == 0 && i1->File == i0->File + 1) {
      gap.push_back({i0->File, i0->Position, Frames(i0->File) - i0->Position});
    } else {
      Fail(i1->Line, "the pre-gap of " + TrackName(t) + " runs over from one file into another");
    }
  }
  p.Gap = Merged(gap);

  int64_t end = Frames(i1->File);
  if (k + 1 < Sheet.Tracks.size()) {
    const RipTrack& next = Sheet.Tracks[k + 1];
    const RipIndex* first = next.FindIndex(0) ? next.FindIndex(0) : next.FindIndex(1);
    if (first != nullptr) {
      if (first->File == i1->File) {
        end = first->Position;
      } else if (first->File != i1->File + 1 || first->Position != 0) {
        Fail(first->Line, "the audio of " + TrackName(t) + " runs over from " +
                              Quoted(Sheet.Files[static_cast<size_t>(i1->File)].Name) +
                              " into another file");
      }
    }
  }
  p.Body = {i1->File, i1->Position, end - i1->Position};
  if (Files[static_cast<size_t>(i1->File)].Usable && p.Body.Length <= 0) {
    Fail(t.Line, TrackName(t) + " has no audio");
  }
  return p;
}

Mapper::Planned Mapper::PlanTocTrack(const RipTrack& t) {
  Planned p;
  p.Rip = &t;
  if (t.PreGapSilence > kMaxFrames) Fail(t.Line, "the pre-gap of " + TrackName(t) + " is too long");
  if (t.Start.Position > kMaxFrames)
    Fail(t.Start.Line, "the START of " + TrackName(t) + " lies beyond its audio");
  if (t.End.Line != 0)
    Fail(t.End.Line, "the END (post-gap) of " + TrackName(t) + " cannot be laid out");
  std::vector<Span> spans;
  if (t.PreGapSilence > 0) spans.push_back({-1, 0, t.PreGapSilence});
  int64_t gapLength = t.PreGapSilence;
  int64_t before = 0;  // the pieces' length so far, for a bare START
  for (size_t i = 0; i < t.Pieces.size(); ++i) {
    const RipPiece& piece = t.Pieces[i];
    if (t.Start.Line != 0 && static_cast<int32_t>(i) == t.Start.PiecesBefore &&
        t.Start.Position < 0) {
      gapLength += (before + kSamplesPerCdFrame - 1) / kSamplesPerCdFrame * kSamplesPerCdFrame;
    }
    switch (piece.Kind) {
      case RipPieceKind::Silence:
        if (piece.Length > kMaxFrames) Fail(piece.Line, "the silence is too long");
        spans.push_back({-1, 0, piece.Length});
        break;
      case RipPieceKind::Audio: {
        const RipFile& rf = Sheet.Files.at(static_cast<size_t>(piece.File));
        // cdrdao reads a file not named .wav as raw samples, high byte first unless SWAP.
        const bool raw = rf.Type == RipFileType::Audio && !EndsWithWav(rf.Name);
        if (!raw && (piece.ByteOffset != 0 || piece.Swap)) {
          Fail(piece.Line, "a byte offset or SWAP applies to raw samples, not to the wave file " +
                               Quoted(rf.Name));
        }
        if (piece.ByteOffset % 4 != 0) {
          Fail(piece.Line, "a byte offset that is no whole sample frame cannot be laid out");
        }
        TakeFileType(piece.File, piece.Line,
                     !raw         ? RawOrder::None
                     : piece.Swap ? RawOrder::Little
                                  : RawOrder::Big);
        const FileState& f = Check(piece.File);
        if (piece.Start > INT64_MAX - piece.ByteOffset / 4) {
          Fail(piece.Line, "the position is too large");
        }
        const int64_t first = piece.Start + piece.ByteOffset / 4;
        // A file left out has no length to check against: its stretch only stands for the
        // track, which is left out with it.
        int64_t length = std::max<int64_t>(piece.Length, 1);
        if (f.Usable) {
          length = piece.Length < 0 ? f.Frames - first : piece.Length;
          if (first > f.Frames || length < 0 || length > f.Frames - first) {
            Fail(piece.Line, "the audio of " + TrackName(t) + " at " + TimeText(first) +
                                 " lies beyond the end of " +
                                 Quoted(Sheet.Files[static_cast<size_t>(piece.File)].Name) +
                                 ", which is " + TimeText(f.Frames) + " long");
          }
        }
        if (length > kMaxFrames) Fail(piece.Line, "the audio of " + TrackName(t) + " is too long");
        spans.push_back({piece.File, first, length});
        break;
      }
      default:
        Fail(piece.Line, "data in an audio track cannot be laid out");
    }
    before += spans.back().Length;
  }
  if (t.Start.Line != 0) {
    if (t.Start.Position >= 0) {
      gapLength += t.Start.Position;
    } else if (t.Start.PiecesBefore >= static_cast<int32_t>(t.Pieces.size())) {
      gapLength += (before + kSamplesPerCdFrame - 1) / kSamplesPerCdFrame * kSamplesPerCdFrame;
    }
  }
  for (const RipIndex& index : t.Indices) {
    Note("line " + std::to_string(index.Line) + ": INDEX " + TimeText(index.Position) + " of " +
         TrackName(t) + " is left out: a layout track has no such index");
  }
  // Split at the end of the pre-gap.
  std::vector<Span> gap;
  std::vector<Span> body;
  int64_t at = 0;
  for (const Span& s : spans) {
    const int64_t inGap = std::clamp<int64_t>(gapLength - at, 0, s.Length);
    if (inGap > 0) gap.push_back({s.File, s.From, inGap});
    if (s.Length - inGap > 0)
      body.push_back({s.File, s.File < 0 ? 0 : s.From + inGap, s.Length - inGap});
    at += s.Length;
  }
  if (gapLength > at) Fail(t.Start.Line, "the START of " + TrackName(t) + " lies beyond its audio");
  p.Gap = Merged(gap);
  body = Merged(body);
  if (body.empty()) Fail(t.Line, TrackName(t) + " has no audio");
  if (body.size() > 1 || body[0].File < 0) {
    Fail(t.Line, "the audio of " + TrackName(t) +
                     " is not one stretch of one file after its pre-gap, and cannot be laid out");
  }
  p.Body = body[0];
  return p;
}

// A data track that comes first and fills a file of its own.
void Mapper::TakeDataTrack(const RipTrack& t, DiscLayout& layout) {
  static const std::pair<const char*, int32_t> kModes[] = {
      {"MODE1/2048", 0}, {"MODE1/2352", 1}, {"MODE2/2336", 2}, {"MODE2/2352", 3},
      {"MODE1", 0},      {"MODE1_RAW", 1},  {"MODE2", 2},      {"MODE2_RAW", 3},
  };
  int32_t type = -1;
  for (const auto& [mode, value] : kModes) {
    if (t.Mode == mode) type = value;
  }
  if (type < 0) Fail(t.Line, "a data track in mode " + t.Mode + " cannot be laid out");
  int32_t file = -1;
  bool whole = false;
  if (Sheet.Source == RipSource::TocFile) {
    whole = t.Pieces.size() == 1 && t.Pieces[0].Kind == RipPieceKind::Data &&
            t.Pieces[0].Start == 0 && t.Pieces[0].Length < 0 && t.Pieces[0].ByteOffset == 0;
    if (whole) file = t.Pieces[0].File;
  } else {
    const RipIndex* i1 = t.FindIndex(1);
    whole = i1 != nullptr && t.FindIndex(0) == nullptr && i1->Position == 0 &&
            t.PreGapSilence == 0 && t.PostGapSilence == 0;
    if (whole) file = i1->File;
    for (size_t k = 1; whole && k < Sheet.Tracks.size(); ++k) {
      for (const RipIndex& index : Sheet.Tracks[k].Indices) whole = whole && index.File != file;
    }
  }
  if (!whole) {
    Fail(t.Line, "the data track is laid out only as the whole of a file of its own");
  }
  layout.DataTrackFile = Sheet.Files[static_cast<size_t>(file)].Path;
  layout.ImageType = type;
}

std::unique_ptr<Track> Mapper::MakeTrack(const Planned& p, bool firstDiscTrack) {
  const FileState& body = Files[static_cast<size_t>(p.Body.File)];
  const RipTrack& t = *p.Rip;
  auto track = std::make_unique<Track>(body.Path, body.Mode, body.Info);
  track->TrackAudioFile = body.AudioFile;
  track->SetTrackStartPos(static_cast<int32_t>(p.Body.From));
  track->SetTrackEndPos(static_cast<int32_t>(p.Body.From + p.Body.Length));
  track->TrackCutLeading = track->TrackCutTrailing = false;
  track->PreGapCutLeading = track->PreGapCutTrailing = false;
  track->TrackPaddingHead = false;
  track->Protect = !t.Dcp;
  track->PreEmph = t.Pre;
  track->ISRC = t.Isrc;
  if (t.FourChannel || t.Scms) {
    Note("line " + std::to_string(t.Line) + ": the 4CH and SCMS flags of " + TrackName(t) +
         " are left out");
  }

  int64_t silence = 0;
  if (p.Gap.size() > 1) {
    Fail(t.Line, "the pre-gap of " + TrackName(t) + " mixes silence and audio");
  }
  if (p.Gap.size() == 1) {
    const Span& gap = p.Gap[0];
    if (gap.File < 0) {
      silence = gap.Length;
    } else if (!Files[static_cast<size_t>(gap.File)].Usable) {
      silence = gap.Length;  // its file was refused and left out: the time stays
    } else if (gap.File == p.Body.File && gap.From + gap.Length == p.Body.From) {
      track->SetPreGapStyle(PreGapIndex);
      track->SetTrackPreGapPos(static_cast<int32_t>(gap.From));
    } else {
      const FileState& f = Files[static_cast<size_t>(gap.File)];
      track->SetPreGapFile(f.Path, f.Info, f.AudioFile);
      track->SetPreGapStartPos(static_cast<int32_t>(gap.From));
      track->SetPreGapEndPos(static_cast<int32_t>(gap.From + gap.Length));
      track->SetPreGapStyle(PreGapFile);
    }
  }
  if (track->PreGapStyle() == PreGapNormal) {
    int64_t frames = (silence + kSamplesPerCdFrame - 1) / kSamplesPerCdFrame;
    if (firstDiscTrack) frames += kDiscLeadFrames;
    if (frames >= 256 * 4500) Fail(t.Line, "the pre-gap of " + TrackName(t) + " is too long");
    track->SetPreGapLength(static_cast<uint32_t>(frames));
  }
  return track;
}

void Mapper::Run(RipLayout& out) {
  for (const RipError& w : Sheet.Warnings) Note(w.Text());
  if (Sheet.Tracks.empty()) Fail(0, "the sheet has no tracks");
  DiscLayout& layout = out.Layout;
  layout.MediaCatalog = CatalogFieldText(Sheet.Catalog);
  size_t firstAudio = 0;
  if (!Sheet.Tracks[0].Audio) {
    TakeDataTrack(Sheet.Tracks[0], layout);
    firstAudio = 1;
  }
  std::vector<Planned> planned;
  for (size_t k = firstAudio; k < Sheet.Tracks.size(); ++k) {
    const RipTrack& t = Sheet.Tracks[k];
    if (!t.Audio) Fail(t.Line, "only a data track that comes first can be laid out");
    planned.push_back(Sheet.Source == RipSource::TocFile ? PlanTocTrack(t) : PlanCueTrack(k));
  }
  if (static_cast<int32_t>(planned.size()) + (firstAudio ? 1 : 0) > kMaxTracks) {
    Fail(0, "a disc cannot have more than 99 tracks");
  }
  std::map<const RipTrack*, int32_t> discTrack;
  for (const Planned& p : planned) {
    if (!Files[static_cast<size_t>(p.Body.File)].Usable) {
      Note(TrackName(*p.Rip) + " is left out: its file was refused");
      continue;
    }
    const bool first = layout.Count() == 0 && firstAudio == 0;
    layout.Append(MakeTrack(p, first));
    discTrack[p.Rip] = layout.Count() + static_cast<int32_t>(firstAudio);
  }
  if (layout.Count() == 0) Fail(0, "no track of the sheet is left to lay out");
  layout.TotalBytes = 0;
  for (int32_t i = 0; i < layout.Count(); ++i) layout.TotalBytes += layout.At(i).GetTotalBytes();
  TakeSheetCdText(Sheet, discTrack, 1 + static_cast<int32_t>(firstAudio), layout);
  out.Notes = std::move(Notes);
}

}  // namespace

RipLayout RipSheetToLayout(const RipSheet& sheet, Prompter& prompter, const RipSources& sources) {
  RipLayout out;
  Mapper mapper(sheet, prompter, sources);
  try {
    mapper.Run(out);
    out.Ok = true;
  } catch (const LayoutFailure& fail) {
    out.Error = fail.Error;
  } catch (const StopRequest&) {
    out.Stopped = true;
  } catch (const std::exception& error) {
    out.Error = {0, error.what()};
  }
  if (!out.Ok) {
    out.Layout.Clear();
    out.Layout.CdText = {};
  }
  return out;
}

}  // namespace varnel
