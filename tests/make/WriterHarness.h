// Calls one per-track writer the way the cue sheet writer does, in a temporary folder with
// a work folder and a cue file path of its own.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "MakeFixtures.h"
#include "TrackWriters.h"

namespace varnel::test {

using TWriterFn = bool (*)(TMakeJob&, const TTrackInfo&, int32_t, bool, TCueLines&,
                           const std::string&);

class WriterTest : public ::testing::Test {
 protected:
  WriterTest() : Settings(SettingsWithWorkDir(Dir / "work")) {}

  struct TResult {
    bool Ok = false;
    TCueLines Lines;
    std::string Message;
  };

  // Runs `writer` for `track` as track `number`; produced names follow the cue file
  // <dir>/discs/Live.cue.
  TResult Call(TWriterFn writer, const TTrackInfo& track, int32_t number, bool testRun = false) {
    std::atomic<uint8_t> state{RunIdle};
    TMakeJob job(Layout, Settings, state);
    job.CuePath = CuePath();
    job.Test = testRun;
    TResult r;
    r.Ok = writer(job, track, number, number == 1, r.Lines, Produced(number, track.FileMode));
    r.Message = job.ResultMessage;
    return r;
  }

  std::string CuePath() const { return Dir / "discs/Live.cue"; }
  std::string Produced(int32_t number, int32_t mode = FileModeWave) const {
    return ProducedFileName(Settings.WorkDir, CuePath(), number, mode);
  }
  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

  TempDir Dir;
  DiscLayout Layout;
  AppSettings Settings;
};

}  // namespace varnel::test
