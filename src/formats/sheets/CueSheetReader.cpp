// Cue sheet reader: one pass over the lines, each command checked against the state
// built so far (current file, current track, what the track has seen).
#include "formats/sheets/CueSheetReader.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "formats/sheets/SheetText.h"
#include "model/CdTime.h"
#include "model/Isrc.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Thrown to stop the reading with an error on a line; caught once in ReadCueSheetText.
struct CueFailure {
  RipError Error;
};

[[noreturn]] void Fail(int32_t line, std::string message) {
  throw CueFailure{{line, std::move(message)}};
}

// The words of one line, read from left to right.
class LineCursor {
 public:
  LineCursor(std::string_view text, int32_t line) : Text_(text), Line_(line) {}

  bool AtEnd() {
    SkipBlanks();
    return Pos_ >= Text_.size();
  }
  // The next blank-separated word ("" at the end).
  std::string_view Word() {
    SkipBlanks();
    const size_t start = Pos_;
    while (Pos_ < Text_.size() && !IsBlank(Text_[Pos_])) ++Pos_;
    return Text_.substr(start, Pos_ - start);
  }
  // A quoted text without its quotes, or the next word. `quoted` tells which it was.
  std::string Value(bool& quoted) {
    SkipBlanks();
    quoted = Pos_ < Text_.size() && Text_[Pos_] == '"';
    if (!quoted) return std::string(Word());
    const size_t close = Text_.find('"', Pos_ + 1);
    if (close == std::string_view::npos) Fail(Line_, "A quoted text is not closed on its line.");
    std::string value(Text_.substr(Pos_ + 1, close - Pos_ - 1));
    Pos_ = close + 1;
    return value;
  }
  // The rest of the line without surrounding blanks.
  std::string_view Rest() {
    SkipBlanks();
    std::string_view rest = Text_.substr(Pos_);
    while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
    Pos_ = Text_.size();
    return rest;
  }

 private:
  void SkipBlanks() {
    while (Pos_ < Text_.size() && IsBlank(Text_[Pos_])) ++Pos_;
  }

  std::string_view Text_;
  int32_t Line_;
  size_t Pos_ = 0;
};

// "mm:ss:ff" as sample frames.
int64_t ParseCueTime(std::string_view word, int32_t line) {
  const std::string shown(word.substr(0, 40));
  const size_t c1 = word.find(':');
  const size_t c2 = c1 == std::string_view::npos ? c1 : word.find(':', c1 + 1);
  if (c2 == std::string_view::npos) Fail(line, "\"" + shown + "\" is not a time mm:ss:ff.");
  const std::string_view mm = word.substr(0, c1);
  const std::string_view ss = word.substr(c1 + 1, c2 - c1 - 1);
  const std::string_view ff = word.substr(c2 + 1);
  if (!AllDigits(mm) || !AllDigits(ss) || !AllDigits(ff) || mm.size() > 4 || ss.size() > 2 ||
      ff.size() > 2) {
    Fail(line, "\"" + shown + "\" is not a time mm:ss:ff.");
  }
  const int64_t m = std::stoll(std::string(mm));
  const int64_t s = std::stoll(std::string(ss));
  const int64_t f = std::stoll(std::string(ff));
  if (s >= 60) Fail(line, "The seconds of " + shown + " must be below 60.");
  if (f >= 75) Fail(line, "The frames of " + shown + " must be below 75.");
  return MsfToFrames(m, s, f) * kSamplesPerCdFrame;
}

std::string ShowTime(int64_t samples) {
  return FormatMsf(FramesToMsf(samples / kSamplesPerCdFrame));
}

std::string TwoDigits(int32_t n) {
  return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

struct ModeInfo {
  const char* Name;
  bool Audio;
  int32_t BlockSize;
};

constexpr ModeInfo kModes[] = {
    {"AUDIO", true, 2352},       {"CDG", true, 2448},         {"MODE1/2048", false, 2048},
    {"MODE1/2352", false, 2352}, {"MODE2/2048", false, 2048}, {"MODE2/2324", false, 2324},
    {"MODE2/2332", false, 2332}, {"MODE2/2336", false, 2336}, {"MODE2/2342", false, 2342},
    {"MODE2/2352", false, 2352}, {"CDI/2336", false, 2336},   {"CDI/2352", false, 2352},
};

RipFileType FileTypeOf(const std::string& word) {
  if (word == "WAVE") return RipFileType::Wave;
  if (word == "BINARY") return RipFileType::Binary;
  if (word == "MOTOROLA") return RipFileType::Motorola;
  if (word == "AIFF") return RipFileType::Aiff;
  if (word == "MP3") return RipFileType::Mp3;
  if (word == "FLAC") return RipFileType::Flac;
  return RipFileType::Other;
}

class CueReader {
 public:
  explicit CueReader(const std::string& folder) { Sheet_.Folder = folder; }

  RipSheet Read(const SheetText& text) {
    if (text.FromLegacy) {
      Warn(0, "The sheet is not UTF-8; it was read as Windows-1252 (Latin-1).");
    }
    bool any = false;
    for (const SheetLine& line : text.Lines) {
      LineCursor cursor(line.Text, line.Number);
      if (cursor.AtEnd()) continue;
      any = true;
      Command(cursor, line.Number);
    }
    if (!any) Fail(0, "The sheet is empty.");
    if (Sheet_.Tracks.empty()) Fail(0, "The sheet has no TRACK.");
    CloseTrack();
    WarnUnusedFile();
    return std::move(Sheet_);
  }

 private:
  void Warn(int32_t line, std::string message) {
    Sheet_.Warnings.push_back({line, std::move(message)});
  }

  RipTrack* Track() { return Sheet_.Tracks.empty() ? nullptr : &Sheet_.Tracks.back(); }

  RipTrack& NeedTrack(const std::string& command, int32_t line) {
    if (Track() == nullptr) Fail(line, command + " comes before any TRACK.");
    return *Track();
  }

  void Command(LineCursor& cursor, int32_t line) {
    const std::string command = Upper(cursor.Word());
    if (command == "REM") return Rem(cursor, line);
    if (command == "FILE") return File(cursor, line);
    if (command == "TRACK") return NewTrack(cursor, line);
    if (command == "INDEX") return Index(cursor, line);
    if (command == "PREGAP") return PreGap(cursor, line);
    if (command == "POSTGAP") return PostGap(cursor, line);
    if (command == "FLAGS") return Flags(cursor, line);
    if (command == "ISRC") return Isrc(cursor, line);
    if (command == "CATALOG") return Catalog(cursor, line);
    if (command == "CDTEXTFILE") {
      Sheet_.CdTextFile = SingleValue(cursor, line);
      Sheet_.CdTextFilePath = PathFromFolder(Sheet_.Folder, Sheet_.CdTextFile);
      return;
    }
    if (std::string* field = CdTextField(command)) {
      *field = SingleValue(cursor, line);
      return;
    }
    Warn(line, "The unknown command \"" + std::string(command.substr(0, 40)) + "\" is ignored.");
  }

  // One value: a quoted text, or the rest of the line when it does not start with a quote.
  std::string SingleValue(LineCursor& cursor, int32_t line) {
    bool quoted = false;
    LineCursor probe = cursor;
    probe.Value(quoted);
    if (!quoted) return std::string(cursor.Rest());
    std::string value = cursor.Value(quoted);
    if (!cursor.AtEnd()) Warn(line, "The text after the closing quote is ignored.");
    return value;
  }

  std::vector<RipCdText>& CdTextBlocks() {
    return Track() != nullptr ? Track()->CdTextContent : Sheet_.CdTextContent;
  }

  std::string* CdTextField(const std::string& command) {
    static constexpr const char* kNames[] = {"TITLE",    "PERFORMER", "SONGWRITER",
                                             "COMPOSER", "ARRANGER",  "MESSAGE",
                                             "DISC_ID",  "GENRE",     "UPC_EAN"};
    if (std::find_if(std::begin(kNames), std::end(kNames),
                     [&](const char* n) { return command == n; }) == std::end(kNames)) {
      return nullptr;
    }
    std::vector<RipCdText>& blocks = CdTextBlocks();
    if (blocks.empty()) blocks.emplace_back();
    RipCdText& t = blocks.front();
    if (command == "TITLE") return &t.Title;
    if (command == "PERFORMER") return &t.Performer;
    if (command == "SONGWRITER") return &t.Songwriter;
    if (command == "COMPOSER") return &t.Composer;
    if (command == "ARRANGER") return &t.Arranger;
    if (command == "MESSAGE") return &t.Message;
    if (command == "DISC_ID") return &t.DiscId;
    if (command == "GENRE") return &t.Genre;
    return &t.UpcEan;
  }

  void Rem(LineCursor& cursor, int32_t line) {
    RipRem rem;
    rem.Line = line;
    rem.Key = std::string(cursor.Word());
    if (rem.Key.empty()) return;
    rem.Value = SingleValue(cursor, line);
    if (Track() == nullptr && Upper(rem.Key) == "GENRE") {
      if (Sheet_.CdTextContent.empty()) Sheet_.CdTextContent.emplace_back();
      if (Sheet_.CdTextContent.front().Genre.empty())
        Sheet_.CdTextContent.front().Genre = rem.Value;
    }
    (Track() != nullptr ? Track()->Rems : Sheet_.Rems).push_back(std::move(rem));
  }

  void File(LineCursor& cursor, int32_t line) {
    RipFile file;
    file.Line = line;
    bool quoted = false;
    LineCursor probe = cursor;
    probe.Value(quoted);
    if (quoted) {
      file.Name = cursor.Value(quoted);
      file.TypeText = Upper(cursor.Word());
      if (!cursor.AtEnd()) Warn(line, "The text after the file type is ignored.");
    } else {
      // A bare name may hold blanks: it runs up to the last word, the type.
      std::string_view rest = cursor.Rest();
      size_t cut = rest.size();
      while (cut > 0 && !IsBlank(rest[cut - 1])) --cut;
      file.TypeText = Upper(rest.substr(cut));
      std::string_view name = rest.substr(0, cut);
      while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
      if (name.find('"') != std::string_view::npos) {
        Fail(line, "A quoted text is not closed on its line.");
      }
      file.Name = std::string(name);
    }
    if (file.Name.empty() || file.TypeText.empty()) {
      Fail(line, "FILE needs a file name and a type, as in FILE \"image.wav\" WAVE.");
    }
    file.Type = FileTypeOf(file.TypeText);
    if (file.Type == RipFileType::Other) {
      Warn(line, "The file type \"" + file.TypeText.substr(0, 40) + "\" is not known.");
    }
    file.Path = PathFromFolder(Sheet_.Folder, file.Name);
    WarnUnusedFile();
    Sheet_.Files.push_back(std::move(file));
    LastPosition_ = -1;
    FileUsed_ = false;
  }

  void WarnUnusedFile() {
    if (!Sheet_.Files.empty() && !FileUsed_) {
      const RipFile& f = Sheet_.Files.back();
      Warn(f.Line, "No INDEX lies in the file \"" + f.Name + "\".");
      FileUsed_ = true;
    }
  }

  void NewTrack(LineCursor& cursor, int32_t line) {
    if (Sheet_.Files.empty()) Fail(line, "TRACK comes before any FILE.");
    CloseTrack();
    const std::string_view number = cursor.Word();
    const std::string mode = Upper(cursor.Word());
    if (number.empty() || mode.empty()) {
      Fail(line, "TRACK needs a number and a mode, as in TRACK 01 AUDIO.");
    }
    if (!AllDigits(number) || number.size() > 3 || std::stoi(std::string(number)) < 1 ||
        std::stoi(std::string(number)) > 99) {
      Fail(line, "The track number \"" + std::string(number.substr(0, 40)) +
                     "\" is not a number from 1 to 99.");
    }
    const int32_t n = std::stoi(std::string(number));
    if (Track() != nullptr && n <= Track()->Number) {
      Fail(line, "Track " + TwoDigits(n) + " does not follow track " + TwoDigits(Track()->Number) +
                     ": track numbers must increase.");
    }
    if (Track() != nullptr && n != Track()->Number + 1) {
      Warn(line, "Track " + TwoDigits(n) + " follows track " + TwoDigits(Track()->Number) +
                     "; the numbers in between are missing.");
    }
    const ModeInfo* info = std::find_if(std::begin(kModes), std::end(kModes),
                                        [&](const ModeInfo& m) { return mode == m.Name; });
    if (info == std::end(kModes)) {
      Fail(line, "The track mode \"" + mode.substr(0, 40) + "\" is not known.");
    }
    if (!cursor.AtEnd()) Warn(line, "The text after the track mode is ignored.");
    RipTrack track;
    track.Number = n;
    track.Line = line;
    track.Mode = info->Name;
    track.Audio = info->Audio;
    track.BlockSize = info->BlockSize;
    Sheet_.Tracks.push_back(std::move(track));
    PreGapLine_ = PostGapLine_ = 0;
  }

  void CloseTrack() {
    const RipTrack* track = Track();
    if (track != nullptr && track->FindIndex(1) == nullptr) {
      Fail(track->Line, "Track " + TwoDigits(track->Number) + " has no INDEX 01.");
    }
  }

  void Index(LineCursor& cursor, int32_t line) {
    RipTrack& track = NeedTrack("INDEX", line);
    const std::string_view number = cursor.Word();
    const std::string_view time = cursor.Word();
    if (number.empty() || time.empty()) {
      Fail(line, "INDEX needs a number and a time, as in INDEX 01 00:00:00.");
    }
    if (!AllDigits(number) || number.size() > 3 || std::stoi(std::string(number)) > 99) {
      Fail(line, "The index number \"" + std::string(number.substr(0, 40)) +
                     "\" is not a number from 0 to 99.");
    }
    const int32_t n = std::stoi(std::string(number));
    const int64_t position = ParseCueTime(time, line);
    if (!cursor.AtEnd()) Warn(line, "The text after the index time is ignored.");
    const std::string name = "INDEX " + TwoDigits(n);
    const std::string inTrack = " in track " + TwoDigits(track.Number);
    if (PostGapLine_ != 0) {
      Fail(line, name + " follows POSTGAP" + inTrack + "; POSTGAP must come last.");
    }
    if (track.Indices.empty()) {
      if (n > 1) {
        Fail(line, "Track " + TwoDigits(track.Number) + " begins with " + name +
                       "; its first index must be INDEX 00 or INDEX 01.");
      }
    } else {
      const int32_t previous = track.Indices.back().Number;
      if (n == 0) Fail(line, "INDEX 00 must come before INDEX 01" + inTrack + ".");
      if (n != previous + 1) {
        Fail(line, name + " follows INDEX " + TwoDigits(previous) + inTrack +
                       "; index numbers must go up by one.");
      }
    }
    if (position < LastPosition_) {
      Fail(line, name + " at " + ShowTime(position) +
                     " lies before the previous index of this file (" + ShowTime(LastPosition_) +
                     ").");
    }
    LastPosition_ = position;
    FileUsed_ = true;
    track.Indices.push_back({n, static_cast<int32_t>(Sheet_.Files.size() - 1), position, line});
  }

  void PreGap(LineCursor& cursor, int32_t line) {
    RipTrack& track = NeedTrack("PREGAP", line);
    const std::string inTrack = " in track " + TwoDigits(track.Number);
    if (PreGapLine_ != 0) Fail(line, "PREGAP is given twice" + inTrack + ".");
    if (!track.Indices.empty()) {
      Fail(line, "PREGAP must come before the first INDEX" + inTrack + ".");
    }
    track.PreGapSilence = ParseCueTime(NeedWord(cursor, "PREGAP", line), line);
    PreGapLine_ = line;
  }

  void PostGap(LineCursor& cursor, int32_t line) {
    RipTrack& track = NeedTrack("POSTGAP", line);
    if (PostGapLine_ != 0) {
      Fail(line, "POSTGAP is given twice in track " + TwoDigits(track.Number) + ".");
    }
    track.PostGapSilence = ParseCueTime(NeedWord(cursor, "POSTGAP", line), line);
    PostGapLine_ = line;
  }

  std::string_view NeedWord(LineCursor& cursor, const std::string& command, int32_t line) {
    const std::string_view word = cursor.Word();
    if (word.empty()) Fail(line, command + " needs a time mm:ss:ff.");
    if (!cursor.AtEnd()) Warn(line, "The text after the time is ignored.");
    return word;
  }

  void Flags(LineCursor& cursor, int32_t line) {
    RipTrack& track = NeedTrack("FLAGS", line);
    track.Dcp = track.Pre = track.FourChannel = track.Scms = false;
    for (std::string_view word = cursor.Word(); !word.empty(); word = cursor.Word()) {
      const std::string flag = Upper(word);
      if (flag == "DCP") {
        track.Dcp = true;
      } else if (flag == "PRE") {
        track.Pre = true;
      } else if (flag == "4CH") {
        track.FourChannel = true;
      } else if (flag == "SCMS") {
        track.Scms = true;
      } else if (flag != "DATA") {  // DATA repeats what the mode says
        Warn(line, "The unknown flag \"" + flag.substr(0, 40) + "\" is ignored.");
      }
    }
  }

  void Isrc(LineCursor& cursor, int32_t line) {
    RipTrack& track = NeedTrack("ISRC", line);
    const std::string code = IsrcInCapitals(SingleValue(cursor, line));
    if (IsIsrc(code)) {
      track.Isrc = code;
    } else {
      Warn(line, "The ISRC \"" + code.substr(0, 40) +
                     "\" is not 12 letters and digits "
                     "(CCOOOYYNNNNN); it is ignored.");
    }
  }

  void Catalog(LineCursor& cursor, int32_t line) {
    const std::string code = SingleValue(cursor, line);
    if (code.size() == 13 && AllDigits(code)) {
      Sheet_.Catalog = code;
    } else {
      Warn(line,
           "The catalog number \"" + code.substr(0, 40) + "\" is not 13 digits; it is ignored.");
    }
  }

  RipSheet Sheet_;
  int64_t LastPosition_ = -1;  // of the current file's last index
  bool FileUsed_ = true;       // whether an index lies in the current file
  int32_t PreGapLine_ = 0;     // of the current track
  int32_t PostGapLine_ = 0;
};

}  // namespace

RipResult ReadCueSheetText(std::string_view text, const std::string& folder) {
  RipResult result;
  SheetText decoded;
  if (!DecodeSheetText(text, decoded, result.Error)) return result;
  try {
    result.Sheet = CueReader(folder).Read(decoded);
    result.Sheet.Source = RipSource::CueSheet;
    if (decoded.FromUtf16) {
      result.Sheet.Warnings.insert(result.Sheet.Warnings.begin(),
                                   {0, "The sheet was converted from UTF-16."});
    }
    result.Ok = true;
  } catch (const CueFailure& failure) {
    result.Error = failure.Error;
  }
  return result;
}

RipResult ReadCueSheetFile(const std::string& path) {
  RipResult result;
  std::string raw;
  if (!ReadSheetBytes(path, raw, result.Error)) return result;
  return ReadCueSheetText(raw, FolderOf(path));
}

}  // namespace varnel
