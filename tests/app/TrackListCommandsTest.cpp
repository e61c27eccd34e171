#include "app/commands/TrackListCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/views/StatusBar.h"
#include "support/LayoutTestEnv.h"
#include "support/MpegFrames.h"

namespace varnel {
namespace {

using test::LayoutTestEnv;

const std::array<std::string, 4> kEmptyPanels = {" Total: 00 tracks", " 000MB", " 00:00:00", ""};

// Settings whose "Default" section differs from every built-in default.
void SetOddDefaults(AppSettings& s) {
  s.PreEmph = true;
  s.Protect = true;
  s.TrackPaddingHead = true;
  s.TrackCutLeading = true;
  s.TrackCutTrailing = true;
  s.PreGapFrames = 4500 + 75 + 3;
  s.PreGapPaddingHead = false;
  s.PreGapCutLeading = true;
  s.PreGapCutTrailing = true;
}

TEST(PathParts, CatalogFieldHoldsThirteenDigitsOrBlanks) {
  EXPECT_EQ(CatalogFieldText(""), std::string(13, ' '));
  EXPECT_EQ(CatalogFieldText("1234567890123"), "1234567890123");
  EXPECT_EQ(CatalogFieldText("12a4"), "12 4         ");
  EXPECT_EQ(CatalogFieldText("12345678901234567"), "1234567890123");
}

TEST(AddTrackFile, WaveTrackTakesEveryDefaultAndCountsItsBytes) {
  LayoutTestEnv env;
  SetOddDefaults(env.Ctx.Settings);
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352 * 10)));
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  Track& t = env.Ctx.Layout.At(0);
  EXPECT_EQ(t.TrackFileName, env.Dir / "a.wav");
  EXPECT_EQ(t.FileMode, FileModeWave);
  EXPECT_TRUE(t.PreEmph);
  EXPECT_TRUE(t.Protect);
  EXPECT_TRUE(t.TrackPaddingHead);
  EXPECT_TRUE(t.TrackCutLeading);
  EXPECT_TRUE(t.TrackCutTrailing);
  EXPECT_EQ(t.GetPreGapLength(), 4578);
  EXPECT_EQ(t.PreGapMin, 1);
  EXPECT_EQ(t.PreGapSec, 1);
  EXPECT_EQ(t.PreGapFrame, 3);
  EXPECT_FALSE(t.PreGapPaddingHead);
  EXPECT_TRUE(t.PreGapCutLeading);
  EXPECT_TRUE(t.PreGapCutTrailing);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 4578 * 2352 + 2352 * 10);
  EXPECT_TRUE(env.Prompter.Log.empty());
}

TEST(AddTrackFile, Mp3AndCdgTracksLoseCutAndHeadPaddingButKeepFlagsAndPreGap) {
  LayoutTestEnv env;
  SetOddDefaults(env.Ctx.Settings);
  test::WriteBytes(env.Dir / "b.mp3", test::Mpeg1Layer3Stereo44k(38));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Dir / "b.mp3"));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Cdg("c.cdg", 3)));
  ASSERT_EQ(env.Ctx.Layout.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    Track& t = env.Ctx.Layout.At(i);
    SCOPED_TRACE(t.TrackFileName);
    EXPECT_FALSE(t.TrackPaddingHead);
    EXPECT_FALSE(t.TrackCutLeading);
    EXPECT_FALSE(t.TrackCutTrailing);
    EXPECT_FALSE(t.PreGapPaddingHead);
    EXPECT_FALSE(t.PreGapCutLeading);
    EXPECT_FALSE(t.PreGapCutTrailing);
    EXPECT_TRUE(t.PreEmph);
    EXPECT_TRUE(t.Protect);
    EXPECT_EQ(t.GetPreGapLength(), 4578);
  }
  EXPECT_EQ(env.Ctx.Layout.At(0).FileMode, FileModeMp3);
  EXPECT_EQ(env.Ctx.Layout.At(1).FileMode, FileModeCdg);
  EXPECT_EQ(env.Ctx.Layout.At(1).WaveInfo.DataSize, 3 * 2352);
}

TEST(AddTrackFile, RefusedFileIsNotAddedAndTheAnswerIsReturned) {
  LayoutTestEnv env;
  env.Ctx.Settings.ConvertSources = false;  // a mono wave file is refused, not converted
  env.Prompter.YesNoAnswers = {true, false};
  EXPECT_TRUE(AddTrackFile(env.Ctx, env.MonoWave("m.wav")));
  EXPECT_FALSE(AddTrackFile(env.Ctx, env.Dir / "gone.mp3"));
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 0);
  EXPECT_EQ(env.Prompter.Log,
            (std::vector<std::string>{
                "YesNo: \"" + (env.Dir / "m.wav") +
                    "\" is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?",
                "YesNo: \"" + (env.Dir / "gone.mp3") +
                    "\" is not MP3 file or doesnot exist. Do you want to continue?"}));
}

class AddAudioFilesTest : public ::testing::Test {
 protected:
  // A mono wave file is refused, not converted.
  AddAudioFilesTest() { env.Ctx.Settings.ConvertSources = false; }
  LayoutTestEnv env;
  std::vector<std::string> FiveFiles(bool secondRefused) {
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) {
      const std::string name = "f" + std::to_string(i) + ".wav";
      files.push_back(i == 1 && secondRefused ? env.MonoWave(name) : env.Wave(name, 2352));
    }
    return files;
  }
  void Fill(int32_t tracks) {
    const std::string path = env.Wave("fill.wav", 2352);
    for (int32_t i = 0; i < tracks; ++i) ASSERT_TRUE(AddTrackFile(env.Ctx, path));
  }
};

TEST_F(AddAudioFilesTest, AddsTheChosenFilesInOrderAndRemembersTheirFolder) {
  env.Ctx.Settings.WaveFileDir = "/somewhere";
  const std::vector<std::string> files = FiveFiles(false);
  env.Prompter.OpenAnswers = {files};
  AddAudioFiles(env.Ctx);
  ASSERT_EQ(env.Ctx.Layout.Count(), 5);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(env.Ctx.Layout.At(i).TrackFileName, files[i]);
  ASSERT_EQ(env.Prompter.Requests.size(), 1u);
  const FileDialogRequest& r = env.Prompter.Requests[0];
  EXPECT_EQ(r.Filter,
            "Audio files (*.wav; *.mp3; *.cdg; *.flac; *.aif; *.aiff; *.ogg; *.oga; *.opus)|"
            "*.wav;*.mp3;*.cdg;*.flac;*.aif;*.aiff;*.ogg;*.oga;*.opus|Wave files (*.wav)|*.wav|"
            "MP3 files (*.mp3)|*.mp3|CDG Files (*.cdg)|*.cdg|FLAC files (*.flac)|*.flac|"
            "AIFF files (*.aif; *.aiff)|*.aif;*.aiff|Ogg Vorbis files (*.ogg; *.oga)|*.ogg;*.oga|"
            "Opus files (*.opus)|*.opus|All files (*.*)|*.*");
  EXPECT_TRUE(r.Multi);
  EXPECT_EQ(r.InitialDir, "/somewhere");
  EXPECT_EQ(env.Ctx.Settings.WaveFileDir, env.Dir.Path());
  // Five tracks of one frame each with the 2-second silent pre-gap: 5 × 151 frames.
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 05 tracks");
  EXPECT_EQ(env.Ctx.StatusPanels[2], " 00:10:05");
  EXPECT_EQ(env.Ctx.StatusPanels[3], " Audio disc");
}

TEST_F(AddAudioFilesTest, YesToARefusedSecondFileAddsTheOtherFour) {
  const std::vector<std::string> files = FiveFiles(true);
  env.Prompter.OpenAnswers = {files};
  env.Prompter.YesNoAnswers = {true};
  AddAudioFiles(env.Ctx);
  ASSERT_EQ(env.Ctx.Layout.Count(), 4);
  EXPECT_EQ(env.Ctx.Layout.At(1).TrackFileName, files[2]);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 04 tracks");
}

TEST_F(AddAudioFilesTest, NoToARefusedSecondFileAddsTheFirstOnly) {
  const std::vector<std::string> files = FiveFiles(true);
  env.Prompter.OpenAnswers = {files};
  env.Prompter.YesNoAnswers = {false};
  AddAudioFiles(env.Ctx);
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, files[0]);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 01 tracks");
  EXPECT_EQ(env.Ctx.Settings.WaveFileDir, env.Dir.Path());
}

TEST_F(AddAudioFilesTest, NinetySevenTracksAndFiveFilesEndAtNinetyNineWithTheLimitMessage) {
  Fill(97);
  env.Prompter.OpenAnswers = {FiveFiles(false)};
  AddAudioFiles(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 99);
  EXPECT_EQ(env.Prompter.Log.back(), "Limit: A disc cannot have more than 99 tracks.");
  EXPECT_EQ(env.Prompter.Beeps, 1);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 99 tracks");
}

TEST_F(AddAudioFilesTest, AnExistingDataTrackCountsAsOneOfTheNinetyNine) {
  Fill(98);
  env.Ctx.Layout.DataTrackFile = env.Image("data.bin", 2048);
  env.Prompter.OpenAnswers = {FiveFiles(false)};
  AddAudioFiles(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 98);
  EXPECT_EQ(env.Prompter.Log.back(), "Limit: A disc cannot have more than 99 tracks.");
}

TEST_F(AddAudioFilesTest, AMissingDataTrackDoesNotCount) {
  Fill(98);
  env.Ctx.Layout.DataTrackFile = env.Dir / "missing.bin";
  env.Prompter.OpenAnswers = {FiveFiles(false)};
  AddAudioFiles(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 99);
}

TEST_F(AddAudioFilesTest, CancelledDialogChangesNothing) {
  env.Ctx.Settings.WaveFileDir = "/kept";
  env.Ctx.StatusPanels[0] = "untouched";
  env.Prompter.OpenAnswers = {{}};
  AddAudioFiles(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Ctx.Settings.WaveFileDir, "/kept");
  EXPECT_EQ(env.Ctx.StatusPanels[0], "untouched");
}

TEST(TrackListCommands, EveryGuardedCommandIsIgnoredWhileMakeStateIsNotIdle) {
  LayoutTestEnv env;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  env.Ctx.Layout.DataTrackFile = "/x.bin";
  env.Ctx.Layout.CdtPath = "/x.cdt";
  env.Ctx.SelectedTrack = 0;
  const int64_t total = env.Ctx.Layout.TotalBytes;
  env.Ctx.MakeState = RunState::Succeeded;
  AddAudioFiles(env.Ctx);
  ChooseDataTrackImage(env.Ctx);
  RemoveSelectedTrack(env.Ctx);
  ClearTracks(env.Ctx);
  ClearAudioTracks(env.Ctx);
  NewLayout(env.Ctx);
  EXPECT_TRUE(env.Prompter.Log.empty());  // no dialog was shown
  EXPECT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, total);
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, "/x.bin");
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "/x.cdt");
}

TEST(TrackListCommands, RemovingEveryTrackBringsTheTotalBackToZero) {
  LayoutTestEnv env;
  env.Ctx.Settings.TrackCutLeading = true;  // lengths that depend on the silence analysis
  test::WriteWave(env.Dir / "s.wav", {{1000, true}, {3000, false}, {500, true}});
  for (const std::string& p : {env.Dir / "s.wav", env.Wave("b.wav", 9404), env.Cdg("c.cdg", 2)}) {
    ASSERT_TRUE(AddTrackFile(env.Ctx, p));
  }
  ASSERT_GT(env.Ctx.Layout.TotalBytes, 0);
  RefreshStatusBar(env.Ctx);
  env.Ctx.SelectedTrack = 1;
  RemoveSelectedTrack(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 2);
  EXPECT_EQ(env.Ctx.Layout.At(1).TrackFileName, env.Dir / "c.cdg");
  EXPECT_EQ(env.Ctx.SelectedTrack, -1);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 02 tracks");
  RemoveSelectedTrack(env.Ctx);  // nothing selected: nothing happens
  EXPECT_EQ(env.Ctx.Layout.Count(), 2);
  env.Ctx.SelectedTrack = 1;
  RemoveSelectedTrack(env.Ctx);
  env.Ctx.SelectedTrack = 0;
  RemoveSelectedTrack(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 0);
  EXPECT_EQ(env.Ctx.StatusPanels, kEmptyPanels);
  env.Ctx.SelectedTrack = 5;  // a stale selection beyond the list
  RemoveSelectedTrack(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 0);
}

TEST(TrackListCommands, ClearEmptiesTheListAndOnlyTheCommandRefreshes) {
  LayoutTestEnv env;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  RefreshStatusBar(env.Ctx);
  env.Ctx.SelectedTrack = 0;
  ClearTracks(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 0);
  EXPECT_EQ(env.Ctx.SelectedTrack, -1);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 01 tracks");
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Dir / "a.wav"));
  env.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  ClearAudioTracks(env.Ctx);
  EXPECT_EQ(env.Ctx.StatusPanels, kEmptyPanels);
  EXPECT_EQ(env.Prompter.Log,
            (std::vector<std::string>{"SaveChanges: Save changes to the disc layout?"}));
}

TEST(TrackListCommands, DataTrackImageSwitchesCdTextAndImageTypeAvailability) {
  LayoutTestEnv env;
  env.Ctx.Layout.CdTextEnabled = true;
  const std::string image = env.Image("d.bin", 2352 * 1000);
  SetDataTrackFile(env.Ctx, image);
  EXPECT_FALSE(env.Ctx.Layout.CdTextEnabled);
  EXPECT_FALSE(env.Ctx.CanEnableCdText);
  EXPECT_TRUE(env.Ctx.CanChooseImageType);
  EXPECT_GT(env.Redraws, 0);
  EXPECT_EQ(env.Ctx.StatusPanels[3], " Data disc");
  SetDataTrackFile(env.Ctx, "");
  EXPECT_FALSE(env.Ctx.Layout.CdTextEnabled);  // still unchecked
  EXPECT_TRUE(env.Ctx.CanEnableCdText);
  EXPECT_FALSE(env.Ctx.CanChooseImageType);
  EXPECT_EQ(env.Ctx.StatusPanels, kEmptyPanels);
  // A path naming nothing (or a folder) is no data track.
  env.Ctx.Layout.CdTextEnabled = true;
  SetDataTrackFile(env.Ctx, env.Dir.Path());
  EXPECT_TRUE(env.Ctx.Layout.CdTextEnabled);
  EXPECT_TRUE(env.Ctx.CanEnableCdText);
}

TEST(TrackListCommands, ChoosingImageAndCdtFileUsesTheirFoldersAndFilters) {
  LayoutTestEnv env;
  env.Ctx.Settings.BinFileDir = "/bins";
  env.Ctx.Settings.CdtFileDir = "/cdts";
  const std::string image = env.Image("d.bin", 4704);
  env.Prompter.OpenAnswers = {{image}, {"/texts/disc.cdt"}, {}, {}};
  ChooseDataTrackImage(env.Ctx);
  ChooseCdtFile(env.Ctx);
  ASSERT_EQ(env.Prompter.Requests.size(), 2u);
  EXPECT_EQ(env.Prompter.Requests[0].Filter, "Disc image files (.*.bin)|*bin|All files (*.*)|*.*");
  EXPECT_EQ(env.Prompter.Requests[0].InitialDir, "/bins");
  EXPECT_EQ(env.Prompter.Requests[1].Filter, "CD-TEXT Files (*.cdt)|*.cdt|All Files (*.*)|*.*");
  EXPECT_EQ(env.Prompter.Requests[1].InitialDir, "/cdts");
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, image);
  EXPECT_EQ(env.Ctx.Settings.BinFileDir, env.Dir.Path());
  EXPECT_TRUE(env.Ctx.CanChooseImageType);
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "/texts/disc.cdt");
  EXPECT_EQ(env.Ctx.Settings.CdtFileDir, "/texts");
  // Cancelled dialogs keep everything.
  ChooseDataTrackImage(env.Ctx);
  ChooseCdtFile(env.Ctx);
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, image);
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "/texts/disc.cdt");
  EXPECT_EQ(env.Ctx.Settings.BinFileDir, env.Dir.Path());
}

TEST(TrackListCommands, NewLayoutEmptiesAllButTheImageType) {
  LayoutTestEnv env;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  SetDataTrackFile(env.Ctx, env.Image("d.bin", 2048));
  env.Ctx.Layout.ImageType = 3;
  env.Ctx.Layout.MediaCatalog = "1234567890123";
  env.Ctx.Layout.CdtPath = "/x.cdt";
  env.Ctx.Layout.CdTextEnabled = true;
  env.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  NewLayout(env.Ctx);
  EXPECT_TRUE(env.Prompter.SaveChangesAnswers.empty());
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 0);
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, "");
  EXPECT_FALSE(env.Ctx.Layout.CdTextEnabled);
  EXPECT_TRUE(env.Ctx.CanEnableCdText);
  EXPECT_FALSE(env.Ctx.CanChooseImageType);
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, std::string(13, ' '));
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "");
  EXPECT_EQ(env.Ctx.Layout.ImageType, 3);
  EXPECT_EQ(env.Ctx.StatusPanels, kEmptyPanels);
}

TEST(TrackListCommands, AdjustTotalCorrectsTheTotalAndRefreshes) {
  LayoutTestEnv env;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  Track& t = env.Ctx.Layout.At(0);
  const int64_t before = t.GetTotalBytes();
  t.SetPreGapLength(75 * 60);
  AdjustTotal(env.Ctx, t.GetTotalBytes() - before);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, t.GetTotalBytes());
  EXPECT_EQ(env.Ctx.StatusPanels[2], " 01:00:01");
}

class DropFilesTest : public ::testing::Test {
 protected:
  LayoutTestEnv env;
};

TEST_F(DropFilesTest, DataTrackControlsTakeTheFirstPath) {
  const std::string image = env.Image("d.bin", 2048);
  for (const char* name : {"BinPathEdit", "BinTypeCmb", "DataTrackGbx", "BinBrowseBtn"}) {
    SCOPED_TRACE(name);
    SetDataTrackFile(env.Ctx, "");
    env.Ctx.Layout.CdTextEnabled = true;
    DropFiles(env.Ctx, name, {image, env.Dir / "other.bin"});
    EXPECT_EQ(env.Ctx.Layout.DataTrackFile, image);
    EXPECT_FALSE(env.Ctx.Layout.CdTextEnabled);
    EXPECT_EQ(env.Ctx.StatusPanels[3], " Data disc");
  }
  EXPECT_TRUE(env.Prompter.Log.empty());
}

TEST_F(DropFilesTest, CdtFieldTakesOnlyAnExactLowerCaseCdtExtension) {
  DropFiles(env.Ctx, "CdtEdit", {"/t/DISC.CDT"});
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "");
  DropFiles(env.Ctx, "CdtEdit", {"/t/disc.cdt.txt"});
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "");
  DropFiles(env.Ctx, "CdtEdit", {"/t/disc.cdt", "/t/other.cdt"});
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "/t/disc.cdt");
}

TEST_F(DropFilesTest, TrackListAndHeaderAddEveryFileWithTheLimit) {
  const std::string a = env.Wave("a.wav", 2352);
  DropFiles(env.Ctx, "Tracks", {a, a});
  DropFiles(env.Ctx, "TracksHdr", {a});
  EXPECT_EQ(env.Ctx.Layout.Count(), 3);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 03 tracks");
  for (int i = 0; i < 95; ++i) ASSERT_TRUE(AddTrackFile(env.Ctx, a));
  DropFiles(env.Ctx, "Tracks", {a, a, a});
  EXPECT_EQ(env.Ctx.Layout.Count(), 99);
  EXPECT_EQ(env.Prompter.Log.back(), "Limit: A disc cannot have more than 99 tracks.");
}

TEST_F(DropFilesTest, RefusedDroppedFileAsksAndNoStops) {
  const std::string a = env.Wave("a.wav", 2352);
  env.Prompter.YesNoAnswers = {false};
  DropFiles(env.Ctx, "Tracks", {a, env.Dir / "x.cdg", a});
  EXPECT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Prompter.Log.back(),
            "YesNo: \"" + (env.Dir / "x.cdg") + "\" is not CDG binary. Do you want to continue?");
}

TEST_F(DropFilesTest, OtherControlsIgnoreTheDrop) {
  const std::string a = env.Wave("a.wav", 2352);
  for (const char* name : {"CatalogEdit", "CdTextCk", "", "StatusBar", "tracks"}) {
    DropFiles(env.Ctx, name, {a});
  }
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, "");
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "");
  DropFiles(env.Ctx, "Tracks", {});
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
}

TEST_F(DropFilesTest, LongPathsAreTakenWhole) {
  std::string folder = env.Dir.Path();
  for (int i = 0; i < 3; ++i) {
    folder += "/" + std::string(100, static_cast<char>('a' + i));
    std::filesystem::create_directory(folder);
  }
  const std::string path = folder + "/track.wav";
  ASSERT_GT(path.size(), 254u);
  test::WriteBytes(path, test::WaveBytes(std::vector<uint8_t>(2352, 1)));
  DropFiles(env.Ctx, "Tracks", {path});
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, path);
  const std::string cdt = folder + "/disc.cdt";
  DropFiles(env.Ctx, "CdtEdit", {cdt});
  EXPECT_EQ(env.Ctx.Layout.CdtPath, cdt);
}

}  // namespace
}  // namespace varnel
