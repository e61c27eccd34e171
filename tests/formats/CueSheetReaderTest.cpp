// The cue sheet reader: every layout rippers write, read as libcue reads it and with each
// index in the file it lies in; the encodings and line ends rippers use; hostile sheets
// refused with the line at fault; files resolved and read safely.
#include "formats/sheets/CueSheetReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "support/LibcueView.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using namespace std::string_literals;

// "TT.II@file" for every index in sheet order: where each index lies.
std::string IndexFiles(const RipSheet& sheet) {
  std::ostringstream out;
  for (const RipTrack& t : sheet.Tracks) {
    for (const RipIndex& i : t.Indices) {
      out << (out.tellp() > 0 ? " " : "") << t.Number << "." << i.Number << "@"
          << sheet.Files.at(static_cast<size_t>(i.File)).Name;
    }
  }
  return out.str();
}

struct LayoutCase {
  const char* Name;
  const char* Text;
  const char* IndexFiles;  // where each index lies, as IndexFiles prints it
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
  *os << c.Name;
}

const LayoutCase kLayouts[] = {
    {"SingleImageWithHiddenFirstTrack", R"(REM GENRE Rock
REM DATE 1999
REM DISCID 860B640B
REM COMMENT "ExactAudioCopy v1.6"
CATALOG 0724384260521
PERFORMER "The Band"
TITLE "Album"
FILE "Range.wav" WAVE
  TRACK 01 AUDIO
    TITLE "One"
    PERFORMER "The Band"
    SONGWRITER "Writer"
    FLAGS DCP PRE
    ISRC USRC17607839
    INDEX 00 00:00:00
    INDEX 01 00:32:10
  TRACK 02 AUDIO
    TITLE "Two"
    FLAGS 4CH SCMS
    INDEX 00 04:10:20
    INDEX 01 04:12:20
    INDEX 02 05:00:00
    INDEX 03 05:30:74
  TRACK 03 AUDIO
    INDEX 01 08:00:00
)",
     "1.0@Range.wav 1.1@Range.wav 2.0@Range.wav 2.1@Range.wav 2.2@Range.wav 2.3@Range.wav "
     "3.1@Range.wav"},
    {"FilePerTrackGapsAppended", R"(TITLE "Album"
FILE "01.wav" WAVE
  TRACK 01 AUDIO
    INDEX 00 00:00:00
    INDEX 01 00:32:10
  TRACK 02 AUDIO
    INDEX 00 03:38:10
FILE "02.wav" WAVE
    INDEX 01 00:00:00
  TRACK 03 AUDIO
    PERFORMER "Guest"
    INDEX 00 04:01:00
FILE "03.wav" WAVE
    INDEX 01 00:00:00
    INDEX 02 01:00:00
)",
     "1.0@01.wav 1.1@01.wav 2.0@01.wav 2.1@02.wav 3.0@02.wav 3.1@03.wav 3.2@03.wav"},
    {"FilePerTrackGapsPrepended", R"(FILE "01.wav" WAVE
  TRACK 01 AUDIO
    INDEX 00 00:00:00
    INDEX 01 00:32:10
FILE "02.wav" WAVE
  TRACK 02 AUDIO
    INDEX 00 00:00:00
    INDEX 01 00:02:00
FILE "03.wav" WAVE
  TRACK 03 AUDIO
    INDEX 00 00:00:00
    INDEX 01 00:01:37
)",
     "1.0@01.wav 1.1@01.wav 2.0@02.wav 2.1@02.wav 3.0@03.wav 3.1@03.wav"},
    {"FilePerTrackGapsLeftOut", R"(FILE "01.wav" WAVE
  TRACK 01 AUDIO
    INDEX 01 00:00:00
FILE "02.wav" WAVE
  TRACK 02 AUDIO
    PREGAP 00:02:00
    INDEX 01 00:00:00
FILE "03.wav" WAVE
  TRACK 03 AUDIO
    PREGAP 00:00:33
    INDEX 01 00:00:00
    POSTGAP 00:01:00
)",
     "1.1@01.wav 2.1@02.wav 3.1@03.wav"},
    {"HiddenFirstTrackInItsOwnFile", R"(FILE "00. Hidden.wav" WAVE
  TRACK 01 AUDIO
    INDEX 00 00:00:00
FILE "01. One.wav" WAVE
    INDEX 01 00:00:00
FILE "02. Two.wav" WAVE
  TRACK 02 AUDIO
    INDEX 01 00:00:00
)",
     "1.0@00. Hidden.wav 1.1@01. One.wav 2.1@02. Two.wav"},
    {"MixedModeImageWithPostGap", R"(CDTEXTFILE "disc.cdt"
FILE "game.bin" BINARY
  TRACK 01 MODE1/2352
    INDEX 01 00:00:00
    POSTGAP 00:02:00
  TRACK 02 AUDIO
    PREGAP 00:02:00
    INDEX 01 10:00:00
  TRACK 03 AUDIO
    INDEX 00 13:00:00
    INDEX 01 13:02:00
)",
     "1.1@game.bin 2.1@game.bin 3.0@game.bin 3.1@game.bin"},
    {"CompressedAndOtherFileTypes", R"(FILE "Artist - Album.flac" WAVE
  TRACK 01 AUDIO
    INDEX 01 00:00:00
FILE raw.pcm MOTOROLA
  TRACK 02 AUDIO
    INDEX 01 00:00:00
FILE "two.aiff" AIFF
  TRACK 03 AUDIO
    INDEX 01 00:00:00
FILE "three.mp3" MP3
  TRACK 04 AUDIO
    INDEX 01 00:00:00
FILE "four.flac" FLAC
  TRACK 05 AUDIO
    INDEX 01 00:00:00
)",
     "1.1@Artist - Album.flac 2.1@raw.pcm 3.1@two.aiff 4.1@three.mp3 5.1@four.flac"},
    {"WindowsLineEnds",
     "TITLE \"Album\"\r\nFILE \"a.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
     "  TRACK 02 AUDIO\r\n    INDEX 00 01:00:00\r\n    INDEX 01 01:02:00\r\n",
     "1.1@a.wav 2.0@a.wav 2.1@a.wav"},
};

class CueLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(CueLayouts, ReadAsLibcueReadsThemWithEachIndexInItsFile) {
  const LayoutCase& c = GetParam();
  const RipResult r = ReadCueSheetText(c.Text, "/rips/disc");
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  EXPECT_EQ(r.Sheet.Source, RipSource::CueSheet);
  test::ExpectSameAsLibcue(r.Sheet, test::LibcueRead(c.Text));
  EXPECT_EQ(IndexFiles(r.Sheet), c.IndexFiles);
  for (const RipFile& f : r.Sheet.Files) EXPECT_EQ(f.Path, "/rips/disc/" + f.Name);
  EXPECT_TRUE(r.Sheet.Warnings.empty()) << r.Sheet.Warnings.front().Text();
}

INSTANTIATE_TEST_SUITE_P(RipLayouts, CueLayouts, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.Name); });

// What libcue does not report: catalog, REM pairs, types, modes and the lines of things.
TEST(CueSheetReader, KeepsWhatLibcueLeavesOut) {
  const RipResult image = ReadCueSheetText(kLayouts[0].Text, "");
  ASSERT_TRUE(image.Ok);
  EXPECT_EQ(image.Sheet.Catalog, "0724384260521");
  ASSERT_EQ(image.Sheet.Rems.size(), 4u);
  EXPECT_EQ(FindRem(image.Sheet.Rems, "discid")->Value, "860B640B");
  EXPECT_EQ(FindRem(image.Sheet.Rems, "COMMENT")->Value, "ExactAudioCopy v1.6");
  EXPECT_EQ(FindRem(image.Sheet.Rems, "COMMENT")->Line, 4);
  EXPECT_EQ(image.Sheet.Tracks[1].Line, 17);
  EXPECT_EQ(image.Sheet.Tracks[1].FindIndex(3)->Line, 23);
  EXPECT_EQ(image.Sheet.Tracks[1].FindIndex(3)->Position, (5 * 4500 + 30 * 75 + 74) * 588);
  EXPECT_EQ(image.Sheet.Files[0].Path, "Range.wav");  // no folder given

  const RipResult mixed = ReadCueSheetText(kLayouts[5].Text, "/rips");
  ASSERT_TRUE(mixed.Ok);
  EXPECT_EQ(mixed.Sheet.CdTextFilePath, "/rips/disc.cdt");
  EXPECT_EQ(mixed.Sheet.Files[0].Type, RipFileType::Binary);
  EXPECT_EQ(mixed.Sheet.Tracks[0].Mode, "MODE1/2352");
  EXPECT_EQ(mixed.Sheet.Tracks[0].BlockSize, 2352);
  EXPECT_FALSE(mixed.Sheet.Tracks[0].Audio);

  const RipResult types = ReadCueSheetText(kLayouts[6].Text, "");
  ASSERT_TRUE(types.Ok);
  std::vector<RipFileType> got;
  for (const RipFile& f : types.Sheet.Files) got.push_back(f.Type);
  EXPECT_EQ(got,
            (std::vector<RipFileType>{RipFileType::Wave, RipFileType::Motorola, RipFileType::Aiff,
                                      RipFileType::Mp3, RipFileType::Flac}));
}

TEST(CueSheetReader, BareNamesLowerCaseCommandsAndAbsolutePaths) {
  const RipResult r = ReadCueSheetText(
      "file My Album Image.wav wave\n"
      "track 1 audio\n"
      "title Unquoted title with \"inch\" marks\n"
      "flags dcp\n"
      "index 1 0:2:5\n"
      "FILE \"/abs/b.wav\" WAVE\n"
      "TRACK 2 AUDIO\n"
      "INDEX 01 00:00:00\n",
      "/rips");
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  EXPECT_EQ(r.Sheet.Files[0].Name, "My Album Image.wav");
  EXPECT_EQ(r.Sheet.Files[0].Path, "/rips/My Album Image.wav");
  EXPECT_EQ(r.Sheet.Files[1].Path, "/abs/b.wav");
  EXPECT_EQ(r.Sheet.Tracks[0].CdTextContent.at(0).Title, "Unquoted title with \"inch\" marks");
  EXPECT_TRUE(r.Sheet.Tracks[0].Dcp);
  EXPECT_EQ(r.Sheet.Tracks[0].FindIndex(1)->Position, (2 * 75 + 5) * 588);
}

// One sheet in every encoding and line-end form rippers write reads exactly as its plain
// UTF-8 LF form: same texts, same positions, same line numbers.
std::string Describe(const RipSheet& s) {
  std::ostringstream out;
  out << s.Catalog << "|" << test::FirstCdText(s.CdTextContent).Title << "|"
      << test::FirstCdText(s.CdTextContent).Performer << "\n";
  for (const RipFile& f : s.Files) out << f.Name << "@" << f.Line << "\n";
  for (const RipTrack& t : s.Tracks) {
    out << t.Number << "@" << t.Line << " " << test::FirstCdText(t.CdTextContent).Title << " "
        << t.Isrc << " " << t.PreGapSilence << ":";
    for (const RipIndex& i : t.Indices)
      out << " " << i.Number << "/" << i.File << "/" << i.Position << "@" << i.Line;
    out << "\n";
  }
  for (const RipRem& r : s.Rems) out << r.Key << "=" << r.Value << "@" << r.Line << "\n";
  return out.str();
}

const std::string kPlain =
    "REM COMMENT \"Café Müller\"\n"
    "PERFORMER \"Beyoncé\"\n"
    "TITLE \"Déjà vu\"\n"
    "FILE \"Crème brûlée.wav\" WAVE\n"
    "  TRACK 01 AUDIO\n"
    "    TITLE \"Ångström\"\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    ISRC GBAYE0000351\n"
    "    INDEX 00 02:00:00\n"
    "    INDEX 01 02:02:00\n";

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

// UTF-8 (Latin-1 range only) as Latin-1 bytes.
std::string ToLatin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0xC0 && i + 1 < utf8.size()) {
      out.push_back(static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F)));
    } else {
      out.push_back(utf8[i]);
    }
  }
  return out;
}

std::string ToUtf16(const std::string& latin1, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char ch : latin1) {
    const char lo = ch;
    out += bigEndian ? std::string{'\0', lo} : std::string{lo, '\0'};
  }
  return out;
}

struct EncodingCase {
  const char* Name;
  std::string Text;
  bool ConvertedWarning;
};

TEST(CueSheetReader, EveryEncodingAndLineEndReadsAsThePlainSheet) {
  const RipResult plain = ReadCueSheetText(kPlain, "");
  ASSERT_TRUE(plain.Ok);
  const std::string latin1 = ToLatin1(kPlain);
  ASSERT_NE(latin1, kPlain);
  const std::string mixed = Replace(Replace(kPlain, "AUDIO\n", "AUDIO\r\n"), "00\n", "00\r");
  const EncodingCase cases[] = {
      {"CrLf", Replace(kPlain, "\n", "\r\n"), false},
      {"CrOnly", Replace(kPlain, "\n", "\r"), false},
      {"Mixed", mixed, false},
      {"NoFinalLineEnd", kPlain.substr(0, kPlain.size() - 1), false},
      {"Utf8Bom", "\xEF\xBB\xBF" + kPlain, false},
      {"Latin1", latin1, true},
      {"Latin1CrLf", Replace(latin1, "\n", "\r\n"), true},
      {"Utf16LeBom", ToUtf16(latin1, false), true},
      {"Utf16BeBomCrLf", ToUtf16(Replace(latin1, "\n", "\r\n"), true), true},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const RipResult r = ReadCueSheetText(c.Text, "");
    ASSERT_TRUE(r.Ok) << r.Error.Text();
    EXPECT_EQ(Describe(r.Sheet), Describe(plain.Sheet));
    EXPECT_EQ(!r.Sheet.Warnings.empty(), c.ConvertedWarning);
  }
}

TEST(CueSheetReader, Windows1252PunctuationBecomesUtf8) {
  const RipResult r = ReadCueSheetText(
      "TITLE \"It\x92s \x93quoted\x94 \x80 \x81\"\nFILE a.wav WAVE\nTRACK 01 AUDIO\n"
      "INDEX 01 00:00:00\n",
      "");
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Sheet.CdTextContent.at(0).Title, "It\u2019s \u201Cquoted\u201D \u20AC \u0081");
  ASSERT_EQ(r.Sheet.Warnings.size(), 1u);
  EXPECT_NE(r.Sheet.Warnings[0].Message.find("Windows-1252"), std::string::npos);
}

// ---- hostile sheets ----

const std::string kHead = "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n";  // lines 1-2

std::string ManyTracks(int count) {
  std::string text = "FILE \"a.wav\" WAVE\n";
  for (int n = 1; n <= count; ++n) {
    text += "TRACK " + std::to_string(n) + " AUDIO\nINDEX 01 " + std::to_string(n) + ":00:00\n";
  }
  return text;
}

struct HostileCase {
  const char* Name;
  std::string Text;
  int32_t Line;
  const char* Message;  // a part of the error text
};

TEST(CueSheetReader, HostileSheetsAreRefusedWithTheLineAtFault) {
  const HostileCase cases[] = {
      {"UnclosedQuotedTitle", "TITLE \"Album\nFILE a.wav WAVE\n", 1, "not closed"},
      {"UnclosedQuotedFileName", "FILE \"a.wav WAVE\n", 1, "not closed"},
      {"QuoteInBareFileName", "FILE a.wav\" WAVE\n", 1, "not closed"},
      {"UnclosedRemValue", kHead + "REM COMMENT \"x\nINDEX 01 00:00:00\n", 3, "not closed"},
      {"SecondsOf60", kHead + "INDEX 01 00:60:00\n", 3, "seconds of 00:60:00 must be below 60"},
      {"FramesOf75", kHead + "INDEX 01 00:00:75\n", 3, "frames of 00:00:75 must be below 75"},
      {"NotATime", kHead + "INDEX 01 1:2\n", 3, "not a time"},
      {"NegativeTime", kHead + "INDEX 01 -1:00:00\n", 3, "not a time"},
      {"HugeMinutes", kHead + "INDEX 01 99999999999999999999:00:00\n", 3, "not a time"},
      {"PreGapTimeBad", kHead + "PREGAP 00:02:99\nINDEX 01 00:00:00\n", 3, "below 75"},
      {"HundredTracks", ManyTracks(100), 200, "not a number from 1 to 99"},
      {"TrackZero", "FILE a.wav WAVE\nTRACK 00 AUDIO\n", 2, "not a number from 1 to 99"},
      {"TrackNumberRepeated", kHead + "INDEX 01 00:00:00\nTRACK 01 AUDIO\n", 4,
       "Track 01 does not follow track 01"},
      {"TrackNumberDecreasing", ManyTracks(3) + "TRACK 02 AUDIO\n", 8, "must increase"},
      {"UnknownMode", "FILE a.wav WAVE\nTRACK 01 VIDEO\n", 2, "mode \"VIDEO\""},
      {"TrackWithoutMode", "FILE a.wav WAVE\nTRACK 01\n", 2, "needs a number and a mode"},
      {"TrackBeforeFile", "TITLE x\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", 2,
       "TRACK comes before any FILE"},
      {"IndexBeforeTrack", "FILE a.wav WAVE\nINDEX 01 00:00:00\n", 2, "before any TRACK"},
      {"FileWithoutType", "FILE \"a.wav\"\n", 1, "needs a file name and a type"},
      {"Index00AfterIndex01", kHead + "INDEX 01 00:02:00\nINDEX 00 00:00:00\n", 4,
       "INDEX 00 must come before INDEX 01 in track 01"},
      {"IndexSkipsANumber", kHead + "INDEX 01 00:00:00\nINDEX 03 00:10:00\n", 4,
       "INDEX 03 follows INDEX 01"},
      {"IndexRepeated", kHead + "INDEX 01 00:00:00\nINDEX 01 00:10:00\n", 4,
       "INDEX 01 follows INDEX 01"},
      {"FirstIndexIs02", kHead + "INDEX 02 00:00:00\n", 3, "first index must be"},
      {"IndexNumber100", kHead + "INDEX 100 00:00:00\n", 3, "not a number from 0 to 99"},
      {"IndexBackwardsInTrack", kHead + "INDEX 00 00:10:00\nINDEX 01 00:09:00\n", 4,
       "lies before the previous index of this file (00:10:00)"},
      {"IndexBackwardsAcrossTracks",
       kHead + "INDEX 01 01:00:00\nTRACK 02 AUDIO\nINDEX 01 00:59:74\n", 5, "lies before"},
      {"MissingIndex01", kHead + "INDEX 00 00:00:00\nTRACK 02 AUDIO\nINDEX 01 01:00:00\n", 2,
       "Track 01 has no INDEX 01"},
      {"LastTrackWithoutIndex01", ManyTracks(2) + "TRACK 03 AUDIO\nINDEX 00 09:00:00\n", 6,
       "Track 03 has no INDEX 01"},
      {"PreGapAfterIndex", kHead + "INDEX 01 00:00:00\nPREGAP 00:02:00\n", 4,
       "PREGAP must come before the first INDEX"},
      {"PreGapTwice", kHead + "PREGAP 00:02:00\nPREGAP 00:02:00\n", 4, "PREGAP is given twice"},
      {"IndexAfterPostGap", kHead + "INDEX 01 00:00:00\nPOSTGAP 00:02:00\nINDEX 02 00:10:00\n", 5,
       "follows POSTGAP"},
      {"NulByte", kHead + "TITLE \"a\0b\"\nINDEX 01 00:00:00\n"s, 3, "NUL"},
      {"VeryLongLine", kHead + "TITLE \"" + std::string(9000, 'x') + "\"\n", 3, "longer than"},
      {"ErrorAfterCrOnlyLines", "FILE a.wav WAVE\rTRACK 01 AUDIO\r\rINDEX 01 00:61:00\r", 4,
       "seconds"},
      {"ErrorAfterMixedLineEnds", "FILE a.wav WAVE\r\nTRACK 01 AUDIO\n\r\rINDEX 01 0:0:99\n", 5,
       "frames"},
      {"Empty", "", 0, "empty"},
      {"OnlyBlanks", "  \n\t\r\n", 0, "empty"},
      {"OnlyABom", "\xEF\xBB\xBF", 0, "empty"},
      {"NoTrack", "REM nothing\nFILE a.wav WAVE\n", 0, "no TRACK"},
      {"LargerThanASheet", std::string(kMaxSheetBytes + 1, '\n'), 0, "larger than"},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const RipResult r = ReadCueSheetText(c.Text, "");
    ASSERT_FALSE(r.Ok);
    EXPECT_EQ(r.Error.Line, c.Line) << r.Error.Message;
    EXPECT_NE(r.Error.Message.find(c.Message), std::string::npos) << r.Error.Message;
  }
}

TEST(CueSheetReader, ToleratedOdditiesBecomeWarningsWithTheirLines) {
  const struct {
    const char* Name;
    std::string Text;
    int32_t Line;
    const char* Message;
  } cases[] = {
      {"UnknownCommand", kHead + "ARTIST x\nINDEX 01 00:00:00\n", 3, "unknown command"},
      {"UnknownFlag", kHead + "FLAGS DCP XYZ\nINDEX 01 00:00:00\n", 3, "unknown flag \"XYZ\""},
      {"ShortIsrc", kHead + "ISRC US123\nINDEX 01 00:00:00\n", 3, "ISRC \"US123\""},
      {"BadCatalog", "CATALOG 12345\n" + kHead + "INDEX 01 00:00:00\n", 1, "catalog"},
      {"FileNoIndexUses", "FILE x.wav WAVE\n" + kHead + "INDEX 01 00:00:00\n", 1, "x.wav"},
      {"TrailingUnusedFile", kHead + "INDEX 01 00:00:00\nFILE y.wav WAVE\n", 4, "y.wav"},
      {"GapInTrackNumbers", kHead + "INDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 01 01:00:00\n", 4,
       "missing"},
      {"TextAfterQuote", kHead + "TITLE \"a\" b\nINDEX 01 00:00:00\n", 3, "after the closing"},
      {"UnknownFileType", "FILE a.ogg OGG\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", 1, "OGG"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const RipResult r = ReadCueSheetText(c.Text, "");
    ASSERT_TRUE(r.Ok) << r.Error.Text();
    ASSERT_EQ(r.Sheet.Warnings.size(), 1u);
    EXPECT_EQ(r.Sheet.Warnings[0].Line, c.Line);
    EXPECT_NE(r.Sheet.Warnings[0].Message.find(c.Message), std::string::npos)
        << r.Sheet.Warnings[0].Message;
  }
}

TEST(CueSheetReader, ReadsFilesAgainstTheirFolderAndRefusesWhatIsNoSheet) {
  test::TempDir dir;
  test::WriteText(dir / "disc.cue", kLayouts[1].Text);
  const RipResult r = ReadCueSheetFile(dir / "disc.cue");
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  EXPECT_EQ(r.Sheet.Folder, dir.Path());
  EXPECT_EQ(r.Sheet.Files.at(1).Path, dir / "02.wav");

  test::WriteText(dir / "big.cue", std::string(kMaxSheetBytes + 1, ' '));
  ASSERT_EQ(::mkfifo((dir / "fifo.cue").c_str(), 0600), 0);
  for (const char* name : {"big.cue", "fifo.cue", "missing.cue", ""}) {
    SCOPED_TRACE(name);
    const RipResult bad = ReadCueSheetFile(dir / name);  // a FIFO must not block
    ASSERT_FALSE(bad.Ok);
    EXPECT_EQ(bad.Error.Line, 0);
    EXPECT_NE(bad.Error.Message.find(dir / name), std::string::npos) << bad.Error.Message;
  }
  EXPECT_NE(ReadCueSheetFile(dir / "big.cue").Error.Message.find("larger than 1024 KiB"),
            std::string::npos);
}

}  // namespace
}  // namespace varnel
