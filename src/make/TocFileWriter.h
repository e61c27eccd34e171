// The TOC file for cdrdao ("man cdrdao", section TOC FILES) that a making run writes beside
// its cue sheet, rendered from the same plan of the disc. `cdrdao write disc.toc` burns it.
//
// It describes the disc the cue sheet describes: every audio track from the same wave file,
// so cdrdao burns the same audio sample for sample from either; hidden audio before START;
// silent pre-gaps as PREGAP (track 1: beyond the 150 frames every disc starts with); the
// catalog, ISRC, COPY (digital copy permitted), PRE_EMPHASIS; CD-Text from the .cdt for the
// disc and every track; the data track in the cdrdao mode of its image type. Where the cue
// sheet needs what cdrdao cannot burn, the TOC names what it can: the wave file decoded
// from an MP3 track, and for a CD+G track an audio track with R-W sub-channel data from a
// copy whose audio bytes are swapped. Paths are absolute: cdrdao resolves relative names
// against the folder it is started in.
#pragma once

#include <string>

#include "make/DiscPlan.h"

namespace varnel {

// `cuePath` without its extension (the part of its file name from the last dot), then
// ".toc"; a cue file that already ends in ".toc" gets a second ".toc", so that the TOC is
// never the sheet itself.
std::string TocFilePath(const std::string& cuePath);

// The whole TOC text of `plan`, lines ended by "\n". The plan's CD-Text must have passed
// FormatTocCdText for the plan's tracks (the run checks that before writing anything);
// throws MakeIoError otherwise.
std::string TocFileText(const DiscPlan& plan);

}  // namespace varnel
