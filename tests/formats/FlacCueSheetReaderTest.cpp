// The FLAC cue sheet reader on FLAC files made at test time (sox, flac) that metaflac gives
// a CUESHEET block and/or a CUESHEET tag: the block reads as metaflac exports it (read by
// libcue), block and tag together or the tag alone read as the original sheet does; files
// that carry no usable sheet are refused.
#include "formats/sheets/FlacCueSheetReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include "support/LibcueView.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

const std::string kSheet = R"(CATALOG 0724384260521
REM DATE 2001
TITLE "Album"
PERFORMER "The Band"
FILE "img.wav" WAVE
  TRACK 01 AUDIO
    TITLE "One"
    FLAGS PRE DCP
    ISRC USRC17607839
    INDEX 00 00:00:00
    INDEX 01 00:05:10
  TRACK 02 AUDIO
    TITLE "Two"
    PERFORMER "Guest"
    INDEX 00 00:10:00
    INDEX 01 00:12:00
    INDEX 02 00:15:00
  TRACK 03 AUDIO
    INDEX 01 00:20:00
)";

constexpr int64_t kSamples = 30 * 44100;

class FlacCueSheet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Dir = new test::TempDir;
    MakeFlac("img", 44100);
    MakeFlac("img48k", 48000);
    test::WriteText(*Dir / "img.cue", kSheet);
    test::WriteText(*Dir / "two-files.cue", kSheet +
                                                "FILE \"b.wav\" WAVE\n  TRACK 04 AUDIO\n"
                                                "    INDEX 01 00:00:00\n");
    test::WriteText(*Dir / "bad-time.cue", "FILE x WAVE\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n");
    test::WriteText(*Dir / "too-long.cue", "FILE x WAVE\nTRACK 01 AUDIO\nINDEX 01 00:30:00\n");
  }
  static void TearDownTestSuite() { delete Dir; }

  static void Run(const std::vector<std::string>& args) {
    const test::ProcessResult r = test::RunProcess(args);
    ASSERT_EQ(r.ExitCode, 0) << args[0] << ": " << r.Err;
  }
  static void MakeFlac(const std::string& name, int rate) {
    Run({"sox", "-r", std::to_string(rate), "-c", "2", "-n", "-b", "16", *Dir / (name + ".wav"),
         "synth", "30", "sine", "440", "vol", "0.5"});
    Run({"flac", "-s", "-f", "-o", *Dir / (name + ".flac"), *Dir / (name + ".wav")});
  }
  // A copy of a made FLAC file, given a block from `block` and a tag from `tag` (each a
  // sheet file name, or empty for none).
  static std::string Variant(const std::string& name, const std::string& from,
                             const std::string& block, const std::string& tag) {
    const std::string path = *Dir / name;
    std::filesystem::copy_file(*Dir / from, path,
                               std::filesystem::copy_options::overwrite_existing);
    if (!block.empty()) Run({"metaflac", "--import-cuesheet-from=" + (*Dir / block), path});
    if (!tag.empty()) Run({"metaflac", "--set-tag-from-file=CUESHEET=" + (*Dir / tag), path});
    return path;
  }
  static test::TempDir* Dir;
};

test::TempDir* FlacCueSheet::Dir = nullptr;

// The value of a metaflac export line "REM FLAC__lead-out 170 1323000" and the like.
int64_t ExportNumber(const std::string& text, const std::string& pattern) {
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(pattern + R"( (\d+))"))) return -1;
  return std::stoll(m[1]);
}

TEST_F(FlacCueSheet, BlockReadsAsMetaflacExportsIt) {
  const std::string flac = Variant("block.flac", "img.flac", "img.cue", "");
  const test::ProcessResult exported =
      test::RunProcess({"metaflac", "--export-cuesheet-to=-", flac});
  ASSERT_EQ(exported.ExitCode, 0) << exported.Err;

  const RipResult r = ReadFlacCueSheet(flac);
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  test::ExpectSameAsLibcue(r.Sheet, test::LibcueRead(exported.Out), false);
  EXPECT_EQ(r.Sheet.Source, RipSource::FlacCueSheet);
  EXPECT_EQ("CATALOG " + r.Sheet.Catalog + "\n", exported.Out.substr(0, 22));
  EXPECT_EQ(r.Sheet.LeadIn, ExportNumber(exported.Out, "FLAC__lead-in"));
  EXPECT_EQ(r.Sheet.LeadOut, ExportNumber(exported.Out, "FLAC__lead-out 170"));
  EXPECT_TRUE(r.Sheet.IsCd);
  ASSERT_EQ(r.Sheet.Files.size(), 1u);
  EXPECT_EQ(r.Sheet.Files[0].Path, flac);
  EXPECT_EQ(r.Sheet.Files[0].Type, RipFileType::Flac);
  EXPECT_EQ(r.Sheet.Files[0].Length, kSamples);
  for (const RipTrack& t : r.Sheet.Tracks) {
    for (const RipIndex& i : t.Indices) EXPECT_EQ(i.File, 0);
  }
}

TEST_F(FlacCueSheet, BlockAndTagOrTagAloneReadAsTheOriginalSheet) {
  const RipResult both = ReadFlacCueSheet(Variant("both.flac", "img.flac", "img.cue", "img.cue"));
  const RipResult tag = ReadFlacCueSheet(Variant("tag.flac", "img.flac", "", "img.cue"));
  const test::LibcueDisc original = test::LibcueRead(kSheet);
  for (const RipResult* r : {&both, &tag}) {
    SCOPED_TRACE(r == &both ? "block and tag" : "tag alone");
    ASSERT_TRUE(r->Ok) << r->Error.Text();
    EXPECT_TRUE(r->Sheet.Warnings.empty()) << r->Sheet.Warnings.front().Text();
    test::ExpectSameAsLibcue(r->Sheet, original, false);
    EXPECT_EQ(r->Sheet.Catalog, "0724384260521");
    ASSERT_EQ(r->Sheet.Files.size(), 1u);
    EXPECT_EQ(r->Sheet.Files[0].Type, RipFileType::Flac);
    EXPECT_EQ(r->Sheet.Files[0].Length, kSamples);
  }
  EXPECT_EQ(both.Sheet.LeadOut, kSamples);  // only the block knows the lead-out
  EXPECT_EQ(tag.Sheet.LeadOut, -1);
  EXPECT_EQ(tag.Sheet.Tracks[1].FindIndex(2)->Line, 17);  // lines count within the tag
}

TEST_F(FlacCueSheet, FilesWithoutAUsableSheetAreRefused) {
  ASSERT_EQ(::mkfifo((*Dir / "fifo.flac").c_str(), 0600), 0);
  const struct {
    const char* Name;
    std::string Path;
    int32_t Line;
    const char* Message;
  } cases[] = {
      {"NotFlac", *Dir / "img.wav", 0, "not a readable FLAC file"},
      {"NoSheet", *Dir / "img.flac", 0, "has no cue sheet"},
      {"Not44100Hz", Variant("48k.flac", "img48k.flac", "", "img.cue"), 0, "48000 Hz"},
      {"TagNamesTwoFiles", Variant("two.flac", "img.flac", "", "two-files.cue"), 20,
       "In the CUESHEET tag: The sheet names more than one FILE"},
      {"TagWithABadTime", Variant("badtime.flac", "img.flac", "", "bad-time.cue"), 3,
       "In the CUESHEET tag: The seconds"},
      {"TagIndexBeyondTheAudio", Variant("long.flac", "img.flac", "", "too-long.cue"), 3,
       "beyond the end of the audio"},
      {"Fifo", *Dir / "fifo.flac", 0, "cannot be opened"},
      {"Missing", *Dir / "missing.flac", 0, "cannot be opened"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const RipResult r = ReadFlacCueSheet(c.Path);
    ASSERT_FALSE(r.Ok);
    EXPECT_EQ(r.Error.Line, c.Line) << r.Error.Message;
    EXPECT_NE(r.Error.Message.find(c.Message), std::string::npos) << r.Error.Message;
  }
}

TEST_F(FlacCueSheet, ABrokenTagBesideABlockOnlyWarns) {
  const RipResult r =
      ReadFlacCueSheet(Variant("broken-tag.flac", "img.flac", "img.cue", "bad-time.cue"));
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  ASSERT_EQ(r.Sheet.Warnings.size(), 1u);
  EXPECT_NE(r.Sheet.Warnings[0].Message.find("line 3"), std::string::npos);
  EXPECT_EQ(r.Sheet.Tracks.size(), 3u);
  EXPECT_TRUE(test::FirstCdText(r.Sheet.CdTextContent).Title.empty());
}

}  // namespace
}  // namespace varnel
