// A layout or settings file under the 64 MiB cap loads in bounded memory, however hostile:
// 60 MB of one section header or key repeated, of distinct headers or keys, or of empty
// lines after a valid layout head are read by the loader under a limit of 512 MB of address
// space.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

TEST(IniMemory, HostileFilesLoadUnderA512MegabyteLimit) {
  for (const char* kind : {"section", "sections", "key", "keys", "empty"}) {
    test::TempDir dir;
    const std::string path = dir / "hostile.txt";
    const auto written = test::RunProcess({INI_MEMORY_PROBE, "--write", kind, "60000000", path});
    ASSERT_EQ(written.ExitCode, 0) << kind;

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const rlimit limit{512u << 20, 512u << 20};
      ::dup2(out[1], 1);
      if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
      ::execl(INI_MEMORY_PROBE, INI_MEMORY_PROBE, path.c_str(), nullptr);
      ::_exit(4);
    }
    ::close(out[1]);
    std::string printed;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) printed.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << kind << ": " << status;
    // The head and the settings are read; only the first [Track00] counts.
    EXPECT_EQ(printed.substr(0, printed.rfind(' ')), "Varnel 99 1 /w") << kind;
  }
}

}  // namespace
}  // namespace varnel
