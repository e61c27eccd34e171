#include "make/MakeRun.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/audio/AudioDecoder.h"
#include "formats/audio/DecodePool.h"
#include "formats/cdtext/CdrdaoTocText.h"
#include "formats/cdtext/TypedCdText.h"
#include "make/CueSheetWriter.h"
#include "make/DiscIdentity.h"
#include "make/MakeMessages.h"
#include "make/RunFiles.h"
#include "make/TocFileWriter.h"
#include "make/writers/TrackWriters.h"
#include "make/writers/WaveSegment.h"
#include "model/CdTime.h"
#include "model/PathNames.h"
#include "model/TextTrim.h"

namespace varnel {

namespace {

constexpr const char* kPointCastError = "Exporting Filure. Point cast error.";

bool DispatchTrack(MakeJob& job, const Track& track, int32_t number, bool first, TrackPlan& plan,
                   const std::string& produced, bool& known) {
  known = true;
  switch (track.FileMode) {
    case FileModeMp3:
      return WriteMp3Track(job, track, number, first, plan, produced);
    case FileModeCdg:
      return WriteCdgTrack(job, track, number, first, plan, produced);
    case FileModeWave:
      switch (track.PreGapStyle()) {
        case PreGapNormal:
          return WriteSilentPreGapTrack(job, track, number, first, plan, produced);
        case PreGapFile:
          return WriteHiddenFileTrack(job, track, number, first, plan, produced);
        case PreGapIndex:
          return WritePreGapIndexTrack(job, track, number, first, plan, produced);
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
  const std::string name = FileNamePart(cuePath);
  return name.substr(0, name.size() - ExtensionOf(name).size());
}

std::string CueSheetPath(const MakeJob& job) {
  return job.CuePath;
}

std::string TocSheetPath(const MakeJob& job) {
  return TocFilePath(job.CuePath);
}

bool Always(const MakeJob&) {
  return true;
}

bool TocWanted(const MakeJob& job) {
  return job.Settings.CdrdaoToc;
}

std::string CueSheetText(const DiscPlan& plan) {
  std::string text;
  for (const std::string& line : CueSheetLines(plan)) text += line + "\r\n";
  return text;
}

// The text files a run saves once every track has succeeded, one line each: whether the
// run writes it, where it goes, the message that fails the run when it cannot be saved,
// and its text.
struct SheetOutput {
  bool (*Wanted)(const MakeJob& job);
  std::string (*Path)(const MakeJob& job);
  std::string (*FailMessage)(const std::string& path);
  std::string (*Text)(const DiscPlan& plan);
};
constexpr SheetOutput kSheetFiles[] = {
    {Always, CueSheetPath, CueCouldNotCreateMessage, CueSheetText},
    {TocWanted, TocSheetPath, CueCouldNotCreateMessage, TocFileText},
};

// The CD-Text file a TOC carries: read, and tried on the TOC's tracks, before anything is
// written. A file that is not valid CD-Text, or that cdrdao cannot write, fails the run.
void ReadTocCdText(DiscPlan& plan, int32_t tocTracks) {
  if (plan.CdtFile.empty()) return;
  CdText text;
  std::string reason;
  if (!ReadCdTextFile(plan.CdtFile, text, reason)) {
    throw TrackFailure(CdTextFileMessage(plan.CdtFile), reason);
  }
  TocCdText blocks;
  if (tocTracks > 0 && !FormatTocCdText(text, tocTracks, blocks, reason)) {
    throw TrackFailure(CdTextFileMessage(plan.CdtFile), reason);
  }
  plan.CdTextContent = std::move(text);
}

// Typed CD-Text: the block of the disc's text and each track's (a data track's empty), tried
// on the packs before anything is written; the file it makes, as the sheet names it; and
// the disc's texts for the sheet's lines.
void PlanTypedCdText(const MakeJob& job, DiscPlan& plan, std::vector<uint8_t>& packs) {
  const DiscLayout& layout = job.Layout;
  std::vector<CdTextFields> tracks;
  if (layout.NamesDataTrack()) tracks.emplace_back();
  for (int32_t i = 0; i < layout.Count(); ++i) tracks.push_back(layout.At(i).CdText);
  CdText text = TypedCdTextBlock(layout.CdText, tracks);
  std::string reason;
  if (!EncodeCdText(text, CdTextFraming::Packs, packs, reason)) {
    throw TrackFailure(TypedCdTextMessage(reason));
  }
  plan.TypedCdText = true;
  plan.CdtFile = TypedCdtFileName(job.Settings.WorkDir, job.CuePath);
  plan.SheetCdtFile = CueFilePath(plan.CdtFile, job.CuePath, job.Settings.Relative);
  if (plan.SheetCdtFile.find_first_of("\"\r\n") != std::string::npos) {
    throw TrackFailure(UnquotablePathMessage(plan.CdtFile));
  }
  for (int f = 0; f < kCdTextFieldCount; ++f) {
    plan.SheetText.Texts[static_cast<size_t>(f)] =
        Utf8ToLatin1(layout.CdText.Fields.Texts[static_cast<size_t>(f)]);
  }
  plan.CdTextContent = std::move(text);
}

// A sheet saved at a symbolic link replaces the file the link names.
std::string LinkTarget(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? ResolvedName(path) : path;
}

// Every file the run or its layout reads, and every file the sheet names that the run does
// not make (in a Test run, the produced names too: the sheet never names itself).
void AddInputs(RunFiles& files, const MakeJob& job) {
  files.AddInput(job.LayoutPath);
  for (const std::string& path : job.Layout.FilesRead()) files.AddInput(path);
  for (const std::string& named : job.NamedFiles) {
    bool made = false;
    for (const MadeFile& file : job.MadeFiles) made = made || file.Path == named;
    if (!made) files.AddInput(named);
  }
}

enum class RunEnd { Succeeded, Failed, Cancelled };

RunEnd Fail(MakeJob& job, const TrackFailure& failure) {
  job.ResultMessage = failure.what();
  job.ResultDetail = failure.Detail();
  return RunEnd::Failed;
}

// Plans the whole disc: its header, the data track and every track, scanning the sources;
// in a Make run the made files are described in job.MadeFiles, and the packs of typed
// CD-Text in `cdtPacks`. Nothing is written.
RunEnd Plan(MakeJob& job, DiscPlan& plan, std::vector<uint8_t>& cdtPacks) {
  const DiscLayout& layout = job.Layout;
  const bool dataTrack = layout.NamesDataTrack();
  const int32_t count = layout.Count();
  const int32_t discTracks = count + (dataTrack ? 1 : 0);
  if (discTracks == 0) return Fail(job, TrackFailure(NoTrackMessage()));
  if (discTracks > kMaxTracks) return Fail(job, TrackFailure(TooManyTracksMessage(discTracks)));
  if (job.Progress) job.Progress->RunStarted(dataTrack ? count : count - 1);
  const std::string stem = CueStem(job.CuePath);
  if (stem.empty() || stem == "." || stem == "..") {
    return Fail(job, TrackFailure(CueNameMessage(job.CuePath)));
  }

  plan.Toc = job.Settings.CdrdaoToc;
  try {
    if (!Trim(layout.MediaCatalog).empty()) plan.Catalog = layout.MediaCatalog;
    plan.CdTextEnabled = layout.CdTextEnabled;
    if (layout.CdTextEnabled && layout.HasTypedCdText()) {
      PlanTypedCdText(job, plan, cdtPacks);
    } else if (layout.CdTextEnabled && !layout.CdtPath.empty()) {
      plan.CdtFile = layout.CdtPath;
      plan.SheetCdtFile = SheetPath(job, layout.CdtPath);
    }
    if (dataTrack) {
      DataTrackPlan& data = plan.DataTrack.emplace();
      data.File = layout.DataTrackFile;
      data.SheetFile = SheetPath(job, layout.DataTrackFile);
      // An index the image box does not offer (none chosen) is taken as MODE1/2048.
      const bool known = layout.ImageType >= 0 && layout.ImageType <= 3;
      data.ImageType = known ? layout.ImageType : 0;
      if (job.Progress) job.Progress->TrackStarted(2);
    }
    if (plan.Toc && !plan.TypedCdText) ReadTocCdText(plan, count + (dataTrack ? 1 : 0));
  } catch (const TrackFailure& failure) {
    return Fail(job, failure);
  }

  // Every track is planned first: its sources scanned, its plan made and, in a Make run,
  // the files it makes described. Nothing is written before all have succeeded.
  plan.Tracks.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const Track& track = layout.At(i);
    const int32_t number = i + (dataTrack ? 2 : 1);
    const std::string produced =
        ProducedFileName(job.Settings.WorkDir, job.CuePath, number, track.FileMode);
    bool known = true;
    TrackPlan& trackPlan = plan.Tracks.emplace_back();
    if (!DispatchTrack(job, track, number, number == 1, trackPlan, produced, known)) {
      if (!known) job.ResultMessage = kPointCastError;
      return RunEnd::Failed;
    }
    if (plan.TypedCdText) {
      for (int f = 0; f < kCdTextFieldCount; ++f) {
        trackPlan.SheetText.Texts[static_cast<size_t>(f)] =
            Utf8ToLatin1(track.CdText.Texts[static_cast<size_t>(f)]);
      }
    }
    if (job.State.load() == RunState::Cancelled) return RunEnd::Cancelled;
  }
  return RunEnd::Succeeded;
}

// The MusicBrainz ID of the planned disc, or nothing when it cannot be told.
std::string PlannedDiscId(const DiscPlan& plan) {
  try {
    return IdsOf(TocOf(LayOutPlan(plan))).MusicBrainz;
  } catch (const std::exception&) {
    return {};
  }
}

RunEnd Run(MakeJob& job) {
  DiscPlan plan;
  std::vector<uint8_t> cdtPacks;
  if (const RunEnd planned = Plan(job, plan, cdtPacks); planned != RunEnd::Succeeded) {
    return planned;
  }
  const bool dataTrack = job.Layout.NamesDataTrack();
  const int32_t count = job.Layout.Count();

  try {
    RunFiles files;
    AddInputs(files, job);
    for (const MadeFile& made : job.MadeFiles) {
      files.AddOutput(made.Path, CouldNotCreateMessage(made.Path, made.TrackNumber));
    }
    const size_t firstSheet = files.OutputCount();
    std::vector<const SheetOutput*> sheets;
    for (const SheetOutput& sheet : kSheetFiles) {
      if (!sheet.Wanted(job)) continue;
      const std::string path = sheet.Path(job);
      files.AddOutput(LinkTarget(path), sheet.FailMessage(path));
      sheets.push_back(&sheet);
    }
    const size_t cdtOutput = files.OutputCount();
    if (plan.TypedCdText) {
      files.AddOutput(plan.CdtFile, CueCouldNotCreateMessage(plan.CdtFile));
    }
    files.Guard();
    if (!job.MadeFiles.empty() || plan.TypedCdText) {
      const std::string folder = MadeFilesFolder(job.Settings.WorkDir, job.CuePath);
      files.LockFolder(folder, files.FailMessage(0), FolderInUseMessage(folder));
    }

    // Decoding an MP3 track takes long enough to be worth interrupting: the run polls
    // for Cancel between its blocks, and puts nothing in place after one. The MP3 tracks are
    // decoded on every core, ahead of the loop below, which writes the other files and
    // reports each track in order, and takes each decoded file when it reaches it.
    std::atomic<bool> stop{false};
    const auto poll = [&job, &stop] {
      if (job.State.load() == RunState::Cancelled || stop.load()) throw DecodeCanceled();
    };
    std::vector<size_t> decodedJob(job.MadeFiles.size(), SIZE_MAX);
    std::vector<PosixFile> decodedFiles;
    std::vector<char> canceledJob;
    for (size_t k = 0; k < job.MadeFiles.size(); ++k) {
      if (job.MadeFiles[k].Kind != MadeKind::DecodedWave) continue;
      decodedJob[k] = decodedFiles.size();
      decodedFiles.push_back(files.Open(k));
    }
    canceledJob.assign(decodedFiles.size(), 0);
    std::vector<DecodePool::Job> decodes;
    for (size_t k = 0; k < job.MadeFiles.size(); ++k) {
      if (decodedJob[k] == SIZE_MAX) continue;
      decodes.emplace_back([&, k] {
        const size_t j = decodedJob[k];
        files.Fill(k, decodedFiles[j], [&](PosixFile& out) {
          try {
            WriteMadeFile(job.MadeFiles[k], out, poll);
          } catch (const DecodeCanceled&) {
            canceledJob[j] = 1;
          }
        });
      });
    }
    DecodePool pool(std::move(decodes), job.DecodeWorkers);
    // Whatever ends the loop early stops the decodes still running before they are waited for.
    struct StopDecodes {
      std::atomic<bool>& Stop;
      ~StopDecodes() { Stop = true; }
    } stopDecodes{stop};

    size_t next = 0;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t number = i + (dataTrack ? 2 : 1);
      for (; next < job.MadeFiles.size() && job.MadeFiles[next].TrackNumber == number; ++next) {
        if (decodedJob[next] != SIZE_MAX) {
          pool.Wait(decodedJob[next]);
          if (canceledJob[decodedJob[next]] != 0) return RunEnd::Cancelled;
          continue;
        }
        files.Write(next, [&](PosixFile& out) { WriteMadeFile(job.MadeFiles[next], out, poll); });
      }
      if (i + 1 < count && job.Progress) job.Progress->TrackStarted(number + 1);
      if (job.State.load() == RunState::Cancelled) return RunEnd::Cancelled;
    }

    if (job.Progress) job.Progress->WritingSheet();
    if (plan.TypedCdText) {
      files.Write(cdtOutput,
                  [&cdtPacks](PosixFile& out) { out.WriteAll(cdtPacks.data(), cdtPacks.size()); });
    }
    for (size_t k = 0; k < sheets.size(); ++k) {
      const std::string text = sheets[k]->Text(plan);
      files.Write(firstSheet + k,
                  [&text](PosixFile& out) { out.WriteAll(text.data(), text.size()); });
    }
    files.Commit();
    job.Replaced = files.TakeReplaced();
    job.DiscId = PlannedDiscId(plan);
  } catch (const TrackFailure& failure) {
    return Fail(job, failure);
  }
  return RunEnd::Succeeded;
}

}  // namespace

void RunMake(MakeJob& job) {
  RunEnd end = RunEnd::Failed;
  try {
    end = Run(job);
  } catch (const std::exception& error) {
    job.ResultMessage = CueCouldNotCreateMessage(job.CuePath);
    job.ResultDetail = error.what();
    end = RunEnd::Failed;
  } catch (...) {
    job.ResultMessage = CueCouldNotCreateMessage(job.CuePath);
    end = RunEnd::Failed;
  }
  job.MadeFiles.clear();  // closes the sources
  try {
    switch (end) {
      case RunEnd::Succeeded:
        job.State.store(RunState::Succeeded);
        if (job.Progress) job.Progress->RunEnded(RunState::Succeeded);
        break;
      case RunEnd::Failed:
        job.State.store(RunState::Failed);
        if (job.Progress) job.Progress->RunEnded(RunState::Failed);
        break;
      case RunEnd::Cancelled:
        if (job.Progress) job.Progress->RunEnded(RunState::Cancelled);
        break;
    }
  } catch (...) {
    // A receiver that throws cannot be told more; the state is already set.
  }
}

bool PlanDisc(MakeJob& job, DiscPlan& plan) {
  try {
    std::vector<uint8_t> cdtPacks;
    return Plan(job, plan, cdtPacks) == RunEnd::Succeeded;
  } catch (const std::exception& error) {
    job.ResultMessage = CueCouldNotCreateMessage(job.CuePath);
    job.ResultDetail = error.what();
  }
  return false;
}

std::string MadeFilesFolder(const std::string& workDir, const std::string& cuePath) {
  if (workDir.empty()) return PathFromFolder(FolderOrCurrent(cuePath), CueStem(cuePath));
  return workDir + "/" + CueStem(cuePath);
}

std::string ProducedFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode) {
  const char* ext = fileMode == FileModeMp3 ? ".mp3" : fileMode == FileModeCdg ? ".cdg" : ".wav";
  return MadeFilesFolder(workDir, cuePath) + "/Track" + TrackNumberText(trackNumber) + ext;
}

std::string TypedCdtFileName(const std::string& workDir, const std::string& cuePath) {
  return MadeFilesFolder(workDir, cuePath) + "/CdText.cdt";
}

std::string TocAudioFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode) {
  std::string name = ProducedFileName(workDir, cuePath, trackNumber, FileModeWave);
  if (fileMode == FileModeCdg) name.replace(name.size() - 4, 4, ".rw");
  return name;
}

}  // namespace varnel
