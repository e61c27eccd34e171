// CD-Text packs: the CRC against packs published with the format's description, the
// writer and reader against each other in every accepted file form, and each kind of
// damage the reader must refuse.
#include "formats/cdtext/CdText.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/CdTextSamples.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 3) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Packs of Sony's sample disc, as quoted in libburn's doc/cdtext.txt, CRC included.
TEST(CdTextCrc, MatchesPublishedPacks) {
  for (const char* pack : {"88 00 23 00 01 0e 00 3f 02 12 00 00 00 00 00 00 12 00",
                           "88 01 24 00 00 02 00 04 0b 19 08 02 32 0b 2f 3e 67 2d",
                           "88 0d 27 00 35 18 19 39 03 19 00 00 00 00 00 00 ea af",
                           "89 01 28 00 01 04 00 00 00 00 02 29 30 02 34 3a f3 0c",
                           "8f 00 2a 00 01 01 03 00 06 05 04 05 07 06 01 02 48 65",
                           "8f 01 2b 00 00 00 00 00 00 00 06 03 2c 00 00 00 c0 20",
                           "8f 02 2c 00 00 00 00 00 09 00 00 00 00 00 00 00 11 45"}) {
    const std::vector<uint8_t> bytes = Hex(pack);
    EXPECT_EQ(CdTextPackCrc(bytes.data()), bytes[16] << 8 | bytes[17]) << pack;
  }
}

std::vector<uint8_t> Encode(const CdText& text, CdTextFraming framing = CdTextFraming::Packs) {
  std::vector<uint8_t> out;
  std::string reason;
  EXPECT_TRUE(EncodeCdText(text, framing, out, reason)) << reason;
  return out;
}

bool Decode(const std::vector<uint8_t>& bytes, CdText& text, std::string& reason) {
  return DecodeCdText(bytes.data(), bytes.size(), text, reason);
}

TEST(CdTextContent, ReadsBackWhatItWroteInEveryFileForm) {
  for (const test::CdTextSample& sample : test::CdTextSamples()) {
    for (CdTextFraming framing :
         {CdTextFraming::Packs, CdTextFraming::SizeHeader, CdTextFraming::TrailingZero}) {
      CdText back;
      std::string reason;
      ASSERT_TRUE(Decode(Encode(sample.Text, framing), back, reason)) << sample.Name << reason;
      EXPECT_EQ(back, sample.Text) << sample.Name << " framing " << static_cast<int>(framing);
    }
  }
}

TEST(CdTextContent, TextsNotGivenReadBackEmptyAndRepeatsCostATab) {
  CdText text;
  CdTextBlock& b = text.Blocks.emplace_back(test::Block(0, 9, 1, 3));
  b.SetText(kCdTextTitle, 2, "Only");
  for (int32_t t = 0; t <= 3; ++t) b.SetText(kCdTextPerformer, t, "Twelve chars");
  const std::vector<uint8_t> bytes = Encode(text);
  // Titles "", "", "Only", "" fit one pack; performers take three: 13 bytes each for the
  // disc and first track, then a TAB and a terminator for each other track (four full
  // texts would take five).
  EXPECT_EQ(bytes.size(), (1 + 3 + 3) * kCdTextPackSize);
  CdText back;
  std::string reason;
  ASSERT_TRUE(Decode(bytes, back, reason)) << reason;
  for (int32_t t : {0, 1, 3}) EXPECT_EQ(*back.Blocks[0].Text(kCdTextTitle, t), "") << t;
  EXPECT_EQ(*back.Blocks[0].Text(kCdTextTitle, 2), "Only");
  EXPECT_EQ(*back.Blocks[0].Text(kCdTextPerformer, 3), "Twelve chars");
}

// Packs of the first sample with every CRC zeroed, which the reader takes as "no CRCs", so
// that a change to a pack is seen by the check it is meant for.
std::vector<uint8_t> Unprotected(const CdText& text) {
  std::vector<uint8_t> bytes = Encode(text);
  for (size_t i = 0; i < bytes.size(); i += kCdTextPackSize) bytes[i + 16] = bytes[i + 17] = 0;
  return bytes;
}

struct DamageCase {
  const char* Name;
  std::function<void(std::vector<uint8_t>&)> Apply;
  const char* ReasonHas;
};

TEST(CdTextContent, RefusesDamage) {
  const CdText sample = test::CdTextSamples()[0].Text;
  // Its packs: 0-2 titles ("Album\0Song o", "ne\0Song two\0", "Song three\0"), 3-4
  // performers ("The Band\0The", " Band\0\t\0\t\0"), 5-7 size information.
  const std::vector<DamageCase> damage = {
      {"a flipped bit under a CRC",
       [](auto& b) {
         b = Encode(test::CdTextSamples()[0].Text);
         b[5] ^= 1;
       },
       "CRC"},
      {"a pack type beyond 0x8F", [](auto& b) { b[3 * 18] = 0x90; }, "unknown type"},
      {"a sequence number skipped", [](auto& b) { b[2 * 18 + 2] = 3; }, "sequence"},
      {"a block after a later one",
       [](auto& b) {
         b[18 + 3] |= 0x10;
         b[18 + 2] = 0;
       },
       "block"},
      {"a size-information pack lost", [](auto& b) { b.resize(b.size() - 18); },
       "size information"},
      {"a miscounted type", [](auto& b) { b[5 * 18 + 8] = 2; }, "counts"},
      {"an unknown character set", [](auto& b) { b[5 * 18 + 4] = 0x05; }, "character set"},
      {"track range from 0", [](auto& b) { b[5 * 18 + 5] = 0; }, "track range"},
      {"a wrong last sequence number", [](auto& b) { b[6 * 18 + 12] = 9; }, "last sequence"},
      {"a text without terminator", [](auto& b) { b[2 * 18 + 14] = b[2 * 18 + 15] = 'x'; },
       "runs off"},
      {"a repeat on the disc",
       [](auto& b) {
         b[4] = '\t';
         b[5] = 0;
       },
       "repeats"},
      {"text past the last track", [](auto& b) { b[5 * 18 + 6] = 2; }, "past the last track"},
      {"a pack marked for the wrong track", [](auto& b) { b[18 + 1] = 2; }, "marked for track"},
      {"a wrong carried-over count", [](auto& b) { b[2 * 18 + 3] = 3; }, "carried over"},
      {"a header with a wrong length",
       [](auto& b) {
         b.insert(b.begin(), {0, 9, 0, 0});
       },
       "header"},
      {"a header and a trailing zero",
       [](auto& b) {
         b.insert(b.begin(), {0, static_cast<uint8_t>(b.size() + 3), 0, 0});
         b.push_back(0);
       },
       "whole number"},
      {"a trailing byte that is not zero", [](auto& b) { b.push_back(7); }, "whole number"},
      {"one byte missing", [](auto& b) { b.pop_back(); }, "whole number"},
      {"nothing at all", [](auto& b) { b.clear(); }, "empty"},
  };
  for (const DamageCase& d : damage) {
    std::vector<uint8_t> bytes = Unprotected(sample);
    d.Apply(bytes);
    CdText text;
    std::string reason;
    EXPECT_FALSE(Decode(bytes, text, reason)) << d.Name;
    EXPECT_NE(reason.find(d.ReasonHas), std::string::npos) << d.Name << ": " << reason;
    EXPECT_TRUE(text.Blocks.empty()) << d.Name;
  }
}

TEST(CdTextContent, ARepeatOnTheFirstTrackRepeatsTheDisc) {
  std::vector<uint8_t> bytes = Unprotected(test::CdTextSamples()[0].Text);
  // Performers: "The Band\0The" | " Band\0\t\0\t\0\0" — make track 1 a TAB as well.
  bytes[3 * 18 + 4 + 9] = '\t';
  bytes[3 * 18 + 4 + 10] = 0;
  bytes[3 * 18 + 4 + 11] = '\t';
  bytes[4 * 18 + 1] = 2;  // the next pack now starts inside track 2's text
  bytes[4 * 18 + 3] = 1;
  std::copy_n("\0\t\0\0\0\0\0\0\0\0\0", 12, bytes.begin() + 4 * 18 + 4);
  CdText text;
  std::string reason;
  ASSERT_TRUE(Decode(bytes, text, reason)) << reason;
  for (int32_t t = 0; t <= 3; ++t) EXPECT_EQ(*text.Blocks[0].Text(kCdTextPerformer, t), "The Band");
}

TEST(CdTextContent, WriterRefusesWhatCannotBeWritten) {
  const CdTextBlock good = test::CdTextSamples()[0].Text.Blocks[0];
  auto with = [&](const std::function<void(CdTextBlock&)>& change) {
    CdText t{{good}};
    change(t.Blocks[0]);
    return t;
  };
  CdText nine;
  for (int i = 0; i < 9; ++i) nine.Blocks.push_back(test::Block(i % 8, 9, 1, 1));
  std::string huge(256 * 12, 'a');
  const std::vector<std::pair<const char*, CdText>> rows = {
      {"no block", CdText{}},
      {"nine blocks", nine},
      {"blocks out of order", CdText{{test::Block(1, 9, 1, 1), test::Block(0, 9, 1, 1)}}},
      {"track 0 in the range", with([](auto& b) { b.FirstTrack = 0; })},
      {"track 100 in the range", with([](auto& b) { b.LastTrack = 100; })},
      {"a text past the range", with([](auto& b) { b.SetText(kCdTextTitle, 4, "x"); })},
      {"a disc text for a track", with([](auto& b) { b.SetText(kCdTextDiscId, 1, "x"); })},
      {"a zero byte in a text", with([](auto& b) {
         b.SetText(kCdTextTitle, 1, {"a\0b", 3});
       })},
      {"a lone TAB", with([](auto& b) { b.SetText(kCdTextTitle, 2, "\t"); })},
      {"an odd double-byte text", with([](auto& b) { b.CharacterCode = kCdTextMsJis; })},
      {"an unknown character set", with([](auto& b) { b.CharacterCode = 0x40; })},
      {"too much for one block", with([&](auto& b) { b.SetText(kCdTextMessage, 0, huge); })},
  };
  for (const auto& [name, text] : rows) {
    std::vector<uint8_t> out{1, 2, 3};
    std::string reason;
    EXPECT_FALSE(EncodeCdText(text, CdTextFraming::Packs, out, reason)) << name;
    EXPECT_FALSE(reason.empty()) << name;
    EXPECT_TRUE(out.empty()) << name;
  }
}

TEST(CdTextFile, ReadsAFileAndNamesWhyNot) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.cdt",
                   Encode(test::CdTextSamples()[2].Text, CdTextFraming::TrailingZero));
  test::WriteBytes(dir / "big.cdt", std::vector<uint8_t>(kCdTextMaxFileBytes + 1, 0));
  CdText text;
  std::string reason;
  EXPECT_TRUE(ReadCdTextFile(dir / "a.cdt", text, reason)) << reason;
  EXPECT_EQ(text, test::CdTextSamples()[2].Text);
  EXPECT_FALSE(ReadCdTextFile(dir / "missing.cdt", text, reason));
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_FALSE(ReadCdTextFile(dir / "big.cdt", text, reason));
  EXPECT_NE(reason.find("larger"), std::string::npos);
  EXPECT_FALSE(ReadCdTextFile(dir.Path(), text, reason));
  EXPECT_TRUE(text.Blocks.empty());
}

}  // namespace
}  // namespace varnel
