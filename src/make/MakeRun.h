// A making run: it plans the disc (disc header, optional data track, one track plan per
// audio track made by the per-track writers), renders the plan as a cue sheet
// (make/CueSheetWriter.h) and, when "CdrdaoToc" is on, as a TOC file for cdrdao beside it,
// makes the CD-Text file of typed text (named by the sheet's CDTEXTFILE, carried by the TOC),
// reports progress and polls for cancellation between tracks. A run is all or nothing:
// every track is planned first; no file is written unless no output of the run is a file it
// or its layout reads; the made files, the sheet and the TOC are written under temporary
// names and put in place together once every one has succeeded, so a failed, cancelled or
// killed run leaves the earlier made files, sheet and TOC exactly as they were. One run at a
// time per folder of made files.
#pragma once

#include <cstdint>
#include <string>

#include "make/DiscPlan.h"
#include "make/MakeJob.h"
#include "model/Track.h"

namespace varnel {

// Runs a whole making run on the calling thread (the worker). The outcome is left in
// job.State (Succeeded, Failed, or Cancelled as Cancel left it) and, on failure, in
// job.ResultMessage and job.ResultDetail; the last call to job.Progress is always RunEnded
// with that outcome. Throws nothing.
void RunMake(MakeJob& job);

// Plans the disc as a run does and writes nothing (set job.Test: no made file is described).
// True with `plan` complete; false with job.ResultMessage (and ResultDetail) saying why, or
// with job.State Cancelled. Progress goes to job.Progress as a run's planning reports it.
bool PlanDisc(MakeJob& job, DiscPlan& plan);

// The folder that holds a run's made files: WorkDir + "/" + the cue file's name without
// folder and extension; with WorkDir empty (the default), that folder beside the cue sheet,
// so the made files land where the user put the sheet and never at the file system's root.
std::string MadeFilesFolder(const std::string& workDir, const std::string& cuePath);

// MadeFilesFolder + "/Track" + NN + ext, ext being ".wav", ".mp3" or ".cdg" by the track's
// FileMode.
std::string ProducedFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode);

// Beside the produced files, the file a TOC names for an MP3 track (its decoded audio,
// ".wav") or a CD+G track (its copy with swapped audio bytes, ".rw"): the produced file
// name of the track with that extension.
std::string TocAudioFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode);

// The CD-Text file a run makes from typed text: MadeFilesFolder + "/CdText.cdt".
std::string TypedCdtFileName(const std::string& workDir, const std::string& cuePath);

}  // namespace varnel
