#include "persist/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "support/TestFiles.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

IniFile FromText(const std::string& text) {
  IniFile ini;
  ini.LoadText(text);
  return ini;
}

// ---------------------------------------------------------------- reading

TEST(IniReadTest, SectionsAndKeysAreFoundWithoutRegardToCase) {
  IniFile ini = FromText("[FoRm]\r\ntOp=5\r\n[font\\style]\r\nISBOLD=1\r\n");
  EXPECT_TRUE(ini.HasSection("form"));
  EXPECT_TRUE(ini.HasSection("FORM"));
  EXPECT_TRUE(ini.HasKey("Form", "Top"));
  EXPECT_FALSE(ini.HasKey("Form", "Left"));
  EXPECT_FALSE(ini.HasSection("Font"));
  EXPECT_EQ(ini.ReadInteger("Form", "TOP", 0), 5);
  EXPECT_TRUE(ini.ReadBool("Font\\Style", "IsBold", false));
}

TEST(IniReadTest, FirstMatchingSectionAndKeyWin) {
  IniFile ini = FromText("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
  EXPECT_EQ(ini.ReadString("A", "k", "-"), "1");
  // Only the first section of a name is searched.
  EXPECT_EQ(ini.ReadString("A", "j", "-"), "-");
}

TEST(IniReadTest, LineKindsAreTold) {
  IniFile ini = FromText(
      "k=before any section\n"
      "  [Font\\Style]   \n"
      ";IsBold=1\n"
      "  ; IsItalic=1\n"
      "IsUnderline\n"
      "  IsStrikeOut  =1\n"
      "[B] trailing words\n"
      "x=2\n");
  EXPECT_EQ(ini.ReadString("", "k", "-"), "-");
  EXPECT_FALSE(ini.ReadBool("Font\\Style", "IsBold", false));
  EXPECT_FALSE(ini.HasKey("Font\\Style", "IsItalic"));
  EXPECT_FALSE(ini.HasKey("Font\\Style", "IsUnderline"));
  EXPECT_TRUE(ini.ReadBool("Font\\Style", "IsStrikeOut", false));
  EXPECT_EQ(ini.ReadInteger("B", "x", 0), 2);
}

TEST(IniReadTest, StringValueIsEverythingAfterTheFirstEquals) {
  IniFile ini = FromText(
      "[DiscInfo]\r\n"
      "MediaCatalog=             \r\n"
      "CdtPath=  /a b/c.cdt \t\r\n"
      "Expr= x=y=z\r\n"
      "Empty=\r\n");
  EXPECT_EQ(ini.ReadString("DiscInfo", "MediaCatalog", "-"), std::string(13, ' '));
  EXPECT_EQ(ini.ReadString("DiscInfo", "CdtPath", "-"), "  /a b/c.cdt \t");
  EXPECT_EQ(ini.ReadString("DiscInfo", "Expr", "-"), " x=y=z");
  EXPECT_EQ(ini.ReadString("DiscInfo", "Empty", "-"), "");
  EXPECT_EQ(ini.ReadString("DiscInfo", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Nowhere", "Empty", "dflt"), "dflt");
}

TEST(IniReadTest, StringsAreLimitedTo2047Characters) {
  std::string exact(2047, 'e');
  std::string longer = std::string(2047, 'a') + "bcdef";
  IniFile ini = FromText("[S]\nexact=" + exact + "\nlonger=" + longer + "\n");
  EXPECT_EQ(ini.ReadString("S", "exact", ""), exact);
  EXPECT_EQ(ini.ReadString("S", "longer", ""), std::string(2047, 'a'));
}

TEST(IniReadTest, LfAndCrLfAndNoFinalNewlineReadAlike) {
  for (const char* text : {"[S]\nk=v\n", "[S]\r\nk=v\r\n", "[S]\r\nk=v", "[S]\nk=v"}) {
    IniFile ini = FromText(text);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "v") << text;
  }
}

TEST(IniReadTest, HugeLinesAndBinaryBytesAreHarmless) {
  std::string big(100 * 1024, 'x');
  const char raw[] = "\0\xff[\0]\n=\0\r\r\n[S]\nk=a\0b\n";
  std::string binary(std::begin(raw), std::end(raw) - 1);
  IniFile ini = FromText("[S]\nbig=" + big + "\n" + big + "\n" + binary);
  EXPECT_EQ(ini.ReadString("S", "big", "").size(), IniFile::kMaxValueLength);
  EXPECT_EQ(ini.ReadInteger("S", "big", 9), 9);
  EXPECT_EQ(ini.Text(), "[S]\nbig=" + big + "\n" + big + "\n" + binary);
}

// ---------------------------------------------------------------- numbers

class IniIntegerTest : public ::testing::Test {
 protected:
  int32_t Read(const std::string& value, int32_t def = 77) {
    IniFile ini = FromText("[N]\r\nv=" + value + "\r\n");
    return ini.ReadInteger("N", "v", def);
  }
};

TEST_F(IniIntegerTest, Hexadecimal) {
  EXPECT_EQ(Read("0x1F"), 31);
  EXPECT_EQ(Read("0X1f"), 31);
  EXPECT_EQ(Read("0x80000008"), -2147483640);
  EXPECT_EQ(Read("0xFFFFFFFF"), -1);
  EXPECT_EQ(Read("0x7fffffff"), 2147483647);
  EXPECT_EQ(Read("0x000000001F"), 31);  // leading zeros do not count against 32 bits
}

TEST_F(IniIntegerTest, BadHexadecimalGivesTheDefault) {
  EXPECT_EQ(Read("0x"), 77);
  EXPECT_EQ(Read("0X"), 77);
  EXPECT_EQ(Read("0x100000000"), 77);
  EXPECT_EQ(Read("0xG1"), 77);
  EXPECT_EQ(Read("0x1F "), 31);
  EXPECT_EQ(Read("0x1 F"), 77);
  EXPECT_EQ(Read("0x-1"), 77);
  EXPECT_EQ(Read("x1F"), 77);
}

TEST_F(IniIntegerTest, Decimal) {
  EXPECT_EQ(Read("0"), 0);
  EXPECT_EQ(Read("-12"), -12);
  EXPECT_EQ(Read("+5"), 5);
  EXPECT_EQ(Read("007"), 7);
  EXPECT_EQ(Read("2147483647"), 2147483647);
  EXPECT_EQ(Read("-2147483648"), INT32_MIN);
  EXPECT_EQ(Read("  42  "), 42);
  EXPECT_EQ(Read("\t-7\t"), -7);
}

TEST_F(IniIntegerTest, NonNumbersGiveTheDefault) {
  for (const char* v : {"", "   ", "-", "+", "12abc", "abc", "4 2", "1.5", "--1", "2147483648",
                        "-2147483649", "99999999999999999999999"}) {
    EXPECT_EQ(Read(v, 77), 77) << '"' << v << '"';
    EXPECT_EQ(Read(v, -3), -3) << '"' << v << '"';
  }
  IniFile empty;
  EXPECT_EQ(empty.ReadInteger("N", "v", 5), 5);
}

TEST_F(IniIntegerTest, BooleansAreIntegersOtherThanZero) {
  IniFile ini = FromText("[B]\nzero=0\none=1\ntwo=2\nminus=-1\nhex=0x10\nword=yes\n");
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_TRUE(ini.ReadBool("B", "one", false));
  EXPECT_TRUE(ini.ReadBool("B", "two", false));
  EXPECT_TRUE(ini.ReadBool("B", "minus", false));
  EXPECT_TRUE(ini.ReadBool("B", "hex", false));
  EXPECT_TRUE(ini.ReadBool("B", "word", true));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));
  EXPECT_TRUE(ini.ReadBool("B", "missing", true));
  EXPECT_FALSE(ini.ReadBool("B", "missing", false));
}

// ---------------------------------------------------------------- writing

TEST(IniWriteTest, ReplacesInPlaceKeepingEveryOtherLine) {
  const std::string before =
      "; my settings\n"
      "stray line\r\n"
      "[form]\n"
      "  tOP = 1\n"
      "Unknown=keep me\r\n"
      "Top=second copy\n"
      "\n"
      "[Other]\r\n"
      "MakeAlways=1\r\n";
  IniFile ini = FromText(before);
  ini.WriteInteger("Form", "Top", -7);
  EXPECT_EQ(ini.Text(),
            "; my settings\n"
            "stray line\r\n"
            "[form]\n"
            "tOP=-7\n"
            "Unknown=keep me\r\n"
            "Top=second copy\n"
            "\n"
            "[Other]\r\n"
            "MakeAlways=1\r\n");
  EXPECT_EQ(ini.ReadInteger("FORM", "top", 0), -7);
}

TEST(IniWriteTest, NewKeyFollowsTheLastKeyOfItsSection) {
  IniFile ini = FromText("[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n");
  ini.WriteString("a", "z", "3");
  EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\nz=3\r\n; note\r\n\r\n[B]\r\ny=2\r\n");

  IniFile bare = FromText("[A]\n[B]\ny=2\n");
  bare.WriteBool("A", "k", true);
  EXPECT_EQ(bare.Text(), "[A]\nk=1\r\n[B]\ny=2\n");
}

TEST(IniWriteTest, MissingSectionIsAppended) {
  IniFile fresh;
  fresh.WriteString("Font\\Style", "IsBold", "0");
  fresh.WriteString("Font\\Style", "IsItalic", "1");
  EXPECT_EQ(fresh.Text(), "[Font\\Style]\r\nIsBold=0\r\nIsItalic=1\r\n\r\n");

  // The last line gains a line ending; the new section is set off by an empty line.
  IniFile open = FromText("[A]\nx=1");
  open.WriteString("S", "k", "v");
  EXPECT_EQ(open.Text(), "[A]\nx=1\r\n\r\n[S]\r\nk=v\r\n\r\n");
  EXPECT_EQ(open.ReadString("A", "x", "-"), "1");

  // A header without keys at the very end: the key goes right after it.
  IniFile tail = FromText("[A]");
  tail.WriteString("A", "k", "v");
  EXPECT_EQ(tail.Text(), "[A]\r\nk=v\r\n");
}

TEST(IniWriteTest, ValuesReadBackAsWritten) {
  IniFile ini;
  ini.WriteString("DiscInfo", "MediaCatalog", std::string(13, ' '));
  ini.WriteString("Path", "WorkDir", "  /with blanks/ ");
  ini.WriteString("Path", "Eq", "a=b");
  ini.WriteInteger("Font", "Color", INT32_MIN);
  ini.WriteInteger("Font", "Height", -12);
  ini.WriteBool("Other", "MakeAlways", true);
  ini.WriteBool("Other", "Relative", false);
  EXPECT_EQ(ini.ReadString("DiscInfo", "MediaCatalog", "-"), std::string(13, ' '));
  EXPECT_EQ(ini.ReadString("Path", "WorkDir", "-"), "  /with blanks/ ");
  EXPECT_EQ(ini.ReadString("Path", "Eq", "-"), "a=b");
  EXPECT_EQ(ini.ReadInteger("Font", "Color", 0), INT32_MIN);
  EXPECT_EQ(ini.ReadString("Font", "Height", ""), "-12");
  EXPECT_EQ(ini.ReadString("Other", "MakeAlways", ""), "1");
  EXPECT_EQ(ini.ReadString("Other", "Relative", ""), "0");
}

TEST(IniWriteTest, LineBreaksInAValueBecomeBlanks) {
  IniFile ini = FromText("[S]\r\nnext=2\r\n");
  ini.WriteString("S", "k", "a\r\nb\nc\r");
  ini.WriteString("S", "next", "x\n[Evil]\ny=1");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "a  b c ");
  EXPECT_EQ(ini.ReadString("S", "next", ""), "x [Evil] y=1");
  EXPECT_FALSE(ini.HasSection("Evil"));
  EXPECT_EQ(ini.Text(), "[S]\r\nnext=x [Evil] y=1\r\nk=a  b c \r\n");
}

TEST(IniWriteTest, TextRoundTripsUnchanged) {
  for (const std::string& text :
       {std::string(""), std::string("\n"), std::string("\r\n\r\n"), std::string("a\r\nb\nc"),
        std::string("[S]\r\nk=v\r\r\n"), std::string("x\0y\n\0", 5)}) {
    EXPECT_EQ(FromText(text).Text(), text);
  }
}

// ---------------------------------------------------------------- files

TEST(IniFileTest, MissingOrUnreadablePathGivesEmptyText) {
  TempDir dir;
  IniFile missing(dir / "nope.ini");
  EXPECT_EQ(missing.Text(), "");
  EXPECT_EQ(missing.Path(), dir / "nope.ini");
  EXPECT_EQ(missing.LoadErrno(), ENOENT);
  IniFile folder(dir.Path());
  EXPECT_EQ(folder.Text(), "");
  std::string error;
  EXPECT_FALSE(folder.Save(&error));
  EXPECT_FALSE(error.empty());
}

TEST(IniFileTest, OnlyRegularFilesUpTo64MiBAreRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  WriteText(dir / "huge.ini", "[Path]\r\nWorkDir=/w\r\n");
  std::filesystem::resize_file(dir / "huge.ini", (int64_t{64} << 20) + 1);
  WriteText(dir / "fine.ini", "[Path]\r\nWorkDir=/w\r\n");
  // A FIFO without a writer would block, /dev/zero never ends: both return at once.
  const std::vector<std::pair<std::string, std::string>> refused = {
      {dir / "fifo", "is not a regular file"},
      {"/dev/zero", "is not a regular file"},
      {dir / "huge.ini", "is larger than 64 MiB"},
  };
  for (const auto& [path, reason] : refused) {
    IniFile ini(path);
    EXPECT_EQ(ini.Text(), "") << path;
    EXPECT_EQ(ini.LoadError(), "\"" + path + "\" " + reason);
  }
  IniFile fine(dir / "fine.ini");
  EXPECT_EQ(fine.ReadString("Path", "WorkDir", ""), "/w");
  EXPECT_EQ(fine.LoadError(), "");
  EXPECT_EQ(fine.LoadErrno(), 0);
}

TEST(IniFileTest, SaveCreatesFoldersAndWritesTheText) {
  TempDir dir;
  std::string path = dir / "a/b/varnel.ini";
  IniFile ini(path);
  ini.WriteString("S", "k", "v");
  std::string error;
  ASSERT_TRUE(ini.Save(&error)) << error;
  EXPECT_EQ(ReadText(path), "[S]\r\nk=v\r\n\r\n");
  EXPECT_EQ(IniFile(path).ReadString("S", "k", "-"), "v");
  // Nothing but the file is left in its folder.
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir / "a/b")) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(IniFileTest, SaveReplacesKeepingPermissionBits) {
  TempDir dir;
  std::string path = dir / "s.ini";
  WriteText(path, "[S]\nk=old\nother=1\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  IniFile ini(path);
  ini.WriteString("S", "k", "new");
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(ReadText(path), "[S]\nk=new\nother=1\n");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(IniFileTest, NewFileHonoursTheUmask) {
  TempDir dir;
  mode_t old = ::umask(027);
  std::string error;
  bool ok = WriteFileAtomically(dir / "n.ini", "x", &error);
  ::umask(old);
  ASSERT_TRUE(ok) << error;
  struct stat st;
  ASSERT_EQ(::stat((dir / "n.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(IniFileTest, SymbolicLinkIsFollowed) {
  TempDir dir;
  WriteText(dir / "real.ini", "old");
  fs::create_symlink(dir / "real.ini", dir / "link.ini");
  ASSERT_TRUE(WriteFileAtomically(dir / "link.ini", "new", nullptr));
  EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadText(dir / "real.ini"), "new");
}

TEST(IniFileTest, FailedSaveLeavesTheOldFileAlone) {
  TempDir dir;
  std::string error;
  // A parent that is a regular file fails for every user, root included.
  WriteText(dir / "plain", "not a folder");
  EXPECT_FALSE(WriteFileAtomically(dir / "plain/s.ini", "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadText(dir / "plain"), "not a folder");

  error.clear();
  EXPECT_FALSE(WriteFileAtomically("", "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(IniFile().Save());
}

TEST(IniFileTest, ReadOnlyFolderOrFileRefusesTheSave) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "root writes into read-only folders and files; the parent-is-a-file case "
                    "in FailedSaveLeavesTheOldFileAlone covers the failure path";
  }
  TempDir dir;
  std::string sub = dir / "ro";
  fs::create_directory(sub);
  std::string path = sub + "/s.ini";
  WriteText(path, "[S]\r\nk=old\r\n");
  ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
  IniFile ini(path);
  ini.WriteString("S", "k", "new");
  std::string error;
  EXPECT_FALSE(ini.Save(&error));
  EXPECT_EQ(error, std::strerror(EACCES));
  EXPECT_EQ(ReadText(path), "[S]\r\nk=old\r\n");
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(sub)) ++entries;
  EXPECT_EQ(entries, 1);

  // A read-only file in a writable folder is not replaced either.
  ASSERT_EQ(::chmod(sub.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(ini.Save(&error));
  EXPECT_EQ(ReadText(path), "[S]\r\nk=old\r\n");
}

}  // namespace
}  // namespace varnel
