// The CD-Text editor's rules: what tags fill, how a pasted block and the keys move through
// the table, a .cdt taken in and the limits shown (OK and Cancel: tests/ui).
#include "app/editors/CdTextEditor.h"

#include <gtest/gtest.h>

#include "app/commands/TrackListCommands.h"
#include "formats/cdtext/CdText.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

CdTextFields Fields(const char* title, const char* performer, const char* songwriter = "",
                    const char* composer = "", const char* message = "") {
  return {{title, performer, songwriter, composer, "", message}};
}

AudioTags Tagged(const char* artist, const char* album, const char* albumArtist) {
  AudioTags tags;
  tags.Artist = artist;
  tags.Album = album;
  tags.AlbumArtist = albumArtist;
  return tags;
}

TEST(CdTextFill, TrackAndDiscFieldsFromTags) {
  struct Row {
    const char* Name;
    CdTextFields Before;
    std::string IsrcBefore;
    AudioTags Tags;
    bool Overwrite;
    CdTextFields After;
    std::string IsrcAfter;
    int32_t Filled;
  };
  const AudioTags tags{"T", "A", "Al", "AA", "C", "L", "M", "us-abc-99-12345"};
  const Row rows[] = {
      {"empty fields", {}, "", tags, false, Fields("T", "A", "L", "C", "M"), "USABC9912345", 6},
      {"typed fields stay", Fields("Mine", ""), "GBXYZ0000001", tags, false,
       Fields("Mine", "A", "L", "C", "M"), "GBXYZ0000001", 4},
      {"overwrite, the ISRC stays", Fields("Mine", ""), "GBXYZ0000001", tags, true,
       Fields("T", "A", "L", "C", "M"), "GBXYZ0000001", 5},
      {"an ISRC that is none",
       {},
       "",
       {"T", "", "", "", "", "", "", "12ABC1234567"},
       false,
       Fields("T", ""),
       "",
       1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    CdTextFields fields = row.Before;
    std::string isrc = row.IsrcBefore;
    EXPECT_EQ(FillTrackFromTags(fields, isrc, row.Tags, row.Overwrite), row.Filled);
    EXPECT_EQ(fields, row.After);
    EXPECT_EQ(isrc, row.IsrcAfter);
  }

  struct DiscRow {
    const char* Name;
    std::vector<AudioTags> Tags;
    CdTextFields After;
  };
  const DiscRow discRows[] = {
      {"album and album artist",
       {Tagged("A", "", ""), Tagged("B", "Al", "AA")},
       Fields("Al", "AA")},
      {"the artist all share",
       {Tagged("A", "Al", ""), Tagged("", "", ""), Tagged("A", "", "")},
       Fields("Al", "A")},
      {"artists differ", {Tagged("A", "", ""), Tagged("B", "", "")}, Fields("", "")},
  };
  for (const DiscRow& row : discRows) {
    SCOPED_TRACE(row.Name);
    CdTextFields disc;
    FillDiscFromTags(disc, row.Tags, false);
    EXPECT_EQ(disc, row.After);
  }
}

class CdTextEditorTest : public ::testing::Test {
 protected:
  CdTextEditorTest() {
    const std::string a = Env.Wave("a.wav", 2352 * 400);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(AddTrackFile(Env.Ctx, a));
  }
  test::LayoutTestEnv Env;
};

TEST_F(CdTextEditorTest, PasteAndKeysMoveLikeASpreadsheet) {
  CdTextEditor editor(Env.Ctx);
  // A column of lines fills rows down; TABs fill fields to the right; the rest is dropped.
  EXPECT_EQ(editor.Paste({1, 0}, "One\r\nTwo\tAnn\nThree\nFour\n"), (CdTextCell{3, 0}));
  EXPECT_EQ(editor.Text(2, 1), "Ann");
  EXPECT_EQ(editor.Text(3, 0), "Three");
  editor.Paste({0, 5}, "x\ty");
  EXPECT_EQ(editor.Text(0, 5), "x");
  editor.SetText(0, 0, "a\nb");
  EXPECT_EQ(editor.Text(0, 0), "a b");

  const std::pair<CdTextCell, CdTextMove> moves[] = {
      {{0, 0}, CdTextMove::Tab},     {{0, 5}, CdTextMove::Tab},   {{3, 5}, CdTextMove::Tab},
      {{0, 0}, CdTextMove::BackTab}, {{1, 2}, CdTextMove::Enter}, {{3, 2}, CdTextMove::Enter},
  };
  const CdTextCell expected[] = {{0, 1}, {1, 0}, {0, 0}, {3, 5}, {2, 2}, {0, 3}};
  for (size_t i = 0; i < std::size(moves); ++i) {
    EXPECT_EQ(editor.Moved(moves[i].first, moves[i].second), expected[i]) << i;
  }
}

TEST_F(CdTextEditorTest, LimitsAsTheUserTypes) {
  CdTextEditor editor(Env.Ctx);
  EXPECT_EQ(editor.LimitText(), "0 of 256 packs");
  editor.SetText(1, 0, "Caf\u00e9 \u6771\u4eac");
  // Empty titles of the disc and two tracks and "Caf\xe9 ??": 11 bytes, 1 pack + 3 size packs.
  EXPECT_EQ(editor.LimitText(), "4 of 256 packs");
  EXPECT_EQ(editor.CellProblem(1, 0),
            "\"\u6771\" is not in ISO 8859-1; the disc shows \"?\" for it.");
  EXPECT_EQ(editor.CellProblem(0, 0), "");
  for (int32_t row = 0; row < 4; ++row) {
    for (int32_t column = 0; column < 6; ++column) {
      editor.SetText(row, column, std::string(200, static_cast<char>('a' + row * 6 + column)));
    }
  }
  EXPECT_TRUE(editor.TooLong());
  EXPECT_EQ(editor.LimitText(), "Too long: 405 of 256 packs");
}

TEST_F(CdTextEditorTest, TakesTheTextOfACdtFile) {
  CdText text;
  CdTextBlock& block = text.Blocks.emplace_back();
  block.LastTrack = 2;  // a file for fewer tracks: the rest gets none
  block.SetText(kCdTextTitle, 0, "Caf\xe9");
  block.SetText(kCdTextTitle, 1, "One");
  block.SetText(kCdTextTitle, 2, "Two");
  block.SetText(kCdTextPerformer, 2, "Ann");
  block.Genre = CdTextGenre{14, "Jazz"};
  std::vector<uint8_t> packs;
  std::string reason;
  ASSERT_TRUE(EncodeCdText(text, CdTextFraming::Packs, packs, reason)) << reason;
  test::WriteBytes(Env.Dir / "disc.cdt", packs);
  test::WriteBytes(Env.Dir / "bad.cdt", std::vector<uint8_t>(18, 1));

  CdTextEditor editor(Env.Ctx);
  editor.SetText(3, 0, "Dropped");
  Env.Prompter.OpenAnswers = {{Env.Dir / "bad.cdt"}, {Env.Dir / "disc.cdt"}};
  EXPECT_FALSE(editor.OpenCdtFile());
  EXPECT_EQ(Env.Prompter.Log.at(1), "Error: The CD-Text file \"" + Env.Dir / "bad.cdt" +
                                        "\" cannot be used: pack 1 has a wrong CRC.");
  EXPECT_EQ(editor.Text(3, 0), "Dropped");
  ASSERT_TRUE(editor.OpenCdtFile());
  EXPECT_EQ(editor.Text(0, 0), "Caf\u00e9");
  EXPECT_EQ(editor.Text(2, 1), "Ann");
  EXPECT_EQ(editor.Text(3, 0), "");
  EXPECT_EQ(editor.Genre(), 14);
  EXPECT_EQ(Env.Ctx.Settings.CdtFileDir, Env.Dir.Path());
}

}  // namespace
}  // namespace varnel
