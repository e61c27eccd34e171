// Unsaved work: what counts as a change of the layout, the window title that shows it, and
// the Save / Discard / Cancel question that Clear, New and Load ask before they discard it.
#include "app/commands/UnsavedChanges.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "app/commands/LayoutFile.h"
#include "app/commands/TrackListCommands.h"
#include "app/commands/UndoStack.h"
#include "app/editors/TrackPropertiesEditor.h"
#include "app/views/StatusBar.h"
#include "model/PathNames.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

using test::LayoutTestEnv;

const std::string kQuestion = "SaveChanges: Save changes to the disc layout?";

// A layout of two tracks saved as disc.txt, so that it starts unchanged.
struct SavedLayout : LayoutTestEnv {
  SavedLayout() {
    AddTrackFile(Ctx, Wave("a.wav", 2352 * 3));
    AddTrackFile(Ctx, Wave("b.wav", 2352 * 5));
    Ctx.Settings.LayoutFileDir = Dir.Path();
    Prompter.SaveAnswers.push_back(Path());
    EXPECT_TRUE(SaveLayoutAs(Ctx));
    Prompter.Log.clear();
    Ctx.History.Reset(Ctx.Layout);
  }
  std::string Path() const { return Dir / "disc.txt"; }
};

// Every kind of change counts, shows in the title, and is undone byte for byte (the title
// then unchanged again) and redone.
TEST(UnsavedChanges, EveryChangeOfWhatTheFileKeepsCountsAndShowsInTheTitle) {
  const std::vector<std::pair<const char*, std::function<void(SavedLayout&)>>> changes = {
      {"track added", [](SavedLayout& e) { AddTrackFile(e.Ctx, e.Dir / "a.wav"); }},
      {"track removed",
       [](SavedLayout& e) {
         e.Ctx.SelectedTrack = 1;
         RemoveSelectedTrack(e.Ctx);
       }},
      {"rows exchanged", [](SavedLayout& e) { ExchangeTracks(e.Ctx, 0, 1); }},
      {"track moved",
       [](SavedLayout& e) {
         e.Ctx.SelectedTrack = 0;
         MoveSelectedTrack(e.Ctx, 1);
       }},
      {"catalog", [](SavedLayout& e) { e.Ctx.Layout.MediaCatalog = "4006381333931"; }},
      {"CD-Text", [](SavedLayout& e) { e.Ctx.Layout.CdTextEnabled = true; }},
      {"cdt path", [](SavedLayout& e) { e.Ctx.Layout.CdtPath = "/x.cdt"; }},
      {"image", [](SavedLayout& e) { SetDataTrackFile(e.Ctx, e.Image("d.bin", 2352)); }},
      {"image type", [](SavedLayout& e) { e.Ctx.Layout.ImageType = 2; }},
      {"track property stored",
       [](SavedLayout& e) {
         TrackPropertiesEditor dlg(e.Ctx, nullptr);
         dlg.Track = &e.Ctx.Layout.At(0);
         dlg.Load();
         dlg.PreEmph = true;
         EXPECT_TRUE(dlg.Accept());
       }},
      {"pre-gap length", [](SavedLayout& e) { e.Ctx.Layout.At(1).SetPreGapLength(75); }},
      {"files dropped",
       [](SavedLayout& e) {
         DropFiles(e.Ctx, "Tracks", {e.Wave("c.wav", 2352), e.Dir / "b.wav"});
       }},
      {"cleared",
       [](SavedLayout& e) {
         e.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
         ClearAudioTracks(e.Ctx);
       }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    SavedLayout e;
    EXPECT_FALSE(LayoutModified(e.Ctx));
    EXPECT_EQ(MainWindowTitle(e.Ctx), "disc.txt \u2014 Varnel");
    const std::string saved = LayoutFileText(e.Ctx.Layout);
    const int64_t savedBytes = e.Ctx.Layout.TotalBytes;
    change(e);
    EXPECT_TRUE(LayoutModified(e.Ctx));
    EXPECT_EQ(MainWindowTitle(e.Ctx), "disc.txt* \u2014 Varnel");
    const std::string changed = LayoutFileText(e.Ctx.Layout);
    RefreshStatusBar(e.Ctx);
    const std::array<std::string, 4> changedPanels = e.Ctx.StatusPanels;
    ASSERT_TRUE(e.Ctx.History.Note(e.Ctx.Layout, name));
    EXPECT_EQ(e.Ctx.History.UndoLabel(), name);
    ASSERT_TRUE(UndoLayoutChange(e.Ctx));
    EXPECT_EQ(LayoutFileText(e.Ctx.Layout), saved);
    EXPECT_EQ(e.Ctx.Layout.TotalBytes, savedBytes);
    EXPECT_EQ(MainWindowTitle(e.Ctx), "disc.txt \u2014 Varnel");
    EXPECT_EQ(e.Ctx.History.RedoLabel(), name);
    ASSERT_TRUE(RedoLayoutChange(e.Ctx));
    EXPECT_EQ(LayoutFileText(e.Ctx.Layout), changed);
    EXPECT_EQ(e.Ctx.StatusPanels, changedPanels);
    EXPECT_FALSE(e.Ctx.History.CanRedo());
  }
}

TEST(UnsavedChanges, AChangeUndoneCountsNoMore) {
  SavedLayout e;
  ExchangeTracks(e.Ctx, 0, 1);
  ASSERT_TRUE(LayoutModified(e.Ctx));
  ExchangeTracks(e.Ctx, 1, 0);
  EXPECT_FALSE(LayoutModified(e.Ctx));
}

// Without a file the title is the plain name until something is changed; an untitled layout
// with changes shows them too.
TEST(UnsavedChanges, WithoutAFileTheTitleIsThePlainNameUntilAChange) {
  LayoutTestEnv e;
  EXPECT_FALSE(LayoutModified(e.Ctx));
  EXPECT_EQ(MainWindowTitle(e.Ctx), "Varnel");
  AddTrackFile(e.Ctx, e.Wave("a.wav", 2352));
  EXPECT_TRUE(LayoutModified(e.Ctx));
  EXPECT_EQ(MainWindowTitle(e.Ctx), "Untitled* \u2014 Varnel");
  // Loading makes the layout the file's, unchanged.
  const std::string path = e.Dir / "x.txt";
  test::WriteText(path, LayoutFileText(e.Ctx.Layout));
  e.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  e.Prompter.OpenAnswers = {{path}};
  OpenLayout(e.Ctx);
  EXPECT_EQ(e.Ctx.Layout.Count(), 1);
  EXPECT_FALSE(LayoutModified(e.Ctx));
  EXPECT_EQ(MainWindowTitle(e.Ctx), "x.txt \u2014 Varnel");
}

// Each command that discards the layout, with each answer to the question.
struct CommandEntry {
  const char* Name;
  std::function<void(SavedLayout&)> Run;
  // The command, once it went on, left the layout with this many tracks.
  int32_t TracksAfter;
};

std::vector<CommandEntry> DiscardingCommands() {
  return {
      {"Clear", [](SavedLayout& e) { ClearAudioTracks(e.Ctx); }, 0},
      {"New", [](SavedLayout& e) { NewLayout(e.Ctx); }, 0},
      {"Load",
       [](SavedLayout& e) {
         test::FakePrompter quiet;
         AppContext single(quiet);
         AddTrackFile(single, e.Dir / "a.wav");
         const std::string other = e.Dir / "one.txt";
         test::WriteText(other, LayoutFileText(single.Layout));
         e.Prompter.OpenAnswers.push_back({other});
         OpenLayout(e.Ctx);
       },
       1},
  };
}

TEST(UnsavedChanges, CancelKeepsTheLayoutAndDoesNothing) {
  for (const CommandEntry& c : DiscardingCommands()) {
    SCOPED_TRACE(c.Name);
    SavedLayout e;
    e.Ctx.Layout.MediaCatalog = "4006381333931";
    const std::string before = LayoutFileText(e.Ctx.Layout);
    e.Prompter.SaveChangesAnswers = {SaveAnswer::Cancel};
    c.Run(e);
    // Load does not even open its dialog.
    EXPECT_EQ(e.Prompter.Log, (std::vector<std::string>{kQuestion}));
    EXPECT_EQ(LayoutFileText(e.Ctx.Layout), before);
    EXPECT_TRUE(LayoutModified(e.Ctx));
  }
}

TEST(UnsavedChanges, DiscardGoesOnWithoutWriting) {
  for (const CommandEntry& c : DiscardingCommands()) {
    SCOPED_TRACE(c.Name);
    SavedLayout e;
    const std::string onDisk = test::ReadText(e.Path());
    e.Ctx.Layout.MediaCatalog = "4006381333931";
    e.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
    c.Run(e);
    EXPECT_EQ(e.Prompter.Log.front(), kQuestion);
    EXPECT_EQ(e.Ctx.Layout.Count(), c.TracksAfter);
    EXPECT_EQ(test::ReadText(e.Path()), onDisk);
  }
}

TEST(UnsavedChanges, SaveWritesTheLayoutFileWithoutAskingThenGoesOn) {
  for (const CommandEntry& c : DiscardingCommands()) {
    SCOPED_TRACE(c.Name);
    SavedLayout e;
    e.Ctx.Layout.MediaCatalog = "4006381333931";
    const std::string changed = LayoutFileText(e.Ctx.Layout);
    e.Prompter.SaveChangesAnswers = {SaveAnswer::Save};
    c.Run(e);
    EXPECT_EQ(e.Prompter.Log.front(), kQuestion);
    // Its own file is replaced without the overwrite question or the save dialog.
    for (const std::string& line : e.Prompter.Log) {
      EXPECT_EQ(line.find("OkCancel"), std::string::npos) << line;
      EXPECT_EQ(line.find("Save: "), std::string::npos) << line;
    }
    EXPECT_EQ(test::ReadText(e.Path()), changed);
    EXPECT_EQ(e.Ctx.Layout.Count(), c.TracksAfter);
  }
}

TEST(UnsavedChanges, SaveWithoutAFileAsksWhereAndStopsWhenThatIsCancelled) {
  LayoutTestEnv e;
  AddTrackFile(e.Ctx, e.Wave("a.wav", 2352));
  e.Prompter.SaveChangesAnswers = {SaveAnswer::Save, SaveAnswer::Save};
  e.Prompter.SaveAnswers = {std::nullopt, e.Dir / "new.txt"};
  NewLayout(e.Ctx);
  EXPECT_EQ(e.Ctx.Layout.Count(), 1);  // the dialog was cancelled: nothing discarded
  NewLayout(e.Ctx);
  EXPECT_EQ(e.Ctx.Layout.Count(), 0);
  ASSERT_TRUE(std::filesystem::exists(e.Dir / "new.txt"));
  EXPECT_NE(test::ReadText(e.Dir / "new.txt").find("a.wav"), std::string::npos);
  // After New: no file, nothing to save.
  EXPECT_EQ(MainWindowTitle(e.Ctx), "Varnel");
  EXPECT_FALSE(LayoutModified(e.Ctx));
}

TEST(UnsavedChanges, SaveThatFailsStops) {
  SavedLayout e;
  e.Ctx.Layout.CdtPath = "/x.cdt";
  std::filesystem::remove(e.Path());
  std::filesystem::create_directory(e.Path());  // a folder where the file was
  e.Prompter.SaveChangesAnswers = {SaveAnswer::Save};
  ClearAudioTracks(e.Ctx);
  EXPECT_EQ(e.Ctx.Layout.Count(), 2);
  ASSERT_EQ(e.Prompter.Log.size(), 2u);
  EXPECT_EQ(e.Prompter.Log[1].rfind("Error: Cannot create file \"" + e.Path() + "\".", 0), 0u);
}

TEST(UnsavedChanges, NothingIsAskedWithoutChanges) {
  SavedLayout e;
  ClearAudioTracks(e.Ctx);  // a layout that came from its file can be cleared at once
  EXPECT_TRUE(e.Prompter.Log.empty());
  EXPECT_EQ(e.Ctx.Layout.Count(), 0);
  EXPECT_TRUE(LayoutModified(e.Ctx));
}

// A file that is no layout is refused before anything changes: the layout, its file and
// its unsaved changes stay.
TEST(UnsavedChanges, LoadingAFileThatIsNoLayoutKeepsEverything) {
  SavedLayout e;
  e.Ctx.Layout.At(0).ISRC = "GBAYE0601498";
  const std::string before = LayoutFileText(e.Ctx.Layout);
  const std::string garbage = e.Wave("big.wav", 2352 * 100);
  e.Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  e.Prompter.OpenAnswers = {{garbage}};
  OpenLayout(e.Ctx);
  EXPECT_EQ(e.Prompter.Log.back(),
            "Error: " + garbage + " is not a disc layout file generated by VNL.");
  EXPECT_EQ(LayoutFileText(e.Ctx.Layout), before);
  EXPECT_EQ(e.Ctx.Layout.TotalBytes,
            e.Ctx.Layout.At(0).GetTotalBytes() + e.Ctx.Layout.At(1).GetTotalBytes());
  EXPECT_EQ(MainWindowTitle(e.Ctx), "disc.txt* \u2014 Varnel");
}

TEST(MoveSelectedTrack, MovesWithinTheListAndTheSelectionFollows) {
  struct Case {
    int32_t Selected;
    int32_t Delta;
    bool Moved;
    int32_t SelectedAfter;
    const char* Order;
  } const cases[] = {
      {0, 1, true, 1, "bac"},  {2, -1, true, 1, "acb"},   {0, -1, false, 0, "abc"},
      {2, 1, false, 2, "abc"}, {-1, 1, false, -1, "abc"}, {1, 2, false, 1, "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Selected << " by " << c.Delta);
    LayoutTestEnv e;
    for (const char* n : {"a", "b", "c"})
      AddTrackFile(e.Ctx, e.Wave(std::string(n) + ".wav", 2352));
    e.Ctx.SelectedTrack = c.Selected;
    EXPECT_EQ(MoveSelectedTrack(e.Ctx, c.Delta), c.Moved);
    EXPECT_EQ(e.Ctx.SelectedTrack, c.SelectedAfter);
    std::string order;
    for (int32_t i = 0; i < 3; ++i) order += FileNamePart(e.Ctx.Layout.At(i).TrackFileName)[0];
    EXPECT_EQ(order, c.Order);
    EXPECT_EQ(e.Redraws > 0, c.Moved);
  }
  LayoutTestEnv busy;
  AddTrackFile(busy.Ctx, busy.Wave("a.wav", 2352));
  AddTrackFile(busy.Ctx, busy.Wave("b.wav", 2352));
  busy.Ctx.SelectedTrack = 0;
  busy.Ctx.MakeState = RunState::Succeeded;
  EXPECT_FALSE(MoveSelectedTrack(busy.Ctx, 1));
}

}  // namespace
}  // namespace varnel
