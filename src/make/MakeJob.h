// What a making run works with: the layout and the options it reads, the cue file and Test
// flag it was started with, the run state it shares with whoever started it, the pending
// message of a failed run and where it reports its progress; and the failures a track or
// the run throws.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "make/MadeFile.h"
#include "make/MakeProgress.h"
#include "make/RunState.h"
#include "model/DiscLayout.h"

namespace varnel {

// What a making run reads of the settings (RunOptions.h fills it from them).
struct RunOptions {
  // The folder under which the made files go (a folder named after the cue file).
  std::string WorkDir;
  // Extra CD frames of silence at the head of the first disc track (AddFrames on and
  // NumFrames not negative).
  bool AddFrames = false;
  int32_t NumFrames = 0;
  // A new file for every wave track, a copy for every MP3 and CD+G track.
  bool MakeAlways = false;
  // FILE lines name the files relative to the cue file's folder where they can.
  bool Relative = false;
  // A TOC file for cdrdao beside the cue sheet.
  bool CdrdaoToc = false;
};

// The sheet under construction, one text line per entry (no line ends).
using CueLines = std::vector<std::string>;

// The context of one making run.
struct MakeJob {
  // Takes what the layout's track records know of their silence (KnownSilence): on the
  // calling thread, which owns the layout.
  MakeJob(const DiscLayout& layout, const RunOptions& settings, std::atomic<RunState>& state);

  const DiscLayout& Layout;
  // The run's options, copied when the job is made.
  const RunOptions Settings;
  std::string CuePath;
  // The layout file the layout was loaded from or saved to, when known (may be empty): the
  // run never writes over it.
  std::string LayoutPath;
  bool Test = false;
  std::atomic<RunState>& State;
  // The message of a failed run (shown as an error box with OK); set before RunEnded.
  std::string ResultMessage;
  // The reason behind ResultMessage (the system's error text and the path involved); may be
  // empty. Shown only on demand.
  std::string ResultDetail;
  // Where the run reports its progress; may be null.
  MakeProgress* Progress = nullptr;
  // The workers that decode MP3 tracks at once (0: one per core).
  unsigned DecodeWorkers = 0;
  // Every file a FILE or CDTEXTFILE line of the sheet or a statement of the TOC names; no
  // sheet is ever saved over one of them.
  std::vector<std::string> NamedFiles;
  // The files the tracks of a Make run make, in track order, as the track writers planned
  // them; the run writes them once every track has been planned and the guard has passed.
  std::vector<MadeFile> MadeFiles;
  // The silence counts each track record of the layout held when the job was made. The
  // writers take a count from here instead of scanning its region again; the records'
  // caches themselves are not read on the worker thread, where the window may fill them
  // meanwhile.
  std::unordered_map<const Track*, SilenceCounts> KnownSilence;
  // After a successful run: the old made files and sheets that the new ones replaced, kept
  // under temporary names. Whoever ran the job removes them once the outcome is reported
  // (RemoveFiles in RunFiles.h): freeing a whole disc's worth takes the kernel a while.
  std::vector<std::string> Replaced;
  // After a successful run: the MusicBrainz disc ID of the disc it made (empty when it
  // cannot be told).
  std::string DiscId;
};

// A track or the run failed with a message of its own (silent region, a name a sheet cannot
// hold, a file the run would write over one it reads…); what() is the message, Detail() the
// reason behind it (may be empty).
class TrackFailure : public std::runtime_error {
 public:
  explicit TrackFailure(const std::string& message, std::string detail = {})
      : std::runtime_error(message), Detail_(std::move(detail)) {}
  const std::string& Detail() const { return Detail_; }

 private:
  std::string Detail_;
};

// A file of a track could not be opened, read, created or written; the track fails with
// the could-not-create message.
class MakeIoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace varnel
