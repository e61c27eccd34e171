#include "LayoutFile.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "IniFile.h"
#include "InputChecks.h"
#include "StatusBar.h"
#include "TrackListOps.h"
#include "UnsavedChanges.h"

namespace varnel {

const char* const kLayoutFileFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";

namespace {

constexpr const char* kSoftName = "Varnel";
constexpr const char* kVersion = "2.03";

std::string TrackSection(int32_t index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Track%.2d", static_cast<int>(index));
  return buf;
}

const char* Bool(bool value) {
  return value ? "1" : "0";
}

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
  size_t e = s.size();
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The section a line opens, by the INI reader's rule: after leading blanks it begins with
// "[" and holds a "]"; the name lies between the "[" and the last "]", blanks trimmed.
std::optional<std::string_view> HeaderName(std::string_view line) {
  const std::string_view t = TrimBlanks(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const size_t close = t.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return TrimBlanks(t.substr(1, close - 1));
}

// The track index a section name stands for when it is exactly "Track" + the index with at
// least two digits (letter case disregarded), below `count`.
std::optional<int32_t> TrackIndexOf(std::string_view name, int32_t count) {
  if (name.size() < 7) return std::nullopt;
  static constexpr std::string_view kTrack = "track";
  for (size_t i = 0; i < kTrack.size(); ++i) {
    const char c = name[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kTrack[i]) {
      return std::nullopt;
    }
  }
  const std::string_view digits = name.substr(kTrack.size());
  if (digits.size() > 2 && digits.front() == '0') return std::nullopt;
  int64_t index = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + (c - '0');
    if (index >= count) return std::nullopt;
  }
  return static_cast<int32_t>(index);
}

// A value the file can hold and give back unchanged: one line, within the reader's limit.
bool Representable(const std::string& value) {
  return value.size() <= TIniFile::kMaxValueLength &&
         value.find_first_of("\r\n") == std::string::npos;
}

// The first value of the layout that the file could not give back unchanged, if any.
const std::string* UnrepresentableValue(const DiscLayout& layout) {
  for (const std::string* v : {&layout.MediaCatalog, &layout.CdtPath, &layout.DataTrackFile}) {
    if (!Representable(*v)) return v;
  }
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const TTrackInfo& t = layout.At(i);
    for (const std::string* v : {&t.TrackFileName, &t.PreGapFileName(), &t.ISRC}) {
      if (!Representable(*v)) return v;
    }
  }
  return nullptr;
}

// An existing file may be replaced when it is a regular file that is not read-only: it has
// a write permission bit and can be opened for writing.
bool IsOverwritable(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec || !fs::is_regular_file(st)) return false;
  const fs::perms writeBits =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((st.permissions() & writeBits) == fs::perms::none) return false;
  std::ofstream probe(path, std::ios::binary | std::ios::app);
  return static_cast<bool>(probe);
}

// The text after the quoted path when a track file of a loaded layout is refused.
std::string LoadRefusal(int32_t mode, int32_t result) {
  switch (mode) {
    case FileModeWave:
      return result == 0 ? " is not PCM, 44.1kHz, 16bit, Streo."
                         : " is not Riff-Wave file or doesnot exist.";
    case FileModeMp3:
      return result == 0 ? " is not 44.1kHz, Streo." : " is not MP3 file or doesnot exist.";
    default:
      return " is not CDG binary.";
  }
}

enum class TEntry { Added, Skipped, Stop };

// Builds the track of one section and appends it. Stop when the user answered No.
TEntry LoadTrackEntry(TAppContext& ctx, const TIniFile& ini, const std::string& sec) {
  const AppSettings& s = ctx.Settings;
  const std::string path = ini.ReadString(sec, "TrackFileNmae", "");
  if (path.empty()) return TEntry::Skipped;
  const int32_t mode = ini.ReadInteger(sec, "FileMode", FileModeWave);
  if (mode != FileModeWave && mode != FileModeMp3 && mode != FileModeCdg) return TEntry::Skipped;

  WaveDataInfo info;
  const int32_t result = CheckFileOfMode(mode, path, info);
  if (result != 1) {
    return ctx.Prompter.AskYesNo("\"" + path + "\"" + LoadRefusal(mode, result)) ? TEntry::Skipped
                                                                                 : TEntry::Stop;
  }

  auto track = std::make_unique<TTrackInfo>(path, mode, info);
  int32_t wholeFile = info.DataSize / 4;
  track->SetTrackPreGapPos(ini.ReadInteger(sec, "TrackPreGapPos", 0));
  track->SetTrackStartPos(ini.ReadInteger(sec, "TrackStartPos", 0));
  track->SetTrackEndPos(ini.ReadInteger(sec, "TrackEndPos", wholeFile));
  track->TrackPaddingHead = ini.ReadBool(sec, "TrackPaddingHead", s.TrackPaddingHead);
  track->TrackCutLeading = ini.ReadBool(sec, "TrackCutLeading", s.TrackCutLeading);
  track->TrackCutTrailing = ini.ReadBool(sec, "TrackCutTrailing", s.TrackCutTrailing);
  track->SetPreGapStyle(static_cast<uint8_t>(ini.ReadInteger(sec, "PreGapStyle", PreGapNormal)));

  std::string preGapFile = ini.ReadString(sec, "PreGapFileName", "");
  if (!preGapFile.empty()) {
    // From here on the summary is the pre-gap file's, whatever its check left in it.
    const int32_t preGapResult = CheckWaveFile(preGapFile, info);
    wholeFile = info.DataSize / 4;
    if (preGapResult != 1) {
      const std::string reason =
          preGapResult == 0 ? " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"
                            : " is not Riff-Wave file or doesnot exist. Do you want to continue?";
      if (!ctx.Prompter.AskYesNo("\"" + preGapFile + "\"" + reason)) return TEntry::Stop;
      preGapFile.clear();
    }
  }
  track->SetPreGapFile(preGapFile, info);
  track->SetPreGapStartPos(ini.ReadInteger(sec, "PreGapStartPos", 0));
  track->SetPreGapEndPos(ini.ReadInteger(sec, "PreGapEndPos", wholeFile));
  track->SetPreGapLength(
      static_cast<uint32_t>(ini.ReadInteger(sec, "PreGapLength", s.PreGapFrames)));
  track->PreGapPaddingHead = ini.ReadBool(sec, "PreGapPaddingHead", s.PreGapPaddingHead);
  track->PreGapCutLeading = ini.ReadBool(sec, "PreGapCutLeading", s.PreGapCutLeading);
  track->PreGapCutTrailing = ini.ReadBool(sec, "PreGapCutTrailing", s.PreGapCutTrailing);
  track->PreEmph = ini.ReadBool(sec, "PreEmph", s.PreEmph);
  track->Protect = ini.ReadBool(sec, "Protect", s.Protect);
  track->ISRC = ini.ReadString(sec, "ISRC", "");

  TTrackInfo& added = *track;
  ctx.Layout.Append(std::move(track));
  ctx.Layout.TotalBytes += added.GetTotalBytes();
  return TEntry::Added;
}

}  // namespace

std::map<int32_t, std::string> TrackSectionTexts(const std::string& text, int32_t count) {
  std::map<int32_t, std::string> sections;
  size_t open = std::string::npos;  // start of the track section being collected
  int32_t openIndex = 0;
  auto close = [&](size_t end) {
    if (open != std::string::npos) sections.emplace(openIndex, text.substr(open, end - open));
    open = std::string::npos;
  };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t next = text.find('\n', pos);
    next = next == std::string::npos ? text.size() : next + 1;
    std::string_view line(text.data() + pos, next - pos);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const auto name = HeaderName(line)) {
      close(pos);
      const auto index = TrackIndexOf(*name, count);
      // The first section of a name is the one that counts.
      if (index && sections.find(*index) == sections.end()) {
        open = pos;
        openIndex = *index;
      }
    }
    pos = next;
  }
  close(text.size());
  return sections;
}

const char* const kTrackSectionKeys[19] = {"TrackFileNmae",
                                           "FileMode",
                                           "TrackPreGapPos",
                                           "TrackStartPos",
                                           "TrackEndPos",
                                           "TrackPaddingHead",
                                           "TrackCutLeading",
                                           "TrackCutTrailing",
                                           "PreGapStyle",
                                           "PreGapFileName",
                                           "PreGapStartPos",
                                           "PreGapEndPos",
                                           "PreGapPaddingHead",
                                           "PreGapLength",
                                           "PreGapCutLeading",
                                           "PreGapCutTrailing",
                                           "PreEmph",
                                           "Protect",
                                           "ISRC"};

std::string LayoutFileText(const DiscLayout& layout) {
  std::string text;
  auto line = [&text](const std::string& s) {
    text += s;
    text += "\r\n";
  };
  line("[FileInfo]");
  line(std::string("SoftName=") + kSoftName);
  line(std::string("Version=") + kVersion);
  line("");
  line("[DiscInfo]");
  line("NumTracks=" + std::to_string(layout.Count()));
  line("MediaCatalog=" + CatalogFieldText(layout.MediaCatalog));
  line(std::string("CD-Text=") + Bool(layout.CdTextEnabled));
  line("CdtPath=" + layout.CdtPath);
  line("");
  line("[DataTrack]");
  line("TrackFileNmae=" + layout.DataTrackFile);
  line("ImageType=" + std::to_string(layout.ImageType));
  line("");
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const TTrackInfo& t = layout.At(i);
    line(std::string("[").append(TrackSection(i)).append("]"));
    line("TrackFileNmae=" + t.TrackFileName);
    line("FileMode=" + std::to_string(t.FileMode));
    line("TrackPreGapPos=" + std::to_string(t.TrackPreGapPos()));
    line("TrackStartPos=" + std::to_string(t.TrackStartPos()));
    line("TrackEndPos=" + std::to_string(t.TrackEndPos()));
    line(std::string("TrackPaddingHead=") + Bool(t.TrackPaddingHead));
    line(std::string("TrackCutLeading=") + Bool(t.TrackCutLeading));
    line(std::string("TrackCutTrailing=") + Bool(t.TrackCutTrailing));
    line("PreGapStyle=" + std::to_string(t.PreGapStyle()));
    line("PreGapFileName=" + t.PreGapFileName());
    line("PreGapStartPos=" + std::to_string(t.PreGapStartPos()));
    line("PreGapEndPos=" + std::to_string(t.PreGapEndPos()));
    line(std::string("PreGapPaddingHead=") + Bool(t.PreGapPaddingHead));
    line("PreGapLength=" + std::to_string(t.GetPreGapLength()));
    line(std::string("PreGapCutLeading=") + Bool(t.PreGapCutLeading));
    line(std::string("PreGapCutTrailing=") + Bool(t.PreGapCutTrailing));
    line(std::string("PreEmph=") + Bool(t.PreEmph));
    line(std::string("Protect=") + Bool(t.Protect));
    line("ISRC=" + t.ISRC);
    line("");
  }
  return text;
}

bool SaveLayoutFile(TAppContext& ctx, const std::string& path, TOverwrite overwrite) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (std::filesystem::exists(st) && !std::filesystem::is_directory(st)) {
    if (overwrite == TOverwrite::Ask &&
        !ctx.Prompter.ConfirmOkCancel("\"" + path + "\" already exists. Do you overwrite?")) {
      return false;
    }
    if (!IsOverwritable(path)) {
      ctx.Prompter.ShowMessage(TBoxKind::Error, "Cannot overwrite \"" + path + "\".");
      return false;
    }
  }
  if (const std::string* bad = UnrepresentableValue(ctx.Layout)) {
    ctx.Prompter.ShowMessage(TBoxKind::Error,
                             "Cannot save \"" + path + "\": \"" + *bad +
                                 "\" has a line break or more than 2047 characters.");
    return false;
  }
  std::string error;
  if (!WriteFileAtomically(path, LayoutFileText(ctx.Layout), &error)) {
    ctx.Prompter.ShowMessage(TBoxKind::Error, "Cannot create file \"" + path + "\". " + error);
    return false;
  }
  RememberSavedLayout(ctx, path);
  return true;
}

bool FileSaveExecute(TAppContext& ctx) {
  TFileDialogRequest request;
  request.Filter = kLayoutFileFilter;
  request.InitialDir = ctx.Settings.LayoutFileDir;
  request.FileName = FileNamePart(ctx.LayoutPath);
  request.DefaultExt = "txt";
  const std::optional<std::string> path = ctx.Prompter.SaveFile(request);
  if (!path) return false;
  ctx.Settings.LayoutFileDir = FolderOf(*path);
  return SaveLayoutFile(ctx, *path);
}

bool LoadLayoutFile(TAppContext& ctx, const std::string& path) {
  if (!ctx.IsIdle()) return false;
  // The file is read and recognised before the current layout is touched: a file that is
  // no layout (or cannot be read) leaves the layout as it was.
  std::optional<TIniFile> read;
  try {
    read.emplace(path);
  } catch (const std::exception&) {
    read.reset();
  }
  if (!read || read->ReadString("FileInfo", "SoftName", "") != kSoftName) {
    // A file that could not be read (missing, not a regular file, far too large) gives
    // the same box, with the reason as its detail.
    ctx.Prompter.Show({TBoxKind::Error, path + " is not a disc layout file generated by VNL.",
                       read ? read->LoadError() : std::string(), {}});
    return false;
  }
  const TIniFile& ini = *read;

  ClearTracks(ctx);
  SetDataTrackFile(ctx, "");
  ctx.CdTextCkEnabled = true;
  try {
    DiscLayout& layout = ctx.Layout;
    layout.MediaCatalog = CatalogFieldText(ini.ReadString("DiscInfo", "MediaCatalog", ""));
    layout.CdTextEnabled = ini.ReadBool("DiscInfo", "CD-Text", false);
    layout.CdtPath = ini.ReadString("DiscInfo", "CdtPath", "");
    SetDataTrackFile(ctx, ini.ReadString("DataTrack", "TrackFileNmae", ""));
    layout.ImageType = ini.ReadInteger("DataTrack", "ImageType", 0);
    const int32_t count = ini.ReadInteger("DiscInfo", "NumTracks", 0);
    for (const auto& [index, sectionText] : TrackSectionTexts(ini.Text(), count)) {
      TIniFile section;
      section.LoadText(sectionText);
      if (LoadTrackEntry(ctx, section, TrackSection(index)) == TEntry::Stop) break;
    }
  } catch (const std::exception&) {
    // An error while reading ends the loading quietly; what was appended stays.
  }
  if (ctx.RedrawTracks) ctx.RedrawTracks();
  RefreshStatusBar(ctx);
  RememberSavedLayout(ctx, path);
  return true;
}

void FileLoadExecute(TAppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  TFileDialogRequest request;
  request.Filter = kLayoutFileFilter;
  request.InitialDir = ctx.Settings.LayoutFileDir;
  request.DefaultExt = "txt";
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  ctx.Settings.LayoutFileDir = FolderOf(paths.front());
  LoadLayoutFile(ctx, paths.front());
}

}  // namespace varnel
