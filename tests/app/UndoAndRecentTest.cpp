// "Open Recent": the order of the list, its length, and which entries can be chosen.
#include <gtest/gtest.h>

#include "app/commands/RecentLayouts.h"
#include "app/commands/UndoStack.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

// Each note puts its layout first, once; the ninth pushes the oldest out.
TEST(RecentLayouts, LatestFirstOnceAndAtMostEight) {
  const struct {
    std::vector<std::string> Notes;
    std::vector<std::string> List;  // the non-empty entries after the notes
  } cases[] = {
      {{"/a"}, {"/a"}},
      {{"/a", "/b", "/a"}, {"/a", "/b"}},
      {{"/a", "/b", "/c", "/b"}, {"/b", "/c", "/a"}},
      {{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"},
       {"/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
      {{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/1"},
       {"/1", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
      {{"/a", ""}, {"/a"}},
  };
  for (const auto& c : cases) {
    AppSettings s;
    for (const std::string& n : c.Notes) NoteRecentLayout(s, n);
    std::vector<std::string> list;
    for (const std::string& r : s.Recent) {
      if (!r.empty()) list.push_back(r);
    }
    EXPECT_EQ(list, c.List) << c.Notes.back();
  }
}

// The entries number themselves, show an "&" of the name as such, and a missing file
// cannot be chosen.
TEST(RecentLayouts, EntriesNumberedWithMissingFilesDisabled) {
  test::LayoutTestEnv e;
  const std::string here = e.Image("R&B disc.txt", 10);
  AppSettings s;
  NoteRecentLayout(s, e.Dir / "gone.txt");
  NoteRecentLayout(s, here);
  const std::vector<RecentLayoutEntry> entries = RecentLayoutEntries(s);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Text, "&1 R&&B disc.txt");
  EXPECT_TRUE(entries[0].Exists);
  EXPECT_EQ(entries[1].Text, "&2 gone.txt");
  EXPECT_FALSE(entries[1].Exists);
}

// Typing in one field is one change to undo; a new change drops what could be redone; a
// note without a change records nothing.
TEST(UndoStack, TypingMergesAndANewChangeDropsTheRedo) {
  DiscLayout layout;
  UndoStack history;
  EXPECT_FALSE(history.Note(layout, "Catalog Number"));
  for (const char* text : {"4", "40", "400"}) {
    layout.CdtPath = text;
    EXPECT_TRUE(history.Note(layout, "CD-TEXT File", true));
  }
  layout.ImageType = 2;
  EXPECT_TRUE(history.Note(layout, "Image Type"));
  ASSERT_TRUE(history.Undo(layout));
  EXPECT_EQ(history.UndoLabel(), "CD-TEXT File");
  ASSERT_TRUE(history.Undo(layout));
  EXPECT_EQ(layout.CdtPath, "");  // the three keystrokes at once
  EXPECT_FALSE(history.CanUndo());
  ASSERT_TRUE(history.Redo(layout));
  EXPECT_EQ(layout.CdtPath, "400");
  layout.CdTextEnabled = true;
  EXPECT_TRUE(history.Note(layout, "CD-TEXT"));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_FALSE(history.Redo(layout));
}

}  // namespace
}  // namespace varnel
