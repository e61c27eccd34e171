// The disc check on loaded layouts: one layout per finding code, with the exact line
// `varnel-cli lint` prints for it; the capacity limits to the frame; the rows of the
// findings dialog and the track a double click selects.
#include "app/check/DiscCheck.h"

#include <gtest/gtest.h>

#include "app/check/DiscCheckView.h"
#include "app/commands/LayoutFile.h"
#include "formats/cdtext/CdText.h"
#include "support/DiscCheckLayouts.h"
#include "support/FakePrompter.h"
#include "support/MpegFrames.h"

namespace varnel {
namespace {

using test::KeyIndex;
using test::TrackKeys;

constexpr int64_t kSecond = 44100;  // sample frames

class DiscCheckTest : public ::testing::Test {
 protected:
  DiscCheckTest() {
    test::WriteBytes(Dir / "long.wav", test::WaveBytes(std::vector<uint8_t>(10 * kSecond * 4, 1)));
    test::WriteBytes(Dir / "short.wav", test::WaveBytes(std::vector<uint8_t>(3 * kSecond * 4, 1)));
    test::WriteWave(Dir / "silent.wav", {{5 * kSecond, true}});
    test::WriteWave(Dir / "gap.wav", {{3 * kSecond, true}, {7 * kSecond, false}});
    test::WriteBytes(Dir / "k.cdg", std::vector<uint8_t>(2448 * 375, 7));
    test::WriteBytes(Dir / "m.mp3", test::Mpeg1Layer3Stereo44k(200));
    test::WriteBytes(Dir / "bad.cdt", std::vector<uint8_t>(100, 0x41));
    test::WriteBytes(Dir / "data.iso", std::vector<uint8_t>(2048 * 300, 0));
    CdText three;  // titles for tracks 1 to 3
    CdTextBlock& block = three.Blocks.emplace_back();
    block.LastTrack = 3;
    for (int32_t t = 0; t <= 3; ++t) block.SetText(kCdTextTitle, t, "T" + std::to_string(t));
    std::vector<uint8_t> packs;
    std::string reason;
    EXPECT_TRUE(EncodeCdText(three, CdTextFraming::Packs, packs, reason)) << reason;
    test::WriteBytes(Dir / "three.cdt", packs);
  }

  // Loads the layout; the findings as lint prints them.
  std::vector<std::string> Lines(const KeyIndex& disc, const std::vector<KeyIndex>& tracks,
                                 int32_t media = kDefaultMediaMinutes) {
    const std::string path = Dir / "disc.txt";
    test::WriteText(path, test::LayoutText(Dir.Path(), disc, tracks));
    EXPECT_TRUE(LoadLayoutFile(Ctx, path));
    EXPECT_TRUE(Prompter.Log.empty()) << Prompter.Log.front();
    std::vector<std::string> lines;
    for (const DiscFinding& f : CheckDisc(Ctx.Layout, Ctx.Settings, media)) {
      lines.push_back(FindingLine(f));
    }
    return lines;
  }

  static KeyIndex Long(const KeyIndex& changes = {}) {
    return TrackKeys("@long.wav", 10 * kSecond, changes);
  }

  test::TempDir Dir;
  test::FakePrompter Prompter;
  AppContext Ctx{Prompter};
};

using LineList = std::vector<std::string>;

TEST_F(DiscCheckTest, EachCodeOnTheLayoutThatEarnsIt) {
  const std::string dir = Dir.Path();
  struct Row {
    const char* Name;
    KeyIndex Disc;
    std::vector<KeyIndex> Tracks;
    int32_t Media;
    LineList Expected;
  };
  // 74 minutes of silent pre-gap before a 10-second track, after a first track of 2 + 10
  // seconds: the disc plays 74:22:00.
  const std::vector<KeyIndex> over74 = {Long(),
                                        Long({{"PreGapLength", std::to_string(74 * 4500)}})};
  std::vector<KeyIndex> longText;  // 20 tracks of 200 characters each
  for (char c = 'a'; c < 'a' + 20; ++c)
    longText.push_back(Long({{"CdTextMessage", std::string(200, c)}}));
  const Row rows[] = {
      {"clean", {}, {Long(), Long()}, 80, {}},
      {"empty", {}, {}, 80, {"error\t-\tempty-disc\tThe disc has no audio track."}},
      {"too long for 74 minutes",
       {},
       over74,
       74,
       {"error\t-\tdisc-too-long\tThe disc plays 74:22:00, longer than the 74:00:00 a 74-minute "
        "disc holds (00:22:00 too much)."}},
      {"over 74 minutes on 80",
       {},
       over74,
       80,
       {"note\t-\tdisc-over-74\tThe disc plays 74:22:00, more than 74 minutes: it fits, but not "
        "on a 74-minute disc."}},
      {"3-second track",
       {},
       {Long(), TrackKeys("@short.wav", 3 * kSecond)},
       80,
       {"error\t2\ttrack-too-short\tThe track plays 00:03:00 from index 01 to its end; a CD "
        "track plays 00:04:00 at least."}},
      {"first pre-gap of 1:25",
       {},
       {Long({{"PreGapLength", "100"}})},
       80,
       {"error\t1\tfirst-pregap-short\tPre-gap for the first audio track must be at least 2 "
        "seconds. It is 00:01:25."}},
      {"first audio track after a data track",
       {{"DataTrack.TrackFileNmae", "@data.iso"}},
       {Long({{"PreGapLength", "100"}})},
       80,
       {"error\t2\tfirst-pregap-short\tPre-gap for the first audio track must be at least 2 "
        "seconds. It is 00:01:25."}},
      {"first hidden audio of 1 second",
       {},
       {Long({{"PreGapStyle", "2"}, {"TrackStartPos", std::to_string(kSecond)}})},
       80,
       {"error\t1\tfirst-pregap-short\tPre-gap for the first audio track must be at least 2 "
        "seconds. It is 00:01:00."}},
      {"start after end",
       {},
       {Long(), Long({{"TrackStartPos", "5000"}, {"TrackEndPos", "4000"}})},
       80,
       {"error\t2\tposition-invalid\tThe track starts at sample frame 5000, after its end at "
        "4000."}},
      {"end past the file",
       {},
       {Long(), Long({{"TrackEndPos", "500000"}})},
       80,
       {"error\t2\tposition-invalid\tThe track ends at sample frame 500000, beyond the end of "
        "its file (441000 sample frames)."}},
      {"negative start",
       {},
       {Long(), Long({{"TrackStartPos", "-588"}})},
       80,
       {"error\t2\tposition-invalid\tThe track has a negative position (-588 to 441000)."}},
      {"pre-gap of 206 minutes",
       {},
       {Long(), Long({{"PreGapLength", std::to_string(206 * 4500)}})},
       99,
       {"error\t-\tdisc-too-long\tThe disc plays 206:22:00, longer than the 99:00:00 a "
        "99-minute disc holds (107:22:00 too much).",
        "error\t2\tposition-invalid\tThe pre-gap of 206:00:00 is longer than 99:59:74."}},
      {"missing data image",
       {{"DataTrack.TrackFileNmae", "@none.iso"}},
       {Long()},
       80,
       {"error\t1\tfile-missing\tThe data track image \"" + dir +
        "/none.iso\" does not exist or is not a regular file."}},
      {"missing CD-Text file",
       {{"CD-Text", "1"}, {"CdtPath", "@none.cdt"}},
       {Long()},
       80,
       {"error\t-\tfile-missing\tThe CD-Text file \"" + dir +
        "/none.cdt\" does not exist or is not a regular file."}},
      {"12-digit catalog",
       {{"MediaCatalog", "490123456789"}},
       {Long()},
       80,
       {"error\t-\tcatalog-invalid\tThe catalog number \"490123456789\" is not 13 digits."}},
      {"wrong check digit",
       {{"MediaCatalog", "4901234567890"}},
       {Long()},
       80,
       {"warning\t-\tcatalog-check-digit\tThe catalog number 4901234567890 ends in 0, but its "
        "EAN-13 check digit is 4."}},
      {"right check digit", {{"MediaCatalog", "4901234567894"}}, {Long()}, 80, {}},
      {"ISRC of digits first",
       {},
       {Long(), Long({{"ISRC", "12ABC1234567"}})},
       80,
       {"error\t2\tisrc-invalid\tThe ISRC \"12ABC1234567\" is not 2 capital letters, 3 capital "
        "letters or digits, then 7 digits."}},
      {"good ISRC", {}, {Long({{"ISRC", "USABC9912345"}})}, 80, {}},
      {"CD-Text on a mixed-mode disc",
       {{"DataTrack.TrackFileNmae", "@none.iso"}, {"CD-Text", "1"}, {"CdtPath", "@bad.cdt"}},
       {Long()},
       80,
       {"note\t-\tcdtext-mixed-mode\tThe disc is mixed-mode and carries no CD-Text: \"" + dir +
            "/bad.cdt\" is left out.",
        "error\t1\tfile-missing\tThe data track image \"" + dir +
            "/none.iso\" does not exist or is not a regular file."}},
      {"CD-Text on with neither file nor text",
       {{"CD-Text", "1"}},
       {Long()},
       80,
       {"warning\t-\tcdtext-empty\tCD-Text is on, but there is neither a CD-Text file nor "
        "typed text: the disc gets no CD-Text."}},
      {"3-track CD-Text file on a 4-track disc",
       {{"CD-Text", "1"}, {"CdtPath", "@three.cdt"}},
       {Long(), Long(), Long(), Long()},
       80,
       {"warning\t-\tcdtext-track-count\tThe CD-Text file \"" + dir +
        "/three.cdt\" has text for tracks 1 to 3, but the disc has 4 tracks."}},
      {"3-track CD-Text file on a 3-track disc",
       {{"CD-Text", "1"}, {"CdtPath", "@three.cdt"}},
       {Long(), Long(), Long()},
       80,
       {}},
      {"typed text beyond ISO 8859-1",
       {{"CD-Text", "1"}, {"CdTextTitle", "Caf\u00e9 \u6771\u4eac"}},
       {Long(), Long({{"CdTextPerformer", "Ann"}, {"CdTextMessage", "5 \u20ac"}})},
       80,
       {"warning\t-\tcdtext-not-latin1\tThe CD-Text Title holds \"\u6771\", which CD-Text in "
        "ISO 8859-1 cannot carry; it is written as \"?\".",
        "warning\t2\tcdtext-not-latin1\tThe CD-Text Message holds \"\u20ac\", which CD-Text in "
        "ISO 8859-1 cannot carry; it is written as \"?\"."}},
      {"typed text goes before the file",
       {{"CD-Text", "1"}, {"CdtPath", "@bad.cdt"}, {"CdTextTitle", "A"}},
       {Long()},
       80,
       {}},
      {"typed text too long for one block",
       {{"CD-Text", "1"}},
       longText,
       80,
       {"error\t-\tcdtext-too-long\tThe typed CD-Text does not fit the packs of one block "
        "(block 0 needs 339 packs, more than 256): shorten the texts."}},
      {"silent hidden file",
       {},
       {Long({{"PreGapStyle", "1"},
              {"PreGapFileName", "@silent.wav"},
              {"PreGapEndPos", std::to_string(5 * kSecond)}})},
       80,
       {"warning\t1\thidden-audio-silent\tThe hidden audio (00:05:00) is digital silence "
        "throughout."}},
      {"silent hidden start of the file",
       {},
       {TrackKeys("@gap.wav", 10 * kSecond,
                  {{"PreGapStyle", "2"}, {"TrackStartPos", std::to_string(3 * kSecond)}})},
       80,
       {"warning\t1\thidden-audio-silent\tThe hidden audio (00:03:00) is digital silence "
        "throughout."}},
      {"hidden audio with sound",
       {},
       {TrackKeys("@gap.wav", 10 * kSecond,
                  {{"PreGapStyle", "2"}, {"TrackStartPos", std::to_string(4 * kSecond)}})},
       80,
       {}},
      {"MP3 track",
       {},
       {Long(), TrackKeys("@m.mp3", 0, {{"FileMode", "1"}})},
       80,
       {"note\t2\tmp3-needs-toc\tAn MP3 track burns on Linux only from the TOC file for "
        "cdrdao, which names its decoded audio."}},
      {"CD+G track",
       {},
       {Long(), TrackKeys("@k.cdg", 0, {{"FileMode", "2"}})},
       80,
       {"note\t2\tcdg-needs-toc\tA CD+G track burns on Linux only from the TOC file for "
        "cdrdao, which carries its graphics as sub-channel data."}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    // MP3 and CD+G tracks take their region from the file: an end position of 0 is the
    // loader's "whole file".
    std::vector<KeyIndex> tracks = row.Tracks;
    for (KeyIndex& t : tracks) {
      if (t["TrackEndPos"] == "0") t.erase("TrackEndPos");
    }
    EXPECT_EQ(Lines(row.Disc, tracks, row.Media), row.Expected);
  }
}

TEST_F(DiscCheckTest, CdTextTheReaderRefuses) {
  CdText text;
  std::string reason;
  ASSERT_FALSE(ReadCdTextFile(Dir / "bad.cdt", text, reason));
  EXPECT_EQ(Lines({{"CD-Text", "1"}, {"CdtPath", "@bad.cdt"}}, {Long()}),
            (LineList{"error\t-\tcdtext-invalid\tThe CD-Text file \"" + Dir / "bad.cdt" +
                      "\" is not valid CD-Text: " + reason}));
}

TEST_F(DiscCheckTest, AHundredTracksAreTooMany) {
  EXPECT_EQ(
      Lines({{"DataTrack.TrackFileNmae", "@data.iso"}}, std::vector<KeyIndex>(99, Long())),
      (LineList{"error\t-\ttoo-many-tracks\tThe disc has 100 tracks; a CD holds at most 99."}))
      << "99 audio tracks after a data track";
}

TEST_F(DiscCheckTest, TheMediumHoldsItsMinutesToTheFrame) {
  // The first track's 2 seconds plus its 10, then a pre-gap that fills the rest of the
  // medium: exactly full, then one frame over.
  for (const int32_t media : {74, 80, 90, 99}) {
    const int64_t rest = int64_t{media} * 4500 - 12 * 75 - 10 * 75;
    for (const int64_t over : {0, 1}) {
      SCOPED_TRACE(std::to_string(media) + " minutes, " + std::to_string(over) + " frame over");
      const LineList lines =
          Lines({}, {Long(), Long({{"PreGapLength", std::to_string(rest + over)}})}, media);
      const std::string head = lines.empty() ? "" : lines[0].substr(0, lines[0].find('\t', 8));
      EXPECT_EQ(head, over ? "error\t-\tdisc-too-long" : media > 74 ? "note\t-\tdisc-over-74" : "");
      EXPECT_LE(lines.size(), 1u);
    }
  }
}

TEST_F(DiscCheckTest, DialogRowsSelectTheirTracks) {
  Lines({{"DataTrack.TrackFileNmae", "@none.iso"}}, {Long(), TrackKeys("@short.wav", 3 * kSecond)});
  const std::vector<DiscFinding> findings = CheckDisc(Ctx.Layout, Ctx.Settings);
  const std::vector<FindingRow> rows = FindingRows(Ctx.Layout, findings);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Track, "1 (data)");
  EXPECT_EQ(rows[1].Track, "3");
  EXPECT_EQ(rows[1].Text, findings[1].Text);
  EXPECT_EQ(rows[1].Severity, Severity::Error);

  Ctx.SelectedTrack = 0;
  EXPECT_FALSE(SelectFindingTrack(Ctx, rows[0]));
  EXPECT_EQ(Ctx.SelectedTrack, 0);
  EXPECT_TRUE(SelectFindingTrack(Ctx, rows[1]));
  EXPECT_EQ(Ctx.SelectedTrack, 1);
  EXPECT_EQ(Ctx.Layout.At(Ctx.SelectedTrack).TrackFileName, Dir / "short.wav");

  // A row whose track has left the list since selects nothing.
  Ctx.Layout.Delete(1);
  EXPECT_FALSE(SelectFindingTrack(Ctx, rows[1]));
  EXPECT_EQ(Ctx.SelectedTrack, 1);
}

}  // namespace
}  // namespace varnel
