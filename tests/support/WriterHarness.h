// Calls one per-track writer the way the cue sheet writer does, in a temporary folder with
// a work folder and a cue file path of its own, and writes what it planned the way a run
// does: guarded against the track's own files, then put in place.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "app/commands/RunOptions.h"
#include "make/CueSheetWriter.h"
#include "make/MakeMessages.h"
#include "make/MakeRun.h"
#include "make/RunFiles.h"
#include "make/writers/TrackWriters.h"
#include "make/writers/WaveSegment.h"
#include "support/MakeFixtures.h"

namespace varnel::test {

using WriterFn = bool (*)(MakeJob&, const Track&, int32_t, bool, TrackPlan&, const std::string&);

class WriterTest : public ::testing::Test {
 protected:
  WriterTest() : Settings(SettingsWithWorkDir(Dir / "work")) {}

  struct RunResult {
    bool Ok = false;
    TrackPlan Plan;
    CueLines Lines;  // the track's block in the cue sheet
    std::string Message;
  };

  // Runs `writer` for `track` as track `number`; produced names follow the cue file
  // <dir>/discs/Live.cue.
  RunResult Call(WriterFn writer, const Track& track, int32_t number, bool testRun = false) {
    std::atomic<RunState> state{RunState::Idle};
    MakeJob job(Layout, RunOptionsOf(Settings, Layout), state);
    job.CuePath = CuePath();
    job.Test = testRun;
    RunResult r;
    r.Ok = writer(job, track, number, number == 1, r.Plan, Produced(number, track.FileMode));
    if (r.Ok) AppendCueTrackBlock(r.Lines, r.Plan);
    if (r.Ok && !job.MadeFiles.empty()) {
      try {
        RunFiles files;
        files.AddInput(track.TrackFileName);
        files.AddInput(track.PreGapFileName());
        for (const MadeFile& made : job.MadeFiles) {
          files.AddOutput(made.Path, CouldNotCreateMessage(made.Path, made.TrackNumber));
        }
        files.Guard();
        files.LockFolder(Settings.WorkDir + "/Live", files.FailMessage(0), "busy");
        for (size_t i = 0; i < job.MadeFiles.size(); ++i) {
          files.Write(i, [&](PosixFile& out) { WriteMadeFile(job.MadeFiles[i], out); });
        }
        files.Commit();
      } catch (const TrackFailure& failure) {
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
