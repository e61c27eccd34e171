// The step that adding a file performs before it creates a track: the check for the
// file's kind, and on refusal the beep and the Yes/No question of the system. A FLAC, AIFF,
// Ogg Vorbis or Opus file is decoded into the decode cache here (once: a current entry is
// reused), through the context's decode runner; so is a wave or MP3 file that is not CD
// audio (44 100 Hz, 16-bit, stereo) while the setting ConvertSources is on: it becomes a wave
// track whose audio is its converted copy, instead of being refused.
#pragma once

#include <cstdint>
#include <string>

#include "app/AppContext.h"
#include "app/ports/Prompter.h"
#include "formats/audio/InputChecks.h"
#include "model/Track.h"

namespace varnel {

// Whether the file at `path` is converted for `ctx`: ConvertSources is on and it is a wave
// file (.wav) that its check refuses although it is one (another rate or channel count, more
// bits, float: HasWaveSignature), or an MP3 file that is not 44 100 Hz stereo. A wave file
// in CD format never is.
bool IsConvertedSource(const AppContext& ctx, const std::string& path);
// A decoded source (IsDecodedSourcePath) or a converted one.
bool NeedsDecodedCopy(const AppContext& ctx, const std::string& path);

// The decoded copy of a decoded or converted source for `ctx`: the outcome of a decode done
// ahead (ctx.Ahead) when there is one, else looked up in the context's cache and decoded
// through ctx.RunDecode when there is no current entry (the cache then trimmed to its
// limit). Result 1 accepted (`info` the copy's summary), −1 refused with its Reason, 0
// canceled by the user.
DecodedCheck DecodeSourceFile(AppContext& ctx, const std::string& path, WaveDataInfo& info);

// Runs the check for the path's kind. Accepted → true with `mode` and `info` filled, and
// `audioFile` the decoded copy of a decoded source (else empty). Refused → false after
// asking, without icon, "\"" + path + "\"" + the kind's message; `goOn` is the answer: Yes to
// go on with the next chosen file, No to stop. A decode canceled by the user → false with
// `goOn` false, without a question.
bool CheckInputFile(AppContext& ctx, const std::string& path, int32_t& mode, WaveDataInfo& info,
                    std::string& audioFile, bool& goOn);

// Before a making run: every decoded copy that has gone from the cache since the layout was
// loaded (the cache is a cache: a cleaner or its limit may empty it) is decoded again from
// its source, all at once on the workers (DecodeAhead); the copies still there are marked
// as used.
// A copy that comes back with another length is not taken (the track's positions belong to
// the old one); the run then fails naming the missing file, as it would have.
void RestoreDecodedCopies(AppContext& ctx);

// What the check of one file says without asking anything (varnel-cli check): the kind
// ("WAVE", "MP3", "CDG" by the extension, or a decoded source's kind, "FLAC"…), the result
// (1 accepted, 0 not of the kind, −1 missing or unreadable) and, for a refused decoded
// source, the reason. A decoded source is decoded into the default cache when it holds no
// current copy; `info` is its copy's summary. Fields of `info` the check does not reach keep
// their values.
struct FileCheckReport {
  std::string Kind;
  int32_t Result = -1;
  std::string Reason;
};
FileCheckReport CheckFileQuietly(const std::string& path, WaveDataInfo& info);

// The question asked when a decoded source is refused on adding.
std::string DecodeRefusalQuestion(const std::string& path, const DecodedCheck& check);

}  // namespace varnel
