// An imported rip against the disc it was ripped from: the identity the sheet, its tags or
// its log recorded is kept in the layout (and its file), the import adds no leading silence
// whatever the settings say, an exact plan draws no finding, and a pre-gap changed by one
// frame draws disc-id-differs naming the track. The original's IDs come from libdiscid.
#include <discid/discid.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/check/DiscCheck.h"
#include "app/commands/LayoutFile.h"
#include "app/import/RipImport.h"
#include "support/LayoutTestEnv.h"
#include "support/MakeFixtures.h"

namespace varnel {
namespace {

using test::LayoutTestEnv;

// The original: hidden audio of 2 s before track 1, track 2's index 00 at 00:06:00 and
// index 01 at 00:07:00, 12 s in all, as libdiscid tells its freedb ID.
constexpr const char* kOriginalToc = "1 2 1050 300 675";
std::string FreeDbOf(std::vector<int> offsets) {
  DiscId* disc = discid_new();
  offsets.resize(100);
  EXPECT_TRUE(discid_put(disc, 1, 2, offsets.data()));
  std::string id = discid_get_freedb_id(disc);
  discid_free(disc);
  return id;
}

constexpr const char* kSheet =
    "FILE \"rip.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:02:00\n"
    "  TRACK 02 AUDIO\n    INDEX 00 00:06:00\n    INDEX 01 00:07:00\n";
constexpr const char* kLog =
    "     Track |   Start  |  Length  | Start sector | End sector \n"
    "        1  |  0:02.00 |  0:05.00 |       150    |      524   \n"
    "        2  |  0:07.00 |  0:05.00 |       525    |      899   \n"
    "Track  1\n     Copy CRC 0A0B0C0D\n";

std::vector<std::string> IdentityFindingTexts(AppContext& ctx) {
  std::vector<std::string> texts;
  for (const DiscFinding& f : CheckDisc(ctx.Layout, ctx.Settings)) {
    if (f.Code == "disc-id-differs") texts.push_back(f.Text);
  }
  return texts;
}

TEST(RipOriginal, TheCheckComparesThePlanWithTheRecordedOriginal) {
  const std::string freedb = FreeDbOf({1050, 300, 675});
  struct Case {
    const char* Name;
    std::string Rem;  // before the sheet
    bool Log;
    int32_t PreGapChange;  // sample frames added to track 1's hidden audio
    std::vector<std::string> Findings;
  };
  const Case cases[] = {
      {"the log's table, exact", "", true, 0, {}},
      {"the log's table, track 1's pre-gap a frame longer",
       "",
       true,
       588,
       {"The planned disc is not the original: track 1 starts 1 frame later."}},
      {"the log's table, track 1's pre-gap a frame shorter",
       "",
       true,
       -588,
       {"The planned disc is not the original: track 1 starts 1 frame earlier."}},
      {"REM DISCID, exact", "REM DISCID " + freedb + "\n", false, 0, {}},
      {"REM DISCID, track 1 a second later",
       "REM DISCID " + freedb + "\n",
       false,
       75 * 588,
       {"The planned disc's freedb ID " + FreeDbOf({1050, 375, 675}) + " is not the original's " +
        freedb + "."}},
      {"nothing recorded", "", false, 588, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    LayoutTestEnv env;
    test::WriteBytes(env.Dir / "rip.wav", test::WaveBytes(test::Sound(900 * 588, 9)));
    test::WriteText(env.Dir / "rip.cue", c.Rem + kSheet);
    if (c.Log) test::WriteText(env.Dir / "rip.log", kLog);
    env.Ctx.Settings.AddFrames = true;  // an import keeps the original's positions all the same
    env.Ctx.Settings.NumFrames = 5;
    ASSERT_TRUE(ImportSheetFile(env.Ctx, env.Dir / "rip.cue"));
    Track& first = env.Ctx.Layout.At(0);
    first.SetTrackStartPos(first.TrackStartPos() + c.PreGapChange);
    EXPECT_EQ(IdentityFindingTexts(env.Ctx), c.Findings);
  }
}

TEST(RipOriginal, TheLayoutFileKeepsWhatTheRipRecorded) {
  LayoutTestEnv env;
  test::WriteBytes(env.Dir / "rip.wav", test::WaveBytes(test::Sound(900 * 588, 9)));
  test::WriteText(env.Dir / "rip.cue", std::string("REM DISCID 0A0B0C0D\nREM MUSICBRAINZ_DISCID "
                                                   "MAj3xXf6QMy7G.BIFOyHyq4MySE-\n") +
                                           kSheet);
  test::WriteText(env.Dir / "rip.log", kLog);
  ASSERT_TRUE(ImportSheetFile(env.Ctx, env.Dir / "rip.cue"));
  ASSERT_TRUE(SaveLayoutFile(env.Ctx, env.Dir / "rip.txt", Overwrite::Replace));
  const std::string text = test::ReadText(env.Dir / "rip.txt");
  for (const char* line :
       {"LeadingSilence=0\r\n", "OriginalDiscId=MAj3xXf6QMy7G.BIFOyHyq4MySE-\r\n",
        "OriginalFreeDbId=0a0b0c0d\r\n", "OriginalToc=1 2 1050 300 675\r\n",
        "OriginalCrcs=01:0a0b0c0d\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  LayoutTestEnv other;
  ASSERT_TRUE(LoadLayoutFile(other.Ctx, env.Dir / "rip.txt"));
  EXPECT_EQ(other.Ctx.Layout.LeadingSilence, 0);
  EXPECT_EQ(other.Ctx.Layout.Original.Toc, kOriginalToc);
  EXPECT_EQ(other.Ctx.Layout.Original.Crcs, "01:0a0b0c0d");

  // A layout that is not an import writes none of these keys.
  LayoutTestEnv plain;
  plain.Ctx.Layout.Append(test::WaveTrack(plain.Dir / "a.wav", test::Sound(44100)));
  ASSERT_TRUE(SaveLayoutFile(plain.Ctx, plain.Dir / "a.txt", Overwrite::Replace));
  const std::string plainText = test::ReadText(plain.Dir / "a.txt");
  EXPECT_EQ(plainText.find("LeadingSilence"), std::string::npos);
  EXPECT_EQ(plainText.find("Original"), std::string::npos);
}

}  // namespace
}  // namespace varnel
