// Typed CD-Text through a whole making run: the .cdt the run makes decodes back through the
// project's reader with right CRCs, cdrdao accepts the TOC, and the TOC's CD_TEXT blocks and
// the sheet's TITLE, PERFORMER and SONGWRITER lines hold the same strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "formats/cdtext/CdText.h"
#include "formats/cdtext/TypedCdText.h"
#include "support/AudioTools.h"
#include "support/MakeFixtures.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::Sound;
using Texts = std::map<std::string, std::vector<std::string>>;  // item → disc, track 1, 2 …

// cdrdao wants TITLE and PERFORMER in every block: an item empty throughout is no text.
Texts WithoutEmptyItems(Texts items) {
  std::erase_if(items, [](const auto& item) {
    return std::all_of(item.second.begin(), item.second.end(),
                       [](const std::string& s) { return s.empty(); });
  });
  return items;
}

// The items of a TOC's CD_TEXT blocks in order of appearance, "\ooo" escapes undone.
Texts TocItems(const std::string& toc) {
  Texts items;
  const std::regex item(
      R"re((TITLE|PERFORMER|SONGWRITER|COMPOSER|ARRANGER|MESSAGE) "((?:[^"\\]|\\.)*)")re");
  for (auto it = std::sregex_iterator(toc.begin(), toc.end(), item); it != std::sregex_iterator();
       ++it) {
    const std::string raw = (*it)[2];
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 3 < raw.size() &&
          std::isdigit(static_cast<unsigned char>(raw[i + 1])) != 0) {
        value += static_cast<char>(std::stoi(raw.substr(i + 1, 3), nullptr, 8));
        i += 3;
      } else {
        value += raw[i];
      }
    }
    items[(*it)[1]].push_back(value);
  }
  return WithoutEmptyItems(items);
}

// The same items as the .cdt's block 0 holds them.
Texts PackItems(const CdTextBlock& block) {
  Texts items;
  const char* names[] = {"TITLE", "PERFORMER", "SONGWRITER", "COMPOSER", "ARRANGER", "MESSAGE"};
  for (int f = 0; f < kCdTextFieldCount; ++f) {
    for (int32_t t = 0; t <= block.LastTrack; ++t) {
      if (const std::string* s = block.Text(static_cast<uint8_t>(kCdTextTitle + f), t)) {
        items[names[f]].push_back(*s);
      }
    }
  }
  return items;
}

struct TypedCase {
  const char* Name;
  int Tracks;
  std::vector<std::pair<int, CdTextFields>> Typed;  // 0: the disc
  Texts Expected;                                   // ISO 8859-1 bytes
  std::vector<std::string> SheetLines;              // in order, among the sheet's lines
};

TEST(TypedCdTextRun, CdtTocAndSheetCarryTheTypedText) {
  if (!test::OnPath("cdrdao")) GTEST_SKIP() << "cdrdao reads the TOC";
  std::vector<std::string> many(100);
  std::vector<std::pair<int, CdTextFields>> manyTyped;
  for (int t = 1; t <= 99; ++t) {
    many[static_cast<size_t>(t)] = "Song " + std::to_string(t);
    CdTextFields f;
    f[CdTextField::Title] = many[static_cast<size_t>(t)];
    manyTyped.emplace_back(t, f);
  }
  many[0] = "";
  const TypedCase cases[] = {
      {"ascii, accents, beyond Latin-1, empty fields",
       3,
       {{0, {{"Caf\u00e9 \"Noir\"", "Ana \u00d8", "", "", "", ""}}},
        {1, {{"One", "", "", "Bach", "", ""}}},
        {3, {{"\u6771\u4eac", "Z\u00fcrich \u20ac", "Wer", "", "", "a\\b"}}}},
       {{"TITLE", {"Caf\xe9 \"Noir\"", "One", "", "??"}},
        {"PERFORMER", {"Ana \xd8", "", "", "Z\xfcrich ?"}},
        {"SONGWRITER", {"", "", "", "Wer"}},
        {"COMPOSER", {"", "Bach", "", ""}},
        {"MESSAGE", {"", "", "", "a\\b"}}},
       {"TITLE \"Caf\xe9 'Noir'\"", "PERFORMER \"Ana \xd8\"", "TRACK 01 AUDIO", "TITLE \"One\"",
        "TRACK 03 AUDIO", "TITLE \"??\"", "PERFORMER \"Z\xfcrich ?\"", "SONGWRITER \"Wer\""}},
      {"99 tracks, titles only", 99, manyTyped, {{"TITLE", many}}, {"TITLE \"Song 99\""}},
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(c.Name);
    test::TempDir dir;
    DiscLayout layout;
    // cdrdao wants 4 seconds a track; every track plays the same file.
    const std::vector<uint8_t> sound = Sound(4 * 44100);
    layout.Append(test::WaveTrack(dir / "a.wav", sound));
    for (int t = 1; t < c.Tracks; ++t) {
      layout.Append(
          std::make_unique<Track>(dir / "a.wav", FileModeWave, test::CanonicalInfo(sound.size())));
    }
    for (const auto& [track, fields] : c.Typed) {
      (track == 0 ? layout.CdText.Fields : layout.At(track - 1).CdText) = fields;
    }
    layout.CdTextEnabled = true;
    AppSettings settings = test::SettingsWithWorkDir(dir / "work");
    settings.CdrdaoToc = true;
    const std::string cue = dir / "disc.cue";
    const test::RunRecord run = test::RunExport(layout, settings, cue, false);
    ASSERT_EQ(run.State, RunState::Succeeded) << run.Message;

    const std::string cdt = TypedCdtFileName(dir / "work", cue);
    CdText packs;
    std::string reason;
    ASSERT_TRUE(ReadCdTextFile(cdt, packs, reason)) << reason;
    ASSERT_EQ(packs.Blocks.size(), 1u);
    EXPECT_EQ(packs.Blocks[0].LastTrack, c.Tracks);
    EXPECT_EQ(PackItems(packs.Blocks[0]), c.Expected);

    const test::ProcessResult info = test::RunProcess({"cdrdao", "toc-info", dir / "disc.toc"});
    EXPECT_EQ(info.ExitCode, 0) << info.Err;
    Texts toc = TocItems(test::ReadText(dir / "disc.toc"));
    EXPECT_EQ(toc, c.Expected);

    const std::string sheet = test::ReadText(cue);
    EXPECT_NE(sheet.find("CDTEXTFILE \"" + cdt + "\"\r\n"), std::string::npos);
    size_t at = 0;
    for (const std::string& line : c.SheetLines) {
      at = sheet.find("\r\n" + line + "\r\n", at);
      ASSERT_NE(at, std::string::npos) << line;
    }
  }
}

// Text too long for one block fails the run before anything is written.
TEST(TypedCdTextRun, TooLongFailsBeforeWriting) {
  test::TempDir dir;
  DiscLayout layout;
  for (int t = 0; t < 20; ++t) {
    layout.Append(test::WaveTrack(dir / "a.wav", Sound(588)));
    layout.At(t).CdText[CdTextField::Message] = std::string(200, static_cast<char>('a' + t));
  }
  layout.CdTextEnabled = true;
  const std::string cue = dir / "disc.cue";
  const test::RunRecord run =
      test::RunExport(layout, test::SettingsWithWorkDir(dir / "work"), cue, false);
  EXPECT_EQ(run.State, RunState::Failed);
  EXPECT_EQ(run.Message,
            "Exporting Failure.\nThe typed CD-Text cannot be written: block 0 needs 339 packs, "
            "more than 256.");
  EXPECT_FALSE(std::filesystem::exists(cue));
}

}  // namespace
}  // namespace varnel
