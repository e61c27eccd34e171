#include "app/commands/LayoutFile.h"

#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "app/commands/DecodeAhead.h"
#include "app/commands/InputCheck.h"
#include "app/commands/TrackListCommands.h"
#include "app/commands/UnsavedChanges.h"
#include "app/views/StatusBar.h"
#include "formats/audio/InputChecks.h"
#include "make/CommitJournal.h"
#include "model/AtomicFile.h"
#include "model/PathNames.h"
#include "persist/IniFile.h"

namespace varnel {

const char* const kLayoutFileFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";

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

namespace {

// A value the file can hold and give back unchanged: one line, within the reader's limit.
bool Representable(const std::string& value) {
  return value.size() <= IniFile::kMaxValueLength &&
         value.find_first_of("\r\n") == std::string::npos;
}

// The first value of the layout that the file could not give back unchanged, if any.
const std::string* UnrepresentableValue(const DiscLayout& layout) {
  for (const std::string* v : {&layout.MediaCatalog, &layout.CdtPath, &layout.DataTrackFile}) {
    if (!Representable(*v)) return v;
  }
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const Track& t = layout.At(i);
    for (const std::string* v : {&t.TrackFileName, &t.PreGapFileName(), &t.ISRC}) {
      if (!Representable(*v)) return v;
    }
  }
  return nullptr;
}

// The sample frames of a summary's data, as a position holds them (the checks keep it
// within 32 bits).
int32_t WholeFile(const WaveDataInfo& info) {
  return static_cast<int32_t>(info.DataSize / 4);
}

enum class Entry { Added, Skipped, Stop };

// Builds the track of one section and appends it. Stop when the user answered No; a
// section the loader cannot use is skipped with why in `leftOut`.
Entry LoadTrackEntry(AppContext& ctx, const IniFile& ini, const std::string& sec,
                     std::vector<std::string>& leftOut) {
  TrackDefaults defaults{ctx.Settings};
  const std::string path = ReadTrackKey(ini, sec, kTrackFileKey, defaults).Text;
  if (path.empty()) {
    leftOut.push_back(sec + ": it names no track file");
    return Entry::Skipped;
  }
  int32_t mode = ReadTrackKey(ini, sec, kFileModeKey, defaults).Number;
  if (mode != FileModeWave && mode != FileModeMp3 && mode != FileModeCdg) {
    leftOut.push_back(sec + ": FileMode=" + std::to_string(mode) +
                      " is no kind of track this program knows");
    return Entry::Skipped;
  }

  WaveDataInfo info;
  std::string audioFile;
  if ((mode == FileModeWave && IsDecodedSourcePath(path)) ||
      (mode != FileModeCdg && IsConvertedSource(ctx, path))) {
    // A converted wave or MP3 file is a wave track, as it was when it was added.
    mode = FileModeWave;
    // Decoded again only when the cache holds no copy of the file as it is now.
    const DecodedCheck check = DecodeSourceFile(ctx, path, info);
    if (check.Result == 0) return Entry::Stop;
    if (check.Result != 1) {
      return ctx.Prompter.AskYesNo("\"" + path + "\"" + check.Reason) ? Entry::Skipped
                                                                      : Entry::Stop;
    }
    audioFile = check.AudioFile;
  } else {
    const int32_t result = CheckFileOfMode(mode, path, info);
    if (result != 1) {
      return ctx.Prompter.AskYesNo("\"" + path + "\"" + LoadRefusal(mode, result)) ? Entry::Skipped
                                                                                   : Entry::Stop;
    }
  }
  auto track = std::make_unique<Track>(path, mode, info);
  track->TrackAudioFile = audioFile;
  defaults.TrackWholeFile = defaults.PreGapWholeFile = WholeFile(info);

  std::string preGapFile = ReadTrackKey(ini, sec, kPreGapFileKey, defaults).Text;
  std::string preGapAudioFile;
  if (!preGapFile.empty() && IsDecodedSourcePath(preGapFile)) {
    info = WaveDataInfo{};
    const DecodedCheck check = DecodeSourceFile(ctx, preGapFile, info);
    defaults.PreGapWholeFile = WholeFile(info);
    if (check.Result == 0) return Entry::Stop;
    if (check.Result != 1) {
      if (!ctx.Prompter.AskYesNo(DecodeRefusalQuestion(preGapFile, check))) return Entry::Stop;
      preGapFile.clear();
    }
    preGapAudioFile = check.AudioFile;
  } else if (!preGapFile.empty()) {
    // From here on the summary is the pre-gap file's, whatever its check left in it.
    const int32_t preGapResult = CheckWaveFile(preGapFile, info);
    defaults.PreGapWholeFile = WholeFile(info);
    if (preGapResult != 1) {
      const std::string reason =
          preGapResult == 0 ? " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"
                            : " is not Riff-Wave file or doesnot exist. Do you want to continue?";
      if (!ctx.Prompter.AskYesNo("\"" + preGapFile + "\"" + reason)) return Entry::Stop;
      preGapFile.clear();
    }
  }
  ApplyTrackSection(*track, ini, sec, defaults, preGapFile, info, preGapAudioFile);

  Track& added = *track;
  ctx.Layout.Append(std::move(track));
  ctx.Layout.TotalBytes += added.GetTotalBytes();
  return Entry::Added;
}

// The sections [0, count) that are not among the sorted `found`, as "TrackNN" or
// "TrackNN to TrackMM" runs.
std::vector<std::string> MissingSections(const std::vector<int32_t>& found, int32_t count) {
  std::vector<std::string> missing;
  int32_t next = 0;
  auto gap = [&](int32_t end) {
    if (next < end) {
      missing.push_back(next + 1 == end
                            ? TrackSectionName(next)
                            : TrackSectionName(next) + " to " + TrackSectionName(end - 1));
    }
  };
  for (const int32_t index : found) {
    gap(index);
    next = index + 1;
  }
  gap(count);
  return missing;
}

}  // namespace

std::vector<std::string> FilesSavedFrom(const AppContext& ctx) {
  std::vector<std::string> files = ctx.Layout.FilesRead();
  if (!ctx.SourceSheet.empty()) files.push_back(ctx.SourceSheet);
  return files;
}

bool SaveLayoutFile(AppContext& ctx, const std::string& path, Overwrite overwrite) {
  if (!MayWriteBeside(ctx.Prompter, path, FilesSavedFrom(ctx))) return false;
  if (!MayWriteOver(ctx.Prompter, path, overwrite)) return false;
  if (const std::string* bad = UnrepresentableValue(ctx.Layout)) {
    ctx.Prompter.ShowMessage(BoxKind::Error,
                             "Cannot save \"" + path + "\": \"" + *bad +
                                 "\" has a line break or more than 2047 characters.");
    return false;
  }
  std::string error;
  if (!WriteFileAtomically(path, LayoutFileText(ctx.Layout), &error)) {
    ctx.Prompter.ShowMessage(BoxKind::Error, "Cannot create file \"" + path + "\". " + error);
    return false;
  }
  RememberSavedLayout(ctx, path);
  return true;
}

bool SaveLayoutAs(AppContext& ctx) {
  FileDialogRequest request;
  request.Filter = kLayoutFileFilter;
  request.InitialDir = ctx.Settings.LayoutFileDir;
  request.FileName = FileNamePart(ctx.LayoutPath);
  request.DefaultExt = "txt";
  const std::optional<std::string> path = ctx.Prompter.SaveFile(request);
  if (!path) return false;
  ctx.Settings.LayoutFileDir = FolderOf(*path);
  return SaveLayoutFile(ctx, *path);
}

bool LoadLayoutFile(AppContext& ctx, const std::string& path) {
  if (!ctx.IsIdle()) return false;
  // Made files that a killed run left half committed are made whole before anything reads
  // them: in the work folder, or, while made files go beside the cue sheet, beside the
  // layout, where the sheet usually is.
  RecoverInterruptedCommits(ctx.Settings.WorkDir.empty() ? FolderOrCurrent(AbsolutePath(path))
                                                         : ctx.Settings.WorkDir);
  // The file is read and recognised before the current layout is touched: a file that is
  // no layout (or cannot be read) leaves the layout as it was.
  std::optional<IniFile> read;
  try {
    read.emplace(path);
  } catch (const std::exception&) {
    read.reset();
  }
  if (!read || ReadLayoutHead(*read).SoftName != kLayoutSoftName) {
    // A file that could not be read (missing, not a regular file, far too large) gives
    // the same box, with the reason as its detail.
    ctx.Prompter.Show({BoxKind::Error,
                       path + " is not a disc layout file generated by VNL.",
                       read ? read->LoadError() : std::string(),
                       {}});
    return false;
  }
  const IniFile& ini = *read;

  ClearTracks(ctx);
  SetDataTrackFile(ctx, "");
  ctx.CanEnableCdText = true;
  ctx.SourceSheet.clear();
  std::vector<std::string> leftOut;  // what the file declares and the loader cannot use
  try {
    const LayoutHead head = ReadLayoutHead(ini);
    DiscLayout& layout = ctx.Layout;
    layout.MediaCatalog = head.MediaCatalog;
    layout.CdTextEnabled = head.CdTextEnabled;
    layout.CdtPath = head.CdtPath;
    layout.CdText = head.CdText;
    SetDataTrackFile(ctx, head.DataTrackFile);
    layout.ImageType = head.ImageType;
    layout.LeadingSilence = head.LeadingSilence;
    layout.Original = head.Original;
    const std::vector<int32_t> sections = TrackSectionIndexes(ini, head.NumTracks);
    for (const std::string& run : MissingSections(sections, head.NumTracks)) {
      leftOut.push_back(
          run + ": not in the file, which declares NumTracks=" + std::to_string(head.NumTracks));
    }
    // Every file the layout names that must be decoded is decoded first, all at once.
    std::vector<std::string> sources;
    const TrackDefaults defaults{ctx.Settings};
    for (const int32_t index : sections) {
      const std::string sec = TrackSectionName(index);
      sources.push_back(ReadTrackKey(ini, sec, kTrackFileKey, defaults).Text);
      std::string preGap = ReadTrackKey(ini, sec, kPreGapFileKey, defaults).Text;
      if (IsDecodedSourcePath(preGap)) sources.push_back(std::move(preGap));
    }
    const DecodeAhead ahead(ctx, sources);
    for (const int32_t index : sections) {
      if (LoadTrackEntry(ctx, ini, TrackSectionName(index), leftOut) == Entry::Stop) break;
    }
  } catch (const std::exception&) {
    // An error while reading ends the loading quietly; what was appended stays.
  }
  if (!leftOut.empty()) {
    std::string text = "\"" + path + "\" was loaded without these tracks:";
    for (const std::string& line : leftOut) text += "\n" + line;
    ctx.Prompter.ShowMessage(BoxKind::LeftOut, text);
  }
  if (ctx.RedrawTracks) ctx.RedrawTracks();
  RefreshStatusBar(ctx);
  RememberSavedLayout(ctx, path);
  ctx.History.Reset(ctx.Layout);
  return true;
}

void OpenLayout(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  FileDialogRequest request;
  request.Filter = kLayoutFileFilter;
  request.InitialDir = ctx.Settings.LayoutFileDir;
  request.DefaultExt = "txt";
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  ctx.Settings.LayoutFileDir = FolderOf(paths.front());
  LoadLayoutFile(ctx, paths.front());
}

}  // namespace varnel
