// Making audio files with outside tools (sox, flac, lame, mpg123, oggenc, opusenc) at test
// time, and reading raw 16-bit samples back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel::test {

inline bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// The first missing one of `tools`, or empty.
inline std::string MissingTool(const std::vector<std::string>& tools) {
  for (const std::string& t : tools) {
    if (!OnPath(t)) return t;
  }
  return {};
}

// A command line in which every argument starting with "@" names a file in `dir`.
using Command = std::vector<std::string>;

inline Command InDir(const Command& cmd, const std::string& dir) {
  Command out;
  for (const std::string& a : cmd)
    out.push_back(!a.empty() && a[0] == '@' ? dir + "/" + a.substr(1) : a);
  return out;
}

// Runs each command; false (with a failure recorded) when one exits non-zero.
inline bool RunAll(const std::vector<Command>& cmds, const std::string& dir) {
  for (const Command& c : cmds) {
    const ProcessResult r = RunProcess(InDir(c, dir));
    if (r.ExitCode != 0) {
      ADD_FAILURE() << c[0] << " failed (" << r.ExitCode << "): " << r.Err;
      return false;
    }
  }
  return true;
}

// Little-endian 16-bit samples from byte `offset` to the end.
inline std::vector<int16_t> ReadSamples16(const std::string& path, size_t offset = 0) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  std::vector<int16_t> out;
  for (size_t i = offset; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
  }
  return out;
}

}  // namespace varnel::test
