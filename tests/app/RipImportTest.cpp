// Importing a ripped disc's sheet in the window's flow: the questions of refused files, the
// CD-Text kept as the layout's typed text, the data track, what is left out, and the
// unsaved-changes question of the File menu command. (Every rip layout's burned disc is checked by
// cdrdao in the varnel-cli tests.)
#include "app/import/RipImport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/commands/UnsavedChanges.h"
#include "support/AudioTools.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

using test::LayoutTestEnv;

struct QuestionRow {
  const char* Name;
  std::string Sheet;  // a.wav (10 s) exists, x.wav does not, w.mp3 is a wave file
  bool Answer;
  std::vector<std::string> Questions;  // the texts after the quoted path
  int32_t Tracks;                      // laid out; −1: the old layout stays
};

TEST(RipImport, ARefusedFileAsksTheLoadersQuestionOnce) {
  const std::vector<QuestionRow> rows = {
      {"MissingFileOfTwoTracksYes",
       "FILE x.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:05:00\n"
       "FILE a.wav WAVE\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n",
       true,
       {"x.wav\" is not Riff-Wave file or doesnot exist."},
       1},
      {"MissingFileNo",
       "FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE x.wav WAVE\nTRACK 02 AUDIO\n"
       "INDEX 01 00:00:00\n",
       false,
       {"x.wav\" is not Riff-Wave file or doesnot exist."},
       -1},
      {"ExtensionLies",
       "FILE w.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE a.wav WAVE\nTRACK 02 AUDIO\n"
       "INDEX 00 00:00:00\nINDEX 01 00:01:00\n",
       true,
       {"w.mp3\" is not MP3 file or doesnot exist."},
       1},
  };
  for (const QuestionRow& row : rows) {
    SCOPED_TRACE(row.Name);
    LayoutTestEnv env;
    env.Wave("a.wav", 750 * 2352);
    test::WriteBytes(env.Dir / "w.mp3", test::WaveBytes(std::vector<uint8_t>(2352 * 400, 3)));
    env.Ctx.Layout.Append(std::make_unique<Track>(env.Wave("old.wav", 2352), FileModeWave,
                                                  WaveDataInfo{44, 2352, 2, 16, 44100}));
    test::WriteText(env.Dir / "rip.cue", row.Sheet);
    env.Prompter.YesNoAnswers = {row.Answer};
    const bool imported = ImportSheetFile(env.Ctx, env.Dir / "rip.cue");
    EXPECT_EQ(imported, row.Tracks >= 0);
    std::vector<std::string> asked;
    for (const std::string& line : env.Prompter.Log) {
      if (line.rfind("YesNo: \"", 0) == 0) asked.push_back(line.substr(line.rfind('/') + 1));
    }
    EXPECT_EQ(asked, row.Questions);
    if (row.Tracks < 0) {
      ASSERT_EQ(env.Ctx.Layout.Count(), 1);
      EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, env.Dir / "old.wav");
      continue;
    }
    ASSERT_EQ(env.Ctx.Layout.Count(), row.Tracks);
    EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, env.Dir / "a.wav");
    // The tracks left out are named in the information box.
    ASSERT_FALSE(env.Prompter.Messages.empty());
    EXPECT_EQ(env.Prompter.Messages.back().Kind, BoxKind::Information);
    EXPECT_NE(env.Prompter.Messages.back().Text.find("track 01 is left out"), std::string::npos);
  }
}

TEST(RipImport, CdTextBecomesTheLayoutsTypedText) {
  LayoutTestEnv env;
  env.Wave("a.wav", 750 * 2352);
  test::WriteText(env.Dir / "rip.cue",
                  "PERFORMER \"Caf\xC3\xA9 Band\"\nTITLE \"Na\xC3\xAFve \xE2\x82\xAC\"\n"
                  "REM GENRE Jazz\n"
                  "FILE a.wav WAVE\nTRACK 01 AUDIO\nTITLE One\nINDEX 01 00:00:00\n"
                  "TRACK 02 AUDIO\nTITLE \"Two\"\nSONGWRITER Wer\nINDEX 01 00:05:00\n");
  ASSERT_TRUE(ImportSheetFile(env.Ctx, env.Dir / "rip.cue"));
  const DiscLayout& l = env.Ctx.Layout;
  EXPECT_TRUE(l.CdTextEnabled);
  EXPECT_EQ(l.CdtPath, "");
  EXPECT_FALSE(std::filesystem::exists(env.Dir / "rip.cdt"));
  EXPECT_EQ(l.CdText.Fields[CdTextField::Performer], "Caf\u00e9 Band");
  EXPECT_EQ(l.CdText.Fields[CdTextField::Title], "Na\u00efve \u20ac");  // as typed: UTF-8
  EXPECT_EQ(l.CdText.Genre, 14);
  EXPECT_EQ(l.At(0).CdText[CdTextField::Title], "One");
  EXPECT_EQ(l.At(1).CdText[CdTextField::Title], "Two");
  EXPECT_EQ(l.At(1).CdText[CdTextField::Songwriter], "Wer");
}

// A FLAC file per track: their Vorbis comments fill what the sheet leaves empty.
TEST(RipImport, FlacCommentsFillWhatTheSheetLeavesEmpty) {
  if (!test::MissingTool({"sox", "flac", "metaflac"}).empty()) GTEST_SKIP() << "flac tags files";
  LayoutTestEnv env;
  ASSERT_TRUE(test::RunAll(
      {{"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "@t.wav", "synth", "5", "sine", "440"},
       {"flac", "--silent", "-o", "@a.flac", "@t.wav"},
       {"flac", "--silent", "-o", "@b.flac", "@t.wav"},
       {"metaflac", "--set-tag=TITLE=Uno", "--set-tag=ARTIST=Ann", "--set-tag=ALBUM=Live",
        "@a.flac"},
       {"metaflac", "--set-tag=TITLE=Dos", "--set-tag=ARTIST=Ann", "--set-tag=COMPOSER=Bach",
        "@b.flac"}},
      env.Dir.Path()));
  test::WriteText(env.Dir / "rip.cue",
                  "FILE a.flac WAVE\nTRACK 01 AUDIO\nTITLE One\nINDEX 01 00:00:00\n"
                  "FILE b.flac WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n");
  ASSERT_TRUE(ImportSheetFile(env.Ctx, env.Dir / "rip.cue"));
  const DiscLayout& l = env.Ctx.Layout;
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l.CdText.Fields, (CdTextFields{{"Live", "Ann", "", "", "", ""}}));
  EXPECT_EQ(l.At(0).CdText, (CdTextFields{{"One", "Ann", "", "", "", ""}}));
  EXPECT_EQ(l.At(1).CdText, (CdTextFields{{"Dos", "Ann", "", "Bach", "", ""}}));
  EXPECT_TRUE(l.CdTextEnabled);
}

TEST(RipImport, DataTrackFirstAndIndexesLeftOut) {
  LayoutTestEnv env;
  env.Wave("a.wav", 750 * 2352);
  env.Image("data.bin", 2352 * 300);
  test::WriteText(env.Dir / "rip.cue",
                  "FILE data.bin BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"
                  "FILE a.wav WAVE\nTRACK 02 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:00:00\n"
                  "INDEX 02 00:03:00\n");
  ASSERT_TRUE(ImportSheetFile(env.Ctx, env.Dir / "rip.cue"));
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, env.Dir / "data.bin");
  EXPECT_EQ(env.Ctx.Layout.ImageType, 1);
  EXPECT_TRUE(env.Ctx.CanChooseImageType);
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.At(0).GetPreGapLength(), 150);  // not the disc's first track
  ASSERT_FALSE(env.Prompter.Messages.empty());
  EXPECT_NE(env.Prompter.Messages.back().Text.find("line 8: INDEX 02 of track 02 is left out"),
            std::string::npos)
      << env.Prompter.Messages.back().Text;

  // A data track anywhere else is refused with its line.
  LayoutTestEnv late;
  late.Wave("a.wav", 750 * 2352);
  late.Image("data.bin", 2352 * 300);
  test::WriteText(late.Dir / "rip.cue",
                  "FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                  "FILE data.bin BINARY\nTRACK 02 MODE1/2352\nINDEX 01 00:00:00\n");
  EXPECT_FALSE(ImportSheetFile(late.Ctx, late.Dir / "rip.cue"));
  ASSERT_FALSE(late.Prompter.Messages.empty());
  EXPECT_EQ(late.Prompter.Messages.back().Kind, BoxKind::Error);
  EXPECT_NE(late.Prompter.Messages.back().Text.find("line 5: "), std::string::npos);
}

TEST(RipImport, TheMenuCommandAsksAboutUnsavedChangesAndLeavesTheLayoutUnsaved) {
  LayoutTestEnv env;
  env.Wave("a.wav", 750 * 2352);
  test::WriteText(env.Dir / "rip.cue", "FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  env.Ctx.Layout.Append(std::make_unique<Track>(env.Wave("old.wav", 2352), FileModeWave,
                                                WaveDataInfo{44, 2352, 2, 16, 44100}));
  ASSERT_TRUE(LayoutModified(env.Ctx));

  env.Prompter.SaveChangesAnswers = {SaveAnswer::Cancel};
  ImportSheet(env.Ctx);
  EXPECT_TRUE(env.Prompter.Requests.empty());
  EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, env.Dir / "old.wav");

  env.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  env.Prompter.OpenAnswers = {{env.Dir / "rip.cue"}};
  ImportSheet(env.Ctx);
  ASSERT_EQ(env.Prompter.Requests.size(), 1u);
  EXPECT_EQ(env.Prompter.Requests[0].Filter, kSheetFileFilter);
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, env.Dir / "a.wav");
  EXPECT_TRUE(LayoutModified(env.Ctx));
  EXPECT_EQ(MainWindowTitle(env.Ctx), "Untitled* \u2014 Varnel");
  EXPECT_EQ(env.Ctx.Settings.LayoutFileDir, env.Dir.Path());
}

}  // namespace
}  // namespace varnel
