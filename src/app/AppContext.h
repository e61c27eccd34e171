// The state that the main window keeps and that every command flow works on: the disc
// layout, the settings, the run state of making, the selection, the availability of the
// controls that depend on the data track, and the status bar texts. The window (or
// varnel-cli) owns one and hands it to the flows together with its prompter.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/commands/UndoStack.h"
#include "app/ports/Prompter.h"
#include "formats/audio/AudioDecoder.h"
#include "make/RunState.h"
#include "model/DiscLayout.h"
#include "persist/AppSettings.h"

namespace varnel {

class DecodeAhead;

struct AppContext {
  explicit AppContext(varnel::Prompter& prompter) : Prompter(prompter) {}
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  varnel::Prompter& Prompter;
  DiscLayout Layout;
  AppSettings Settings;
  // The changes of the layout that Undo and Redo step through (UndoStack.h).
  UndoStack History;
  // The run state of making.
  std::atomic<RunState> MakeState{RunState::Idle};

  // Index of the selected track list entry, −1 for none.
  int32_t SelectedTrack = -1;
  // Whether CD-TEXT can be switched on and the data track image's type chosen ("Enable
  // CD-TEXT" and the image type box): exactly one of them at a time, the image type while a
  // file exists at DataTrackFile.
  bool CanEnableCdText = true;
  bool CanChooseImageType = false;

  // The four status bar panel texts of the last refresh.
  std::array<std::string, 4> StatusPanels = {" Total: 00 tracks", " 000MB", " 00:00:00", ""};

  // The layout file the layout was last loaded from or saved to (empty: none), and the
  // layout as that file holds it (nothing: the empty layout of the start). Whether the
  // layout has unsaved changes is decided against it (UnsavedChanges.h); a making run
  // never writes over that file.
  std::string LayoutPath;
  std::optional<std::string> SavedLayoutText;
  // The ripped disc's sheet the layout was imported from (empty: none): read like the
  // layout's own files, so no save writes over it.
  std::string SourceSheet;

  // Called when the track list must be redrawn (set by the window; may be empty).
  std::function<void()> RedrawTracks;

  // The folder of the decode cache that FLAC, AIFF, Ogg Vorbis and Opus sources (and
  // converted wave and MP3 files) are decoded into (empty: DecodedCache::DefaultFolder()).
  std::string DecodedCacheFolder;
  // The workers that decode several files at once (0: one per core).
  unsigned DecodeWorkers = 0;
  // A decode of one file, or of several at once on the workers (`path` is then "N files"):
  // it reports its overall progress (0 to 1, from any thread, one call at a time) and polls
  // the cancel flag, and never throws.
  using DecodeJob = std::function<void(const DecodeProgress&, const std::atomic<bool>*)>;
  // Runs a decode job and returns when it has ended. The window runs it on a worker thread
  // behind a progress dialog (file name, percentage, Cancel) once it lasts longer than a
  // moment; empty: the job runs in place, without progress and without a way to cancel.
  std::function<void(const std::string& path, const DecodeJob& job)> RunDecode;
  // The decodes done ahead for the command running now (DecodeAhead.h); none outside one.
  const DecodeAhead* Ahead = nullptr;

  bool IsIdle() const { return MakeState.load() == RunState::Idle; }
};

}  // namespace varnel
