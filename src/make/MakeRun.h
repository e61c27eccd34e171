// The cue sheet writer: the body of a making run. It plans the disc (disc header, optional
// data track, one track plan per audio track made by the per-track writers), renders the
// plan as a cue sheet in the CDRWIN dialect and, when "CdrdaoToc" is on, as a TOC file for
// cdrdao beside it, reports progress and polls for cancellation between tracks. A run is
// all or nothing: every track is planned first; no file is written unless no output of the
// run is a file it or its layout reads; the made files, the sheet and the TOC are written
// under temporary names and put in place together once every one has succeeded, so a
// failed, cancelled or killed run leaves the earlier made files, sheet and TOC exactly as
// they were. One run at a time per folder of made files.
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

// The form of `path` in a FILE or CDTEXTFILE line: unchanged when `relative` is off;
// otherwise relative to the folder of `cuePath` ("../" for each folder of the cue file's
// folder that the path does not share, a file beside the cue file as its bare name).
// Both paths are first made absolute against the current folder and freed of ".", ".."
// and doubled "/" components. Components compare exactly (file names are case-sensitive).
std::string CueFilePath(const std::string& path, const std::string& cuePath, bool relative);

// WorkDir + "/" + the cue file's name without folder and extension + "/Track" + NN + ext,
// ext being ".wav", ".mp3" or ".cdg" by the track's FileMode.
std::string ProducedFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode);

// "%.2d:%.2d:%.2d" of a CD frame count; a negative count prints as 00:00:00.
std::string CueTime(int64_t frames);

// `path` as the sheet of `job` will name it (CueFilePath), remembered in job.NamedFiles.
// Throws TrackFailure when the result holds a double quote or a line break.
std::string SheetPath(MakeJob& job, const std::string& path);

// Beside the produced files, the file a TOC names for an MP3 track (its decoded audio,
// ".wav") or a CD+G track (its copy with swapped audio bytes, ".rw"): the produced file
// name of the track with that extension.
std::string TocAudioFileName(const std::string& workDir, const std::string& cuePath,
                             int32_t trackNumber, int32_t fileMode);

// The lines of the cue sheet of `plan`: the header, the data track block, then each track's
// block, with an empty line between blocks.
CueLines CueSheetLines(const DiscPlan& plan);

// One audio track's block: "FILE \"<sheet path>\" WAVE|MP3|BINARY", "TRACK NN AUDIO|CDG",
// the FLAGS and ISRC lines when their conditions hold, then "INDEX 00 00:00:00" and
// "INDEX 01 <Index1>" for hidden audio, or the PREGAP line (none for a silent pre-gap of
// zero length) and "INDEX 01 00:00:00".
void AppendCueTrackBlock(CueLines& lines, const TrackPlan& track);

}  // namespace varnel
