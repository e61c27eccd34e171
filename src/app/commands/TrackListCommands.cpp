#include "app/commands/TrackListCommands.h"

#include <algorithm>
#include <memory>

#include "app/commands/DecodeAhead.h"
#include "app/commands/InputCheck.h"
#include "app/commands/UnsavedChanges.h"
#include "app/views/StatusBar.h"
#include "model/PathNames.h"

namespace varnel {

const char* const kAudioFileFilter =
    "Audio files (*.wav; *.mp3; *.cdg; *.flac; *.aif; *.aiff; *.ogg; *.oga; *.opus)|"
    "*.wav;*.mp3;*.cdg;*.flac;*.aif;*.aiff;*.ogg;*.oga;*.opus|Wave files (*.wav)|*.wav|"
    "MP3 files (*.mp3)|*.mp3|CDG Files (*.cdg)|*.cdg|FLAC files (*.flac)|*.flac|"
    "AIFF files (*.aif; *.aiff)|*.aif;*.aiff|Ogg Vorbis files (*.ogg; *.oga)|*.ogg;*.oga|"
    "Opus files (*.opus)|*.opus|All files (*.*)|*.*";
const char* const kImageFileFilter = "Disc image files (.*.bin)|*bin|All files (*.*)|*.*";
const char* const kCdtFileFilter = "CD-TEXT Files (*.cdt)|*.cdt|All Files (*.*)|*.*";

namespace {

void Redraw(AppContext& ctx) {
  if (ctx.RedrawTracks) ctx.RedrawTracks();
}

bool IsDataTrackControl(const std::string& name) {
  return name == "BinPathEdit" || name == "BinTypeCmb" || name == "DataTrackGbx" ||
         name == "BinBrowseBtn";
}

void AddTrackFiles(AppContext& ctx, const std::vector<std::string>& paths, bool hasDataTrack) {
  const int32_t dataTracks = hasDataTrack ? 1 : 0;
  // The files that can still find room on the disc are decoded first, all at once.
  const size_t room =
      static_cast<size_t>(std::max(0, kMaxTracks - ctx.Layout.Count() - dataTracks));
  const DecodeAhead ahead(
      ctx, std::vector<std::string>(paths.begin(), paths.begin() + std::min(room, paths.size())));
  for (const std::string& path : paths) {
    if (ctx.Layout.Count() + dataTracks >= kMaxTracks) {
      ctx.Prompter.ShowMessage(BoxKind::Limit, kTooManyTracksMessage);
      break;
    }
    if (!AddTrackFile(ctx, path)) break;
  }
  Redraw(ctx);
}

}  // namespace

bool AddTrackFile(AppContext& ctx, const std::string& path) {
  int32_t mode = FileModeWave;
  WaveDataInfo info;
  std::string audioFile;
  bool goOn = true;
  if (!CheckInputFile(ctx, path, mode, info, audioFile, goOn)) return goOn;

  auto track = std::make_unique<Track>(path, mode, info);
  track->TrackAudioFile = audioFile;
  const AppSettings& s = ctx.Settings;
  track->PreEmph = s.PreEmph;
  track->Protect = s.Protect;
  track->TrackPaddingHead = s.TrackPaddingHead;
  track->TrackCutLeading = s.TrackCutLeading;
  track->TrackCutTrailing = s.TrackCutTrailing;
  track->SetPreGapLength(static_cast<uint32_t>(s.PreGapFrames));
  track->PreGapPaddingHead = s.PreGapPaddingHead;
  track->PreGapCutLeading = s.PreGapCutLeading;
  track->PreGapCutTrailing = s.PreGapCutTrailing;
  if (mode != FileModeWave) {
    // No silence is analysed in MP3 and CD+G files, and their padding is the recorder's.
    track->TrackPaddingHead = false;
    track->TrackCutLeading = false;
    track->TrackCutTrailing = false;
    track->PreGapPaddingHead = false;
    track->PreGapCutLeading = false;
    track->PreGapCutTrailing = false;
  }
  Track& added = *track;
  ctx.Layout.Append(std::move(track));
  ctx.Layout.TotalBytes += added.GetTotalBytes();
  return true;
}

void AddTrackFiles(AppContext& ctx, const std::vector<std::string>& paths) {
  AddTrackFiles(ctx, paths, ctx.Layout.DataTrackImageExists());
}

void AddAudioFiles(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  const bool hasDataTrack = ctx.Layout.DataTrackImageExists();
  FileDialogRequest request;
  request.Filter = kAudioFileFilter;
  request.InitialDir = ctx.Settings.WaveFileDir;
  request.Multi = true;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  AddTrackFiles(ctx, paths, hasDataTrack);
  RefreshStatusBar(ctx);
  ctx.Settings.WaveFileDir = FolderOf(paths.front());
}

void DropFiles(AppContext& ctx, const std::string& controlName,
               const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  if (IsDataTrackControl(controlName)) {
    SetDataTrackFile(ctx, paths.front());
  } else if (controlName == "CdtEdit") {
    if (ExtensionOf(paths.front()) == ".cdt") ctx.Layout.CdtPath = paths.front();
  } else if (controlName == "Tracks" || controlName == "TracksHdr") {
    AddTrackFiles(ctx, paths);
    RefreshStatusBar(ctx);
  }
}

void RemoveSelectedTrack(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  const int32_t index = ctx.SelectedTrack;
  if (index < 0 || index >= ctx.Layout.Count()) return;
  const int64_t bytes = ctx.Layout.At(index).GetTotalBytes();
  ctx.Layout.Delete(index);
  ctx.Layout.TotalBytes -= bytes;
  ctx.SelectedTrack = -1;
  Redraw(ctx);
  RefreshStatusBar(ctx);
}

void ClearTracks(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  ctx.Layout.Clear();
  ctx.Layout.TotalBytes = 0;
  ctx.SelectedTrack = -1;
  Redraw(ctx);
}

void ClearAudioTracks(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  ClearTracks(ctx);
  RefreshStatusBar(ctx);
}

void NewLayout(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  SetDataTrackFile(ctx, "");
  ctx.Layout.CdTextEnabled = false;
  ctx.Layout.MediaCatalog = CatalogFieldText("");
  ctx.Layout.CdtPath.clear();
  ctx.Layout.CdText = {};
  ctx.Layout.LeadingSilence = -1;
  ctx.Layout.Original = {};
  ClearTracks(ctx);
  ctx.SourceSheet.clear();
  RefreshStatusBar(ctx);
  RememberSavedLayout(ctx, "");
  ctx.History.Reset(ctx.Layout);
}

void ExchangeTracks(AppContext& ctx, int32_t a, int32_t b) {
  const int32_t count = ctx.Layout.Count();
  if (a < 0 || b < 0 || a >= count || b >= count || a == b) return;
  ctx.Layout.Exchange(a, b);
}

bool MoveSelectedTrack(AppContext& ctx, int32_t delta) {
  if (!ctx.IsIdle() || (delta != -1 && delta != 1)) return false;
  const int32_t from = ctx.SelectedTrack;
  const int32_t to = from + delta;
  if (from < 0 || from >= ctx.Layout.Count() || to < 0 || to >= ctx.Layout.Count()) return false;
  ctx.Layout.Exchange(from, to);
  ctx.SelectedTrack = to;
  Redraw(ctx);
  return true;
}

void AdjustTotal(AppContext& ctx, int64_t difference) {
  ctx.Layout.TotalBytes += difference;
  RefreshStatusBar(ctx);
}

void ChooseDataTrackImage(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  FileDialogRequest request;
  request.Filter = kImageFileFilter;
  request.InitialDir = ctx.Settings.BinFileDir;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  SetDataTrackFile(ctx, paths.front());
  ctx.Settings.BinFileDir = FolderOf(paths.front());
}

void SetDataTrackFile(AppContext& ctx, const std::string& path) {
  ctx.Layout.DataTrackFile = path;
  DataTrackFileChanged(ctx);
}

void DataTrackFileChanged(AppContext& ctx) {
  if (ctx.Layout.DataTrackImageExists()) {
    // A mixed-mode disc carries no CD-Text.
    ctx.Layout.CdTextEnabled = false;
    ctx.CanEnableCdText = false;
  } else {
    ctx.CanEnableCdText = true;
  }
  ctx.CanChooseImageType = !ctx.CanEnableCdText;
  Redraw(ctx);
  RefreshStatusBar(ctx);
}

void ChooseCdtFile(AppContext& ctx) {
  FileDialogRequest request;
  request.Filter = kCdtFileFilter;
  request.InitialDir = ctx.Settings.CdtFileDir;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  ctx.Layout.CdtPath = paths.front();
  ctx.Settings.CdtFileDir = FolderOf(paths.front());
}

}  // namespace varnel
