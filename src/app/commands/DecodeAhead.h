// Decoding the files a command is about to use, all at once on every core, before the command
// takes them one by one in its own order.
//
// Adding files, loading a layout, importing a ripped disc and restoring the copies a making
// run needs all go through the same steps per file: check, decode when needed, ask when
// refused. A DecodeAhead made at the start of such a command finds every file among its paths
// that needs decoding (a decoded source, or a wave or MP3 file to convert, InputCheck.h) and
// holds no current copy, and decodes them on a pool of ctx.DecodeWorkers workers behind one
// ctx.RunDecode with the overall progress. While it lives, DecodeSourceFile takes its
// outcomes instead of decoding again, so the command's tracks, messages and questions come in
// exactly the order and with exactly the texts they would have with one worker: each
// question is asked in track order, after the decode it depends on. A cancel stops every
// worker; the files whose decode did not end count as canceled, so the command stops at the
// first of them as it would have.
//
// After each decode the cache is trimmed to the settings' limit (DecodedLimitMiB), never
// removing a copy that the open layout or this command uses.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "formats/audio/InputChecks.h"

namespace varnel {

// The folder of ctx's decode cache.
std::string DecodedCacheFolderOf(const AppContext& ctx);
// The decoded copies (track and pre-gap) the layout uses.
std::set<std::string> DecodedCopiesInUse(const DiscLayout& layout);
// Trims ctx's cache to the settings' limit, keeping the layout's copies and `alsoInUse`.
void TrimDecodedCache(const AppContext& ctx, const std::set<std::string>& alsoInUse);

class DecodeAhead {
 public:
  struct Outcome {
    DecodedCheck Check;  // Result 1 with its copy, −1 refused with a Reason, 0 canceled
    WaveDataInfo Info;   // the copy's summary when accepted
  };

  // Decodes, as above, every one of `paths` that needs it (with `allCopies`, every one of a
  // decodable kind: the copies a layout already names); returns when all have ended.
  DecodeAhead(AppContext& ctx, const std::vector<std::string>& paths, bool allCopies = false);
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // The outcome for `path`, or null when it was not decoded ahead.
  const Outcome* Find(const std::string& path) const;
  // The copies this command uses so far.
  std::set<std::string> CopiesInUse() const;

 private:
  AppContext& Ctx_;
  const DecodeAhead* Previous_;
  std::map<std::string, Outcome> Outcomes_;
};

}  // namespace varnel
