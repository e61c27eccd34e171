#include "app/commands/LayoutFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

#include "app/commands/TrackListCommands.h"
#include "app/commands/UndoStack.h"
#include "app/views/TrackListText.h"
#include "support/LayoutTestEnv.h"
#include "support/MpegFrames.h"

namespace varnel {
namespace {

using test::LayoutTestEnv;
namespace fs = std::filesystem;

std::vector<std::string> CrlfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end with CR LF";
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// The text of a layout file with the given sections after "[FileInfo]".
std::string LayoutText(const std::string& body, const std::string& softName = "Varnel") {
  return "[FileInfo]\r\nSoftName=" + softName + "\r\nVersion=2.03\r\n\r\n" + body;
}

TEST(LayoutFileText, OneWaveTrackReadsLineByLine) {
  LayoutTestEnv env;
  const std::string path = env.Wave("a.wav", 2352 * 10);
  ASSERT_TRUE(AddTrackFile(env.Ctx, path));
  env.Ctx.Layout.At(0).ISRC = "JPABC1234567";
  const std::vector<std::string> lines = CrlfLines(LayoutFileText(env.Ctx.Layout));
  const std::vector<std::string> expected = {
      "[FileInfo]",
      "SoftName=Varnel",
      "Version=2.03",
      "",
      "[DiscInfo]",
      "NumTracks=1",
      "MediaCatalog=             ",
      "CD-Text=0",
      "CdtPath=",
      "",
      "[DataTrack]",
      "TrackFileNmae=",
      "ImageType=0",
      "",
      "[Track00]",
      "TrackFileNmae=" + path,
      "FileMode=0",
      "TrackPreGapPos=0",
      "TrackStartPos=0",
      "TrackEndPos=5880",
      "TrackPaddingHead=0",
      "TrackCutLeading=0",
      "TrackCutTrailing=0",
      "PreGapStyle=0",
      "PreGapFileName=",
      "PreGapStartPos=0",
      "PreGapEndPos=0",
      "PreGapPaddingHead=1",
      "PreGapLength=150",
      "PreGapCutLeading=0",
      "PreGapCutTrailing=0",
      "PreEmph=0",
      "Protect=0",
      "ISRC=JPABC1234567",
      "",
  };
  EXPECT_EQ(lines, expected);
}

TEST(LayoutFileText, SectionsAreNumberedFromTrack00WithTwoDigits) {
  LayoutTestEnv env;
  EXPECT_EQ(CrlfLines(LayoutFileText(env.Ctx.Layout)).size(), 14u);
  EXPECT_NE(LayoutFileText(env.Ctx.Layout).find("NumTracks=0\r\n"), std::string::npos);
  const std::string a = env.Wave("a.wav", 2352);
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(AddTrackFile(env.Ctx, a));
  const std::string text = LayoutFileText(env.Ctx.Layout);
  EXPECT_NE(text.find("\r\n[Track00]\r\nTrackFileNmae="), std::string::npos);
  EXPECT_NE(text.find("\r\n[Track09]\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n[Track11]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("[Track12]"), std::string::npos);
  EXPECT_EQ(text.find("[Track1]"), std::string::npos);
}

class LayoutRoundTrip : public ::testing::Test {
 protected:
  LayoutTestEnv env;

  // Saves env's layout to a file and loads it into a fresh context with the same settings.
  void SaveAndLoad(LayoutTestEnv& into) {
    const std::string file = env.Dir / "layout.txt";
    ASSERT_TRUE(SaveLayoutFile(env.Ctx, file));
    into.Ctx.Settings = env.Ctx.Settings;
    ASSERT_TRUE(LoadLayoutFile(into.Ctx, file));
  }
};

TEST_F(LayoutRoundTrip, EveryFieldComesBack) {
  const std::string hidden = env.Wave("hidden.wav", 2352 * 300);
  test::WriteBytes(env.Dir / "b.mp3", test::Mpeg1Layer3Stereo44k(38));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352 * 1000)));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Dir / "b.mp3"));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Cdg("c.cdg", 10)));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("d.wav", 2352 * 500)));
  DiscLayout& l = env.Ctx.Layout;
  l.MediaCatalog = "4901234567894";
  l.CdTextEnabled = true;
  l.CdtPath = "/texts/disc.cdt";
  l.DataTrackFile = env.Dir / "not-there.bin";
  l.ImageType = 2;

  Track& a = l.At(0);
  a.SetPreGapStyle(PreGapFile);
  a.SetPreGapFile(hidden, WaveDataInfo{44, 2352 * 300, 2, 16, 44100});
  a.SetPreGapStartPos(100);
  a.SetPreGapEndPos(150000);
  a.SetTrackStartPos(588);
  a.SetTrackEndPos(500000);
  a.TrackPaddingHead = true;
  a.TrackCutTrailing = true;
  a.PreGapPaddingHead = false;
  a.PreGapCutLeading = true;
  a.PreEmph = true;
  a.ISRC = "JPABC1234567";
  Track& b = l.At(1);
  b.Protect = true;
  b.SetPreGapLength(4500 + 75 * 7 + 11);
  Track& d = l.At(3);
  d.SetPreGapStyle(PreGapIndex);
  d.SetTrackPreGapPos(1000);
  d.SetTrackStartPos(100000);
  d.TrackCutLeading = true;
  d.PreGapCutTrailing = true;

  LayoutTestEnv loaded;
  SaveAndLoad(loaded);
  EXPECT_TRUE(loaded.Prompter.Log.empty());
  const DiscLayout& m = loaded.Ctx.Layout;
  EXPECT_EQ(m.MediaCatalog, l.MediaCatalog);
  EXPECT_TRUE(m.CdTextEnabled);
  EXPECT_EQ(m.CdtPath, l.CdtPath);
  EXPECT_EQ(m.DataTrackFile, l.DataTrackFile);
  EXPECT_EQ(m.ImageType, 2);
  ASSERT_EQ(m.Count(), 4);
  for (int32_t i = 0; i < 4; ++i) {
    const Track& x = l.At(i);
    const Track& y = m.At(i);
    SCOPED_TRACE(x.TrackFileName);
    EXPECT_EQ(y.TrackFileName, x.TrackFileName);
    EXPECT_EQ(y.FileMode, x.FileMode);
    EXPECT_EQ(y.WaveInfo, x.WaveInfo);
    EXPECT_EQ(y.TrackPreGapPos(), x.TrackPreGapPos());
    EXPECT_EQ(y.TrackStartPos(), x.TrackStartPos());
    EXPECT_EQ(y.TrackEndPos(), x.TrackEndPos());
    EXPECT_EQ(y.TrackPaddingHead, x.TrackPaddingHead);
    EXPECT_EQ(y.TrackCutLeading, x.TrackCutLeading);
    EXPECT_EQ(y.TrackCutTrailing, x.TrackCutTrailing);
    EXPECT_EQ(y.PreGapStyle(), x.PreGapStyle());
    EXPECT_EQ(y.PreGapFileName(), x.PreGapFileName());
    EXPECT_EQ(y.PreGapStartPos(), x.PreGapStartPos());
    EXPECT_EQ(y.PreGapEndPos(), x.PreGapEndPos());
    EXPECT_EQ(y.PreGapPaddingHead, x.PreGapPaddingHead);
    EXPECT_EQ(y.GetPreGapLength(), x.GetPreGapLength());
    EXPECT_EQ(y.PreGapCutLeading, x.PreGapCutLeading);
    EXPECT_EQ(y.PreGapCutTrailing, x.PreGapCutTrailing);
    EXPECT_EQ(y.PreEmph, x.PreEmph);
    EXPECT_EQ(y.Protect, x.Protect);
    EXPECT_EQ(y.ISRC, x.ISRC);
  }
  EXPECT_EQ(m.At(0).PreGapWaveInfo(), (WaveDataInfo{44, 2352 * 300, 2, 16, 44100}));
  int64_t savedSum = 0;
  int64_t loadedSum = 0;
  for (int32_t i = 0; i < 4; ++i) {
    savedSum += l.At(i).GetTotalBytes();
    loadedSum += loaded.Ctx.Layout.At(i).GetTotalBytes();
  }
  EXPECT_EQ(loadedSum, savedSum);
  EXPECT_EQ(m.TotalBytes, loadedSum);
  EXPECT_EQ(loaded.Ctx.StatusPanels[0], " Total: 04 tracks");
  // Saving what was loaded gives the same text.
  EXPECT_EQ(LayoutFileText(m), LayoutFileText(l));
}

TEST_F(LayoutRoundTrip, AnExistingDataTrackTurnsCdTextOffWhateverTheFileSays) {
  env.Ctx.Layout.CdTextEnabled = true;
  env.Ctx.Layout.DataTrackFile = env.Image("d.bin", 2352 * 1000);
  env.Ctx.Layout.ImageType = 3;
  LayoutTestEnv loaded;
  SaveAndLoad(loaded);
  EXPECT_NE(test::ReadText(env.Dir / "layout.txt").find("CD-Text=1\r\n"), std::string::npos);
  EXPECT_FALSE(loaded.Ctx.Layout.CdTextEnabled);
  EXPECT_FALSE(loaded.Ctx.CanEnableCdText);
  EXPECT_TRUE(loaded.Ctx.CanChooseImageType);
  EXPECT_EQ(loaded.Ctx.Layout.ImageType, 3);
  EXPECT_EQ(loaded.Ctx.StatusPanels[3], " Data disc");
}

TEST_F(LayoutRoundTrip, BlankCatalogComesBackAsThirteenBlanks) {
  LayoutTestEnv loaded;
  loaded.Ctx.Layout.MediaCatalog = "1111111111111";
  SaveAndLoad(loaded);
  EXPECT_EQ(loaded.Ctx.Layout.MediaCatalog, std::string(13, ' '));
}

// Typed CD-Text: keys after those of their section, only where a text is set, read back as
// typed (UTF-8, blanks and "=" included); the text moves with its track and with Undo.
TEST_F(LayoutRoundTrip, TypedCdTextComesBackAndMovesWithItsTrack) {
  const std::string a = env.Wave("a.wav", 2352 * 400);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(AddTrackFile(env.Ctx, a));
  DiscLayout& l = env.Ctx.Layout;
  l.CdText.Fields[CdTextField::Title] = "Caf\u00e9 = Bar";
  l.CdText.Fields[CdTextField::Message] = " leading and trailing ";
  l.CdText.Genre = 14;
  l.CdText.Language = 0x08;
  l.At(0).CdText[CdTextField::Title] = "One";
  l.At(2).CdText[CdTextField::Performer] = "\u6771\u4eac \u20ac";
  l.At(2).CdText[CdTextField::Arranger] = "Line\nbreak";
  const std::vector<std::string> lines = CrlfLines(LayoutFileText(l));
  auto after = [&](const std::string& line) {
    const auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? std::string("(missing)") : *(it + 1);
  };
  // Each section's keys as before, then the texts that are set, in field order.
  EXPECT_EQ(after("CdtPath="), "CdTextTitle=Caf\u00e9 = Bar");
  EXPECT_EQ(after("CdTextTitle=Caf\u00e9 = Bar"), "CdTextMessage= leading and trailing ");
  EXPECT_EQ(after("CdTextMessage= leading and trailing "), "CdTextGenre=14");
  EXPECT_EQ(after("CdTextGenre=14"), "CdTextLanguage=8");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "CdTextTitle=One"), 1);
  EXPECT_EQ(after("CdTextPerformer=\u6771\u4eac \u20ac"), "CdTextArranger=Line break");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& s) { return s.rfind("CdText", 0) == 0; }),
            7);

  LayoutTestEnv loaded;
  SaveAndLoad(loaded);
  DiscLayout& m = loaded.Ctx.Layout;
  EXPECT_EQ(m.CdText.Fields, l.CdText.Fields);
  EXPECT_EQ(m.CdText.Genre, 14);
  EXPECT_EQ(m.CdText.Language, 0x08);
  EXPECT_EQ(m.At(0).CdText[CdTextField::Title], "One");
  EXPECT_TRUE(m.At(1).CdText.Empty());
  EXPECT_EQ(m.At(2).CdText[CdTextField::Arranger], "Line break");
  EXPECT_EQ(m.At(2).CdText[CdTextField::Performer], "\u6771\u4eac \u20ac");

  // Moves and removals keep each text with its track; Undo brings the order back.
  loaded.Ctx.SelectedTrack = 0;
  ASSERT_TRUE(MoveSelectedTrack(loaded.Ctx, 1));
  loaded.Ctx.History.Note(m, "Move Track");
  EXPECT_EQ(m.At(1).CdText[CdTextField::Title], "One");
  EXPECT_TRUE(m.At(0).CdText.Empty());
  ExchangeTracks(loaded.Ctx, 1, 2);
  EXPECT_EQ(m.At(2).CdText[CdTextField::Title], "One");
  EXPECT_EQ(m.At(1).CdText[CdTextField::Arranger], "Line break");
  loaded.Ctx.SelectedTrack = 0;
  RemoveSelectedTrack(loaded.Ctx);
  EXPECT_EQ(m.At(1).CdText[CdTextField::Title], "One");
  EXPECT_TRUE(m.HasTypedCdText());
  ASSERT_TRUE(UndoLayoutChange(loaded.Ctx));
  EXPECT_EQ(m.At(0).CdText[CdTextField::Title], "One");
  EXPECT_EQ(m.CdText.Genre, 14);

  // A new layout forgets the disc's text.
  loaded.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  NewLayout(loaded.Ctx);
  EXPECT_FALSE(loaded.Ctx.Layout.HasTypedCdText());
  EXPECT_EQ(loaded.Ctx.Layout.CdText.Language, kCdTextLanguageEnglish);
}

class LayoutLoad : public ::testing::Test {
 protected:
  LayoutTestEnv env;
  std::string Write(const std::string& text) {
    test::WriteText(env.Dir / "layout.txt", text);
    return env.Dir / "layout.txt";
  }
  static std::string Disc(int32_t numTracks, const std::string& dataTrack = "") {
    return "[DiscInfo]\r\nNumTracks=" + std::to_string(numTracks) +
           "\r\nMediaCatalog=             \r\nCD-Text=0\r\nCdtPath=\r\n\r\n"
           "[DataTrack]\r\nTrackFileNmae=" +
           dataTrack + "\r\nImageType=0\r\n\r\n";
  }
  static std::string Track(int index, const std::string& path, const std::string& more = "") {
    char name[32];
    std::snprintf(name, sizeof name, "[Track%.2d]\r\n", index);
    return name + ("TrackFileNmae=" + path + "\r\n") + more + "\r\n";
  }
};

TEST_F(LayoutLoad, SoftNameMustBeVarnelInExactCase) {
  env.Ctx.Layout.MediaCatalog = "1234567890123";
  env.Ctx.Layout.CdTextEnabled = true;
  env.Ctx.Layout.CdtPath = "/kept.cdt";
  env.Ctx.Layout.ImageType = 2;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  SetDataTrackFile(env.Ctx, env.Image("d.bin", 2048));
  env.Ctx.Layout.CdTextEnabled = true;  // as it was before the image was chosen
  const std::string path =
      Write(LayoutText(Disc(1, "/other.bin") + Track(0, env.Dir / "a.wav"), "VARNEL"));
  const int64_t total = env.Ctx.Layout.TotalBytes;
  EXPECT_FALSE(LoadLayoutFile(env.Ctx, path));
  ASSERT_FALSE(env.Prompter.Log.empty());
  EXPECT_EQ(env.Prompter.Log.back(),
            "Error: " + path + " is not a disc layout file generated by VNL.");
  // The file is refused before the layout is touched: nothing of it is lost.
  EXPECT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, total);
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, env.Dir / "d.bin");
  EXPECT_FALSE(env.Ctx.CanEnableCdText);
  EXPECT_TRUE(env.Ctx.Layout.CdTextEnabled);
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, "1234567890123");
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "/kept.cdt");
  EXPECT_EQ(env.Ctx.Layout.ImageType, 2);
  // A missing file and an empty one are refused the same way.
  EXPECT_FALSE(LoadLayoutFile(env.Ctx, env.Dir / "missing.txt"));
  EXPECT_EQ(env.Prompter.Log.back(),
            "Error: " + (env.Dir / "missing.txt") + " is not a disc layout file generated by VNL.");
  EXPECT_FALSE(LoadLayoutFile(env.Ctx, Write(LayoutText(Disc(0), "Varnel "))));
}

TEST_F(LayoutLoad, FileThatCannotBeReadIsRefusedAtOnceWithItsReason) {
  ASSERT_EQ(::mkfifo((env.Dir / "fifo.txt").c_str(), 0600), 0);
  const std::string huge = Write(LayoutText(Disc(0)));
  fs::resize_file(huge, (uint64_t{64} << 20) + 1);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {env.Dir / "fifo.txt", "is not a regular file"},
      {"/dev/zero", "is not a regular file"},
      {huge, "is larger than 64 MiB"},
      {env.Dir / "missing.txt", "No such file or directory"},
  };
  for (const auto& [path, reason] : cases) {
    EXPECT_FALSE(LoadLayoutFile(env.Ctx, path));
    ASSERT_FALSE(env.Prompter.Messages.empty());
    EXPECT_EQ(env.Prompter.Messages.back().Text,
              path + " is not a disc layout file generated by VNL.");
    EXPECT_NE(env.Prompter.Messages.back().Detail.find(reason), std::string::npos) << path;
    EXPECT_EQ(env.Ctx.LayoutPath, "");
  }
  // The path of a layout that loads is kept: a making run never writes over it.
  const std::string good = Write(LayoutText(Disc(0)));
  EXPECT_TRUE(LoadLayoutFile(env.Ctx, good));
  EXPECT_EQ(env.Ctx.LayoutPath, good);
}

TEST_F(LayoutLoad, MissingKeysTakeTheDefaultsOfTheSettings) {
  AppSettings& s = env.Ctx.Settings;
  s.PreEmph = true;
  s.Protect = true;
  s.TrackPaddingHead = true;
  s.TrackCutLeading = true;
  s.TrackCutTrailing = true;
  s.PreGapFrames = 333;
  s.PreGapPaddingHead = false;
  s.PreGapCutLeading = true;
  s.PreGapCutTrailing = true;
  const std::string a = env.Wave("a.wav", 2352 * 4);
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write("[FileInfo]\r\nSoftName=Varnel\r\n[DiscInfo]\r\n"
                                            "NumTracks=1\r\n[Track00]\r\nTrackFileNmae=" +
                                            a + "\r\n")));
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, std::string(13, ' '));
  EXPECT_FALSE(env.Ctx.Layout.CdTextEnabled);
  EXPECT_EQ(env.Ctx.Layout.CdtPath, "");
  EXPECT_EQ(env.Ctx.Layout.DataTrackFile, "");
  EXPECT_EQ(env.Ctx.Layout.ImageType, 0);
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  const varnel::Track& t = env.Ctx.Layout.At(0);
  EXPECT_EQ(t.FileMode, FileModeWave);
  EXPECT_EQ(t.TrackPreGapPos(), 0);
  EXPECT_EQ(t.TrackStartPos(), 0);
  EXPECT_EQ(t.TrackEndPos(), 2352);
  EXPECT_TRUE(t.TrackPaddingHead);
  EXPECT_TRUE(t.TrackCutLeading);
  EXPECT_TRUE(t.TrackCutTrailing);
  EXPECT_EQ(t.PreGapStyle(), PreGapNormal);
  EXPECT_EQ(t.PreGapFileName(), "");
  // Without a pre-gap file the summary stays the track file's.
  EXPECT_EQ(t.PreGapWaveInfo(), t.WaveInfo);
  EXPECT_EQ(t.PreGapStartPos(), 0);
  EXPECT_EQ(t.PreGapEndPos(), 2352);
  EXPECT_EQ(t.GetPreGapLength(), 333);
  EXPECT_FALSE(t.PreGapPaddingHead);
  EXPECT_TRUE(t.PreGapCutLeading);
  EXPECT_TRUE(t.PreGapCutTrailing);
  EXPECT_TRUE(t.PreEmph);
  EXPECT_TRUE(t.Protect);
  EXPECT_EQ(t.ISRC, "");
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 333 * 2352 + 4 * 2352);
}

TEST_F(LayoutLoad, PreGapFileDefaultsComeFromThatFile) {
  const std::string a = env.Wave("a.wav", 2352 * 4);
  const std::string h = env.Wave("h.wav", 2352 * 7);
  ASSERT_TRUE(LoadLayoutFile(
      env.Ctx,
      Write(LayoutText(Disc(1) + Track(0, a, "PreGapStyle=1\r\nPreGapFileName=" + h + "\r\n")))));
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  const varnel::Track& t = env.Ctx.Layout.At(0);
  EXPECT_EQ(t.TrackEndPos(), 2352);
  EXPECT_EQ(t.PreGapFileName(), h);
  EXPECT_EQ(t.PreGapWaveInfo(), (WaveDataInfo{44, 2352 * 7, 2, 16, 44100}));
  EXPECT_EQ(t.PreGapEndPos(), 588 * 7);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, 11 * 2352);
  EXPECT_EQ(env.Ctx.StatusPanels[2], " 00:00:16");  // 11 frames + 5 leading
}

TEST_F(LayoutLoad, HexadecimalAndNonNumericValues) {
  const std::string a = env.Wave("a.wav", 2352 * 4);
  ASSERT_TRUE(LoadLayoutFile(
      env.Ctx, Write(LayoutText("[DiscInfo]\r\nNumTracks=0x1\r\nCD-Text=yes\r\n" +
                                Track(0, a,
                                      "TrackStartPos=0x1F\r\nTrackEndPos=twelve\r\n"
                                      "PreGapLength=0X10\r\nPreEmph=2\r\nProtect=x\r\n")))));
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  const varnel::Track& t = env.Ctx.Layout.At(0);
  EXPECT_EQ(t.TrackStartPos(), 31);
  EXPECT_EQ(t.TrackEndPos(), 2352);
  EXPECT_EQ(t.GetPreGapLength(), 16);
  EXPECT_TRUE(t.PreEmph);
  EXPECT_FALSE(t.Protect);
  EXPECT_FALSE(env.Ctx.Layout.CdTextEnabled);
}

TEST_F(LayoutLoad, SkippedEntriesLeaveNoGap) {
  const std::string a = env.Wave("a.wav", 2352);
  const std::string b = env.Wave("b.wav", 2352 * 2);
  // Track01 has no section, Track03 an unknown mode, Track05 lies beyond NumTracks.
  ASSERT_TRUE(LoadLayoutFile(
      env.Ctx, Write(LayoutText(Disc(5) + Track(0, a) + Track(2, b) +
                                Track(3, a, "FileMode=5\r\n") + Track(4, "") + Track(5, a)))));
  EXPECT_TRUE(env.Prompter.Log.empty());
  ASSERT_EQ(env.Ctx.Layout.Count(), 2);
  EXPECT_EQ(env.Ctx.Layout.At(0).TrackFileName, a);
  EXPECT_EQ(env.Ctx.Layout.At(1).TrackFileName, b);
}

TEST_F(LayoutLoad, RefusedTrackFileYesSkipsItNoStops) {
  const std::string a = env.Wave("a.wav", 2352);
  const std::string missing = env.Dir / "gone.wav";
  const std::string text = LayoutText(Disc(3) + Track(0, a) + Track(1, missing) + Track(2, a));
  env.Prompter.YesNoAnswers = {true};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  EXPECT_EQ(env.Ctx.Layout.Count(), 2);
  EXPECT_EQ(env.Prompter.Log,
            (std::vector<std::string>{"YesNo: \"" + missing +
                                      "\" is not Riff-Wave file or doesnot exist."}));
  env.Prompter.YesNoAnswers = {false};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  EXPECT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 01 tracks");
}

TEST_F(LayoutLoad, RefusalTextsOfEveryKind) {
  const std::string mono = env.MonoWave("m.wav");
  test::WriteBytes(env.Dir / "low.mp3", test::Mpeg2Layer3Stereo22k(20));
  const std::string odd = env.Cdg("odd.cdg", 1, 1);
  // The mode of the entry decides the check, not the extension.
  const std::string text =
      LayoutText(Disc(5) + Track(0, mono) + Track(1, env.Dir / "low.mp3", "FileMode=1\r\n") +
                 Track(2, env.Dir / "gone.mp3", "FileMode=1\r\n") +
                 Track(3, odd, "FileMode=2\r\n") + Track(4, mono, "FileMode=1\r\n"));
  env.Prompter.YesNoAnswers = {true, true, true, true, true};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  EXPECT_EQ(env.Ctx.Layout.Count(), 0);
  EXPECT_EQ(env.Prompter.Log,
            (std::vector<std::string>{
                "YesNo: \"" + mono + "\" is not PCM, 44.1kHz, 16bit, Streo.",
                "YesNo: \"" + (env.Dir / "low.mp3") + "\" is not 44.1kHz, Streo.",
                "YesNo: \"" + (env.Dir / "gone.mp3") + "\" is not MP3 file or doesnot exist.",
                "YesNo: \"" + odd + "\" is not CDG binary.",
                "YesNo: \"" + mono + "\" is not MP3 file or doesnot exist.",
            }));
}

TEST_F(LayoutLoad, CdgEntriesAreLoadedAndChecked) {
  const std::string good = env.Cdg("good.cdg", 75);
  const std::string odd = env.Cdg("odd.cdg", 2, 100);
  const std::string text =
      LayoutText(Disc(3) + Track(0, good, "FileMode=2\r\nPreEmph=1\r\n") +
                 Track(1, odd, "FileMode=2\r\n") + Track(2, good, "FileMode=2\r\n"));
  env.Prompter.YesNoAnswers = {true};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  ASSERT_EQ(env.Ctx.Layout.Count(), 2);
  EXPECT_EQ(env.Ctx.Layout.At(0).FileMode, FileModeCdg);
  EXPECT_EQ(env.Ctx.Layout.At(0).WaveInfo.DataSize, 75 * 2352);
  EXPECT_EQ(env.Ctx.Layout.At(0).TrackEndPos(), 75 * 588);
  EXPECT_TRUE(env.Ctx.Layout.At(0).PreEmph);
  env.Prompter.YesNoAnswers = {false};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  EXPECT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Prompter.Log.back(), "YesNo: \"" + odd + "\" is not CDG binary.");
}

TEST_F(LayoutLoad, RefusedPreGapFileYesKeepsTheTrackNoDropsItAndTheRest) {
  const std::string a = env.Wave("a.wav", 2352);
  const std::string gone = env.Dir / "gone.wav";
  const std::string mono = env.MonoWave("m.wav");
  const std::string text = LayoutText(
      Disc(3) + Track(0, a) + Track(1, a, "PreGapStyle=1\r\nPreGapFileName=" + gone + "\r\n") +
      Track(2, a, "PreGapFileName=" + mono + "\r\n"));
  env.Prompter.YesNoAnswers = {true, true};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  ASSERT_EQ(env.Ctx.Layout.Count(), 3);
  EXPECT_EQ(env.Ctx.Layout.At(1).PreGapFileName(), "");
  EXPECT_EQ(env.Ctx.Layout.At(1).PreGapStyle(), PreGapFile);
  EXPECT_EQ(env.Ctx.Layout.At(2).PreGapFileName(), "");
  EXPECT_EQ(
      env.Prompter.Log,
      (std::vector<std::string>{
          "YesNo: \"" + gone +
              "\" is not Riff-Wave file or doesnot exist. Do you want to continue?",
          "YesNo: \"" + mono + "\" is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"}));
  env.Prompter.YesNoAnswers = {false};
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(text)));
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  EXPECT_EQ(env.Ctx.Layout.TotalBytes, env.Ctx.Layout.At(0).GetTotalBytes());
}

TEST_F(LayoutLoad, HostileValuesLoadAsTheyStand) {
  const std::string a = env.Wave("a.wav", 2352 * 4);
  std::string junk(100000, 'x');
  junk[5000] = '\0';
  junk[6000] = '\x80';
  std::string body =
      "[DiscInfo]\r\nNumTracks=1000000\r\n[DataTrack]\r\nImageType=7\r\n" + junk + "\r\n";
  body += Track(0, a,
                "TrackPreGapPos=-2147483648\r\nTrackStartPos=2147483647\r\nTrackEndPos=-5\r\n"
                "TrackCutLeading=1\r\nTrackCutTrailing=1\r\nPreGapStyle=300\r\n"
                "PreGapStartPos=2147483647\r\nPreGapEndPos=-2147483648\r\n"
                "PreGapLength=-1\r\nPreGapCutLeading=1\r\nPreGapCutTrailing=1\r\nISRC=" +
                    std::string(3000, 'I') + "\r\n");
  body += Track(1, a,
                "PreGapStyle=2\r\nTrackPreGapPos=-100\r\nTrackStartPos=99999999\r\n"
                "TrackCutLeading=1\r\n");
  body += Track(2, a,
                "PreGapStyle=1\r\nPreGapStartPos=-7\r\nPreGapEndPos=2147483647\r\n"
                "PreGapCutLeading=1\r\nPreGapCutTrailing=1\r\n");
  body += "[Track999999]\r\nTrackFileNmae=" + a + "\r\n\r\n[Track1000000]\r\nTrackFileNmae=" + a +
          "\r\n" + std::string("\x01\x02[\xff]\r\n=\r\n[[[\r\n", 14);
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(LayoutText(body))));
  ASSERT_EQ(env.Ctx.Layout.Count(), 4);
  EXPECT_EQ(env.Ctx.Layout.ImageType, 7);
  const varnel::Track& t = env.Ctx.Layout.At(0);
  EXPECT_EQ(t.TrackPreGapPos(), -2147483647 - 1);
  EXPECT_EQ(t.TrackStartPos(), 2147483647);
  EXPECT_EQ(t.TrackEndPos(), -5);
  EXPECT_EQ(t.PreGapStyle(), 300 % 256);
  EXPECT_EQ(t.PreGapStartPos(), 2147483647);
  EXPECT_EQ(t.PreGapEndPos(), -2147483647 - 1);
  // 0xFFFFFFFF frames: frames mod 75, (frames div 75) mod 60, minutes in one byte.
  EXPECT_EQ(t.PreGapFrame, 4294967295u % 75);
  EXPECT_EQ(t.PreGapSec, 4294967295u / 75 % 60);
  EXPECT_EQ(t.PreGapMin, (4294967295u / 4500) & 0xFF);
  EXPECT_EQ(t.ISRC.size(), 2047u);
  EXPECT_EQ(env.Ctx.Layout.At(3).TrackFileName, a);
  // Whatever the values, the list texts and the status bar can be drawn.
  for (int32_t i = 0; i < env.Ctx.Layout.Count(); ++i) {
    EXPECT_EQ(TrackColumnTexts(env.Ctx, i)[8], a);
  }
  EXPECT_NE(LayoutFileText(env.Ctx.Layout).find("ImageType=7\r\n"), std::string::npos);
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 04 tracks");
}

TEST_F(LayoutLoad, HugeTrackCountsReadOnlyTheSectionsThatExist) {
  const std::string a = env.Wave("a.wav", 2352);
  std::string body = "[DiscInfo]\r\nNumTracks=2147483647\r\n";
  for (int i = 0; i < 3000; ++i) body += Track(i * 7, a, "ISRC=" + std::to_string(i) + "\r\n");
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, Write(LayoutText(body))));
  ASSERT_EQ(env.Ctx.Layout.Count(), 3000);
  EXPECT_EQ(env.Ctx.Layout.At(2999).ISRC, "2999");
}

TEST_F(LayoutLoad, BusyMakeStateLoadsNothing) {
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  const std::string path = Write(LayoutText(Disc(0)));
  env.Ctx.MakeState = RunState::Failed;
  EXPECT_FALSE(LoadLayoutFile(env.Ctx, path));
  OpenLayout(env.Ctx);
  EXPECT_TRUE(env.Prompter.Log.empty());
  EXPECT_EQ(env.Ctx.Layout.Count(), 1);
}

TEST_F(LayoutLoad, CommandUsesTheLayoutFolderAndRemembersIt) {
  const std::string path = Write(LayoutText(Disc(0)));
  env.Ctx.Settings.LayoutFileDir = "/layouts";
  env.Prompter.OpenAnswers = {{}, {path}};
  OpenLayout(env.Ctx);  // cancelled: nothing changes
  EXPECT_EQ(env.Ctx.Settings.LayoutFileDir, "/layouts");
  OpenLayout(env.Ctx);
  ASSERT_EQ(env.Prompter.Requests.size(), 2u);
  EXPECT_EQ(env.Prompter.Requests[1].Filter, "Text files (*.txt)|*.txt|All files (*.*)|*.*");
  EXPECT_EQ(env.Prompter.Requests[1].InitialDir, "/layouts");
  EXPECT_EQ(env.Ctx.Settings.LayoutFileDir, env.Dir.Path());
}

class LayoutSave : public ::testing::Test {
 protected:
  LayoutTestEnv env;
  std::string Existing() {
    test::WriteText(env.Dir / "old.txt", "old text");
    return env.Dir / "old.txt";
  }
};

TEST_F(LayoutSave, CommandUsesTheLayoutFolderAndRemembersIt) {
  env.Ctx.Settings.LayoutFileDir = "/layouts";
  env.Prompter.SaveAnswers = {std::nullopt, env.Dir / "sub/new.txt"};
  SaveLayoutAs(env.Ctx);
  EXPECT_EQ(env.Ctx.Settings.LayoutFileDir, "/layouts");
  SaveLayoutAs(env.Ctx);
  ASSERT_EQ(env.Prompter.Requests.size(), 2u);
  EXPECT_EQ(env.Prompter.Requests[1].Filter, "Text files (*.txt)|*.txt|All files (*.*)|*.*");
  EXPECT_EQ(env.Prompter.Requests[1].InitialDir, "/layouts");
  EXPECT_EQ(env.Ctx.Settings.LayoutFileDir, env.Dir / "sub");
  EXPECT_EQ(test::ReadText(env.Dir / "sub/new.txt"), LayoutFileText(env.Ctx.Layout));
  EXPECT_EQ(env.Prompter.Log.size(), 2u);  // the two dialogs, no question
  EXPECT_EQ(env.Ctx.LayoutPath, env.Dir / "sub/new.txt");
}

TEST_F(LayoutSave, OverwriteNeedsOk) {
  const std::string path = Existing();
  env.Prompter.OkCancelAnswers = {false, true};
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, path));
  EXPECT_EQ(test::ReadText(path), "old text");
  EXPECT_EQ(env.Prompter.Log.back(),
            "OkCancel: \"" + path + "\" already exists. Do you overwrite?");
  EXPECT_TRUE(SaveLayoutFile(env.Ctx, path));
  EXPECT_EQ(test::ReadText(path), LayoutFileText(env.Ctx.Layout));
}

TEST_F(LayoutSave, ReadOnlyFileIsNotOverwritten) {
  const std::string path = Existing();
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  env.Prompter.OkCancelAnswers = {true};
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, path));
  EXPECT_EQ(env.Prompter.Log.back(), "Error: Cannot overwrite \"" + path + "\".");
  EXPECT_EQ(test::ReadText(path), "old text");
}

TEST_F(LayoutSave, WriteErrorsNameTheFileAndTheReason) {
  // A folder in the way of the path: no question, and the folder is left as it is.
  fs::create_directory(env.Dir / "folder.txt");
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, env.Dir / "folder.txt"));
  EXPECT_EQ(env.Prompter.Log.back(),
            "Error: Cannot create file \"" + (env.Dir / "folder.txt") + "\". Is a directory");
  EXPECT_TRUE(fs::is_directory(env.Dir / "folder.txt"));
  // A file where a folder should be.
  const std::string old = Existing();
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, old + "/x.txt"));
  EXPECT_EQ(env.Prompter.Log.back(),
            "Error: Cannot create file \"" + old + "/x.txt\". Not a directory");
  EXPECT_EQ(test::ReadText(old), "old text");
}

TEST_F(LayoutSave, ReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string path = Existing();
  fs::permissions(env.Dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  env.Prompter.OkCancelAnswers = {true};
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, path));
  EXPECT_EQ(env.Prompter.Log.back().rfind("Error: Cannot create file \"" + path + "\". ", 0), 0u);
  EXPECT_EQ(test::ReadText(path), "old text");
}

TEST_F(LayoutSave, ValuesTheFileCannotHoldAreRefused) {
  const std::string a = env.Wave("a.wav", 2352);
  ASSERT_TRUE(AddTrackFile(env.Ctx, a));
  env.Ctx.Layout.At(0).ISRC = "JP\r\n[Track05]";
  const std::string path = Existing();
  env.Prompter.OkCancelAnswers = {true};
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, path));
  EXPECT_EQ(env.Prompter.Log.back().rfind("Error: Cannot save \"" + path + "\"", 0), 0u);
  EXPECT_EQ(test::ReadText(path), "old text");
  env.Ctx.Layout.At(0).ISRC.clear();
  env.Ctx.Layout.CdtPath = "/" + std::string(2100, 'c');
  EXPECT_FALSE(SaveLayoutFile(env.Ctx, env.Dir / "new.txt"));
  EXPECT_FALSE(fs::exists(env.Dir / "new.txt"));
}

TEST_F(LayoutSave, SavingLeavesTheLayoutAlone) {
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  env.Ctx.Layout.MediaCatalog = "12";
  const std::string before = LayoutFileText(env.Ctx.Layout);
  EXPECT_TRUE(SaveLayoutFile(env.Ctx, env.Dir / "l.txt"));
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, "12");
  EXPECT_EQ(LayoutFileText(env.Ctx.Layout), before);
  EXPECT_NE(before.find("MediaCatalog=12           \r\n"), std::string::npos);
}

}  // namespace
}  // namespace varnel
