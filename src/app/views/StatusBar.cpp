#include "app/views/StatusBar.h"

#include <cstdio>

#include "app/commands/RunOptions.h"
#include "model/CdTime.h"
#include "model/PosixFile.h"
#include "model/Track.h"

namespace varnel {

namespace {

// Exact integer ceiling of a / b for b > 0 (truncation already rounds a negative quotient up).
int64_t CeilDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if (a % b != 0 && a > 0) ++q;
  return q;
}

std::string Format(const char* format, long long a) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

std::string Format(const char* format, long long a, long long b, long long c) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

}  // namespace

std::array<std::string, 4> StatusBarTexts(const StatusBarInput& in) {
  std::string type;
  int64_t count = 0;
  int64_t bytes = 0;
  if (in.DataTrackImageExists) {
    bytes = in.DataTrackSize + 2 * kBytesPerCdFrame;
    count = 1;
    type = " Data disc";
  }
  count += in.TrackCount;
  if (in.TrackCount > 0) type = type == " Data disc" ? " Mix-Mode disc" : " Audio disc";
  bytes += in.TotalBytes;
  if (in.AddFrames && in.TrackCount > 0 && in.FirstPreGapStyle != PreGapNormal) {
    bytes += static_cast<int64_t>(in.NumFrames) * kBytesPerCdFrame;
  }
  const int64_t frames = CeilDiv(bytes, kBytesPerCdFrame);
  return {
      Format(" Total: %.2lld tracks", count),
      Format(" %.3lldMB", CeilDiv(bytes, 1024 * 1024)),
      Format(" %.2lld:%.2lld:%.2lld", frames / kCdFramesPerMinute,
             (frames / kCdFramesPerSecond) % 60, frames % kCdFramesPerSecond),
      type,
  };
}

bool RefreshStatusBar(AppContext& ctx) {
  const DiscLayout& layout = ctx.Layout;
  StatusBarInput in;
  in.DataTrackImageExists = layout.DataTrackImageExists();
  if (in.DataTrackImageExists) {
    // The image must be readable, as making will read it; its size is what counts.
    try {
      in.DataTrackSize = PosixFile::OpenForReading(layout.DataTrackFile).Size();
    } catch (const FileError& e) {
      ctx.Prompter.ShowMessage(BoxKind::Error, "Cannot open file \"" + layout.DataTrackFile +
                                                   "\". " + ErrnoText(e.Errno()));
      return false;
    }
  }
  in.TrackCount = layout.Count();
  if (in.TrackCount > 0) in.FirstPreGapStyle = layout.At(0).PreGapStyle();
  in.TotalBytes = layout.TotalBytes;
  in.NumFrames = LeadingSilenceFrames(layout, ctx.Settings);
  in.AddFrames = in.NumFrames > 0;
  ctx.StatusPanels = StatusBarTexts(in);
  return true;
}

}  // namespace varnel
