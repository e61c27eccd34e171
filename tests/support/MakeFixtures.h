// Fixtures for tests of making: audio data with recognisable sample frames, tracks built
// in code from wave files the tests write, and a run harness that records the run's
// progress.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/RunOptions.h"
#include "make/MakeJob.h"
#include "make/MakeRun.h"
#include "make/RunFiles.h"
#include "model/DiscLayout.h"
#include "model/Track.h"
#include "persist/AppSettings.h"
#include "support/ProgressLog.h"
#include "support/TestFiles.h"

namespace varnel::test {

// `count` sample frames that are all different and never silent: frame i holds the
// 16-bit left value 1 + (base + i) mod 30000 and the right value i >> 15.
inline std::vector<uint8_t> Sound(size_t count, uint32_t base = 0) {
  std::vector<uint8_t> data;
  data.reserve(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t left = 1 + static_cast<uint32_t>((base + i) % 30000);
    const uint32_t right = static_cast<uint32_t>(i >> 15);
    data.push_back(static_cast<uint8_t>(left));
    data.push_back(static_cast<uint8_t>(left >> 8));
    data.push_back(static_cast<uint8_t>(right));
    data.push_back(static_cast<uint8_t>(right >> 8));
  }
  return data;
}

inline std::vector<uint8_t> Zeros(size_t bytes) {
  return std::vector<uint8_t>(bytes, 0);
}

inline std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Bytes [from, from + count) of `data`.
inline std::vector<uint8_t> Slice(const std::vector<uint8_t>& data, size_t from, size_t count) {
  return std::vector<uint8_t>(data.begin() + static_cast<std::ptrdiff_t>(from),
                              data.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// The summary a canonical 16-bit stereo 44.1 kHz file with `dataBytes` of data has.
inline WaveDataInfo CanonicalInfo(size_t dataBytes) {
  WaveDataInfo info;
  info.DataOffset = 44;
  info.DataSize = static_cast<int32_t>(dataBytes);
  info.Channels = 2;
  info.BitsPerSample = 16;
  info.SampleRate = 44100;
  return info;
}

// Writes a canonical wave file of `data` and returns a wave track of it, as adding a file
// makes one (whole file, silent pre-gap of 0:02:00, defaults of a new track).
inline std::unique_ptr<Track> WaveTrack(const std::string& path, const std::vector<uint8_t>& data) {
  WriteBytes(path, WaveBytes(data));
  return std::make_unique<Track>(path, FileModeWave, CanonicalInfo(data.size()));
}

// Writes `bytes` as a raw file and returns a track of that mode (MP3 or CD+G).
inline std::unique_ptr<Track> RawTrack(const std::string& path, const std::vector<uint8_t>& bytes,
                                       int32_t mode) {
  WriteBytes(path, bytes);
  WaveDataInfo info;
  info.DataSize = static_cast<int32_t>(bytes.size());
  info.Channels = 2;
  info.BitsPerSample = 16;
  info.SampleRate = 44100;
  return std::make_unique<Track>(path, mode, info);
}

// Settings with the program's defaults and WorkDir set.
inline AppSettings SettingsWithWorkDir(const std::string& workDir) {
  AppSettings s;
  s.WorkDir = workDir;
  return s;
}

// The sheet as the writer saves it: every line followed by CR LF.
inline std::string JoinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

// One making run on the calling thread, recording its progress as ProgressLog lines.
struct RunRecord {
  RunState State = RunState::Idle;
  std::string Message;
  std::string Detail;
  std::vector<std::string> Notes;
};

// Called with each progress line of the run and the run's state (a hook may cancel).
using RunHook = std::function<void(const std::string& note, std::atomic<RunState>& state)>;

inline RunRecord RunExport(const DiscLayout& layout, const AppSettings& settings,
                           const std::string& cuePath, bool testRun, RunHook hook = {},
                           const std::string& layoutPath = {}) {
  std::atomic<RunState> state{RunState::Idle};
  RunRecord record;
  MakeJob job(layout, RunOptionsOf(settings, layout), state);
  job.CuePath = cuePath;
  job.LayoutPath = layoutPath;
  job.Test = testRun;
  ProgressLog progress;
  if (hook) progress.Hook = [&](const std::string& note) { hook(note, state); };
  job.Progress = &progress;
  RunMake(job);
  record.Notes = progress.Notes;
  RemoveFiles(job.Replaced);
  record.State = state.load();
  record.Message = job.ResultMessage;
  record.Detail = job.ResultDetail;
  return record;
}

}  // namespace varnel::test
