#include "CueSheet.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <vector>

#include "CdTime.h"
#include "RunFiles.h"
#include "TrackWriters.h"
#include "WaveSegment.h"

namespace varnel {

namespace {

constexpr const char* kPointCastError = "Exporting Filure. Point cast error.";

// Blanks and control characters removed from both ends.
std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

std::string TwoDigits(int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2lld", static_cast<long long>(value));
  return text;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return "/" + path;
  return cwd.string() + "/" + path;
}

// The components of an absolute path, with "", "." dropped and ".." applied.
std::vector<std::string> Components(const std::string& absolutePath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= absolutePath.size()) {
    size_t slash = absolutePath.find('/', start);
    if (slash == std::string::npos) slash = absolutePath.size();
    const std::string part = absolutePath.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  return parts;
}

bool DispatchTrack(TMakeJob& job, const TTrackInfo& track, int32_t number, bool first,
                   TCueLines& lines, const std::string& produced, bool& known) {
  known = true;
  switch (track.FileMode) {
    case FileModeMp3:
      return WriteMp3Track(job, track, number, first, lines, produced);
    case FileModeCdg:
      return WriteCdgTrack(job, track, number, first, lines, produced);
    case FileModeWave:
      switch (track.PreGapStyle()) {
        case PreGapNormal:
          return WriteSilentPreGapTrack(job, track, number, first, lines, produced);
        case PreGapFile:
          return WriteHiddenFileTrack(job, track, number, first, lines, produced);
        case PreGapIndex:
          return WritePreGapIndexTrack(job, track, number, first, lines, produced);
        default:
          break;
      }
      break;
    default:
      break;
  }
  known = false;
  return false;
}

// The name of the cue file without its folder and extension; it names the folder of the
// made files.
std::string CueStem(const std::string& cuePath) {
  const size_t slash = cuePath.rfind('/');
  std::string name = slash == std::string::npos ? cuePath : cuePath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string CueSheetPath(const TMakeJob& job) {
  return job.CuePath;
}

std::string CueSheetText(const TMakeJob&, const TCueLines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The text files a run saves once every track has succeeded, one line each: where it goes,
// the message that fails the run when it cannot be saved, and its text.
struct TSheetFile {
  std::string (*Path)(const TMakeJob& job);
  std::string (*FailMessage)(const std::string& path);
  std::string (*Text)(const TMakeJob& job, const TCueLines& lines);
};
constexpr TSheetFile kSheetFiles[] = {
    {CueSheetPath, CueCouldNotCreateMessage, CueSheetText},
};

// A sheet saved at a symbolic link replaces the file the link names.
std::string LinkTarget(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? ResolvedName(path) : path;
}

// Every file the run or its layout reads, and every file the sheet names that the run does
// not make (in a Test run, the produced names too: the sheet never names itself).
void AddInputs(TRunFiles& files, const TMakeJob& job) {
  const DiscLayout& layout = job.Layout;
  files.AddInput(job.LayoutPath);
  files.AddInput(layout.DataTrackFile);
  files.AddInput(layout.CdtPath);
  for (int32_t i = 0; i < layout.Count(); ++i) {
    files.AddInput(layout.At(i).TrackFileName);
    files.AddInput(layout.At(i).PreGapFileName());
  }
  for (const std::string& named : job.NamedFiles) {
    bool made = false;
    for (const TMadeFile& file : job.MadeFiles) made = made || file.Path == named;
    if (!made) files.AddInput(named);
  }
}

enum class TRunEnd { Succeeded, Failed, Cancelled };

TRunEnd Fail(TMakeJob& job, const TTrackFailure& failure) {
  job.ResultMessage = failure.what();
  job.ResultDetail = failure.Detail();
  return TRunEnd::Failed;
}

TRunEnd Run(TMakeJob& job) {
  const DiscLayout& layout = job.Layout;
  const bool dataTrack = !layout.DataTrackFile.empty();
  const int32_t count = layout.Count();
  job.Notify(ProgressStart, dataTrack ? count : count - 1);
  const std::string stem = CueStem(job.CuePath);
  if (stem.empty() || stem == "." || stem == "..") {
    return Fail(job, TTrackFailure(CueNameMessage(job.CuePath)));
  }

  TCueLines lines;
  lines.push_back("REM This file is generated by \"Varnel 2.03\"");
  lines.push_back("");
  try {
    if (!Trim(layout.MediaCatalog).empty()) lines.push_back("CATALOG " + layout.MediaCatalog);
    if (layout.CdTextEnabled && !layout.CdtPath.empty()) {
      lines.push_back("CDTEXTFILE \"" + SheetPath(job, layout.CdtPath) + "\"");
    }
    if (lines.size() > 2) lines.push_back("");
    if (dataTrack) {
      static const char* const kDataTrackLines[4] = {"TRACK 01 MODE1/2048", "TRACK 01 MODE1/2352",
                                                     "TRACK 01 MODE2/2336", "TRACK 01 MODE2/2352"};
      lines.push_back("FILE \"" + SheetPath(job, layout.DataTrackFile) + "\" BINARY");
      // An index the image box does not offer (none chosen) is written as MODE1/2048.
      const bool known = layout.ImageType >= 0 && layout.ImageType <= 3;
      lines.push_back(kDataTrackLines[known ? layout.ImageType : 0]);
      if (layout.CdTextEnabled) {
        lines.push_back("TITLE \"Data Track\"");
        lines.push_back("PERFORMER \"Data Track\"");
      }
      lines.push_back("INDEX 01 00:00:00");
      lines.push_back("POSTGAP 00:02:00");
      lines.push_back("");
      job.Notify(ProgressNextTrack, 2);
    }
  } catch (const TTrackFailure& failure) {
    return Fail(job, failure);
  }

  // Every track is planned first: its sources scanned, its block built and, in a Make run,
  // the file it makes described. Nothing is written before all have succeeded.
  for (int32_t i = 0; i < count; ++i) {
    const TTrackInfo& track = layout.At(i);
    const int32_t number = i + (dataTrack ? 2 : 1);
    const std::string produced =
        ProducedFileName(job.Settings.WorkDir, job.CuePath, number, track.FileMode);
    bool known = true;
    if (!DispatchTrack(job, track, number, number == 1, lines, produced, known)) {
      if (!known) job.ResultMessage = kPointCastError;
      return TRunEnd::Failed;
    }
    if (i + 1 < count) lines.push_back("");
    if (job.State.load() == RunCancelled) return TRunEnd::Cancelled;
  }

  try {
    TRunFiles files;
    AddInputs(files, job);
    for (const TMadeFile& made : job.MadeFiles) {
      files.AddOutput(made.Path, CouldNotCreateMessage(made.Path, made.TrackNumber));
    }
    const size_t firstSheet = files.OutputCount();
    for (const TSheetFile& sheet : kSheetFiles) {
      const std::string path = sheet.Path(job);
      files.AddOutput(LinkTarget(path), sheet.FailMessage(path));
    }
    files.Guard();
    if (!job.MadeFiles.empty()) {
      const std::string folder = job.Settings.WorkDir + "/" + stem;
      files.LockFolder(folder, files.FailMessage(0), FolderInUseMessage(folder));
    }

    size_t next = 0;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t number = i + (dataTrack ? 2 : 1);
      for (; next < job.MadeFiles.size() && job.MadeFiles[next].TrackNumber == number; ++next) {
        const TMadeFile& made = job.MadeFiles[next];
        files.Write(next, [&made](TFile& out) { WriteMadeFile(made, out); });
      }
      if (i + 1 < count) job.Notify(ProgressNextTrack, number + 1);
      if (job.State.load() == RunCancelled) return TRunEnd::Cancelled;
    }

    job.Notify(ProgressCueSheet, 0);
    for (size_t k = 0; k < std::size(kSheetFiles); ++k) {
      const std::string text = kSheetFiles[k].Text(job, lines);
      files.Write(
          firstSheet + k, [&text](TFile& out) { out.WriteAll(text.data(), text.size()); }, true);
    }
    files.Commit();
  } catch (const TTrackFailure& failure) {
    return Fail(job, failure);
  }
  return TRunEnd::Succeeded;
}

}  // namespace

void ExportCueSheet(TMakeJob& job) {
  TRunEnd end = TRunEnd::Failed;
  try {
    end = Run(job);
  } catch (const std::exception& error) {
    job.ResultMessage = CueCouldNotCreateMessage(job.CuePath);
    job.ResultDetail = error.what();
    end = TRunEnd::Failed;
  } catch (...) {
    job.ResultMessage = CueCouldNotCreateMessage(job.CuePath);
    end = TRunEnd::Failed;
  }
  job.MadeFiles.clear();  // closes the sources
  try {
    switch (end) {
      case TRunEnd::Succeeded:
        job.State.store(RunSucceeded);
        job.Notify(ProgressSucceeded, 0);
        break;
      case TRunEnd::Failed:
        job.State.store(RunFailed);
        job.Notify(ProgressAborted, 0);
        break;
      case TRunEnd::Cancelled:
        job.Notify(ProgressAborted, 0);
        break;
    }
  } catch (...) {
    // A receiver that throws cannot be told more; the state is already set.
  }
}

std::string CueFilePath(const std::string& path, const std::string& cuePath, bool relative) {
  if (!relative) return path;
  std::vector<std::string> target = Components(Absolute(path));
  std::vector<std::string> cueFolder = Components(Absolute(cuePath));
  if (target.empty()) return path;
  const std::string name = target.back();
  target.pop_back();
  if (!cueFolder.empty()) cueFolder.pop_back();
  size_t shared = 0;
  while (shared < target.size() && shared < cueFolder.size() &&
         target[shared] == cueFolder[shared]) {
    ++shared;
  }
  std::string result;
  for (size_t i = shared; i < cueFolder.size(); ++i) result += "../";
  for (size_t i = shared; i < target.size(); ++i) result += target[i] + "/";
  return result + name;
}

std::string ProducedFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode) {
  const std::string name = CueStem(cuePath);
  const char* ext = fileMode == FileModeMp3 ? ".mp3" : fileMode == FileModeCdg ? ".cdg" : ".wav";
  return workDir + "/" + name + "/Track" + TwoDigits(trackNumber) + ext;
}

std::string CueTime(int64_t frames) {
  return FormatMsf(FramesToMsf(frames < 0 ? 0 : frames));
}

std::string SheetPath(TMakeJob& job, const std::string& path) {
  std::string shown = CueFilePath(path, job.CuePath, job.Settings.Relative);
  if (shown.find_first_of("\"\r\n") != std::string::npos) {
    throw TTrackFailure(UnquotablePathMessage(path));
  }
  job.NamedFiles.push_back(path);
  return shown;
}

void AppendTrackHead(TCueLines& lines, const std::string& sheetPath, const char* fileType,
                     const char* trackType, int32_t trackNumber, const TTrackInfo& track) {
  lines.push_back("FILE \"" + sheetPath + "\" " + fileType);
  lines.push_back("TRACK " + TwoDigits(trackNumber) + " " + trackType);
  if (!track.Protect || track.PreEmph) {
    std::string flags = "FLAGS";
    if (!track.Protect) flags += " DCP";
    if (track.PreEmph) flags += " PRE";
    lines.push_back(flags);
  }
  if (!Trim(track.ISRC).empty()) lines.push_back("ISRC " + track.ISRC);
}

std::string SilentPreGapLine(const TTrackInfo& track, bool firstDiscTrack) {
  if (firstDiscTrack) return "PREGAP " + CueTime(int64_t{track.GetPreGapLength()} - 150);
  return "PREGAP " + FormatMsf(track.PreGapMin, track.PreGapSec, track.PreGapFrame);
}

}  // namespace varnel
