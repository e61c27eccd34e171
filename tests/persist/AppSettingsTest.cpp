#include "persist/AppSettings.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "persist/IniFile.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

// The file a first close writes with every setting at its default.
const std::string kDefaultFile =
    "[Form]\r\n"
    "Top=100\r\n"
    "Left=100\r\n"
    "Width=465\r\n"
    "Height=366\r\n"
    "\r\n"
    "[ColumnWidth]\r\n"
    "TrackNo=50\r\n"
    "TrackFile=100\r\n"
    "FileType=100\r\n"
    "HiddenTrackFile=100\r\n"
    "Length=100\r\n"
    "PreEmphasis=100\r\n"
    "DigitalCopy=100\r\n"
    "ISRC=100\r\n"
    "Path=100\r\n"
    "\r\n"
    "[Path]\r\n"
    "WorkDir=/opt/varnel\r\n"
    "WaveFileDir=\r\n"
    "CdtFileDir=\r\n"
    "BinFileDir=\r\n"
    "LayoutFileDir=\r\n"
    "\r\n"
    "[Default]\r\n"
    "PreEmph=0\r\n"
    "Protect=0\r\n"
    "TrackPaddingHead=0\r\n"
    "TrackCutLeading=0\r\n"
    "TrackCutTrailing=0\r\n"
    "PreGapFrames=150\r\n"
    "PreGapPaddingHead=1\r\n"
    "PreGapCutLeading=0\r\n"
    "PreGapCutTrailing=0\r\n"
    "\r\n"
    "[Silece]\r\n"
    "AddFrames=1\r\n"
    "NumFrames=5\r\n"
    "\r\n"
    "[Other]\r\n"
    "MakeAlways=0\r\n"
    "CheckBeforeMake=1\r\n"
    "ToolbarText=1\r\n"
    "ConvertSources=1\r\n"
    "\r\n"
    "[FileName]\r\n"
    "Relative=0\r\n"
    "CdrdaoToc=1\r\n"
    "\r\n"
    "[Font]\r\n"
    "Charaset=0\r\n"
    "Name=Arial\r\n"
    "Size=9\r\n"
    "Color=-2147483640\r\n"
    "Pitch=0\r\n"
    "Height=-12\r\n"
    "\r\n"
    "[Font\\Style]\r\n"
    "IsBold=0\r\n"
    "IsItalic=0\r\n"
    "IsUnderline=0\r\n"
    "IsStrikeOut=0\r\n"
    "\r\n"
    "[Disc]\r\n"
    "Media=80\r\n"
    "\r\n"
    "[Cache]\r\n"
    "DecodedLimitMiB=4096\r\n"
    "\r\n"
    "[Burn]\r\n"
    "Device=\r\n"
    "Speed=0\r\n"
    "Simulate=0\r\n"
    "Eject=0\r\n"
    "\r\n"
    "[Recent]\r\n"
    "File1=\r\nFile2=\r\nFile3=\r\nFile4=\r\nFile5=\r\nFile6=\r\nFile7=\r\nFile8=\r\n"
    "\r\n";

void ExpectTableDefaults(const AppSettings& s, const std::string& workDir) {
  EXPECT_EQ(s.Top, 100);
  EXPECT_EQ(s.Left, 100);
  EXPECT_EQ(s.Width, 465);
  EXPECT_EQ(s.Height, 366);
  EXPECT_EQ(s.ColumnWidth[0], 50);
  for (int i = 1; i < kTrackColumnCount; ++i) {
    EXPECT_EQ(s.ColumnWidth[i], 100) << kColumnKeys[i];
  }
  EXPECT_EQ(s.WorkDir, workDir);
  EXPECT_EQ(s.WaveFileDir, "");
  EXPECT_EQ(s.CdtFileDir, "");
  EXPECT_EQ(s.BinFileDir, "");
  EXPECT_EQ(s.LayoutFileDir, "");
  EXPECT_FALSE(s.PreEmph);
  EXPECT_FALSE(s.Protect);
  EXPECT_FALSE(s.TrackPaddingHead);
  EXPECT_FALSE(s.TrackCutLeading);
  EXPECT_FALSE(s.TrackCutTrailing);
  EXPECT_EQ(s.PreGapFrames, 150);
  EXPECT_TRUE(s.PreGapPaddingHead);
  EXPECT_FALSE(s.PreGapCutLeading);
  EXPECT_FALSE(s.PreGapCutTrailing);
  EXPECT_TRUE(s.AddFrames);
  EXPECT_EQ(s.NumFrames, 5);
  EXPECT_FALSE(s.MakeAlways);
  EXPECT_TRUE(s.CheckBeforeMake);
  EXPECT_TRUE(s.ConvertSources);
  EXPECT_FALSE(s.Relative);
  EXPECT_TRUE(s.CdrdaoToc);
  EXPECT_EQ(s.DecodedLimitMiB, 4096);
  EXPECT_EQ(s.BurnDevice, "");
  EXPECT_EQ(s.BurnSpeed, 0);
  EXPECT_FALSE(s.BurnSimulate);
  EXPECT_FALSE(s.BurnEject);
  EXPECT_EQ(s.Font.Charaset, 0);
  EXPECT_EQ(s.Font.Color, -2147483640);
  EXPECT_EQ(s.Font.Height, -12);
  EXPECT_EQ(s.Font.Name, "Arial");
  EXPECT_EQ(s.Font.Size, 9);
  EXPECT_EQ(s.Font.Pitch, 0);
  EXPECT_FALSE(s.Font.IsBold);
  EXPECT_FALSE(s.Font.IsItalic);
  EXPECT_FALSE(s.Font.IsUnderline);
  EXPECT_FALSE(s.Font.IsStrikeOut);
  EXPECT_TRUE(s.ToolbarText);
  EXPECT_EQ(s.Media, 80);
  for (const std::string& r : s.Recent) EXPECT_EQ(r, "");
}

// Every field away from its default, so that a key read into the wrong field shows.
AppSettings Unusual() {
  AppSettings s;
  s.Top = -20;
  s.Left = 2147483647;
  s.Width = 801;
  s.Height = 602;
  for (int i = 0; i < kTrackColumnCount; ++i) s.ColumnWidth[i] = 11 + i;
  s.WorkDir = "/home/u/cd work";
  s.WaveFileDir = " /w ";
  s.CdtFileDir = "/c";
  s.BinFileDir = "/b";
  s.LayoutFileDir = "/l";
  s.PreEmph = true;
  s.Protect = true;
  s.TrackPaddingHead = true;
  s.TrackCutLeading = true;
  s.TrackCutTrailing = true;
  s.PreGapFrames = 0;
  s.PreGapPaddingHead = false;
  s.PreGapCutLeading = true;
  s.PreGapCutTrailing = true;
  s.AddFrames = false;
  s.NumFrames = 150;
  s.MakeAlways = true;
  s.CheckBeforeMake = false;
  s.ConvertSources = false;
  s.Relative = true;
  s.CdrdaoToc = false;
  s.DecodedLimitMiB = 0;
  s.BurnDevice = "/dev/sr1";
  s.BurnSpeed = 8;
  s.BurnSimulate = true;
  s.BurnEject = true;
  s.Font.Charaset = 128;
  s.Font.Color = INT32_MIN;
  s.Font.Height = -16;
  s.Font.Name = "DejaVu Sans Mono";
  s.Font.Size = 12;
  s.Font.Pitch = 2;
  s.Font.IsBold = true;
  s.Font.IsItalic = true;
  s.Font.IsUnderline = true;
  s.Font.IsStrikeOut = true;
  s.ToolbarText = false;
  s.Media = 99;
  s.Recent = {"/l/a.txt", "/l/b c.txt", "", "", "", "", "", "/l/h.txt"};
  return s;
}

TEST(AppSettingsTest, MissingFileGivesEveryDefault) {
  TempDir dir;
  AppSettings s = ReadSettingsFile(dir / "varnel.ini", "/opt/varnel");
  ExpectTableDefaults(s, "/opt/varnel");
}

TEST(AppSettingsTest, RefusedFileGivesTheDefaultsAndIsNeverWrittenOver) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  WriteText(dir / "huge.ini", "[Path]\r\nWorkDir=/w\r\n");
  std::filesystem::resize_file(dir / "huge.ini", (int64_t{64} << 20) + 1);
  for (const std::string& path : {dir / "fifo", dir / "huge.ini", std::string("/dev/zero")}) {
    std::string problem;
    ExpectTableDefaults(ReadSettingsFile(path, "/opt/varnel", &problem), "/opt/varnel");
    EXPECT_NE(problem.find(path), std::string::npos) << problem;
    std::string error;
    EXPECT_FALSE(WriteSettingsFile(path, Unusual(), &error)) << path;
    EXPECT_EQ(error, problem);
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));
  EXPECT_EQ(std::filesystem::file_size(dir / "huge.ini"), (uint64_t{64} << 20) + 1);
  // A missing file is no problem.
  std::string problem;
  ReadSettingsFile(dir / "none.ini", "/opt/varnel", &problem);
  EXPECT_EQ(problem, "");
}

TEST(AppSettingsTest, FirstCloseWritesEveryKeyInOrder) {
  TempDir dir;
  AppSettings s;
  s.WorkDir = "/opt/varnel";
  std::string error;
  ASSERT_TRUE(WriteSettingsFile(dir / "varnel.ini", s, &error)) << error;
  EXPECT_EQ(ReadText(dir / "varnel.ini"), kDefaultFile);
  ExpectTableDefaults(ReadSettingsFile(dir / "varnel.ini", "/elsewhere"), "/opt/varnel");
}

TEST(AppSettingsTest, EveryFieldRoundTrips) {
  TempDir dir;
  const AppSettings s = Unusual();
  ASSERT_TRUE(WriteSettingsFile(dir / "varnel.ini", s));
  AppSettings back = ReadSettingsFile(dir / "varnel.ini", "/default");
  EXPECT_EQ(back, s);
  // A second write over the first changes nothing.
  std::string first = ReadText(dir / "varnel.ini");
  ASSERT_TRUE(WriteSettingsFile(dir / "varnel.ini", back));
  EXPECT_EQ(ReadText(dir / "varnel.ini"), first);
}

TEST(AppSettingsTest, RewriteKeepsUnknownLinesAndKeySpelling) {
  TempDir dir;
  std::string path = dir / "varnel.ini";
  WriteText(path,
            "; written by hand\n"
            "[form]\n"
            "top=1\n"
            "Remark=mine\n"
            "\n"
            "[Plugins]\n"
            "Enabled=yes\n");
  ASSERT_TRUE(WriteSettingsFile(path, Unusual()));
  std::string text = ReadText(path);
  // New keys follow the last key of their section; a new section is set off by an empty line.
  EXPECT_EQ(text.rfind("; written by hand\n[form]\ntop=-20\nRemark=mine\nLeft=2147483647\r\n"
                       "Width=801\r\nHeight=602\r\n\n[Plugins]\nEnabled=yes\n\r\n[ColumnWidth]\r\n",
                       0),
            0u)
      << text;
  EXPECT_EQ(text.find("Top="), std::string::npos);
  EXPECT_EQ(ReadSettingsFile(path, ""), Unusual());
}

TEST(AppSettingsTest, LookupIgnoresCaseAndReadsHexadecimal) {
  IniFile ini;
  ini.LoadText(
      "[FORM]\nWIDTH=0x200\n"
      "[font]\ncolor=0x80000008\nCHARASET=0X80\nname=Courier New\n"
      "[FONT\\STYLE]\nisbold=1\nisitalic=0x0\n"
      "[silece]\naddframes=0\n");
  AppSettings s;
  LoadSettings(ini, s, "");
  LoadFontSettings(ini, s.Font);
  EXPECT_EQ(s.Width, 512);
  EXPECT_FALSE(s.AddFrames);
  EXPECT_EQ(s.Font.Color, -2147483640);
  EXPECT_EQ(s.Font.Charaset, 128);
  EXPECT_EQ(s.Font.Name, "Courier New");
  EXPECT_TRUE(s.Font.IsBold);
  EXPECT_FALSE(s.Font.IsItalic);
}

TEST(AppSettingsTest, BadNumbersGiveDefaultsAndEmptyStringsStayEmpty) {
  IniFile ini;
  ini.LoadText(
      "[Form]\nTop=abc\nLeft=\nWidth=99999999999\n"
      "[ColumnWidth]\nTrackNo=12px\n"
      "[Default]\nPreGapPaddingHead=no\nPreEmph=x\n"
      "[Path]\nWorkDir=\n"
      "[Font]\nName=\nSize=9.5\n"
      "[Disc]\nMedia=75\n");
  AppSettings s = Unusual();
  LoadSettings(ini, s, "/fallback");
  LoadFontSettings(ini, s.Font);
  EXPECT_EQ(s.Top, 100);
  EXPECT_EQ(s.Left, 100);
  EXPECT_EQ(s.Width, 465);
  EXPECT_EQ(s.ColumnWidth[0], 50);
  EXPECT_TRUE(s.PreGapPaddingHead);
  EXPECT_FALSE(s.PreEmph);
  EXPECT_EQ(s.WorkDir, "");  // present but empty is not missing
  EXPECT_EQ(s.Font.Name, "");
  EXPECT_EQ(s.Font.Size, 9);
  EXPECT_EQ(s.Media, 80);  // only the media the capacity bar offers
}

TEST(AppSettingsTest, LoadSettingsLeavesTheFontToLoadFontSettings) {
  IniFile ini;
  ini.LoadText("[Font]\nName=Courier\n[Form]\nTop=3\n");
  AppSettings s;
  s.Font.Name = "Kept";
  LoadSettings(ini, s, "/w");
  EXPECT_EQ(s.Top, 3);
  EXPECT_EQ(s.Font.Name, "Kept");
  EXPECT_EQ(s.WorkDir, "/w");
}

TEST(AppSettingsTest, UnwritablePlaceReportsFailureWithoutThrowing) {
  TempDir dir;
  WriteText(dir / "file", "x");
  std::string error;
  EXPECT_FALSE(WriteSettingsFile(dir / "file/varnel.ini", Unusual(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadText(dir / "file"), "x");
}

// ---------------------------------------------------------------- where the file lives

TEST(SettingsPathTest, WritableExecutableFolderHoldsTheFile) {
  TempDir dir;
  std::string exe = dir / "varnel";
  EXPECT_EQ(SettingsPathFor(exe, "/home/u"), dir / "varnel.ini");
}

TEST(SettingsPathTest, MissingExecutableFolderFallsBackToHome) {
  TempDir dir;
  std::string exe = dir / "gone/varnel";
  EXPECT_EQ(SettingsPathFor(exe, "/home/u"), "/home/u/.config/varnel/varnel.ini");
  EXPECT_EQ(SettingsPathFor(exe, "/home/u/"), "/home/u/.config/varnel/varnel.ini");
  EXPECT_EQ(SettingsPathFor("", "/h"), "/h/.config/varnel/varnel.ini");
}

TEST(SettingsPathTest, ReadOnlyExecutableFolderFallsBackToHome) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "access() grants root write access to a read-only folder; the missing-folder "
                    "case covers the fallback";
  }
  TempDir dir;
  std::string bin = dir / "bin";
  fs::create_directory(bin);
  ASSERT_EQ(::chmod(bin.c_str(), 0555), 0);
  EXPECT_EQ(SettingsPathFor(bin + "/varnel", "/home/u"), "/home/u/.config/varnel/varnel.ini");
}

TEST(SettingsPathTest, RunningExecutableAndHome) {
  std::string exe = CurrentExePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(fs::path(exe), fs::canonical("/proc/self/exe"));

  const char* saved = std::getenv("HOME");
  std::optional<std::string> keep = saved ? std::optional<std::string>(saved) : std::nullopt;
  ::setenv("HOME", "/some/where", 1);
  EXPECT_EQ(HomeDir(), "/some/where");
  ::unsetenv("HOME");
  const passwd* pw = ::getpwuid(::geteuid());
  EXPECT_EQ(HomeDir(), pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "");
  if (keep) ::setenv("HOME", keep->c_str(), 1);
}

}  // namespace
}  // namespace varnel
