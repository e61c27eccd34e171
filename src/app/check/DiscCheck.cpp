#include "app/check/DiscCheck.h"

#include <sys/stat.h>

#include <algorithm>

#include "app/check/DiscTime.h"
#include "app/commands/FirstPreGapRule.h"
#include "app/commands/IdentityCommands.h"
#include "app/editors/EntryChecks.h"
#include "formats/cdtext/CdText.h"
#include "formats/cdtext/CdrdaoTocText.h"
#include "formats/cdtext/TypedCdText.h"
#include "model/CdTime.h"
#include "model/Isrc.h"
#include "model/TextTrim.h"

namespace varnel {

namespace {

constexpr int64_t kMaxPreGapFrames = 99 * 4500 + 59 * 75 + 74;  // 99:59:74

std::string Time(int64_t frames) {
  return FormatMsf(FramesToMsf(frames));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

bool RegularFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The EAN-13 check digit of the first twelve digits of `digits`.
int CheckDigit(const std::string& digits) {
  int sum = 0;
  for (size_t i = 0; i < 12; ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
  return (10 - sum % 10) % 10;
}

class DiscChecker {
 public:
  DiscChecker(DiscLayout& layout, const AppSettings& settings, int32_t mediaMinutes)
      : Layout_(layout), Settings_(settings), Media_(mediaMinutes) {}

  std::vector<DiscFinding> Run() {
    const DiscTime time = DiscTimeOf(Layout_, Settings_);
    Disc(time);
    for (const TrackTime& t : time.Tracks) {
      if (t.Data) {
        DataTrack(t);
      } else {
        AudioTrack(t, Layout_.At(t.Number - (DataTrack() ? 2 : 1)));
      }
    }
    Original();
    std::stable_sort(Findings_.begin(), Findings_.end(),
                     [](const DiscFinding& a, const DiscFinding& b) { return a.Track < b.Track; });
    return std::move(Findings_);
  }

 private:
  bool DataTrack() const { return Layout_.NamesDataTrack(); }

  void Add(Severity severity, int32_t track, const char* code, std::string text) {
    Findings_.push_back({severity, track, code, std::move(text)});
  }

  void Disc(const DiscTime& time) {
    if (Layout_.Count() == 0) Add(Severity::Error, 0, "empty-disc", "The disc has no audio track.");
    const int32_t tracks = Layout_.Count() + (DataTrack() ? 1 : 0);
    if (tracks > kMaxTracks) {
      Add(Severity::Error, 0, "too-many-tracks",
          "The disc has " + std::to_string(tracks) + " tracks; a CD holds at most 99.");
    }
    const int64_t capacity = MediaFrames(Media_);
    const DiscFit fit = FitOf(time.TotalFrames, Media_);
    if (fit == DiscFit::TooLong) {
      Add(Severity::Error, 0, "disc-too-long",
          "The disc plays " + Time(time.TotalFrames) + ", longer than the " + Time(capacity) +
              " a " + std::to_string(Media_) + "-minute disc holds (" +
              Time(time.TotalFrames - capacity) + " too much).");
    } else if (fit == DiscFit::Over74Minutes) {
      Add(Severity::Note, 0, "disc-over-74",
          "The disc plays " + Time(time.TotalFrames) +
              ", more than 74 minutes: it fits, but not on a 74-minute disc.");
    }
    Catalog();
    CdTextContent(tracks);
  }

  void Catalog() {
    const std::string catalog = Trim(Layout_.MediaCatalog);
    if (catalog.empty()) return;
    if (!IsCatalogEntry(catalog)) {
      Add(Severity::Error, 0, "catalog-invalid",
          "The catalog number " + Quoted(catalog) + " is not 13 digits.");
    } else if (catalog[12] - '0' != CheckDigit(catalog)) {
      Add(Severity::Warning, 0, "catalog-check-digit",
          "The catalog number " + catalog + " ends in " + catalog.substr(12) +
              ", but its EAN-13 check digit is " + std::to_string(CheckDigit(catalog)) + ".");
    }
  }

  void CdTextContent(int32_t tracks) {
    if (!Layout_.CdTextEnabled) return;
    if (Layout_.HasTypedCdText()) {
      if (!DataTrack()) TypedCdText();
      return;
    }
    const std::string& path = Layout_.CdtPath;
    if (path.empty()) {
      if (!DataTrack()) {
        Add(Severity::Warning, 0, "cdtext-empty",
            "CD-Text is on, but there is neither a CD-Text file nor typed text: the disc gets "
            "no CD-Text.");
      }
      return;
    }
    if (DataTrack()) {
      Add(Severity::Note, 0, "cdtext-mixed-mode",
          "The disc is mixed-mode and carries no CD-Text: " + Quoted(path) + " is left out.");
      return;
    }
    if (!RegularFile(path)) {
      Add(Severity::Error, 0, "file-missing",
          "The CD-Text file " + Quoted(path) + " does not exist or is not a regular file.");
      return;
    }
    CdText text;
    std::string reason;
    bool valid = ReadCdTextFile(path, text, reason);
    TocCdText blocks;
    if (valid && Settings_.CdrdaoToc && tracks > 0) {
      valid = FormatTocCdText(text, tracks, blocks, reason);
    }
    if (!valid) {
      Add(Severity::Error, 0, "cdtext-invalid",
          "The CD-Text file " + Quoted(path) + " is not valid CD-Text: " + reason);
      return;
    }
    for (const CdTextBlock& block : text.Blocks) {
      if (block.FirstTrack == 1 && block.LastTrack == tracks) continue;
      Add(Severity::Warning, 0, "cdtext-track-count",
          "The CD-Text file " + Quoted(path) + " has text for tracks " +
              std::to_string(block.FirstTrack) + " to " + std::to_string(block.LastTrack) +
              ", but the disc has " + std::to_string(tracks) + " tracks.");
      break;
    }
  }

  // Typed text: every character must be one of ISO 8859-1, and the whole must fit the packs
  // of one block.
  void TypedCdText() {
    std::vector<CdTextFields> tracks;
    NotLatin1(0, Layout_.CdText.Fields);
    for (int32_t i = 0; i < Layout_.Count(); ++i) {
      tracks.push_back(Layout_.At(i).CdText);
      NotLatin1(i + 1, Layout_.At(i).CdText);
    }
    std::vector<uint8_t> packs;
    std::string reason;
    if (!EncodeCdText(TypedCdTextBlock(Layout_.CdText, tracks), CdTextFraming::Packs, packs,
                      reason)) {
      Add(Severity::Error, 0, "cdtext-too-long",
          "The typed CD-Text does not fit the packs of one block (" + reason +
              "): shorten the texts.");
    }
  }

  void NotLatin1(int32_t track, const CdTextFields& fields) {
    for (int f = 0; f < kCdTextFieldCount; ++f) {
      const std::string bad = FirstNonLatin1(fields.Texts[static_cast<size_t>(f)]);
      if (bad.empty()) continue;
      Add(Severity::Warning, track, "cdtext-not-latin1",
          std::string("The CD-Text ") + kCdTextFieldNames[f] + " holds " + Quoted(bad) +
              ", which CD-Text in ISO 8859-1 cannot carry; it is written as \"?\".");
    }
  }

  void TooShort(const TrackTime& t) {
    if (!t.Valid || t.TrackFrames >= kMinTrackFrames) return;
    Add(Severity::Error, t.Number, "track-too-short",
        "The track plays " + Time(t.TrackFrames) + " from index 01 to its end; a CD track plays " +
            Time(kMinTrackFrames) + " at least.");
  }

  void DataTrack(const TrackTime& t) {
    if (!t.Valid) {
      Add(Severity::Error, t.Number, "file-missing",
          "The data track image " + Quoted(Layout_.DataTrackFile) +
              " does not exist or is not a regular file.");
      return;
    }
    TooShort(t);
  }

  void AudioTrack(const TrackTime& t, Track& track) {
    const int32_t n = t.Number;
    if (!RegularFile(track.TrackFileName)) {
      Add(Severity::Error, n, "file-missing",
          "The track file " + Quoted(track.TrackFileName) +
              " does not exist or is not a regular file.");
    }
    const bool wave = track.FileMode == FileModeWave;
    const bool hiddenFile = wave && track.PreGapStyle() == PreGapFile;
    if (hiddenFile && !RegularFile(track.PreGapFileName())) {
      Add(Severity::Error, n, "file-missing",
          "The hidden pre-gap file " + Quoted(track.PreGapFileName()) +
              " does not exist or is not a regular file.");
    }
    // Make applies its rule to the first audio track, after a data track too.
    if (&track == &Layout_.At(0)) {
      if (const auto refusal = CheckFirstPreGap(track)) {
        Add(Severity::Error, n, "first-pregap-short",
            std::string(refusal->Message) + " It is " + Time(refusal->Frames) + ".");
      }
    }
    const std::string problem = TrackPositionProblem(track);
    if (!problem.empty()) Add(Severity::Error, n, "position-invalid", problem);
    if (t.Valid && t.PreGapFrames > kMaxPreGapFrames) {
      Add(Severity::Error, n, "position-invalid",
          "The pre-gap of " + Time(t.PreGapFrames) + " is longer than " + Time(kMaxPreGapFrames) +
              ".");
    }
    TooShort(t);
    const std::string isrc = Trim(track.ISRC);
    if (!isrc.empty() && !IsAssignedIsrc(isrc)) {
      Add(Severity::Error, n, "isrc-invalid",
          "The ISRC " + Quoted(isrc) +
              " is not 2 capital letters, 3 capital letters or digits, then 7 digits.");
    }
    if (t.Valid && wave) SilentHiddenAudio(n, track, hiddenFile);
    const char* toc =
        Settings_.CdrdaoToc ? "" : " Turn on \"Also write a TOC file for cdrdao\" in the settings.";
    if (track.FileMode == FileModeMp3) {
      Add(Severity::Note, n, "mp3-needs-toc",
          std::string("An MP3 track burns on Linux only from the TOC file for cdrdao, which "
                      "names its decoded audio.") +
              toc);
    } else if (track.FileMode == FileModeCdg) {
      Add(Severity::Note, n, "cdg-needs-toc",
          std::string("A CD+G track burns on Linux only from the TOC file for cdrdao, which "
                      "carries its graphics as sub-channel data.") +
              toc);
    }
  }

  // The planned disc against the original an imported rip recorded: planned as a Test run
  // plans it, only when there is something to compare.
  void Original() {
    if (Layout_.Original.Toc.empty() && Layout_.Original.DiscId.empty() &&
        Layout_.Original.FreeDbId.empty()) {
      return;
    }
    for (DiscFinding& f : IdentityFindings(Layout_, PlanIdentity(Layout_, Settings_, {}))) {
      Findings_.push_back(std::move(f));
    }
  }

  // Hidden audio that is digital silence from its first sample frame to its last: from the
  // silence counts the track record keeps.
  void SilentHiddenAudio(int32_t n, Track& track, bool hiddenFile) {
    int64_t frames = 0;
    int64_t silent = 0;
    if (hiddenFile) {
      if (!RegularFile(track.PreGapFileName())) return;
      frames = int64_t{track.PreGapEndPos()} - track.PreGapStartPos();
      silent = frames > 0 ? track.GetPreGapLeadSilence() : 0;
    } else if (track.PreGapStyle() == PreGapIndex) {
      frames = int64_t{track.TrackStartPos()} - track.TrackPreGapPos();
      silent = frames > 0 ? track.GetTrackLeadSilence() : 0;
    }
    if (frames <= 0 || silent < frames) return;
    Add(Severity::Warning, n, "hidden-audio-silent",
        "The hidden audio (" + Time(BytesToWholeFrames(frames * kBytesPerSample)) +
            ") is digital silence throughout.");
  }

  DiscLayout& Layout_;
  const AppSettings& Settings_;
  int32_t Media_;
  std::vector<DiscFinding> Findings_;
};

}  // namespace

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::Error:
      return "error";
    case Severity::Warning:
      return "warning";
    case Severity::Note:
      break;
  }
  return "note";
}

std::string FindingLine(const DiscFinding& f) {
  return std::string(SeverityName(f.Severity)) + "\t" +
         (f.Track == 0 ? std::string("-") : std::to_string(f.Track)) + "\t" + f.Code + "\t" +
         f.Text;
}

bool HasError(const std::vector<DiscFinding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const DiscFinding& f) { return f.Severity == Severity::Error; });
}

std::vector<DiscFinding> CheckDisc(DiscLayout& layout, const AppSettings& settings,
                                   int32_t mediaMinutes) {
  return DiscChecker(layout, settings, mediaMinutes).Run();
}

bool DiscCheckAllowsMaking(AppContext& ctx) {
  const std::vector<DiscFinding> findings = CheckDisc(ctx.Layout, ctx.Settings, ctx.Settings.Media);
  if (!HasError(findings)) return true;
  return ctx.Prompter.ConfirmFindings(findings);
}

}  // namespace varnel
