// No command that writes a file the user names writes over a file it reads, whether the
// name is that file's own, a symbolic link to it or a hard link of it, and --force does not
// change that: the command fails naming both paths and every file stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

TEST(CliWriteGuard, NoCommandWritesOverAFileItReads) {
  // How the written name reaches the input.
  enum class Way { SameName, SymbolicLink, HardLink };
  struct Case {
    const char* Name;
    std::vector<std::string> Args;  // LAYOUT is "out", its input "in"
    const char* Input;              // the file "out" names
  };
  const std::vector<Case> cases = {
      {"new: the layout forgotten, the first audio file taken for it",
       {"new", "--force", "OUT", "a.wav", "b.wav"},
       "a.wav"},
      {"new: the layout named as the data track image",
       {"new", "--force", "--data-track", "d.bin", "OUT", "b.wav"},
       "d.bin"},
      {"new: the layout named as the CD-Text file",
       {"new", "--force", "--cd-text", "t.cdt", "OUT", "b.wav"},
       "t.cdt"},
      {"import: the layout named as the sheet",
       {"import", "--force", "rip/disc.cue", "OUT"},
       "rip/disc.cue"},
      {"import: the layout named as the rip's audio",
       {"import", "--force", "rip/disc.cue", "OUT"},
       "rip/a.wav"},
  };
  for (const Case& c : cases) {
    for (const Way way : {Way::SameName, Way::SymbolicLink, Way::HardLink}) {
      test::TempDir dir;
      fs::create_directories(dir / "rip");
      for (const char* wave : {"a.wav", "b.wav", "rip/a.wav"}) {
        test::WriteBytes(dir / wave, test::WaveBytes(std::vector<uint8_t>(2352 * 75, 3)));
      }
      test::WriteBytes(dir / "d.bin", std::vector<uint8_t>(2048 * 300, 0));
      test::WriteText(dir / "t.cdt", "not looked at");
      test::WriteText(dir / "rip/disc.cue",
                      "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
      const std::string input = dir / c.Input;
      const std::string before = test::ReadText(input);
      std::string out = input;
      if (way == Way::SymbolicLink) {
        out = dir / "link.txt";
        fs::create_symlink(input, out);
      } else if (way == Way::HardLink) {
        out = dir / "hard.txt";
        fs::create_hard_link(input, out);
      }
      std::vector<std::string> args = {VARNEL_CLI_PATH};
      for (const std::string& a : c.Args) args.push_back(a == "OUT" ? out : a);
      args.insert(args.begin() + 2, {"--settings", dir / "none.ini"});
      const test::ProcessResult r = test::RunProcess(args, dir.Path());
      const std::string why = std::string(c.Name) + ", way " + std::to_string(int(way));
      EXPECT_EQ(r.ExitCode, 1) << why << "\n" << r.Err;
      EXPECT_NE(r.Err.find("Cannot save \"" + out + "\": it is \""), std::string::npos)
          << why << "\n"
          << r.Err;
      EXPECT_NE(r.Err.find("\", a file that the layout is made from."), std::string::npos) << why;
      EXPECT_EQ(test::ReadText(input), before) << why;
      EXPECT_FALSE(fs::exists(dir / "rip/disc.cdt")) << why;
    }
  }
}

}  // namespace
}  // namespace varnel
