#include "app/commands/IdentityCommands.h"

#include <cstdio>
#include <sstream>

#include "app/commands/RunOptions.h"
#include "make/MakeRun.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

std::string Frames(int64_t n) {
  const int64_t a = n < 0 ? -n : n;
  return std::to_string(a) + (a == 1 ? " frame " : " frames ") + (n > 0 ? "later" : "earlier");
}

// "first last lead-out offset…" read back; false when it is not that.
bool ParseToc(const std::string& text, std::vector<int64_t>& values) {
  std::istringstream in(text);
  values.clear();
  for (int64_t v = 0; in >> v;) values.push_back(v);
  return in.eof() && values.size() >= 4 && values[1] >= values[0] &&
         values.size() == static_cast<size_t>(values[1] - values[0] + 4);
}

}  // namespace

PlannedIdentity PlanIdentity(const DiscLayout& layout, const AppSettings& settings,
                             const std::string& layoutPath) {
  PlannedIdentity out;
  std::atomic<RunState> state{RunState::Idle};
  MakeJob job(layout, RunOptionsOf(settings, layout), state);
  job.Test = true;
  job.LayoutPath = layoutPath;
  job.CuePath = layoutPath.empty() ? "disc.cue" : WithExtension(layoutPath, ".cue");
  auto plan = std::make_shared<DiscPlan>();
  if (!PlanDisc(job, *plan)) {
    out.Message = job.ResultMessage;
    out.Detail = job.ResultDetail;
    return out;
  }
  try {
    out.Disc = LayOutPlan(*plan);
    out.Toc = TocOf(out.Disc);
    out.Ids = IdsOf(out.Toc);
  } catch (const std::exception& error) {
    out.Message = "The disc's identity cannot be told.";
    out.Detail = error.what();
    return out;
  }
  out.Plan = std::move(plan);
  out.Ok = true;
  return out;
}

std::vector<std::string> IdentityLines(const DiscIds& ids) {
  return {"MusicBrainz\t" + ids.MusicBrainz, "MusicBrainzToc\t" + ids.MusicBrainzToc,
          "FreeDB\t" + Hex8(ids.FreeDb),
          "AccurateRip\t" + Hex8(ids.AccurateRip1) + "\t" + Hex8(ids.AccurateRip2) + "\t" +
              Hex8(ids.FreeDb) + "\t" + ids.AccurateRipFile()};
}

std::string ChecksumLine(const TrackChecksums& s) {
  char number[8];
  std::snprintf(number, sizeof number, "%02d", static_cast<int>(s.Number));
  return std::string("TRACK\t") + number + "\t" + Hex8(s.AccurateRip1) + "\t" +
         Hex8(s.AccurateRip2) + "\t" + Hex8(s.Crc32);
}

std::vector<DiscFinding> IdentityFindings(const DiscLayout& layout,
                                          const PlannedIdentity& planned) {
  if (!planned.Ok) return {};
  std::vector<int64_t> original;
  std::vector<int64_t> ours;
  if (ParseToc(layout.Original.Toc, original) && ParseToc(planned.Ids.MusicBrainzToc, ours)) {
    if (original == ours) return {};
    std::string text = "The planned disc is not the original: ";
    std::vector<std::string> parts;
    if (original[0] != ours[0] || original[1] != ours[1]) {
      parts.push_back("it has tracks " + std::to_string(ours[0]) + " to " +
                      std::to_string(ours[1]) + ", the original " + std::to_string(original[0]) +
                      " to " + std::to_string(original[1]));
    } else {
      for (size_t i = 3; i < ours.size(); ++i) {
        if (ours[i] != original[i]) {
          parts.push_back("track " + std::to_string(ours[0] + static_cast<int64_t>(i) - 3) +
                          " starts " + Frames(ours[i] - original[i]));
        }
      }
      if (ours[2] != original[2]) parts.push_back("the lead-out " + Frames(ours[2] - original[2]));
    }
    for (size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? ", " : "") + parts[i];
    return {{Severity::Error, 0, "disc-id-differs", text + "."}};
  }
  if (!layout.Original.DiscId.empty() && layout.Original.DiscId != planned.Ids.MusicBrainz) {
    return {{Severity::Error, 0, "disc-id-differs",
             "The planned disc's MusicBrainz ID " + planned.Ids.MusicBrainz +
                 " is not the original's " + layout.Original.DiscId + "."}};
  }
  if (!layout.Original.FreeDbId.empty() && layout.Original.FreeDbId != Hex8(planned.Ids.FreeDb)) {
    return {{Severity::Error, 0, "disc-id-differs",
             "The planned disc's freedb ID " + Hex8(planned.Ids.FreeDb) +
                 " is not the original's " + layout.Original.FreeDbId + "."}};
  }
  return {};
}

std::vector<DiscFinding> ChecksumFindings(const DiscLayout& layout,
                                          const std::vector<TrackChecksums>& sums) {
  std::vector<DiscFinding> findings;
  std::istringstream in(layout.Original.Crcs);
  for (std::string entry; in >> entry;) {
    unsigned number = 0;
    unsigned crc = 0;
    char end = 0;
    if (std::sscanf(entry.c_str(), "%u:%8x%c", &number, &crc, &end) != 2) continue;
    for (const TrackChecksums& s : sums) {
      if (s.Number != static_cast<int32_t>(number) || s.Crc32 == crc) continue;
      findings.push_back({Severity::Error, s.Number, "crc-differs",
                          "The track's audio is not the rip's: its CRC32 is " + Hex8(s.Crc32) +
                              ", the rip's " + Hex8(crc) + "."});
    }
  }
  return findings;
}

ChecksumJob::ChecksumJob(PlannedIdentity planned, ChecksumListener& listener)
    : Planned_(std::move(planned)) {
  Worker_ = std::thread([this, &listener] {
    std::vector<TrackChecksums> sums;
    std::string error;
    bool cancelled = false;
    try {
      sums = PlanChecksums(
          Planned_.Disc,
          [&listener](int64_t done, int64_t total) { listener.ChecksumProgress(done, total); },
          &Cancel_);
    } catch (const ChecksumsCanceled&) {
      cancelled = true;
    } catch (const std::exception& e) {
      error = e.what();
    }
    listener.ChecksumsEnded(sums, error, cancelled);
  });
}

ChecksumJob::~ChecksumJob() {
  Cancel();
  if (Worker_.joinable()) Worker_.join();
}

}  // namespace varnel
