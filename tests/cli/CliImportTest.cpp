// varnel-cli import: every layout rippers write for one synthetic disc (made by sox), laid
// out and made again, burns the same disc as a TOC that describes the original disc
// directly (cdrdao show-toc and show-data); hostile sheets give an error with their line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "formats/audio/WaveHeader.h"
#include "support/AudioTools.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::RunProcess;
using test::TempDir;
using Bytes = std::vector<uint8_t>;

// The disc, in CD frames: a hidden track before track 1, track 1, a gap and track 2, a
// gap and track 3, track 4 without a gap. Every track proper lasts more than 4 s (cdrdao
// wants that); the gaps are audio.
constexpr int64_t kHidden = 225, kT1 = 375, kG2 = 113, kT2 = 375, kG3 = 150, kT3 = 338, kT4 = 315;
constexpr int64_t kDiscFrames = kHidden + kT1 + kG2 + kT2 + kG3 + kT3 + kT4;
constexpr const char* kCatalog = "1234567890123";
constexpr const char* kIsrc = "USXYZ0000001";

// Start (in CD frames on the disc image) of each stretch.
constexpr int64_t kAtT1 = kHidden, kAtG2 = kAtT1 + kT1, kAtT2 = kAtG2 + kG2, kAtG3 = kAtT2 + kT2,
                  kAtT3 = kAtG3 + kG3, kAtT4 = kAtT3 + kT3;

std::string Msf(int64_t frames) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2lld:%.2lld:%.2lld", static_cast<long long>(frames / 4500),
                static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
  return text;
}

class CliImportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test::MissingTool({"sox", "cdrdao", "flac"}).empty()) return;
    TempDir made;
    const std::string path = made / "disc.wav";
    // Two sweeps, one a channel: no two sample frames of the disc are alike.
    const auto r =
        RunProcess({"sox", "-r",   "44100",    "-c",   "2",
                    "-n",  "-b",   "16",       path,   "synth",
                    "30",  "sine", "200-5000", "sine", "4000-300",
                    "vol", "0.7",  "trim",     "0",    std::to_string(kDiscFrames * 588) + "s"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    WaveDataInfo info;
    ASSERT_EQ(ReadWaveHeader(path, info), 1);
    const Bytes all = test::ReadBytes(path);
    Disc = Bytes(all.begin() + info.DataOffset, all.begin() + info.DataOffset + info.DataSize);
    ASSERT_EQ(static_cast<int64_t>(Disc.size()), kDiscFrames * 2352);
  }
  void SetUp() override {
    if (Disc.empty()) GTEST_SKIP() << "sox, cdrdao or flac is not installed";
    // Decoded copies of compressed rips go to a cache of the test's own.
    setenv("XDG_CACHE_HOME", (Dir / "cache").c_str(), 1);
    test::WriteText(Settings(),
                    "[Silece]\r\nAddFrames=0\r\n[Path]\r\nWorkDir=" + (Dir / "work") + "\r\n");
  }

  std::string Settings() const { return Dir / "varnel.ini"; }
  // A wave file of the disc's frames [from, from + count).
  void Wave(const std::string& name, int64_t from, int64_t count) const {
    test::WriteBytes(Dir / name, test::WaveBytes(Bytes(Disc.begin() + from * 2352,
                                                       Disc.begin() + (from + count) * 2352)));
  }
  test::ProcessResult Cli(std::vector<std::string> args) const {
    args.insert(args.begin(), VARNEL_CLI_PATH);
    return RunProcess(args, Dir.Path());
  }

  static inline Bytes Disc;
  TempDir Dir;
};

// The flags and codes of the disc as a cue sheet writes them, per track.
std::string CueCodes(int track) {
  switch (track) {
    case 1:
      return "    FLAGS DCP\n";
    case 2:
      return "    ISRC " + std::string(kIsrc) + "\n";
    case 3:
      return "    FLAGS PRE\n";
    default:
      return "";
  }
}
std::string TocCodes(int track) {
  switch (track) {
    case 1:
      return "COPY\n";
    case 2:
      return "ISRC \"" + std::string(kIsrc) + "\"\n";
    case 3:
      return "PRE_EMPHASIS\n";
    default:
      return "";
  }
}

// The original disc as a TOC over one image: the gaps as audio, or (a rip that left them
// out) as silence, without the hidden track.
std::string ReferenceToc(bool gapsKept) {
  auto file = [](int64_t from, int64_t count) {
    return "FILE \"image.wav\" " + Msf(from) + " " + Msf(count) + "\n";
  };
  std::string toc = "CD_DA\nCATALOG \"" + std::string(kCatalog) + "\"\n";
  toc += "TRACK AUDIO\n" + TocCodes(1);
  toc += gapsKept ? file(0, kHidden + kT1) + "START " + Msf(kHidden) + "\n" : file(kAtT1, kT1);
  toc += "TRACK AUDIO\n" + TocCodes(2);
  toc += gapsKept ? file(kAtG2, kG2 + kT2) + "START " + Msf(kG2) + "\n"
                  : "PREGAP " + Msf(kG2) + "\n" + file(kAtT2, kT2);
  toc += "TRACK AUDIO\n" + TocCodes(3);
  toc += gapsKept ? file(kAtG3, kG3 + kT3) + "START " + Msf(kG3) + "\n"
                  : "PREGAP " + Msf(kG3) + "\n" + file(kAtT3, kT3);
  toc += "TRACK AUDIO\n" + TocCodes(4) + file(kAtT4, kT4);
  return toc;
}

struct RipRow {
  const char* Name;
  bool GapsKept;
  const char* Sheet;
  // Writes the rip's files in `dir` and returns its sheet's text (empty: the sheet is a
  // file it wrote itself).
  std::function<std::string(const std::string& dir,
                            std::function<void(std::string, int64_t, int64_t)>)>
      Build;
};

std::string Head() {
  return "REM GENRE Test\nCATALOG " + std::string(kCatalog) + "\n";
}
std::string Track(int n) {
  return "  TRACK 0" + std::to_string(n) + " AUDIO\n" + CueCodes(n);
}
std::string Index(int n, int64_t frames) {
  return "    INDEX 0" + std::to_string(n) + " " + Msf(frames) + "\n";
}
std::string File(const std::string& name) {
  return "FILE \"" + name + "\" WAVE\n";
}

using WaveMaker = std::function<void(std::string, int64_t, int64_t)>;

const std::vector<RipRow>& Rows() {
  static const std::vector<RipRow> rows = {
      {"SingleImageWithHiddenTrack", true, "disc.cue",
       [](const std::string&, WaveMaker wave) {
         wave("Album.wav", 0, kDiscFrames);
         return Head() + File("Album.wav") + Track(1) + Index(0, 0) + Index(1, kAtT1) + Track(2) +
                Index(0, kAtG2) + Index(1, kAtT2) + Track(3) + Index(0, kAtG3) + Index(1, kAtT3) +
                Track(4) + Index(1, kAtT4);
       }},
      {"SingleRawImage", true, "disc.cue",
       [](const std::string& dir, WaveMaker wave) {
         // Raw little-endian samples, as a BINARY file of an audio track holds them.
         wave("Album.wav", 0, kDiscFrames);
         const Bytes w = test::ReadBytes(dir + "/Album.wav");
         test::WriteBytes(dir + "/Album.bin", Bytes(w.begin() + 44, w.end()));
         std::filesystem::remove(dir + "/Album.wav");
         return Head() + "FILE \"Album.bin\" BINARY\n" + Track(1) + Index(0, 0) + Index(1, kAtT1) +
                Track(2) + Index(0, kAtG2) + Index(1, kAtT2) + Track(3) + Index(0, kAtG3) +
                Index(1, kAtT3) + Track(4) + Index(1, kAtT4);
       }},
      {"PerTrackGapsAppended", true, "disc.cue",
       [](const std::string&, WaveMaker wave) {
         wave("01.wav", 0, kAtT2);  // the hidden track, track 1, the gap of track 2
         wave("02.wav", kAtT2, kT2 + kG3);
         wave("03.wav", kAtT3, kT3);
         wave("04.wav", kAtT4, kT4);
         return Head() + File("01.wav") + Track(1) + Index(0, 0) + Index(1, kAtT1) + Track(2) +
                Index(0, kAtG2) + File("02.wav") + Index(1, 0) + Track(3) + Index(0, kT2) +
                File("03.wav") + Index(1, 0) + File("04.wav") + Track(4) + Index(1, 0);
       }},
      {"PerTrackGapsPrepended", true, "disc.cue",
       [](const std::string&, WaveMaker wave) {
         wave("01.wav", 0, kHidden + kT1);
         wave("02.wav", kAtG2, kG2 + kT2);
         wave("03.wav", kAtG3, kG3 + kT3);
         wave("04.wav", kAtT4, kT4);
         return Head() + File("01.wav") + Track(1) + Index(0, 0) + Index(1, kHidden) +
                File("02.wav") + Track(2) + Index(0, 0) + Index(1, kG2) + File("03.wav") +
                Track(3) + Index(0, 0) + Index(1, kG3) + File("04.wav") + Track(4) + Index(1, 0);
       }},
      {"PerTrackGapsLeftOut", false, "disc.cue",
       [](const std::string&, WaveMaker wave) {
         wave("01.wav", kAtT1, kT1);
         wave("02.wav", kAtT2, kT2);
         wave("03.wav", kAtT3, kT3);
         wave("04.wav", kAtT4, kT4);
         return Head() + File("01.wav") + Track(1) + Index(1, 0) + File("02.wav") + Track(2) +
                "    PREGAP " + Msf(kG2) + "\n" + Index(1, 0) + File("03.wav") + Track(3) +
                "    PREGAP " + Msf(kG3) + "\n" + Index(1, 0) + File("04.wav") + Track(4) +
                Index(1, 0);
       }},
      {"HiddenTrackInItsOwnFile", true, "disc.cue",
       [](const std::string&, WaveMaker wave) {
         wave("00.wav", 0, kHidden);
         wave("01.wav", kAtT1, kT1 + kG2);
         wave("02.wav", kAtT2, kT2);
         wave("03.wav", kAtG3, kG3 + kT3 + kT4);
         return Head() + File("00.wav") + Track(1) + Index(0, 0) + File("01.wav") + Index(1, 0) +
                Track(2) + Index(0, kT1) + File("02.wav") + Index(1, 0) + File("03.wav") +
                Track(3) + Index(0, 0) + Index(1, kG3) + Track(4) + Index(1, kG3 + kT3);
       }},
      {"TocFileOverRawAndWaveFiles", true, "disc.toc",
       [](const std::string& dir, WaveMaker wave) {
         // As cdrdao read-cd writes it: raw samples, high byte first, behind a header of
         // 12 bytes that the "#12" skips.
         wave("a.wav", 0, kAtG2);
         Bytes raw(12, 0x55);
         const Bytes a = test::ReadBytes(dir + "/a.wav");
         for (size_t i = 44; i + 1 < a.size(); i += 2) {
           raw.push_back(a[i + 1]);
           raw.push_back(a[i]);
         }
         test::WriteBytes(dir + "/a.bin", raw);
         std::filesystem::remove(dir + "/a.wav");
         wave("b.wav", kAtG2, kDiscFrames - kAtG2);
         // Track 2 and 3 in one file, counted in sample frames; track 4 to the file's end.
         return "CD_DA\nCATALOG \"" + std::string(kCatalog) + "\"\nTRACK AUDIO\n" + TocCodes(1) +
                "AUDIOFILE \"a.bin\" #12 0\nSTART " + Msf(kHidden) + "\nTRACK AUDIO\n" +
                TocCodes(2) + "FILE \"b.wav\" 0 " + std::to_string((kG2 + kT2) * 588) + "\nSTART " +
                Msf(kG2) + "\nTRACK AUDIO\n" + TocCodes(3) + "FILE \"b.wav\" " + Msf(kG2 + kT2) +
                " " + Msf(kG3 + kT3) + "\nSTART " + Msf(kG3) + "\nTRACK AUDIO\n" + TocCodes(4) +
                "FILE \"b.wav\" " + Msf(kAtT4 - kAtG2) + "\n";
       }},
      {"TocWithSilentGaps", false, "silent.toc",
       [](const std::string&, WaveMaker wave) {
         wave("t.wav", 0, kDiscFrames);
         auto file = [](int64_t from, int64_t count) {
           return "FILE \"t.wav\" " + Msf(from) + " " + Msf(count) + "\n";
         };
         // A PREGAP, and a SILENCE closed by a bare START.
         return "CD_DA\nCATALOG \"" + std::string(kCatalog) + "\"\nTRACK AUDIO\n" + TocCodes(1) +
                file(kAtT1, kT1) + "TRACK AUDIO\n" + TocCodes(2) + "PREGAP " + Msf(kG2) + "\n" +
                file(kAtT2, kT2) + "TRACK AUDIO\n" + TocCodes(3) + "SILENCE " + Msf(kG3) +
                "\nSTART\n" + file(kAtT3, kT3) + "TRACK AUDIO\n" + TocCodes(4) + file(kAtT4, kT4);
       }},
      {"FlacImageWithCueSheet", true, "Album.flac",
       [](const std::string& dir, WaveMaker wave) {
         wave("Album.wav", 0, kDiscFrames);
         const std::string sheet = Head() + File("Album.wav") + Track(1) + Index(0, 0) +
                                   Index(1, kAtT1) + Track(2) + Index(0, kAtG2) + Index(1, kAtT2) +
                                   Track(3) + Index(0, kAtG3) + Index(1, kAtT3) + Track(4) +
                                   Index(1, kAtT4);
         test::WriteText(dir + "/Album.cue", sheet);
         // flac keeps the block's catalog, ISRC and pre-emphasis flag; the copy permitted
         // flag travels in the CUESHEET tag beside it.
         EXPECT_TRUE(test::RunAll({{"flac", "-s", "-f", "--cuesheet=" + dir + "/Album.cue",
                                    "--tag-from-file=CUESHEET=" + dir + "/Album.cue", "-o",
                                    "@Album.flac", "@Album.wav"}},
                                  dir));
         std::filesystem::remove(dir + "/Album.wav");
         return std::string();
       }},
      {"CueSheetNamingFlacFiles", true, "disc.cue",
       [](const std::string& dir, WaveMaker wave) {
         wave("01.wav", 0, kHidden + kT1);
         wave("02.wav", kAtG2, kG2 + kT2);
         wave("03.wav", kAtG3, kG3 + kT3 + kT4);
         EXPECT_TRUE(test::RunAll(
             {{"flac", "-s", "-f", "--delete-input-file", "@01.wav", "@02.wav", "@03.wav"}}, dir));
         return Head() + File("01.flac") + Track(1) + Index(0, 0) + Index(1, kHidden) +
                File("02.flac") + Track(2) + Index(0, 0) + Index(1, kG2) + File("03.flac") +
                Track(3) + Index(0, 0) + Index(1, kG3) + Track(4) + Index(1, kG3 + kT3);
       }},
  };
  return rows;
}

// show-toc's view of a disc, file names aside (it prints none): one string a line.
std::string DiscView(const std::string& showToc) {
  std::istringstream in(showToc);
  std::string line;
  std::string view;
  while (std::getline(in, line)) {
    if (line.rfind("Cdrdao version", 0) == 0) continue;
    view += line + "\n";
  }
  return view;
}

TEST_F(CliImportTest, EveryRipLayoutBurnsTheOriginalDisc) {
  for (const RipRow& row : Rows()) {
    SCOPED_TRACE(row.Name);
    std::filesystem::remove_all(Dir / "work");
    const std::string sheet = Dir / row.Sheet;
    const std::string text = row.Build(
        Dir.Path(),
        [this](std::string name, int64_t from, int64_t count) { Wave(name, from, count); });
    if (!text.empty()) test::WriteText(sheet, text);
    Wave("image.wav", 0, kDiscFrames);
    if (!row.GapsKept) {
      // The disc a rip without its gaps burns: silence where they were.
      Bytes silent = Disc;
      std::fill(silent.begin() + kAtG2 * 2352, silent.begin() + kAtT2 * 2352, 0);
      std::fill(silent.begin() + kAtG3 * 2352, silent.begin() + kAtT3 * 2352, 0);
      test::WriteBytes(Dir / "image.wav", test::WaveBytes(silent));
    }
    test::WriteText(Dir / "reference.toc", ReferenceToc(row.GapsKept));

    const auto imported = Cli({"import", "--settings", Settings(), "--force", sheet, "disc.txt"});
    ASSERT_EQ(imported.ExitCode, 0) << imported.Err << imported.Out;
    // Every file the layout names is one of the rip (or the wave copy of a raw one, in the
    // cache's neighbour folder) that sox reads samples from.
    std::istringstream layout(test::ReadText(Dir / "disc.txt"));
    for (std::string line; std::getline(layout, line);) {
      for (const std::string key : {"TrackFileNmae=", "PreGapFileName="}) {
        if (line.rfind(key, 0) != 0 || line.size() <= key.size() + 1) continue;
        const std::string path = line.substr(key.size(), line.size() - key.size() - 1);  // CR
        // A compressed file is named itself, never by its decoded copy.
        const bool rawCopy = path.rfind(Dir / "cache/varnel/raw/", 0) == 0;
        EXPECT_TRUE(rawCopy || path.find('/', Dir.Path().size() + 1) == std::string::npos) << path;
        const auto samples = RunProcess({"sox", "--i", "-s", path});
        EXPECT_EQ(samples.ExitCode, 0) << path << samples.Err;
        EXPECT_GT(std::atoll(samples.Out.c_str()), 0) << path;
      }
    }
    std::filesystem::create_directories(Dir / "out");
    const auto made =
        Cli({"make", "--force", "--yes", "--settings", Settings(), "disc.txt", "out/disc.cue"});
    ASSERT_EQ(made.ExitCode, 0) << made.Err << test::ReadText(Dir / "disc.txt");

    const auto ours = RunProcess({"cdrdao", "show-toc", "disc.toc"}, Dir / "out");
    const auto theirs = RunProcess({"cdrdao", "show-toc", "reference.toc"}, Dir.Path());
    ASSERT_EQ(theirs.ExitCode, 0) << theirs.Err;
    ASSERT_EQ(ours.ExitCode, 0) << ours.Err << test::ReadText(Dir / "out/disc.toc");
    EXPECT_EQ(DiscView(ours.Out), DiscView(theirs.Out)) << test::ReadText(Dir / "out/disc.toc");

    const auto ourData = RunProcess({"cdrdao", "show-data", "disc.toc"}, Dir / "out");
    const auto theirData = RunProcess({"cdrdao", "show-data", "reference.toc"}, Dir.Path());
    ASSERT_EQ(ourData.ExitCode, 0) << ourData.Err;
    ASSERT_EQ(theirData.ExitCode, 0) << theirData.Err;
    EXPECT_GT(theirData.Out.size(), static_cast<size_t>(kDiscFrames * 588));
    EXPECT_TRUE(ourData.Out == theirData.Out)
        << "show-data prints " << ourData.Out.size() << " bytes from our TOC, "
        << theirData.Out.size() << " from the reference";
  }
}

struct HostileRow {
  const char* Name;
  const char* Sheet;  // its file name
  std::string Text;
  std::vector<std::string> Flags;
  int Exit;
  std::string Says;  // on stderr
};

// Sheets that cannot be laid out: each stops with its message and line, writes no layout,
// and nothing crashes (the sanitizers abort with another exit code).
TEST(CliImportHostile, ClearErrorWithTheLineAndNoLayout) {
  TempDir dir;
  // a.wav: 10 s; b.wav: 5 s.
  test::WriteBytes(dir / "a.wav", test::WaveBytes(Bytes(750 * 2352, 7)));
  test::WriteBytes(dir / "b.wav", test::WaveBytes(Bytes(375 * 2352, 9)));
  test::WriteBytes(dir / "not.flac", test::WaveBytes(Bytes(2352, 9)));
  std::string hundred = "FILE a.wav WAVE\n";
  for (int n = 1; n <= 100; ++n) {
    hundred += "TRACK " + std::to_string(n) + " AUDIO\nINDEX 01 " + Msf(n * 75) + "\n";
  }
  const std::string one = "FILE a.wav WAVE\nTRACK 01 AUDIO\n";
  const std::vector<HostileRow> rows = {
      {"UnbalancedQuote", "q.cue", "FILE \"a.wav WAVE\nTRACK 01 AUDIO\n", {}, 1, "line 1: "},
      {"IndexBeyondTheFile",
       "b.cue",
       one + "INDEX 01 00:10:01\n",
       {},
       1,
       "line 3: INDEX 01 of track 01 at 00:10:01 lies beyond the end of \"a.wav\", which is "
       "00:10:00 long."},
      {"GapBeyondTheFile",
       "g.cue",
       one + "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 00:11:00\n"
             "INDEX 01 00:12:00\n",
       {},
       1,
       "line 5: INDEX 00 of track 02 at 00:11:00 lies beyond"},
      {"HundredTracks", "h.cue", hundred, {}, 1, "line 200: "},
      {"Index01BeforeIndex00",
       "i.cue",
       one + "INDEX 01 00:01:00\nINDEX 00 00:00:00\n",
       {},
       1,
       "line 4: INDEX 00 must come before INDEX 01"},
      {"MixedLineEnds",
       "m.cue",
       "FILE a.wav WAVE\r\nTRACK 01 AUDIO\n\r\rINDEX 01 00:20:00\n",
       {},
       1,
       "line 5: INDEX 01 of track 01"},
      {"Utf8WithBom",
       "u.cue",
       "\xEF\xBB\xBF" + one + "INDEX 01 00:00:00\nPOSTGAP 00:02:00\n",
       {},
       1,
       "line 2: The POSTGAP of track 01 cannot be laid out."},
      {"AudioRunsIntoAnotherFile",
       "r.cue",
       one + "INDEX 01 00:00:00\nFILE b.wav WAVE\n"
             "TRACK 02 AUDIO\nINDEX 01 00:01:00\n",
       {},
       1,
       "line 6: The audio of track 01 runs over from \"a.wav\" into another file."},
      {"Latin1NameOfAMissingFile",
       "l.cue",
       "FILE \"\xE9t\xE9.wav\" WAVE\nTRACK 01 AUDIO\n"
       "INDEX 01 00:00:00\n",
       {},
       2,
       "\"" + (dir / "\xC3\xA9t\xC3\xA9.wav") + "\" is not Riff-Wave file or doesnot exist.\n"},
      {"EveryFileRefused",
       "e.cue",
       "FILE x.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       {"--yes"},
       1,
       "No track of the sheet is left to lay out."},
      {"TocStartBeyondItsAudio",
       "s.toc",
       "CD_DA\nTRACK AUDIO\nFILE \"b.wav\" 0\nSTART 00:06:00\n",
       {},
       1,
       "line 4: The START of track 01 lies beyond its audio."},
      {"TocByteOffsetOnAWaveFile",
       "w.toc",
       "CD_DA\nTRACK AUDIO\nFILE \"a.wav\" #44 0 00:05:00\n",
       {},
       1,
       "line 3: A byte offset or SWAP applies to raw samples, not to the wave file \"a.wav\"."},
      {"FlacThatIsNoFlac", "not.flac", "", {}, 1, "\" cannot be imported.\n"},
  };
  for (const HostileRow& row : rows) {
    SCOPED_TRACE(row.Name);
    if (!row.Text.empty()) test::WriteText(dir / row.Sheet, row.Text);
    std::vector<std::string> args = {VARNEL_CLI_PATH, "import", "--settings", dir / "none.ini"};
    args.insert(args.end(), row.Flags.begin(), row.Flags.end());
    args.push_back(dir / row.Sheet);
    args.push_back(dir / "out.txt");
    const auto r = RunProcess(args);
    EXPECT_EQ(r.ExitCode, row.Exit) << r.Err;
    EXPECT_NE(r.Err.find(row.Says), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
  }
}

}  // namespace
}  // namespace varnel
