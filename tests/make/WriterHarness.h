// Calls one per-track writer the way the cue sheet writer does, in a temporary folder with
// a work folder and a cue file path of its own, and writes what it planned the way a run
// does: guarded against the track's own files, then put in place.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "MakeFixtures.h"
#include "CueSheet.h"
#include "RunFiles.h"
#include "TrackWriters.h"
#include "WaveSegment.h"

namespace varnel::test {

using TWriterFn = bool (*)(TMakeJob&, const TTrackInfo&, int32_t, bool, TTrackPlan&,
                           const std::string&);

class WriterTest : public ::testing::Test {
 protected:
  WriterTest() : Settings(SettingsWithWorkDir(Dir / "work")) {}

  struct TResult {
    bool Ok = false;
    TTrackPlan Plan;
    TCueLines Lines;  // the track's block in the cue sheet
    std::string Message;
  };

  // Runs `writer` for `track` as track `number`; produced names follow the cue file
  // <dir>/discs/Live.cue.
  TResult Call(TWriterFn writer, const TTrackInfo& track, int32_t number, bool testRun = false) {
    std::atomic<uint8_t> state{MakeIdle};
    TMakeJob job(Layout, RunOptionsOf(Settings), state);
    job.CuePath = CuePath();
    job.Test = testRun;
    TResult r;
    r.Ok = writer(job, track, number, number == 1, r.Plan, Produced(number, track.FileMode));
    if (r.Ok) AppendCueTrackBlock(r.Lines, r.Plan);
    if (r.Ok && !job.MadeFiles.empty()) {
      try {
        TRunFiles files;
        files.AddInput(track.TrackFileName);
        files.AddInput(track.PreGapFileName());
        for (const TMadeFile& made : job.MadeFiles) {
          files.AddOutput(made.Path, CouldNotCreateMessage(made.Path, made.TrackNumber));
        }
        files.Guard();
        files.LockFolder(Settings.WorkDir + "/Live", files.FailMessage(0), "busy");
        for (size_t i = 0; i < job.MadeFiles.size(); ++i) {
          files.Write(i, [&](TFile& out) { WriteMadeFile(job.MadeFiles[i], out); });
        }
        files.Commit();
      } catch (const TTrackFailure& failure) {
        r.Ok = false;
        job.ResultMessage = failure.what();
      }
    }
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
