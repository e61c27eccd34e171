// The cdrdao TOC reader: TOC files of every rip layout, read by cdrdao itself (show-toc
// on sox-made audio files) and by us, must give the same disc: pre-gaps, track starts,
// index marks and track ends to the CD frame, and the same flags, ISRC and catalog.
// Then the CD-Text and string forms, and hostile TOC files with their line.
#include "formats/sheets/TocFileReader.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "model/CdTime.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using namespace std::string_literals;

// One track as `cdrdao show-toc` prints it; positions are CD frames from the disc start.
struct TocTrackCase {
  std::string Mode;
  long PreGap = 0;
  long Start = -1;
  std::vector<long> Indices;
  long End = -1;
  bool Copy = false;
  bool Pre = false;
  std::string Isrc;
  friend bool operator==(const TocTrackCase&, const TocTrackCase&) = default;
};

std::ostream& operator<<(std::ostream& os, const TocTrackCase& t) {
  os << "{" << t.Mode << " pregap " << t.PreGap << " start " << t.Start << " indices";
  for (long i : t.Indices) os << " " << i;
  return os << " end " << t.End << (t.Copy ? " copy" : "") << (t.Pre ? " pre" : "") << " " << t.Isrc
            << "}";
}

struct TocDisc {
  std::string Catalog;
  std::vector<TocTrackCase> Tracks;
  friend bool operator==(const TocDisc&, const TocDisc&) = default;
};

std::ostream& operator<<(std::ostream& os, const TocDisc& d) {
  os << "catalog " << d.Catalog;
  for (const TocTrackCase& t : d.Tracks) os << "\n  " << t;
  return os;
}

TocDisc ParseShowToc(const std::string& out) {
  TocDisc disc;
  const std::regex track(R"(^TRACK\s+\d+\s+Mode (\S+):)");
  const std::regex time(R"(^\s+(PREGAP|START|INDEX\s+\d+|END\*?)\s+\d+:\d+:\d+\(\s*(\d+)\))");
  const std::regex isrc(R"(^\s+ISRC (\w\w) (\w\w\w) (\d\d) (\d{5}))");
  std::istringstream lines(out);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, m, track)) {
      disc.Tracks.push_back({});
      disc.Tracks.back().Mode = m[1];
    } else if (line.rfind("CATALOG NUMBER: ", 0) == 0) {
      disc.Catalog = line.substr(16);
    } else if (disc.Tracks.empty()) {
      continue;
    } else if (std::regex_search(line, m, time)) {
      const long frames = std::stol(m[2]);
      const std::string what = m[1];
      TocTrackCase& t = disc.Tracks.back();
      if (what == "PREGAP") t.PreGap = frames;
      if (what == "START") t.Start = frames;
      if (what.rfind("INDEX", 0) == 0) t.Indices.push_back(frames);
      if (what.rfind("END", 0) == 0) t.End = frames;
    } else if (std::regex_search(line, m, isrc)) {
      disc.Tracks.back().Isrc =
          std::string(m[1]) + std::string(m[2]) + std::string(m[3]) + std::string(m[4]);
    } else if (line.find("COPY PERMITTED") != std::string::npos) {
      disc.Tracks.back().Copy = line.find("NOT") == std::string::npos;
    } else if (line.find("PRE-EMPHASIS") != std::string::npos) {
      disc.Tracks.back().Pre = line.find("NO PRE") == std::string::npos;
    }
  }
  return disc;
}

// The same disc worked out from our reading and the files' sizes, the way a burner lays
// it out: each track's contents end on a whole CD frame; a START without a time rounds
// up to one.
struct FileSizeCase {
  int64_t Bytes = 0;        // the whole file
  int64_t AudioOffset = 0;  // bytes before the samples (a wave header)
};

long Frames(const RipIndex& i) {
  return static_cast<long>(i.Position / kSamplesPerCdFrame);
}

int64_t WholeFrames(int64_t samples) {
  return (samples + kSamplesPerCdFrame - 1) / kSamplesPerCdFrame;
}

TocDisc DiscFromSheet(const RipSheet& sheet, const std::map<std::string, FileSizeCase>& sizes) {
  TocDisc disc;
  disc.Catalog = sheet.Catalog;
  long begin = 0;
  for (const RipTrack& t : sheet.Tracks) {
    std::vector<int64_t> ends;  // samples after each piece, pre-gap silence first
    int64_t samples = t.PreGapSilence;
    for (const RipPiece& p : t.Pieces) {
      const RipFile* f = p.File >= 0 ? &sheet.Files.at(static_cast<size_t>(p.File)) : nullptr;
      int64_t length = p.Length;
      if (p.Kind == RipPieceKind::Audio && length < 0) {
        const FileSizeCase& s = sizes.at(f->Name);
        length = (s.Bytes - s.AudioOffset - p.ByteOffset) / 4 - p.Start;
      }
      if (p.Kind == RipPieceKind::Data && length < 0) length = sizes.at(f->Name).Bytes;
      if (p.Kind == RipPieceKind::Data || p.Kind == RipPieceKind::Zero) {
        length = (length + t.BlockSize - 1) / t.BlockSize * kSamplesPerCdFrame;
      }
      samples += length;
      ends.push_back(samples);
    }
    TocTrackCase track;
    track.Mode = t.Mode;
    track.Copy = t.Dcp;
    track.Pre = t.Pre;
    track.Isrc = t.Isrc;
    track.PreGap = static_cast<long>(t.PreGapSilence / kSamplesPerCdFrame);
    if (t.Start.Line != 0) {
      const int64_t at = t.Start.Position >= 0 ? t.Start.Position
                         : t.Start.PiecesBefore == 0
                             ? 0
                             : ends.at(static_cast<size_t>(t.Start.PiecesBefore - 1));
      track.PreGap = static_cast<long>(WholeFrames(at));
    }
    track.Start = begin + track.PreGap;
    for (const RipIndex& i : t.Indices) track.Indices.push_back(track.Start + Frames(i));
    begin += static_cast<long>(WholeFrames(samples));
    track.End = begin;
    disc.Tracks.push_back(track);
  }
  return disc;
}

struct TocCase {
  const char* Name;
  const char* Text;
};

void PrintTo(const TocCase& c, std::ostream* os) {
  *os << c.Name;
}

const TocCase kTocLayouts[] = {
    {"SingleImageWithHiddenFirstTrack", R"(CD_DA
CATALOG "0724384260521"
TRACK AUDIO
COPY
FILE "a.wav" 0 0:4:0
START 0:1:0 // the hidden first track
TRACK AUDIO
PRE_EMPHASIS
ISRC "USRC17607839"
FILE "a.wav" 0:4:0 0:3:0
INDEX 0:1:0
INDEX 0:2:10
TRACK AUDIO
FILE "a.wav" 0:7:0
)"},
    {"FilePerTrackWithSilentAndFilePreGaps", R"(CD_DA
TRACK AUDIO
FILE "b.wav" 0
TRACK AUDIO
PREGAP 0:2:0
AUDIOFILE "a.wav" 0
TRACK AUDIO
NO COPY
FILE "b.wav" 200000
START
FILE "a.wav" 0 0:5:0
TRACK AUDIO
SILENCE 0:1:30
START
FILE "a.wav" 0:5:0
)"},
    {"SampleExactPieces", R"(CD_DA
TRACK AUDIO
FILE "b.wav" 0 100000
SILENCE 76
START
FILE "b.wav" 100000 199924
TRACK AUDIO
FILE "b.wav" 123
INDEX 0:3:0
)"},
    {"RawFileWithByteOffsetAndSwappedWave", R"(CD_DA
TRACK AUDIO
FILE "r.cdr" #1176 0 0:3:0
AUDIOFILE "r.cdr" #1176 0:3:0
TRACK AUDIO
FILE "a.wav" SWAP 0 0:4:0
START 0:0:10
)"},
    {"DataTrackThenAudio", R"(CD_ROM
TRACK MODE1
DATAFILE "d.bin"
ZERO 0:2:0
TRACK AUDIO
SILENCE 0:2:0
START
FILE "a.wav" 0
)"},
};

class TocLayouts : public ::testing::TestWithParam<TocCase> {
 protected:
  static void SetUpTestSuite() {
    Dir = new test::TempDir;
    Sizes = new std::map<std::string, FileSizeCase>;
    MakeWave("a.wav", 441000);
    MakeWave("b.wav", 300000);
    // Raw big-endian samples behind 1176 bytes that are not audio.
    const std::string raw = *Dir / "raw.cdr";
    Sox({"-t", "raw", "-e", "signed", "-B", raw, "synth", "264600s", "sine", "300"});
    test::WriteText(*Dir / "r.cdr", std::string(1176, 'J') + test::ReadText(raw));
    (*Sizes)["r.cdr"] = {1176 + 264600 * 4, 0};
    test::WriteText(*Dir / "d.bin", std::string(300 * 2048, 'D'));
    (*Sizes)["d.bin"] = {300 * 2048, 0};
  }
  static void TearDownTestSuite() {
    delete Dir;
    delete Sizes;
  }
  static void Sox(std::vector<std::string> tail) {
    std::vector<std::string> args = {"sox", "-r", "44100", "-c", "2", "-n", "-b", "16"};
    args.insert(args.end(), tail.begin(), tail.end());
    args.push_back("vol");
    args.push_back("0.5");
    const test::ProcessResult r = test::RunProcess(args);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
  }
  static void MakeWave(const std::string& name, int64_t samples) {
    Sox({*Dir / name, "synth", std::to_string(samples) + "s", "sine", "440"});
    (*Sizes)[name] = {static_cast<int64_t>(test::ReadBytes(*Dir / name).size()), 44};
    ASSERT_EQ((*Sizes)[name].Bytes, 44 + samples * 4) << "not a canonical wave file";
  }
  static test::TempDir* Dir;
  static std::map<std::string, FileSizeCase>* Sizes;
};

test::TempDir* TocLayouts::Dir = nullptr;
std::map<std::string, FileSizeCase>* TocLayouts::Sizes = nullptr;

TEST_P(TocLayouts, ReadAsCdrdaoLaysOutTheDisc) {
  const TocCase& c = GetParam();
  const std::string toc = *Dir / (std::string(c.Name) + ".toc");
  test::WriteText(toc, c.Text);
  // cdrdao resolves names against the current folder, we against the TOC's folder.
  const test::ProcessResult cdrdao = test::RunProcess({"cdrdao", "show-toc", toc}, Dir->Path());
  ASSERT_EQ(cdrdao.ExitCode, 0) << cdrdao.Err << cdrdao.Out;
  const TocDisc expected = ParseShowToc(cdrdao.Out);
  ASSERT_FALSE(expected.Tracks.empty()) << cdrdao.Out;

  const RipResult r = ReadTocFile(toc);
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  EXPECT_EQ(r.Sheet.Source, RipSource::TocFile);
  EXPECT_TRUE(r.Sheet.Warnings.empty());
  for (const RipFile& f : r.Sheet.Files) EXPECT_EQ(f.Path, *Dir / f.Name);
  EXPECT_EQ(DiscFromSheet(r.Sheet, *Sizes), expected) << cdrdao.Out;
}

INSTANTIATE_TEST_SUITE_P(RipLayouts, TocLayouts, ::testing::ValuesIn(kTocLayouts),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(TocFileReader, PiecesKeepTheirSamplesOffsetsAndFiles) {
  const RipResult r = ReadTocText(kTocLayouts[3].Text, "");
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  ASSERT_EQ(r.Sheet.Files.size(), 2u);  // r.cdr once, though named twice
  const std::vector<RipPiece>& p = r.Sheet.Tracks[0].Pieces;
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].File, p[1].File);
  EXPECT_EQ(p[0].ByteOffset, 1176);
  EXPECT_EQ(p[0].Length, 3 * 44100);
  EXPECT_EQ(p[1].Start, 3 * 44100);
  EXPECT_EQ(p[1].Length, -1);
  EXPECT_EQ(p[1].Line, 4);
  EXPECT_TRUE(r.Sheet.Tracks[1].Pieces[0].Swap);
  EXPECT_EQ(r.Sheet.Files[1].TypeText, "FILE");
  EXPECT_EQ(r.Sheet.Files[1].Type, RipFileType::Audio);

  const RipResult exact = ReadTocText(kTocLayouts[2].Text, "");
  ASSERT_TRUE(exact.Ok);
  EXPECT_EQ(exact.Sheet.Tracks[0].Pieces[1].Length, 76);
  EXPECT_EQ(exact.Sheet.Tracks[0].Start.PiecesBefore, 2);
  EXPECT_EQ(exact.Sheet.Tracks[0].Start.Position, 171 * 588);  // 100076 rounded up
  EXPECT_EQ(exact.Sheet.Tracks[1].Pieces[0].Start, 123);

  const RipResult data = ReadTocText(kTocLayouts[4].Text, "");
  ASSERT_TRUE(data.Ok);
  EXPECT_EQ(data.Sheet.TocType, "CD_ROM");
  EXPECT_FALSE(data.Sheet.Tracks[0].Audio);
  EXPECT_EQ(data.Sheet.Tracks[0].BlockSize, 2048);
  EXPECT_EQ(data.Sheet.Tracks[0].Pieces[1].Kind, RipPieceKind::Zero);
  EXPECT_EQ(data.Sheet.Tracks[0].Pieces[1].Length, 150 * 2048);
  EXPECT_EQ(data.Sheet.Files[0].Type, RipFileType::Data);
}

TEST(TocFileReader, CdTextLanguagesStringEscapesAndFlags) {
  const RipResult r = ReadTocText(R"(CD_DA // an audio disc
CD_TEXT {
  LANGUAGE_MAP { 0 : EN 1 : 7 }
  LANGUAGE 0 {
    TITLE "Disc \"Q\" \101\344"
    PERFORMER "Caf\303\251"
    GENRE { 0, 25, 70, 111 }
    SIZE_INFO { }
    UPC_EAN ""
    DISC_ID "XY12345"
  }
  LANGUAGE 1 { TITLE "Titel" }
}
TRACK AUDIO
NO COPY NO PRE_EMPHASIS FOUR_CHANNEL_AUDIO ISRC "GBAYE0000351"
CD_TEXT { LANGUAGE 0 { TITLE "back\\slash\x" ISRC "GB-AYE-00-00351" } LANGUAGE 1 { TITLE "Eins" } }
FILE "sub dir/x y.wav" 0
TRACK MODE2_FORM1 RW_RAW
ZERO MODE2_FORM1 RW_RAW 0:1:0
)",
                                  "/rips");
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  ASSERT_EQ(r.Sheet.Languages.size(), 2u);
  EXPECT_EQ(r.Sheet.Languages[0].Code, 9);
  EXPECT_EQ(r.Sheet.Languages[1].Block, 1);
  EXPECT_EQ(r.Sheet.Languages[1].Code, 7);
  ASSERT_EQ(r.Sheet.CdTextContent.size(), 2u);
  EXPECT_EQ(r.Sheet.CdTextContent[0].Title, "Disc \"Q\" A\u00E4");  // \344 is Latin-1
  EXPECT_EQ(r.Sheet.CdTextContent[0].Performer, "Caf\u00E9");       // these bytes are UTF-8
  EXPECT_EQ(r.Sheet.CdTextContent[0].Genre, "");                    // binary: dropped
  EXPECT_EQ(r.Sheet.CdTextContent[0].DiscId, "XY12345");
  EXPECT_EQ(r.Sheet.CdTextContent[1].Title, "Titel");
  const RipTrack& t = r.Sheet.Tracks[0];
  EXPECT_FALSE(t.Dcp);
  EXPECT_FALSE(t.Pre);
  EXPECT_TRUE(t.FourChannel);
  EXPECT_EQ(t.Isrc, "GBAYE0000351");
  ASSERT_EQ(t.CdTextContent.size(), 2u);
  EXPECT_EQ(t.CdTextContent[0].Title, "back\\\\slash\\x");  // no escape but \" and octal
  EXPECT_EQ(t.CdTextContent[0].Isrc, "GB-AYE-00-00351");
  EXPECT_EQ(t.CdTextContent[1].Title, "Eins");
  EXPECT_EQ(r.Sheet.Files[0].Path, "/rips/sub dir/x y.wav");
  const RipTrack& data = r.Sheet.Tracks[1];
  EXPECT_EQ(data.SubChannel, "RW_RAW");
  EXPECT_EQ(data.BlockSize, 2048 + 96);
  EXPECT_EQ(data.Pieces[0].Length, 75 * (2048 + 96));
}

TEST(TocFileReader, MalformedCatalogAndIsrcAreDroppedWithAWarning) {
  const RipResult r =
      ReadTocText("CATALOG \"12345\"\nTRACK AUDIO\nISRC \"us-abc\"\nSILENCE 0:4:0\n", "");
  ASSERT_TRUE(r.Ok) << r.Error.Text();
  EXPECT_EQ(r.Sheet.Catalog, "");
  EXPECT_EQ(r.Sheet.Tracks[0].Isrc, "");
  ASSERT_EQ(r.Sheet.Warnings.size(), 2u);
  EXPECT_EQ(r.Sheet.Warnings[0].Line, 1);
  EXPECT_EQ(r.Sheet.Warnings[1].Line, 3);
}

std::string Tracks(int count) {
  std::string text = "CD_DA\n";
  for (int n = 0; n < count; ++n) text += "TRACK AUDIO\nSILENCE 0:4:0\n";
  return text;
}

TEST(TocFileReader, HostileTocFilesAreRefusedWithTheLineAtFault) {
  const std::string head = "CD_DA\nTRACK AUDIO\n";  // lines 1-2
  const struct {
    const char* Name;
    std::string Text;
    int32_t Line;
    const char* Message;
  } cases[] = {
      {"LowerCaseKeyword", "CD_DA\ntrack AUDIO\n", 2, "keywords are upper case"},
      {"UnknownWord", head + "FILE \"a.wav\" 0\nLOUDNESS 3\n", 4, "\"LOUDNESS\" is not"},
      {"HashIsNoComment", "#\nTRACK AUDIO\n", 1, "Expected TRACK but found '#'"},
      {"StrayCharacter", head + "FILE \"a.wav\" 0 @\n", 3, "'@'"},
      {"UnclosedString", head + "FILE \"a.wav 0\n", 3, "not closed"},
      {"SecondsOf60", head + "FILE \"a.wav\" 0 0:60:0\n", 3, "seconds of 0:60:0"},
      {"FramesOf75", head + "SILENCE 0:0:75\n", 3, "frames of 0:0:75"},
      {"NumberTooLarge", head + "SILENCE 1234567890123\n", 3, "too large"},
      {"HundredTracks", Tracks(100), 200, "at most 99 tracks"},
      {"TrackWithoutMode", "TRACK\nSILENCE 0:4:0\n", 2, "Expected a track mode"},
      {"Mode0IsNoTrackMode", "TRACK MODE0\n", 1, "Expected a track mode"},
      {"TrackWithoutContents", head + "TRACK AUDIO\nSILENCE 0:4:0\n", 2, "has no FILE"},
      {"ZeroPreGap", head + "PREGAP 0:0:0\nSILENCE 0:4:0\n", 3, "PREGAP length is zero"},
      {"ZeroSilence", head + "SILENCE 0\n", 3, "SILENCE length is zero"},
      {"StartTwice", head + "SILENCE 0:4:0\nSTART 0:1:0\nSTART 0:2:0\n", 5, "already given"},
      {"StartWithPreGap", head + "PREGAP 0:2:0\nSILENCE 0:4:0\nSTART\n", 5, "already given"},
      {"StartAtTrackEnd", head + "SILENCE 0:4:0\nSTART 0:4:0\n", 4, "at or after the end"},
      {"EndBeforeStart", head + "SILENCE 0:9:0\nSTART 0:4:0\nEND 0:3:0\n", 5, "after START"},
      {"IndexAtTrackStart", head + "SILENCE 0:9:0\nINDEX 0:0:0\n", 4, "at the track start"},
      {"IndexGoingBack", head + "SILENCE 0:9:0\nINDEX 0:5:0\nINDEX 0:4:0\n", 5,
       "after the INDEX before it"},
      {"IndexBeyondTrack", head + "SILENCE 0:9:0\nSTART 0:5:0\nINDEX 0:4:0\n", 5,
       "at or after the end of the track"},
      {"FileInDataTrack", "TRACK MODE1\nFILE \"a.wav\" 0\n", 2, "only allowed in AUDIO"},
      {"SilenceWithSubChannel", "TRACK AUDIO RW\nSILENCE 0:4:0\n", 2, "only allowed in AUDIO"},
      {"SilenceMixedWithZero", head + "SILENCE 0:4:0\nZERO 0:1:0\n", 4, "cannot be mixed"},
      {"Fifo", head + "FIFO \"/tmp/p\" 0:4:0\n", 3, "FIFO"},
      {"StandardInput", head + "FILE \"-\" 0\n", 3, "Standard input"},
      {"EmptyFileName", head + "FILE \"\" 0\n", 3, "file name is empty"},
      {"DiscItemInTrackCdText", head + "CD_TEXT { LANGUAGE 0 { DISC_ID \"x\" } }\nSILENCE 1\n", 3,
       "DISC_ID belongs in the disc's"},
      {"LanguageNumber8", "CD_TEXT { LANGUAGE 8 { TITLE \"x\" } }\n", 1, "0 to 7"},
      {"LanguageCode256", "CD_TEXT { LANGUAGE_MAP {\n0 : 256 } }\n", 2, "0 to 255"},
      {"BinaryByte256", "CD_TEXT {\nLANGUAGE 0 {\nGENRE { 1, 256 } } }\n", 3, "byte 256"},
      {"UnclosedCdText", "CD_TEXT { LANGUAGE 0 {\nTITLE \"x\"\n", 2, "end of the file"},
      {"NulEscape", head + "CD_TEXT { LANGUAGE 0 { TITLE \"a\\000\" } }\n", 3, "NUL"},
      {"NulByte", head + "SILENCE\0 1\n"s, 3, "NUL"},
      {"CatalogInsideTrack", head + "SILENCE 0:4:0\nCATALOG \"1234567890123\"\n", 4,
       "Expected TRACK or the end of the file but found CATALOG"},
      {"ErrorAfterCrLfLines", "CD_DA\r\n\r\nTRACK AUDIO\r\nSILENCE 0:0:80\r\n", 4, "frames"},
      {"ErrorAfterCrLines", "CD_DA\r// x\rTRACK AUDIO\rSILENCE 1:60:0\r", 4, "seconds"},
      {"NoTrack", "CD_DA\nCATALOG \"0724384260521\"\n", 2, "Expected TRACK"},
      {"Empty", "", 0, "empty"},
      {"OnlyComments", "// nothing\n  // here\n", 0, "empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const RipResult r = ReadTocText(c.Text, "");
    ASSERT_FALSE(r.Ok);
    EXPECT_EQ(r.Error.Line, c.Line) << r.Error.Message;
    EXPECT_NE(r.Error.Message.find(c.Message), std::string::npos) << r.Error.Message;
  }
}

}  // namespace
}  // namespace varnel
