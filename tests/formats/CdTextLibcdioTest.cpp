// Our CD-Text files read by an independent reader: libcdio's cd-info, given a cue sheet
// whose CDTEXTFILE names the file, prints every text per language and track. What it prints
// must be what our reader gets from the same file.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <sstream>

#include "formats/cdtext/CdText.h"
#include "support/CdTextSamples.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

std::string ToUtf8(const std::string& bytes, uint8_t characterCode) {
  const char* from = characterCode == kCdTextMsJis ? "SHIFT_JIS" : "ISO-8859-1";
  iconv_t cd = iconv_open("UTF-8", from);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* to = out.data();
  size_t toLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &to, &toLeft);
  iconv_close(cd);
  EXPECT_NE(rc, static_cast<size_t>(-1)) << bytes;
  out.resize(out.size() - toLeft);
  return out;
}

const char* FieldName(uint8_t type, int32_t track) {
  switch (type) {
    case kCdTextUpcIsrc:
      return track == 0 ? "UPC_EAN" : "ISRC";
    case kCdTextDiscId:
      return "DISC_ID";
    default:
      return FindCdTextPackType(type)->TocName;
  }
}

// "language|track|FIELD|value" for every text, as cd-info words it.
std::vector<std::string> OurView(const CdText& text) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < text.Blocks.size(); ++i) {
    const CdTextBlock& b = text.Blocks[i];
    const std::string head = std::to_string(i) + "|";
    for (const auto& [key, value] : b.Texts) {
      const bool single = !FindCdTextPackType(key.first)->BlockCharset;
      lines.push_back(head + std::to_string(key.second) + "|" + FieldName(key.first, key.second) +
                      "|" + ToUtf8(value, single ? kCdTextIso8859_1 : b.CharacterCode));
    }
    if (b.Genre) {
      lines.push_back(head + "0|GENRE|" + b.Genre->Text);
      lines.push_back(head + "0|GENRE_CODE|" + std::to_string(b.Genre->Code));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> CdInfoView(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  int language = -1;
  int track = -1;
  while (std::getline(in, line)) {
    int n = 0;
    if (std::sscanf(line.c_str(), "Language %d", &n) == 1) {
      language = n;
    } else if (line == "CD-TEXT for Disc:") {
      track = 0;
    } else if (std::sscanf(line.c_str(), "CD-TEXT for Track %d:", &n) == 1) {
      track = n;
    } else if (line.size() > 1 && line[0] == '\t' && language >= 0 && track >= 0) {
      const size_t colon = line.find(": ");
      std::string field = line.substr(1, colon - 1);
      std::string value = line.substr(colon + 2);
      if (field == "GENRE_CODE") value = value.substr(0, value.find(' '));
      lines.push_back(std::to_string(language) + "|" + std::to_string(track) + "|" + field + "|" +
                      value);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(CdTextLibcdio, CdInfoReadsWhatWeRead) {
  int checked = 0;
  for (const test::CdTextSample& sample : test::CdTextSamples()) {
    if (!test::NoEmptyText(sample.Text)) continue;
    test::TempDir dir;
    std::vector<uint8_t> bytes;
    std::string reason;
    ASSERT_TRUE(EncodeCdText(sample.Text, CdTextFraming::TrailingZero, bytes, reason)) << reason;
    test::WriteBytes(dir / "disc.cdt", bytes);
    CdText ours;
    ASSERT_TRUE(ReadCdTextFile(dir / "disc.cdt", ours, reason)) << sample.Name << reason;

    // libcdio takes the image from the cue sheet's own name; 4 s of silence a track.
    const int32_t tracks = ours.Blocks[0].LastTrack;
    std::string cue = "CDTEXTFILE \"disc.cdt\"\nFILE \"disc.bin\" BINARY\n";
    for (int32_t t = 1; t <= tracks; ++t) {
      char line[80];
      std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n    INDEX 01 %02d:00:00\n", t,
                    4 * (t - 1));
      cue += line;
    }
    test::WriteText(dir / "disc.cue", cue);
    test::WriteBytes(dir / "disc.bin", std::vector<uint8_t>(size_t{300} * 2352 * tracks, 0));
    const auto r = test::RunProcess({"cd-info", "--no-header", "--no-device-info", "--no-disc-mode",
                                     "--cue-file", dir / "disc.cue"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ((r.Out + r.Err).find("WARN"), std::string::npos) << sample.Name << r.Out << r.Err;
    EXPECT_EQ(CdInfoView(r.Out), OurView(ours)) << sample.Name;
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

}  // namespace
}  // namespace varnel
