// The TOC pieces read by cdrdao 1.2.4 itself: "toc-info" and "show-toc" must accept every
// TOC, "read-test" one that reads a data file; "toc2cddb" (cdrdao's own TOC parser) prints the
// disc's PERFORMER / TITLE and every track's TITLE of the first language exactly as given;
// "show-data" prints the samples a CD+G track would burn.
#include "formats/cdtext/CdrdaoTocText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "formats/cdtext/CdText.h"
#include "support/CdTextSamples.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

class Cdrdao : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Dir = new test::TempDir;
    const auto r = test::RunProcess({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16",
                                     *Dir / "tone.wav", "synth", "4", "sine", "440"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
  }
  static void TearDownTestSuite() {
    delete Dir;
    Dir = nullptr;
  }

  // Writes `toc` and runs the three commands that must accept it; toc2cddb's output.
  // read-test, which reads all audio and takes a second at least, only where data is read
  // from something other than the tone.
  static std::string Accepted(const std::string& toc, const std::string& name = "disc.toc",
                              bool readTest = false) {
    test::WriteText(*Dir / name, toc);
    std::vector<const char*> commands{"toc-info", "show-toc"};
    if (readTest) commands.push_back("read-test");
    for (const char* command : commands) {
      const auto r = test::RunProcess({"cdrdao", command, *Dir / name});
      EXPECT_EQ(r.ExitCode, 0) << command << "\n" << r.Err << toc.substr(0, 2000);
    }
    const auto r = test::RunProcess({"toc2cddb", *Dir / name});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return r.Out;
  }

  // One TOC track of the tone after each track block.
  static std::string Toc(const TocCdText& cdText) {
    std::string toc = "CD_DA\n" + cdText.Disc;
    for (const std::string& track : cdText.Tracks) {
      toc += "TRACK AUDIO\n" + track + "FILE " + TocString(*Dir / "tone.wav") + " 0\n";
    }
    return toc;
  }

  static test::TempDir* Dir;
};

test::TempDir* Cdrdao::Dir = nullptr;

// The value of "KEY=" in toc2cddb's output; "<none>" when the key is missing.
std::string CddbValue(const std::string& out, const std::string& key) {
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<none>";
}

TEST_F(Cdrdao, TakesQuotedStringsByteForByte) {
  const std::vector<std::pair<const char*, std::string>> rows = {
      {"quote and backslash", "Say \"hi\" \\ and \\\\ twice\\"},
      {"TAB and control bytes", "a\tb\x01\x1F\x7F"},
      {"Latin-1", "Caf\xE9 \xC6\xD8\xC5 \xFF"},
      {"a run past the lexer's buffer", std::string(5000, 'A')},
      {"a run of blanks past it", std::string(3000, ' ') + "x"},
      {"octal look-alikes", "\\101 \\0 7"},
  };
  for (const auto& [name, text] : rows) {
    CdText cdText;
    CdTextBlock& b = cdText.Blocks.emplace_back(test::Block(0, 9, 1, 1));
    test::Fill(b, kCdTextTitle, {"Disc", text});
    test::Fill(b, kCdTextPerformer, {text, "P"});
    TocCdText toc;
    std::string reason;
    ASSERT_TRUE(FormatTocCdText(cdText, 1, toc, reason)) << reason;
    const std::string out = Accepted(Toc(toc));
    EXPECT_EQ(CddbValue(out, "TTITLE0"), text) << name;
    EXPECT_EQ(CddbValue(out, "DTITLE"), text + " / Disc") << name;
  }
}

// The item names of language `n` in a CD_TEXT block.
std::set<std::string> ItemsOf(const std::string& block, size_t n) {
  std::set<std::string> items;
  const size_t start = block.find("LANGUAGE " + std::to_string(n) + " {");
  if (start == std::string::npos) return items;
  std::istringstream in(block.substr(start, block.find("\n  }", start) - start));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) items.insert(line.substr(4, line.find(' ', 4) - 4));
  return items;
}

// cdrdao's manual: an item among TITLE, PERFORMER, SONGWRITER, COMPOSER, ARRANGER and
// ISRC that the disc or any track has, the disc and every track must have; its write check
// does the same for MESSAGE, wants TITLE and PERFORMER in every language, and GENRE in all
// languages or none. (The check runs only against a drive, so it is restated here.)
void ExpectCdrdaoWriteCheckPasses(const TocCdText& toc, size_t languages) {
  size_t withGenre = 0;
  for (size_t n = 0; n < languages; ++n) {
    std::set<std::string> disc = ItemsOf(toc.Disc, n);
    withGenre += disc.count("GENRE");
    EXPECT_EQ(disc.count("TITLE") + disc.count("PERFORMER"), 2u) << n;
    for (const std::string& track : toc.Tracks) {
      std::set<std::string> items = ItemsOf(track, n);
      for (const char* name :
           {"TITLE", "PERFORMER", "SONGWRITER", "COMPOSER", "ARRANGER", "MESSAGE"}) {
        EXPECT_EQ(items.count(name), disc.count(name)) << name << " language " << n;
      }
      EXPECT_EQ(items.count("ISRC"), disc.count("UPC_EAN")) << "language " << n;
    }
  }
  EXPECT_TRUE(withGenre == 0 || withGenre == languages);
}

// Every sample cdrdao can write, written to a .cdt, read back and made into CD_TEXT blocks
// for TOCs with as many tracks as the text, fewer, and more.
TEST_F(Cdrdao, AcceptsTheCdTextBlocksOfEveryFile) {
  int checked = 0;
  for (const test::CdTextSample& sample : test::CdTextSamples()) {
    if (sample.Text.Blocks[0].DoubleByte()) continue;
    std::vector<uint8_t> bytes;
    std::string reason;
    ASSERT_TRUE(EncodeCdText(sample.Text, CdTextFraming::SizeHeader, bytes, reason)) << reason;
    test::WriteBytes(*Dir / "disc.cdt", bytes);
    CdText text;
    ASSERT_TRUE(ReadCdTextFile(*Dir / "disc.cdt", text, reason)) << reason;
    const CdTextBlock& first = text.Blocks[0];
    for (int32_t tracks : {first.LastTrack, first.LastTrack - 1, first.LastTrack + 2}) {
      TocCdText toc;
      ASSERT_TRUE(FormatTocCdText(text, tracks, toc, reason)) << sample.Name << reason;
      ASSERT_EQ(toc.Tracks.size(), static_cast<size_t>(tracks));
      ExpectCdrdaoWriteCheckPasses(toc, text.Blocks.size());
      const std::string out = Accepted(Toc(toc));
      auto text0 = [&](uint8_t type, int32_t t) {
        const std::string* s = first.Text(type, t);
        return s != nullptr ? *s : std::string();
      };
      EXPECT_EQ(CddbValue(out, "DTITLE"),
                text0(kCdTextPerformer, 0) + " / " + text0(kCdTextTitle, 0))
          << sample.Name;
      for (int32_t t = 1; t <= tracks; ++t) {
        EXPECT_EQ(CddbValue(out, "TTITLE" + std::to_string(t - 1)), text0(kCdTextTitle, t))
            << sample.Name << " track " << t << " of " << tracks;
      }
      ++checked;
    }
  }
  EXPECT_GE(checked, 12);
}

TEST(CdrdaoCdText, RefusesWhatCdrdaoCannotWrite) {
  CdText text;
  text.Blocks.push_back(test::Block(0, 9, 1, 1));
  TocCdText toc;
  std::string reason;
  for (int32_t tracks : {0, 100}) {
    EXPECT_FALSE(FormatTocCdText(text, tracks, toc, reason)) << tracks;
    EXPECT_FALSE(reason.empty());
  }
  text.Blocks.push_back(test::Block(1, 0x69, 1, 1));
  text.Blocks.back().CharacterCode = kCdTextMsJis;
  EXPECT_FALSE(FormatTocCdText(text, 1, toc, reason));
  EXPECT_NE(reason.find("MS-JIS"), std::string::npos) << reason;
  EXPECT_TRUE(toc.Disc.empty() && toc.Tracks.empty());
}

// ---- CD+G ------------------------------------------------------------------------------

constexpr int64_t kCdgSectors = 300;

// A CD+G file: little-endian audio samples from a generator, sub-channel bytes of six bits
// from another, so neither part can pass for the other.
std::vector<uint8_t> CdgFile() {
  std::vector<uint8_t> bytes(static_cast<size_t>(kCdgSectors) * kCdgSectorBytes);
  uint32_t seed = 12345;
  for (uint8_t& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  for (int64_t s = 0; s < kCdgSectors; ++s) {
    for (int i = 2352; i < kCdgSectorBytes; ++i) bytes[s * kCdgSectorBytes + i] &= 0x3F;
  }
  return bytes;
}

// The stereo samples of the 2352-byte parts, low byte first.
std::vector<std::pair<int, int>> AudioOf(const std::vector<uint8_t>& cdg) {
  std::vector<std::pair<int, int>> samples;
  for (size_t s = 0; s < cdg.size(); s += kCdgSectorBytes) {
    for (size_t i = s; i < s + 2352; i += 4) {
      samples.emplace_back(static_cast<int16_t>(cdg[i] | cdg[i + 1] << 8),
                           static_cast<int16_t>(cdg[i + 2] | cdg[i + 3] << 8));
    }
  }
  return samples;
}

std::vector<std::pair<int, int>> ShowData(const std::string& out) {
  std::vector<std::pair<int, int>> samples;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    long index = 0;
    int left = 0;
    int right = 0;
    if (std::sscanf(line.c_str(), "%ld: %d %d", &index, &left, &right) == 3) {
      EXPECT_EQ(index, static_cast<long>(samples.size()));
      samples.emplace_back(left, right);
    }
  }
  return samples;
}

TEST_F(Cdrdao, BurnsTheAudioPartOfCdgSectorsOnlyFromASwappedCopy) {
  const std::vector<uint8_t> original = CdgFile();
  std::vector<uint8_t> swapped = original;
  SwapCdgAudioBytes(swapped.data(), kCdgSectors);
  test::WriteBytes(*Dir / "as is.cdg", original);
  test::WriteBytes(*Dir / "swapped.cdg", swapped);
  const std::vector<std::pair<int, int>> audio = AudioOf(original);

  struct Row {
    const char* File;
    int64_t PreGap;
    bool Burned;  // the samples cdrdao would burn are the file's audio
  } rows[] = {{"swapped.cdg", 0, true}, {"swapped.cdg", 150, true}, {"as is.cdg", 0, false}};
  for (const Row& row : rows) {
    const std::string toc = std::string("CD_DA\n") + kCdgTocTrack + "\n" +
                            CdgTocTrackData(*Dir / row.File, kCdgSectors, row.PreGap);
    Accepted(toc, "cdg.toc", true);
    const auto info = test::RunProcess({"cdrdao", "toc-info", *Dir / "cdg.toc"});
    EXPECT_NE(info.Out.find(" " + std::to_string(kCdgSectors + row.PreGap) + " blocks"),
              std::string::npos)
        << info.Out;
    const auto data = test::RunProcess({"cdrdao", "show-data", *Dir / "cdg.toc"});
    ASSERT_EQ(data.ExitCode, 0) << data.Err;
    std::vector<std::pair<int, int>> expected(static_cast<size_t>(row.PreGap) * 588, {0, 0});
    expected.insert(expected.end(), audio.begin(), audio.end());
    const std::vector<std::pair<int, int>> shown = ShowData(data.Out);
    EXPECT_EQ(shown.size(), expected.size()) << row.File;
    EXPECT_EQ(shown == expected, row.Burned) << row.File << " pre-gap " << row.PreGap;
  }
}

}  // namespace
}  // namespace varnel
