// What the tests of the track list operations, the layout file, the status bar and the
// list texts share: a temporary folder, a scripted prompter and an application context.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "support/FakePrompter.h"
#include "support/TestFiles.h"

namespace varnel::test {

struct LayoutTestEnv {
  TempDir Dir;
  FakePrompter Prompter;
  AppContext Ctx{Prompter};
  int Redraws = 0;

  LayoutTestEnv() {
    Ctx.RedrawTracks = [this] { ++Redraws; };
    Ctx.DecodedCacheFolder = Dir / "cache";
  }

  // A 44.1 kHz 16-bit stereo wave file of `dataBytes` bytes of sound (no silence).
  std::string Wave(const std::string& name, size_t dataBytes) {
    WriteBytes(Dir / name, WaveBytes(std::vector<uint8_t>(dataBytes, 1)));
    return Dir / name;
  }
  // A wave file in another format (mono).
  std::string MonoWave(const std::string& name) {
    WriteBytes(Dir / name, WaveBytes(std::vector<uint8_t>(400, 1), 1, 16, 44100));
    return Dir / name;
  }
  // A CD+G binary of `sectors` sectors of 2448 bytes.
  std::string Cdg(const std::string& name, size_t sectors, size_t extra = 0) {
    WriteBytes(Dir / name, std::vector<uint8_t>(2448 * sectors + extra, 0));
    return Dir / name;
  }
  // A file of `bytes` bytes (a data track image).
  std::string Image(const std::string& name, size_t bytes) {
    WriteBytes(Dir / name, std::vector<uint8_t>(bytes, 0));
    return Dir / name;
  }
};

}  // namespace varnel::test
