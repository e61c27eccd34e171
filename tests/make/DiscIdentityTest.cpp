// The identity of a planned disc: the published values of MusicBrainz, freedb and
// AccurateRip IDs for known tables of contents; layouts built to match those discs (a
// hidden track before track 1 included) planned to the same IDs; the planned offsets of
// every kind of layout against the positions cdrdao itself reads from the TOC a run writes.
#include "make/DiscIdentity.h"

#include <discid/discid.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "make/MakeRun.h"
#include "make/PlanChecksums.h"
#include "support/MakeFixtures.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

// A table of contents from MusicBrainz's form "first last lead-out offset…", with the data
// tracks named.
DiscToc Toc(const std::vector<int64_t>& mb, std::vector<int32_t> data = {}) {
  DiscToc toc;
  toc.LeadOut = mb[2];
  for (size_t i = 3; i < mb.size(); ++i) {
    const auto n = static_cast<int32_t>(mb[0] + static_cast<int64_t>(i) - 3);
    toc.Tracks.push_back({n, mb[i], std::find(data.begin(), data.end(), n) == data.end()});
  }
  return toc;
}

TEST(DiscIdentity, PublishedValues) {
  struct Case {
    const char* Name;
    DiscToc Toc;
    const char* MusicBrainz;  // empty: not published
    const char* FreeDb;
    const char* AccurateRip;  // "NNN-id1-id2"; empty: not published
  };
  const Case cases[] = {
      {"libdiscid's test_put disc",
       Toc({1,      22,     303602, 150,    9700,   25887,  39297,  53795,  63735,
            77517,  94877,  107270, 123552, 135522, 148422, 161197, 174790, 192022,
            205545, 218010, 228700, 239590, 255470, 266932, 288750}),
       "xUp1F2NkfP8s8jaeFn_Av3jNEI4-", "370fce16", ""},
      {"MusicBrainz's Disc ID Calculation example",
       Toc({1, 6, 95462, 150, 15363, 32314, 46592, 63414, 80489}), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-",
       "", ""},
      {"05:22:20 of hidden audio before track 1",
       Toc({1, 11, 197850, 24320, 44855, 64090, 77885, 88095, 104020, 118245, 129255, 141765,
            164487, 181780}),
       "MAj3xXf6QMy7G.BIFOyHyq4MySE-", "", ""},
      {"an extraction log's table, AccurateRip's published example",
       Toc({1, 9, 232432 + 150, 20 + 150, 27995 + 150, 55030 + 150, 73782 + 150, 88725 + 150,
            115730 + 150, 140640 + 150, 156397 + 150, 181252 + 150}),
       "", "8b0c1b09", "009-00105b83-0077b665"},
      {"an Enhanced CD: 10 audio tracks, data in a second session",
       Toc({1, 11, 333801, 150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455,
            281735},
           {11}),
       "9AQWqQ0eCCwktwPPrIUIYkUw2Uo-", "9e11600b", "010-00164419-00b9f6e2"},
      {"a mixed-mode disc: data track 1, 28 audio tracks",
       Toc({1,      29,     261976, 150,    66728,  76502,  85963,  93760,  104048, 116066, 124743,
            134206, 142916, 151852, 160720, 169425, 178731, 188459, 196711, 206354, 214845, 223686,
            225746, 226384, 232668, 239447, 239931, 244989, 254264, 260066, 261222, 261674},
           {1}),
       "", "af0da31d", "028-00517a54-05a845d2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const DiscIds ids = IdsOf(c.Toc);
    if (*c.MusicBrainz) {
      EXPECT_EQ(ids.MusicBrainz, c.MusicBrainz);
    }
    if (*c.FreeDb) {
      EXPECT_EQ(Hex8(ids.FreeDb), c.FreeDb);
    }
    if (*c.AccurateRip) {
      const std::string file = ids.AccurateRipFile();
      EXPECT_EQ(file, "dBAR-" + std::string(c.AccurateRip) + "-" + Hex8(ids.FreeDb) + ".bin");
    }
    // A disc of one session: libdiscid's own freedb ID is ours.
    if (c.Toc.Tracks.back().Audio) {
      std::vector<int> offsets(100);
      offsets[0] = static_cast<int>(c.Toc.LeadOut);
      for (size_t i = 0; i < c.Toc.Tracks.size(); ++i) {
        offsets[i + 1] = static_cast<int>(c.Toc.Tracks[i].Offset);
      }
      DiscId* disc = discid_new();
      ASSERT_TRUE(discid_put(disc, 1, static_cast<int>(c.Toc.Tracks.size()), offsets.data()));
      EXPECT_EQ(Hex8(ids.FreeDb), discid_get_freedb_id(disc));
      discid_free(disc);
    }
  }
}

TEST(DiscIdentity, Crc32IsZlibsAtEveryLengthAndStart) {
  std::vector<unsigned char> data((1 << 20) + 77);
  uint32_t x = 12345;
  for (unsigned char& b : data) b = static_cast<unsigned char>((x = x * 1103515245 + 12345) >> 16);
  for (const size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 79, 128, 1000, (1 << 20) + 77}) {
    for (const size_t at : {0, 3}) {
      if (at + size > data.size()) continue;
      SCOPED_TRACE(std::to_string(size) + " bytes from " + std::to_string(at));
      const uLong zlib = crc32(crc32(0, data.data(), 5), data.data() + at, static_cast<uInt>(size));
      EXPECT_EQ(Crc32(Crc32(0, data.data(), 5), data.data() + at, size), zlib);
    }
  }
}

// A wave file of `frames` CD frames whose data is a hole: nothing is written but its header.
std::unique_ptr<Track> SparseTrack(const std::string& path, int64_t frames) {
  const auto bytes = static_cast<size_t>(frames * kBytesPerCdFrame);
  std::vector<uint8_t> header = test::WaveBytes({});
  for (int i = 0; i < 4; ++i) {
    header[4 + i] = static_cast<uint8_t>((36 + bytes) >> (8 * i));
    header[40 + i] = static_cast<uint8_t>(bytes >> (8 * i));
  }
  test::WriteBytes(path, header);
  std::filesystem::resize_file(path, 44 + bytes);
  return std::make_unique<Track>(path, FileModeWave, test::CanonicalInfo(bytes));
}

DiscPlan Planned(const DiscLayout& layout, const AppSettings& settings, const std::string& cue) {
  std::atomic<RunState> state{RunState::Idle};
  MakeJob job(layout, RunOptionsOf(settings, layout), state);
  job.Test = true;
  job.CuePath = cue;
  DiscPlan plan;
  EXPECT_TRUE(PlanDisc(job, plan)) << job.ResultMessage << job.ResultDetail;
  return plan;
}

TEST(DiscIdentity, LayoutsOfThePublishedDiscsPlanTheirIds) {
  struct Case {
    std::vector<int64_t> Toc;  // MusicBrainz's form
    const char* MusicBrainz;
  };
  const Case cases[] = {
      {{1, 6, 95462, 150, 15363, 32314, 46592, 63414, 80489}, "49HHV7Eb8UKF3aQiNmu1GR8vKTY-"},
      {{1, 11, 197850, 24320, 44855, 64090, 77885, 88095, 104020, 118245, 129255, 141765, 164487,
        181780},
       "MAj3xXf6QMy7G.BIFOyHyq4MySE-"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    DiscLayout layout;
    layout.LeadingSilence = 0;  // the settings add 5 frames by default
    const std::vector<int64_t>& t = c.Toc;
    for (size_t i = 3; i < t.size(); ++i) {
      const int64_t end = i + 1 < t.size() ? t[i + 1] : t[2];
      if (i == 3 && t[3] > 150) {
        // Audio before track 1's index 01: hidden in the front of its file.
        layout.Append(SparseTrack(dir / "01.wav", end - 150));
        layout.At(0).SetPreGapStyle(PreGapIndex);
        layout.At(0).SetTrackStartPos(static_cast<int32_t>((t[3] - 150) * 588));
      } else {
        layout.Append(SparseTrack(dir / (std::to_string(i) + ".wav"), end - t[i]));
        layout.At(layout.Count() - 1).SetPreGapLength(i == 3 ? 150 : 0);
      }
    }
    const DiscPlan plan = Planned(layout, AppSettings{}, dir / "disc.cue");
    EXPECT_EQ(IdsOf(TocOf(LayOutPlan(plan))).MusicBrainz, c.MusicBrainz);
  }
}

// cdrdao's reading of the TOC file: each track's START (index 01) and the disc's end, in
// frames from the program area's start.
std::vector<int64_t> ShownStarts(const std::string& showToc, int64_t& end) {
  std::vector<int64_t> starts;
  const std::regex start(R"(START +\d+:\d+:\d+\( *(\d+)\))");
  const std::regex last(R"(END\*? +\d+:\d+:\d+\( *(\d+)\))");
  std::istringstream in(showToc);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, start)) starts.push_back(std::stoll(m[1]));
    if (std::regex_search(line, m, last)) end = std::stoll(m[1]);
  }
  return starts;
}

TEST(DiscIdentity, PlannedOffsetsAreWhereCdrdaoPutsTheTracks) {
  constexpr size_t kFrames = 4 * 44100 + 300;  // over 4 s, not whole CD frames
  struct Case {
    const char* Name;
    std::function<void(DiscLayout&, const test::TempDir&)> Build;
  };
  const auto wave = [](DiscLayout& l, const test::TempDir& d, size_t frames) -> Track& {
    l.Append(test::WaveTrack(d / ("t" + std::to_string(l.Count()) + ".wav"), test::Sound(frames)));
    return l.At(l.Count() - 1);
  };
  const Case cases[] = {
      {"silent pre-gaps of 2 s, 1 frame and none",
       [&](DiscLayout& l, const test::TempDir& d) {
         wave(l, d, kFrames);
         wave(l, d, kFrames).SetPreGapLength(1);
         wave(l, d, kFrames).SetPreGapLength(0);
       }},
      {"hidden audio in front of track 1 and from another file before track 2",
       [&](DiscLayout& l, const test::TempDir& d) {
         Track& first = wave(l, d, kFrames + 20000);
         first.SetPreGapStyle(PreGapIndex);
         first.SetTrackStartPos(20000);
         Track& second = wave(l, d, kFrames);
         test::WriteBytes(d / "hidden.wav", test::WaveBytes(test::Sound(9000, 5)));
         second.SetPreGapStyle(PreGapFile);
         second.SetPreGapFile(d / "hidden.wav", test::CanonicalInfo(9000 * 4));
       }},
      {"a data track before the audio",
       [&](DiscLayout& l, const test::TempDir& d) {
         test::WriteBytes(d / "data.bin", std::vector<uint8_t>(2048 * 300 + 100, 7));
         l.DataTrackFile = d / "data.bin";
         wave(l, d, kFrames).SetPreGapLength(10);
         wave(l, d, kFrames);
       }},
  };
  for (const bool leading : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (leading ? ", 5 frames of leading silence" : ""));
      test::TempDir dir;
      DiscLayout layout;
      c.Build(layout, dir);
      AppSettings settings = test::SettingsWithWorkDir(dir / "work");
      settings.AddFrames = leading;
      settings.NumFrames = 5;
      const auto run = test::RunExport(layout, settings, dir / "disc.cue", false);
      ASSERT_EQ(run.State, RunState::Succeeded) << run.Message << run.Detail;
      const auto shown = test::RunProcess({"cdrdao", "show-toc", dir / "disc.toc"}, dir.Path());
      ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
      int64_t end = -1;
      const std::vector<int64_t> starts = ShownStarts(shown.Out, end);

      const DiscToc toc = TocOf(LayOutPlan(Planned(layout, settings, dir / "disc.cue")));
      std::vector<int64_t> planned;
      for (const DiscTocTrack& t : toc.Tracks) planned.push_back(t.Offset - 150);
      EXPECT_EQ(planned, starts) << shown.Out;
      EXPECT_EQ(toc.LeadOut - 150, end) << shown.Out;
    }
  }
}

// AccurateRip v1 and v2 and CRC32 by their published formulas, in Python, over the samples of
// the made wave files as the cue sheet places them on the disc (PREGAP silence, INDEX 00
// audio before INDEX 01): one line "NN v1 v2 crc" per track.
constexpr const char* kChecksumScript = R"PY(
import re, struct, sys, wave, zlib
sheet = open(sys.argv[1], encoding="latin-1").read()
disc = bytearray()
starts = []
for block in re.split(r"(?m)^FILE ", sheet)[1:]:
    name = re.match(r'"([^"]*)"', block).group(1)
    pregap = re.search(r"PREGAP (\d+):(\d+):(\d+)", block)
    if pregap:
        m, s, f = map(int, pregap.groups())
        disc += bytes(((m * 60 + s) * 75 + f) * 2352)
    w = wave.open(name)
    data = w.readframes(w.getnframes())
    m, s, f = map(int, re.search(r"INDEX 01 (\d+):(\d+):(\d+)", block).groups())
    starts.append(len(disc) + ((m * 60 + s) * 75 + f) * 2352)
    disc += data + bytes(-len(data) % 2352)
for i, start in enumerate(starts):
    end = starts[i + 1] if i + 1 < len(starts) else len(disc)
    samples = struct.unpack("<%dI" % ((end - start) // 4), disc[start:end])
    n = len(samples)
    first = 5 * 588 if i == 0 else 1
    last = n - 5 * 588 if i + 1 == len(starts) else n
    v1 = v2 = 0
    for k in range(first, last + 1):
        p = samples[k - 1] * k
        v1 += p
        v2 += (p & 0xFFFFFFFF) + (p >> 32)
    print("%02d %08x %08x %08x" % (i + 1, v1 & 0xFFFFFFFF, v2 & 0xFFFFFFFF,
                                   zlib.crc32(disc[start:end])))
)PY";

TEST(DiscIdentity, ChecksumsAreThoseOfTheMadeDiscsSamples) {
  test::TempDir dir;
  DiscLayout layout;
  // Hidden audio in front of track 1, a silent pre-gap of 1 s before track 2, hidden audio
  // from another file before track 3; lengths that are not whole CD frames.
  // Track 1 over 256 KiB: its CRC is made on a thread of its own.
  layout.Append(test::WaveTrack(dir / "a.wav", test::Sound(300000, 1)));
  layout.At(0).SetPreGapStyle(PreGapIndex);
  layout.At(0).SetTrackStartPos(7000);
  layout.Append(test::WaveTrack(dir / "b.wav", test::Sound(30001, 2)));
  layout.At(1).SetPreGapLength(75);
  layout.Append(test::WaveTrack(dir / "c.wav", test::Sound(40000, 3)));
  test::WriteBytes(dir / "h.wav", test::WaveBytes(test::Sound(9001, 4)));
  layout.At(2).SetPreGapStyle(PreGapFile);
  layout.At(2).SetPreGapFile(dir / "h.wav", test::CanonicalInfo(9001 * 4));
  AppSettings settings = test::SettingsWithWorkDir(dir / "work");
  settings.MakeAlways = true;  // every track a made file

  const auto run = test::RunExport(layout, settings, dir / "disc.cue", false);
  ASSERT_EQ(run.State, RunState::Succeeded) << run.Message << run.Detail;
  test::WriteText(dir / "sums.py", kChecksumScript);
  const auto python = test::RunProcess({"python3", dir / "sums.py", dir / "disc.cue"}, dir.Path());
  ASSERT_EQ(python.ExitCode, 0) << python.Err;

  const DiscPlan plan = Planned(layout, settings, dir / "disc.cue");
  std::string ours;
  for (const TrackChecksums& s : PlanChecksums(LayOutPlan(plan))) {
    char line[64];
    std::snprintf(line, sizeof line, "%02d %08x %08x %08x\n", s.Number, s.AccurateRip1,
                  s.AccurateRip2, s.Crc32);
    ours += line;
  }
  EXPECT_EQ(ours, python.Out);
}

}  // namespace
}  // namespace varnel
