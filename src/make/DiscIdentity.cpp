#include "make/DiscIdentity.h"

#include <discid/discid.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "model/CdTime.h"

namespace varnel {

namespace {

constexpr int64_t kLeadIn = 150;
// Between the audio session of an Enhanced CD and its data session.
constexpr int64_t kSessionGap = 11400;
// A leading data track's post-gap, and the least pre-gap of the audio track after it.
constexpr int64_t kModeChangeGap = 150;
constexpr int64_t kDataSectorBytes[4] = {2048, 2352, 2336, 2352};

int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    throw std::runtime_error("\"" + path + "\": " + std::strerror(errno));
  }
  return st.st_size;
}

int64_t WholeFrames(int64_t bytes) {
  return (bytes + kBytesPerCdFrame - 1) / kBytesPerCdFrame;
}

// The bytes of CD audio a track's file holds.
int64_t AudioBytesOf(const TrackPlan& track) {
  if (track.DiscBytes >= 0) return track.DiscBytes;
  int64_t bytes = 0;
  for (const FileStretch& s : track.Content) {
    bytes += s.Bytes >= 0 ? s.Bytes : std::max<int64_t>(0, FileSize(s.Source) - s.Start);
  }
  return bytes;
}

int DigitSum(int64_t n) {
  int sum = 0;
  for (; n > 0; n /= 10) sum += static_cast<int>(n % 10);
  return sum;
}

uint32_t FreeDbOf(const DiscToc& toc) {
  int64_t sum = 0;
  for (const DiscTocTrack& t : toc.Tracks) sum += DigitSum(t.Offset / 75);
  const int64_t seconds = toc.LeadOut / 75 - toc.Tracks.front().Offset / 75;
  return static_cast<uint32_t>((sum % 255) << 24 | seconds << 8 |
                               static_cast<int64_t>(toc.Tracks.size()));
}

}  // namespace

PlannedDisc LayOutPlan(const DiscPlan& plan) {
  PlannedDisc disc;
  int64_t pos = kLeadIn;
  if (const auto& data = plan.DataTrack) {
    const int32_t type = data->ImageType >= 0 && data->ImageType <= 3 ? data->ImageType : 0;
    const int64_t size = FileSize(data->File);
    const int64_t sectors = (size + kDataSectorBytes[type] - 1) / kDataSectorBytes[type];
    disc.Tracks.push_back({1, false, pos, pos, sectors + kModeChangeGap, 0, nullptr});
    pos += sectors + kModeChangeGap;
  }
  for (size_t i = 0; i < plan.Tracks.size(); ++i) {
    const TrackPlan& track = plan.Tracks[i];
    const int64_t minPreGap = plan.DataTrack && i == 0 ? kModeChangeGap : 0;
    PlannedTrackSpan span{track.Number, true, 0, 0, 0, AudioBytesOf(track), &track};
    span.FileFrames = WholeFrames(span.FileBytes);
    if (track.HiddenAudio && track.Kind != TrackKind::Cdg) {
      const int64_t lead = std::max<int64_t>(0, minPreGap - track.Index1);
      span.FileStart = pos + lead;
      span.Index1 = span.FileStart + track.Index1;
    } else {
      span.FileStart = pos + std::max(track.SilentPreGap, minPreGap);
      span.Index1 = span.FileStart;
    }
    pos = span.FileStart + span.FileFrames;
    disc.Tracks.push_back(span);
  }
  disc.LeadOut = pos;
  return disc;
}

DiscToc TocOf(const PlannedDisc& disc) {
  DiscToc toc;
  for (const PlannedTrackSpan& span : disc.Tracks) {
    toc.Tracks.push_back({span.Number, span.Index1, span.Audio});
  }
  toc.LeadOut = disc.LeadOut;
  return toc;
}

std::string Hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
  return text;
}

std::string DiscIds::AccurateRipFile() const {
  char text[64];
  std::snprintf(text, sizeof text, "dBAR-%03d-%s-%s-%s.bin", static_cast<int>(AudioTracks),
                Hex8(AccurateRip1).c_str(), Hex8(AccurateRip2).c_str(), Hex8(FreeDb).c_str());
  return text;
}

DiscIds IdsOf(const DiscToc& toc) {
  if (toc.Tracks.empty() || toc.Tracks.size() > 99) {
    throw std::runtime_error("a disc holds 1 to 99 tracks");
  }
  DiscIds ids;
  ids.FreeDb = FreeDbOf(toc);

  // MusicBrainz: the first session. A data track behind the audio tracks lies in the second.
  const bool enhanced = toc.Tracks.size() > 1 && !toc.Tracks.back().Audio;
  const size_t count = toc.Tracks.size() - (enhanced ? 1 : 0);
  int offsets[100] = {};
  offsets[0] = static_cast<int>(enhanced ? toc.Tracks.back().Offset - kSessionGap : toc.LeadOut);
  for (size_t i = 0; i < count; ++i) offsets[i + 1] = static_cast<int>(toc.Tracks[i].Offset);
  const int first = toc.Tracks.front().Number;
  const int last = toc.Tracks[count - 1].Number;
  std::unique_ptr<DiscId, void (*)(DiscId*)> disc(discid_new(), discid_free);
  if (!disc) throw std::bad_alloc();
  // discid_put takes the offsets from index `first` on.
  int shifted[100] = {};
  shifted[0] = offsets[0];
  for (size_t i = 0; i < count; ++i) shifted[static_cast<size_t>(first) + i] = offsets[i + 1];
  if (!discid_put(disc.get(), first, last, shifted)) {
    throw std::runtime_error(discid_get_error_msg(disc.get()));
  }
  ids.MusicBrainz = discid_get_id(disc.get());
  ids.MusicBrainzToc = discid_get_toc_string(disc.get());

  // AccurateRip: the audio tracks numbered from 1, the real lead-out after them.
  uint32_t id1 = 0;
  uint32_t id2 = 0;
  uint32_t n = 0;
  for (const DiscTocTrack& t : toc.Tracks) {
    if (!t.Audio) continue;
    ++n;
    const auto lba = static_cast<uint32_t>(t.Offset - kLeadIn);
    id1 += lba;
    id2 += std::max<uint32_t>(lba, 1) * n;
  }
  const auto leadOut = static_cast<uint32_t>(toc.LeadOut - kLeadIn);
  id1 += leadOut;
  id2 += leadOut * (n + 1);
  ids.AccurateRip1 = id1;
  ids.AccurateRip2 = id2;
  ids.AudioTracks = static_cast<int32_t>(n);
  return ids;
}

}  // namespace varnel
