// The cue sheet's text in the CDRWIN dialect, rendered from the plan of the disc: the header
// (catalog, CD-Text file, typed CD-Text's TITLE, PERFORMER and SONGWRITER), the data track
// block, and each audio track's block (its typed text after the TRACK line), with the
// paths as the sheet names them. The run (make/MakeRun.h) plans the disc and saves the text;
// the per-track writers build their blocks' plans with SheetPath.
#pragma once

#include <cstdint>
#include <string>

#include "make/DiscPlan.h"
#include "make/MakeJob.h"

namespace varnel {

// The form of `path` in a FILE or CDTEXTFILE line: unchanged when `relative` is off;
// otherwise relative to the folder of `cuePath` (RelativePath: "../" for each folder of the
// cue file's folder that the path does not share, a file beside the cue file as its bare
// name). Both paths are first made absolute against the current folder and freed of ".",
// ".." and doubled "/" components. Components compare exactly (file names are
// case-sensitive).
std::string CueFilePath(const std::string& path, const std::string& cuePath, bool relative);

// `path` as the sheet of `job` will name it (CueFilePath), remembered in job.NamedFiles.
// Throws TrackFailure when the result holds a double quote or a line break.
std::string SheetPath(MakeJob& job, const std::string& path);

// A track number with at least two digits: "01", "99", "100" (the sheet's TRACK lines and
// the made files' names).
std::string TrackNumberText(int64_t value);

// "%.2d:%.2d:%.2d" of a CD frame count; a negative count prints as 00:00:00.
std::string CueTime(int64_t frames);

// The lines of the cue sheet of `plan`: the header, the data track block, then each track's
// block, with an empty line between blocks.
CueLines CueSheetLines(const DiscPlan& plan);

// One audio track's block: "FILE \"<sheet path>\" WAVE|MP3|BINARY", "TRACK NN AUDIO|CDG",
// the FLAGS and ISRC lines when their conditions hold, then "INDEX 00 00:00:00" and
// "INDEX 01 <Index1>" for hidden audio, or the PREGAP line (none for a silent pre-gap of
// zero length) and "INDEX 01 00:00:00".
void AppendCueTrackBlock(CueLines& lines, const TrackPlan& track);

}  // namespace varnel
