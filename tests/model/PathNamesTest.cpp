// Path names taken apart and put together: what a bare name, the root folder, a dot in a
// folder's name and "." or ".." components give, for every caller alike.
#include "model/PathNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace varnel {
namespace {

struct PathRow {
  const char* Call;
  std::string Result;
  std::string Expected;
};

TEST(PathNames, EveryPartFollowsTheLastSlash) {
  const std::string cwd = std::filesystem::current_path().string();
  ASSERT_NE(cwd, "/");
  const PathRow rows[] = {
      {"FolderOf", FolderOf("/music/a:b/x.wav"), "/music/a:b"},
      {"FolderOf root", FolderOf("/x.wav"), "/"},
      {"FolderOf bare", FolderOf("x.wav"), ""},
      {"FolderOf sub", FolderOf("a/x.wav"), "a"},
      {"FolderOrCurrent", FolderOrCurrent("/music/x.wav"), "/music"},
      {"FolderOrCurrent root", FolderOrCurrent("/x.wav"), "/"},
      {"FolderOrCurrent bare", FolderOrCurrent("x.wav"), "."},
      {"FileNamePart", FileNamePart("/music/a:b/x.wav"), "x.wav"},
      {"FileNamePart colon", FileNamePart("c:x.wav"), "c:x.wav"},
      {"FileNamePart folder", FileNamePart("/music/"), ""},
      {"ExtensionOf", ExtensionOf("/a.b/text.cdt"), ".cdt"},
      {"ExtensionOf dotted folder", ExtensionOf("/a.b/noext"), ""},
      {"ExtensionOf last dot", ExtensionOf("/a/b.tar.CDT"), ".CDT"},
      {"ExtensionOf dot only", ExtensionOf("/d/disc."), "."},
      {"LowerExtensionOf", LowerExtensionOf("/A.B/Song.WaV"), ".wav"},
      {"LowerExtensionOf none", LowerExtensionOf("/A.WAV/noext"), ""},
      {"WithExtension", WithExtension("/d/disc.cue", ".toc"), "/d/disc.toc"},
      {"WithExtension none", WithExtension("/d/disc", ".toc"), "/d/disc.toc"},
      {"WithExtension dotted folder", WithExtension("/d.x/disc", ".toc"), "/d.x/disc.toc"},
      {"WithExtension last dot", WithExtension("/d/my.disc.cue", ".toc"), "/d/my.disc.toc"},
      {"WithExtension bare", WithExtension("disc.txt", ".cdt"), "disc.cdt"},
      {"WithExtension dot only", WithExtension("/d/disc.", ".toc"), "/d/disc.toc"},
      {"WithExtension itself", WithExtension("/d/disc.toc", ".toc"), "/d/disc.toc.toc"},
      {"WithExtension other case", WithExtension("/d/disc.TOC", ".toc"), "/d/disc.toc"},
      {"PathFromFolder", PathFromFolder("/rip", "a.wav"), "/rip/a.wav"},
      {"PathFromFolder root", PathFromFolder("/", "a.wav"), "/a.wav"},
      {"PathFromFolder absolute", PathFromFolder("/rip", "/x/a.wav"), "/x/a.wav"},
      {"PathFromFolder no folder", PathFromFolder("", "a.wav"), "a.wav"},
      {"PathFromFolder no name", PathFromFolder("/rip", ""), ""},
      {"AbsolutePath", AbsolutePath("/a/./b/../c"), "/a/./b/../c"},
      {"AbsolutePath relative", AbsolutePath("sub/../a.wav"), cwd + "/sub/../a.wav"},
      {"NormalAbsolutePath", NormalAbsolutePath("/D//Audio/./x/../a.wav"), "/D/Audio/a.wav"},
      {"NormalAbsolutePath relative", NormalAbsolutePath("sub/../a.wav"), cwd + "/a.wav"},
      {"NormalAbsolutePath root", NormalAbsolutePath("/../.."), "/"},
      {"NormalAbsolutePath folder", NormalAbsolutePath("/a/b/"), "/a/b"},
      {"RelativePath up", RelativePath("/D/Audio/a.wav", "/D/Discs"), "../Audio/a.wav"},
      {"RelativePath beside", RelativePath("/D/Discs/a.wav", "/D/Discs"), "a.wav"},
      {"RelativePath down", RelativePath("/D/Discs/x/y/a.wav", "/D/Discs"), "x/y/a.wav"},
      {"RelativePath across", RelativePath("/E/a.wav", "/D/Discs/sub"), "../../../E/a.wav"},
      // Names compare exactly: another case is another folder here.
      {"RelativePath case", RelativePath("/d/Audio/a.wav", "/D/Audio"), "../../d/Audio/a.wav"},
      // ".", ".." and doubled separators are resolved first.
      {"RelativePath normal", RelativePath("/D//Audio/./x/../a.wav", "/D/Discs/../Discs"),
       "../Audio/a.wav"},
      {"RelativePath root", RelativePath("/x/..", "/D"), "/x/.."},
      // Relative names are taken from the current folder.
      {"RelativePath current", RelativePath("a.wav", cwd), "a.wav"},
      {"RelativePath current folder", RelativePath(cwd + "/sub/a.wav", "."), "sub/a.wav"},
      {"RelativePath below current", RelativePath("a.wav", "out"), "../a.wav"},
  };
  for (const PathRow& row : rows) EXPECT_EQ(row.Result, row.Expected) << row.Call;
}

}  // namespace
}  // namespace varnel
