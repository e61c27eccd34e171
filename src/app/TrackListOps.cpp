#include "TrackListOps.h"

#include <memory>

#include "InputCheck.h"
#include "StatusBar.h"
#include "UnsavedChanges.h"

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

void Redraw(TAppContext& ctx) {
  if (ctx.RedrawTracks) ctx.RedrawTracks();
}

bool IsDataTrackControl(const std::string& name) {
  return name == "BinPathEdit" || name == "BinTypeCmb" || name == "DataTrackGbx" ||
         name == "BinBrowseBtn";
}

void AddTrackFiles(TAppContext& ctx, const std::vector<std::string>& paths, bool hasDataTrack) {
  const int32_t dataTracks = hasDataTrack ? 1 : 0;
  for (const std::string& path : paths) {
    if (ctx.Layout.Count() + dataTracks >= kMaxTracks) {
      ctx.Prompter.ShowMessage(TBoxKind::Limit, kTooManyTracksMessage);
      break;
    }
    if (!AddTrackFile(ctx, path)) break;
  }
  Redraw(ctx);
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : name.substr(dot);
}

bool AddTrackFile(TAppContext& ctx, const std::string& path) {
  int32_t mode = FileModeWave;
  WaveDataInfo info;
  std::string audioFile;
  bool goOn = true;
  if (!CheckInputFile(ctx, path, mode, info, audioFile, goOn)) return goOn;

  auto track = std::make_unique<TTrackInfo>(path, mode, info);
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
  TTrackInfo& added = *track;
  ctx.Layout.Append(std::move(track));
  ctx.Layout.TotalBytes += added.GetTotalBytes();
  return true;
}

void AddTrackFiles(TAppContext& ctx, const std::vector<std::string>& paths) {
  AddTrackFiles(ctx, paths, ctx.Layout.HasDataTrack());
}

void AddAudioFiles(TAppContext& ctx) {
  if (!ctx.IsIdle()) return;
  const bool hasDataTrack = ctx.Layout.HasDataTrack();
  TFileDialogRequest request;
  request.Filter = kAudioFileFilter;
  request.InitialDir = ctx.Settings.WaveFileDir;
  request.Multi = true;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  AddTrackFiles(ctx, paths, hasDataTrack);
  RefreshStatusBar(ctx);
  ctx.Settings.WaveFileDir = FolderOf(paths.front());
}

void DropFiles(TAppContext& ctx, const std::string& controlName,
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

void RemoveSelectedTrack(TAppContext& ctx) {
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

void ClearTracks(TAppContext& ctx) {
  if (!ctx.IsIdle()) return;
  ctx.Layout.Clear();
  ctx.Layout.TotalBytes = 0;
  ctx.SelectedTrack = -1;
  Redraw(ctx);
}

void EditClearAudioExecute(TAppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  ClearTracks(ctx);
  RefreshStatusBar(ctx);
}

void NewLayout(TAppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  SetDataTrackFile(ctx, "");
  ctx.Layout.CdTextEnabled = false;
  ctx.Layout.MediaCatalog = CatalogFieldText("");
  ctx.Layout.CdtPath.clear();
  ClearTracks(ctx);
  RefreshStatusBar(ctx);
  RememberSavedLayout(ctx, "");
}

void ExchangeTracks(TAppContext& ctx, int32_t a, int32_t b) {
  const int32_t count = ctx.Layout.Count();
  if (a < 0 || b < 0 || a >= count || b >= count || a == b) return;
  ctx.Layout.Exchange(a, b);
}

bool MoveSelectedTrack(TAppContext& ctx, int32_t delta) {
  if (!ctx.IsIdle() || (delta != -1 && delta != 1)) return false;
  const int32_t from = ctx.SelectedTrack;
  const int32_t to = from + delta;
  if (from < 0 || from >= ctx.Layout.Count() || to < 0 || to >= ctx.Layout.Count()) return false;
  ctx.Layout.Exchange(from, to);
  ctx.SelectedTrack = to;
  Redraw(ctx);
  return true;
}

void AdjustTotal(TAppContext& ctx, int64_t difference) {
  ctx.Layout.TotalBytes += difference;
  RefreshStatusBar(ctx);
}

void ChooseDataTrackImage(TAppContext& ctx) {
  if (!ctx.IsIdle()) return;
  TFileDialogRequest request;
  request.Filter = kImageFileFilter;
  request.InitialDir = ctx.Settings.BinFileDir;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  SetDataTrackFile(ctx, paths.front());
  ctx.Settings.BinFileDir = FolderOf(paths.front());
}

void SetDataTrackFile(TAppContext& ctx, const std::string& path) {
  ctx.Layout.DataTrackFile = path;
  DataTrackFileChanged(ctx);
}

void DataTrackFileChanged(TAppContext& ctx) {
  if (ctx.Layout.HasDataTrack()) {
    // A mixed-mode disc carries no CD-Text.
    ctx.Layout.CdTextEnabled = false;
    ctx.CdTextCkEnabled = false;
  } else {
    ctx.CdTextCkEnabled = true;
  }
  ctx.BinTypeCmbEnabled = !ctx.CdTextCkEnabled;
  Redraw(ctx);
  RefreshStatusBar(ctx);
}

void ChooseCdtFile(TAppContext& ctx) {
  TFileDialogRequest request;
  request.Filter = kCdtFileFilter;
  request.InitialDir = ctx.Settings.CdtFileDir;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  ctx.Layout.CdtPath = paths.front();
  ctx.Settings.CdtFileDir = FolderOf(paths.front());
}

}  // namespace varnel
