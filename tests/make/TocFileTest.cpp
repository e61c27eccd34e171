// The TOC file for cdrdao that a run writes beside its cue sheet, read by cdrdao 1.2.4 itself:
// for every kind of layout, "toc-info" (its consistency checks) accepts it, "read-test"
// reads every block, a Test run writes the same TOC as a Make run, track 1 starts where the
// sheet's INDEX 01 says, and wherever cdrdao reads the cue sheet too, it sees the same
// disc in both: the same track positions and flags, and the same samples. mpg123 decodes
// the MP3 tracks for comparison, toc2cddb reads the CD-Text strings back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>

#include "formats/audio/InputChecks.h"
#include "formats/audio/WaveHeader.h"
#include "formats/cdtext/CdText.h"
#include "formats/cdtext/CdrdaoTocText.h"
#include "make/TocFileWriter.h"
#include "support/AudioTools.h"
#include "support/MakeFixtures.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::RunProcess;
using test::Sound;
using test::WaveBytes;

constexpr size_t kTrackFrames = 198450;  // 4.5 s: cdrdao refuses tracks under 4 s
constexpr int64_t kCdgSectors = 400;

// One disc: its folders, layout and settings. Cue sheet discs/disc.cue, made files in work/.
struct DiscCase {
  DiscCase() : Settings(test::SettingsWithWorkDir(Dir / "work")) {
    std::filesystem::create_directories(Dir / "discs");
    std::filesystem::create_directories(Dir / "audio");
  }
  std::string Audio(const std::string& name) const { return Dir / ("audio/" + name); }
  std::string Cue() const { return Dir / "discs/disc.cue"; }
  std::string Toc() const { return Dir / "discs/disc.toc"; }

  Track& Wave(const std::string& name, size_t frames = kTrackFrames, uint32_t base = 0) {
    Layout.Append(test::WaveTrack(Audio(name), Sound(frames, base)));
    return Layout.At(Layout.Count() - 1);
  }
  // A track of a file made elsewhere, summed up by the input checks as when it is added
  // (`check`: 0 for a file the user took in spite of its format).
  Track& File(const std::string& path, int32_t check = 1) {
    int32_t mode = 0;
    WaveDataInfo info;
    EXPECT_EQ(CheckFileOfKind(path, mode, info), check) << path;
    Layout.Append(std::make_unique<Track>(path, mode, info));
    return Layout.At(Layout.Count() - 1);
  }
  Track& HiddenFromFile(const std::string& name, size_t hiddenFrames, uint32_t base) {
    test::WriteBytes(Audio("hidden-" + name), WaveBytes(Sound(hiddenFrames, base + 7)));
    Track& t = Wave(name, kTrackFrames, base);
    t.SetPreGapStyle(PreGapFile);
    t.SetPreGapFile(Audio("hidden-" + name), test::CanonicalInfo(hiddenFrames * 4));
    return t;
  }
  Track& HiddenInFront(const std::string& name, size_t hiddenFrames, uint32_t base) {
    Track& t = Wave(name, hiddenFrames + kTrackFrames, base);
    t.SetPreGapStyle(PreGapIndex);
    t.SetTrackStartPos(static_cast<int32_t>(hiddenFrames));
    return t;
  }
  void DataTrack(int32_t type) {
    static const int32_t kBlock[] = {2048, 2352, 2336, 2352};
    std::vector<uint8_t> image(static_cast<size_t>(kBlock[type >= 0 && type <= 3 ? type : 0]) *
                               300);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 31 + i / 977);
    test::WriteBytes(Dir / "discs/data.bin", image);
    Layout.DataTrackFile = Dir / "discs/data.bin";
    Layout.ImageType = type;
  }

  test::TempDir Dir;
  DiscLayout Layout;
  AppSettings Settings;
};

// cdrdao run in the cue sheet's folder (it takes relative names from there).
test::ProcessResult Cdrdao(const DiscCase& disc, const std::string& command,
                           const std::string& file) {
  return RunProcess({"cdrdao", command, file}, disc.Dir / "discs");
}

int64_t Number(const std::string& text, const std::string& pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? std::stoll(m[1]) : -1;
}

// show-toc's view of the disc: its type, catalog and, per track, mode, flags, ISRC and
// positions, one string a line.
std::vector<std::string> DiscView(const std::string& showToc) {
  std::vector<std::string> view;
  std::istringstream in(showToc);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(' ') == std::string::npos || line.rfind("Cdrdao", 0) == 0) continue;
    view.push_back(line.substr(line.find_first_not_of(' ')));
  }
  return view;
}

// Track 1's INDEX 01 in the sheet, in CD frames: the INDEX 01 time after an INDEX 00, else
// the PREGAP time (0 without one).
int64_t SheetTrack1Start(const std::string& sheet) {
  const size_t track = sheet.find("TRACK 01");
  const size_t next = sheet.find("TRACK 02");
  const std::string block = sheet.substr(track, next == std::string::npos ? next : next - track);
  std::smatch m;
  const char* pattern = block.find("INDEX 00") != std::string::npos
                            ? R"(INDEX 01 (\d+):(\d+):(\d+))"
                            : R"(PREGAP (\d+):(\d+):(\d+))";
  if (!std::regex_search(block, m, std::regex(pattern))) return 0;
  return (std::stoll(m[1]) * 60 + std::stoll(m[2])) * 75 + std::stoll(m[3]);
}

struct Row {
  const char* Name;
  std::function<void(DiscCase&)> Build;
  // cdrdao reads the sheet as it reads the TOC (no MP3, CD+G or other file type in it).
  bool SheetReadable;
  std::function<void(DiscCase&)> Check;  // more, for this feature
};

// The checks every burnable disc passes.
void ExpectBurnable(DiscCase& disc, bool sheetReadable) {
  auto test = test::RunExport(disc.Layout, disc.Settings, disc.Cue(), true);
  ASSERT_EQ(test.State, RunState::Succeeded) << test.Message << "\n" << test.Detail;
  const std::string tested = test::ReadText(disc.Toc());
  auto make = test::RunExport(disc.Layout, disc.Settings, disc.Cue(), false);
  ASSERT_EQ(make.State, RunState::Succeeded) << make.Message << "\n" << make.Detail;
  const std::string toc = test::ReadText(disc.Toc());
  EXPECT_EQ(tested, toc) << "a Test run names the files a Make run makes";

  const auto info = Cdrdao(disc, "toc-info", disc.Toc());
  ASSERT_EQ(info.ExitCode, 0) << info.Err << toc;
  const int64_t blocks = Number(info.Out, R"((\d+) blocks)");
  const auto read = Cdrdao(disc, "read-test", disc.Toc());
  EXPECT_EQ(read.ExitCode, 0) << read.Err;
  EXPECT_EQ(Number(read.Err + read.Out, R"(Read (\d+) blocks)"), blocks) << read.Err;

  const auto shown = Cdrdao(disc, "show-toc", disc.Toc());
  ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
  const std::string sheet = test::ReadText(disc.Cue());
  EXPECT_EQ(Number(shown.Out, R"(START +\d+:\d+:\d+\( *(\d+)\))"), SheetTrack1Start(sheet))
      << shown.Out << sheet;
  if (!sheetReadable) return;
  const auto cueShown = Cdrdao(disc, "show-toc", disc.Cue());
  ASSERT_EQ(cueShown.ExitCode, 0) << cueShown.Err;
  EXPECT_EQ(DiscView(shown.Out), DiscView(cueShown.Out)) << toc << sheet;
  const auto data = Cdrdao(disc, "show-data", disc.Toc());
  const auto cueData = Cdrdao(disc, "show-data", disc.Cue());
  ASSERT_EQ(data.ExitCode, 0) << data.Err;
  EXPECT_EQ(std::hash<std::string>()(data.Out), std::hash<std::string>()(cueData.Out))
      << "show-data prints " << data.Out.size() << " bytes from the TOC, " << cueData.Out.size()
      << " from the sheet";
}

// Little-endian 16-bit samples of a wave file's data.
std::vector<int16_t> WaveSamples(const std::string& path) {
  WaveDataInfo info;
  EXPECT_EQ(ReadWaveHeader(path, info), 1) << path;
  std::vector<int16_t> samples = test::ReadSamples16(path, static_cast<size_t>(info.DataOffset));
  samples.resize(static_cast<size_t>(info.DataSize) / 2);
  return samples;
}

// The decoded MP3 tracks are what mpg123 writes, then zeros up to a whole CD frame.
void ExpectDecodedAsMpg123(DiscCase& disc, const std::string& mp3, int32_t track) {
  const std::string reference = disc.Dir / "reference.wav";
  const auto r = RunProcess({"mpg123", "-q", "-w", reference, mp3});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  std::vector<int16_t> expected = WaveSamples(reference);
  ASSERT_GT(expected.size(), 0u);
  expected.resize((expected.size() + 2 * 588 - 1) / (2 * 588) * (2 * 588), 0);
  char name[32];
  std::snprintf(name, sizeof name, "work/disc/Track%.2d.wav", track);
  EXPECT_EQ(WaveSamples(disc.Dir / name), expected);
}

// Makes `name` with sox and lame: a tone of `seconds` at `rate` Hz, `channels` channels.
std::string MakeMp3(DiscCase& disc, const std::string& name, const char* rate,
                    const char* channels) {
  EXPECT_TRUE(test::RunAll({{"sox", "-n", "-r", rate, "-c", channels, "-b", "16", "@tone.wav",
                             "synth", "4.6", "sine", "300-900"},
                            {"lame", "--quiet", "-b", "160", "@tone.wav", "@" + name}},
                           disc.Dir / "audio"));
  return disc.Audio(name);
}

// CD+G sectors: audio samples from Sound, sub-channel bytes of six bits.
std::vector<uint8_t> CdgBytes() {
  const std::vector<uint8_t> audio = Sound(static_cast<size_t>(kCdgSectors) * 588, 11);
  std::vector<uint8_t> cdg;
  for (int64_t s = 0; s < kCdgSectors; ++s) {
    cdg.insert(cdg.end(), audio.begin() + s * 2352, audio.begin() + (s + 1) * 2352);
    for (int i = 0; i < 96; ++i) cdg.push_back(static_cast<uint8_t>((s * 96 + i) * 7 & 0x3F));
  }
  return cdg;
}

// The samples show-data prints, as "left right" pairs.
std::vector<std::pair<int, int>> ShownSamples(const std::string& out) {
  std::vector<std::pair<int, int>> samples;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    long index = 0;
    int left = 0;
    int right = 0;
    if (std::sscanf(line.c_str(), "%ld: %d %d", &index, &left, &right) == 3) {
      samples.emplace_back(left, right);
    }
  }
  return samples;
}

// A .cdt with a title and performer for the disc and each of `tracks` tracks.
CdText DiscText(int32_t tracks) {
  CdText text;
  CdTextBlock& block = text.Blocks.emplace_back();
  block.LastTrack = tracks;
  block.SetText(kCdTextTitle, 0, "Hidden \"Things\"");
  block.SetText(kCdTextPerformer, 0, "Caf\xE9 Band");
  for (int32_t t = 1; t <= tracks; ++t) {
    block.SetText(kCdTextTitle, t, "Song " + std::to_string(t));
    block.SetText(kCdTextPerformer, t, "Singer " + std::to_string(t));
  }
  return text;
}

void WriteCdt(DiscCase& disc, const CdText& text) {
  std::vector<uint8_t> bytes;
  std::string reason;
  ASSERT_TRUE(EncodeCdText(text, CdTextFraming::Packs, bytes, reason)) << reason;
  test::WriteBytes(disc.Dir / "discs/disc.cdt", bytes);
  disc.Layout.CdTextEnabled = true;
  disc.Layout.CdtPath = disc.Dir / "discs/disc.cdt";
}

// toc2cddb prints the first language's disc "PERFORMER / TITLE" and every track's TITLE.
// It reads audio discs only, so it is given a copy of the TOC whose type says so.
void ExpectCdTextStrings(DiscCase& disc, const CdText& text) {
  const std::string toc = test::ReadText(disc.Toc());
  test::WriteText(disc.Dir / "discs/audio.toc",
                  std::regex_replace(toc, std::regex("\nCD_ROM(_XA)?\n"), "\nCD_DA\n"));
  const auto r = RunProcess({"toc2cddb", disc.Dir / "discs/audio.toc"}, disc.Dir / "discs");
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const CdTextBlock& b = text.Blocks[0];
  auto value = [&](const std::string& key) {
    const int64_t at = static_cast<int64_t>(r.Out.find("\n" + key + "="));
    if (at < 0) return std::string("<none>");
    const size_t from = static_cast<size_t>(at) + key.size() + 2;
    return r.Out.substr(from, r.Out.find('\n', from) - from);
  };
  EXPECT_EQ(value("DTITLE"), *b.Text(kCdTextPerformer, 0) + " / " + *b.Text(kCdTextTitle, 0));
  for (int32_t t = 1; t <= b.LastTrack; ++t) {
    EXPECT_EQ(value("TTITLE" + std::to_string(t - 1)), *b.Text(kCdTextTitle, t)) << t;
  }
}

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {"default disc",
       [](DiscCase& d) {
         d.Wave("a.wav");
         d.Wave("b.wav", kTrackFrames, 1);
       },
       true,
       {}},
      {"silent pre-gaps of every length",
       [](DiscCase& d) {
         d.Wave("a.wav").SetPreGapLength(385);
         d.Wave("b.wav", kTrackFrames, 1).SetPreGapLength(0);
         d.Wave("c.wav", kTrackFrames, 2).SetPreGapLength(75);
       },
       true,
       {}},
      {"hidden audio from another file",
       [](DiscCase& d) {
         d.HiddenFromFile("a.wav", 100000, 0);
         d.HiddenFromFile("b.wav", 132300, 1);
       },
       true,
       {}},
      {"hidden audio from the front of the same file",
       [](DiscCase& d) {
         d.HiddenInFront("a.wav", 88200, 0);   // first track: made for the extra silence
         d.HiddenInFront("b.wav", 88200, 1);   // on a frame boundary: named as it lies
         d.HiddenInFront("c.wav", 100000, 2);  // padded at its head
       },
       true,
       {}},
      {"cuts and padding at head and tail",
       [](DiscCase& d) {
         std::vector<uint8_t> quiet =
             test::Cat({test::Zeros(4 * 30000), Sound(kTrackFrames, 3), test::Zeros(4 * 20000)});
         d.Layout.Append(test::WaveTrack(d.Audio("quiet.wav"), quiet));
         Track& a = d.Layout.At(0);
         a.TrackCutLeading = a.TrackCutTrailing = a.TrackPaddingHead = true;
         Track& b = d.HiddenFromFile("b.wav", 100000, 4);
         b.PreGapPaddingHead = false;
         b.TrackPaddingHead = true;
         Track& c = d.Wave("c.wav", kTrackFrames + 5000, 5);
         c.SetTrackStartPos(1234);
         c.SetTrackEndPos(kTrackFrames + 3000);
       },
       true,
       {}},
      {"MakeAlways on",
       [](DiscCase& d) {
         d.Settings.MakeAlways = true;
         d.Settings.AddFrames = false;
         d.Wave("a.wav");
         d.HiddenFromFile("b.wav", 100000, 1);
         d.HiddenInFront("c.wav", 88200, 2);
       },
       true,
       {}},
      {"Relative on",
       [](DiscCase& d) {
         d.Settings.Relative = true;
         d.HiddenFromFile("a.wav", 100000, 0);
         d.Wave("b.wav", kTrackFrames, 1);
       },
       true,
       {}},
      {"catalog, ISRC, copy and pre-emphasis flags",
       [](DiscCase& d) {
         d.Layout.MediaCatalog = "4901234567894";
         Track& a = d.Wave("a.wav");
         a.ISRC = "JPABC0412345";
         a.PreEmph = true;
         d.Wave("b.wav", kTrackFrames, 1).Protect = true;
       },
       true,
       {}},
      {"CD-Text",
       [](DiscCase& d) {
         d.Wave("a.wav");
         d.Wave("b.wav", kTrackFrames, 1);
         WriteCdt(d, DiscText(2));
       },
       true, [](DiscCase& d) { ExpectCdTextStrings(d, DiscText(2)); }},
      {"CD-Text with a data track",
       [](DiscCase& d) {
         d.DataTrack(0);
         d.Wave("a.wav");
         WriteCdt(d, DiscText(2));
       },
       true, [](DiscCase& d) { ExpectCdTextStrings(d, DiscText(2)); }},
      {"MP3",
       [](DiscCase& d) {
         d.Wave("a.wav");
         d.File(MakeMp3(d, "song.mp3", "44100", "2"));
       },
       false, [](DiscCase& d) { ExpectDecodedAsMpg123(d, d.Audio("song.mp3"), 2); }},
      {"MP3 at 22 050 Hz, mono, with MakeAlways",
       [](DiscCase& d) {
         d.Settings.MakeAlways = true;
         d.File(MakeMp3(d, "low.mp3", "22050", "1"), 0);
       },
       false,
       {}},
      {"CD+G",
       [](DiscCase& d) {
         test::WriteBytes(d.Audio("k.cdg"), CdgBytes());
         d.File(d.Audio("k.cdg"));
       },
       false,
       [](DiscCase& d) {
         // The disc is the CD+G track alone: cdrdao burns exactly the sectors' audio.
         const auto data = Cdrdao(d, "show-data", d.Toc());
         std::vector<std::pair<int, int>> expected;
         const std::vector<int16_t> samples = test::ReadSamples16(d.Audio("k.cdg"));
         for (int64_t s = 0; s < kCdgSectors; ++s) {
           for (int64_t i = s * 1224; i < s * 1224 + 1176; i += 2) {
             expected.emplace_back(samples[i], samples[i + 1]);
           }
         }
         const std::vector<std::pair<int, int>> shown = ShownSamples(data.Out);
         EXPECT_TRUE(shown == expected)
             << shown.size() << " samples shown, " << expected.size() << " in the file";
       }},
      {"CD+G after a wave track",
       [](DiscCase& d) {
         test::WriteBytes(d.Audio("k.cdg"), CdgBytes());
         d.Wave("a.wav");
         d.File(d.Audio("k.cdg")).SetPreGapLength(100);
       },
       false,
       {}},
      {"wave file named otherwise",
       [](DiscCase& d) {
         d.Wave("a.wav");
         test::WriteBytes(d.Audio("b.wave"), WaveBytes(Sound(kTrackFrames, 1)));
         d.Layout.Append(std::make_unique<Track>(d.Audio("b.wave"), FileModeWave,
                                                 test::CanonicalInfo(kTrackFrames * 4)));
       },
       false,
       [](DiscCase& d) {
         // The same disc with the file named .wav, which cdrdao reads from the sheet too.
         DiscCase same;
         same.Wave("a.wav");
         same.Wave("b.wav", kTrackFrames, 1);
         ASSERT_EQ(test::RunExport(same.Layout, same.Settings, same.Cue(), false).State,
                   RunState::Succeeded);
         EXPECT_EQ(Cdrdao(d, "show-data", d.Toc()).Out, Cdrdao(same, "show-data", same.Cue()).Out);
       }},
      {"data track MODE1/2048",
       [](DiscCase& d) {
         d.DataTrack(0);
         d.Wave("a.wav");
       },
       true,
       {}},
      {"data track MODE1/2352",
       [](DiscCase& d) {
         d.DataTrack(1);
         d.Wave("a.wav");
       },
       true,
       {}},
      {"data track MODE2/2336",
       [](DiscCase& d) {
         d.DataTrack(2);
         d.Wave("a.wav");
       },
       true,
       {}},
      {"data track MODE2/2352",
       [](DiscCase& d) {
         d.DataTrack(3);
         d.Wave("a.wav");
       },
       true,
       {}},
      {"data track of no image type",
       [](DiscCase& d) {
         d.DataTrack(7);
         d.Wave("a.wav");
       },
       true,
       {}},
      {"data track followed by hidden audio",
       [](DiscCase& d) {
         d.DataTrack(0);
         d.HiddenInFront("a.wav", 132300, 0);
       },
       true,
       {}},
      {"data track followed by a pre-gap shorter than 2 seconds",
       [](DiscCase& d) {
         d.DataTrack(1);
         d.Wave("a.wav").SetPreGapLength(75);
       },
       false,
       [](DiscCase& d) {
         // Here alone the TOC differs from the sheet: the audio after a data track gets the
         // 2 seconds of pre-gap the CD standards require.
         const std::string pregap = R"(PREGAP +\d+:\d+:\d+\( *(\d+)\))";
         EXPECT_EQ(Number(Cdrdao(d, "show-toc", d.Cue()).Out, pregap), 75);
         EXPECT_EQ(Number(Cdrdao(d, "show-toc", d.Toc()).Out, pregap), 150);
       }},
  };
  return rows;
}

TEST(TocFileTest, CdrdaoBurnsEveryKindOfDiscFromItsToc) {
  if (const std::string missing =
          test::MissingTool({"cdrdao", "mpg123", "lame", "sox", "toc2cddb"});
      !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.Name);
    DiscCase disc;
    row.Build(disc);
    ExpectBurnable(disc, row.SheetReadable);
    if (row.Check && !HasFatalFailure()) row.Check(disc);
  }
}

}  // namespace
}  // namespace varnel
