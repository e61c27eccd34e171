// What the window's Burn command and `varnel-cli burn` do alike around the burn job. The
// disc is always made again before it is burned (a Make with the TOC file on, under the
// making run's guard): a made set cannot be trusted to match the layout, and a Make is
// quick next to a burn. The disc check runs before that Make with every rule but the
// disc's length, which the job checks against the capacity cdrdao reports for the disc
// in the drive.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "app/burn/BurnJob.h"

namespace varnel {

// The medium the disc check measures against before a burn: the largest, so that only
// the disc in the drive decides whether the disc fits.
inline constexpr int32_t kBurnCheckMediaMinutes = 99;

// The options the settings file remembers ([Burn]), and writing them back.
BurnOptions BurnOptionsFromSettings(const AppSettings& settings);
void RememberBurnOptions(const BurnOptions& options, AppSettings& settings);

// The request to burn what a Make with CUE as its cue file makes: its TOC file, whether
// that TOC holds CD-Text (read now: ask again after the Make), and the disc's length.
BurnRequest BurnRequestFor(AppContext& ctx, const std::string& cuePath, const BurnOptions& options);

// The job's end as a message box: results as information, a cancel as information (a
// warning when the disc may be unusable), failures as errors with cdrdao's lines as the
// detail (in the text itself when they are the only explanation there is).
void ShowBurnResult(Prompter& prompter, const BurnResult& result);

}  // namespace varnel
