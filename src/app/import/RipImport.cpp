#include "app/import/RipImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/commands/DecodeAhead.h"
#include "app/commands/InputCheck.h"
#include "app/commands/TrackListCommands.h"
#include "app/commands/UnsavedChanges.h"
#include "app/import/RipLayout.h"
#include "app/import/RipOriginal.h"
#include "app/views/StatusBar.h"
#include "formats/audio/DecodedCache.h"
#include "formats/sheets/CueSheetReader.h"
#include "formats/sheets/FlacCueSheetReader.h"
#include "formats/sheets/TocFileReader.h"
#include "model/FileIdentity.h"
#include "model/PathNames.h"

namespace varnel {

const char* const kSheetFileFilter =
    "Cue sheets, TOC files and FLAC files (*.cue;*.toc;*.flac)|*.cue;*.toc;*.flac|"
    "All files (*.*)|*.*";

namespace {

bool RegularFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void ShowImportError(AppContext& ctx, const std::string& path, const RipError& error) {
  ctx.Prompter.ShowMessage(BoxKind::Error, "\"" + path + "\" cannot be imported.\n" + error.Text());
}

}  // namespace

RipResult ReadRipSheetFile(const std::string& path) {
  const std::string ext = LowerExtensionOf(path);
  if (ext == ".toc") return ReadTocFile(path);
  if (ext == ".flac") return ReadFlacCueSheet(path);
  return ReadCueSheetFile(path);
}

bool ImportSheetFile(AppContext& ctx, const std::string& sheetPath) {
  if (!ctx.IsIdle()) return false;
  const RipResult read = ReadRipSheetFile(sheetPath);
  if (!read.Ok) {
    ShowImportError(ctx, sheetPath, read.Error);
    return false;
  }
  // Every file the sheet names that must be decoded is decoded first, all at once.
  std::vector<std::string> paths;
  for (const RipFile& file : read.Sheet.Files) {
    if (IsDecodedSourcePath(file.Path)) paths.push_back(file.Path);
  }
  const DecodeAhead ahead(ctx, paths);
  RipSources sources;
  sources.Decode = [&ctx](const std::string& path, WaveDataInfo& info) {
    return DecodeSourceFile(ctx, path, info);
  };
  const std::string cache = DecodedCacheFolderOf(ctx);
  sources.RawFolder = FolderOf(cache) + "/raw";
  RipLayout laid = RipSheetToLayout(read.Sheet, ctx.Prompter, sources);
  if (laid.Stopped) return false;
  if (!laid.Ok) {
    ShowImportError(ctx, sheetPath, laid.Error);
    return false;
  }
  RecordOriginal(read.Sheet, sheetPath, laid.Layout);
  const bool dataTrack = laid.Layout.DataTrackImageExists();
  if (RegularFile(read.Sheet.CdTextFilePath)) {
    laid.Layout.CdtPath = read.Sheet.CdTextFilePath;
    laid.Layout.CdTextEnabled = !dataTrack;
  } else if (laid.Layout.HasTypedCdText()) {
    laid.Layout.CdTextEnabled = !dataTrack;
  }
  // What the layout takes from outside the sheet's folder is said, each file once.
  std::string prefix = ResolvedName(FolderOrCurrent(sheetPath));
  if (prefix.back() != '/') prefix += '/';
  std::vector<std::string> taken = {laid.Layout.DataTrackFile, laid.Layout.CdtPath};
  for (int32_t i = 0; i < laid.Layout.Count(); ++i) {
    taken.push_back(laid.Layout.At(i).TrackFileName);
    taken.push_back(laid.Layout.At(i).PreGapFileName());
  }
  std::vector<std::string> noted;
  for (const std::string& path : taken) {
    const std::string name = path.empty() ? std::string() : ResolvedName(path);
    if (path.empty() || name.rfind(prefix, 0) == 0) continue;
    if (std::find(noted.begin(), noted.end(), name) != noted.end()) continue;
    noted.push_back(name);
    laid.Notes.push_back("\"" + path + "\" is taken from outside the sheet's folder");
  }
  if (dataTrack && (!laid.Layout.CdtPath.empty() || laid.Layout.HasTypedCdText())) {
    laid.Notes.push_back("CD-Text is off: a disc with a data track is written without it");
  }

  ClearTracks(ctx);
  ctx.Layout = std::move(laid.Layout);
  ctx.SelectedTrack = -1;
  // The availability of the CD-Text and image type boxes follows the data track.
  SetDataTrackFile(ctx, ctx.Layout.DataTrackFile);
  ctx.LayoutPath.clear();
  ctx.SavedLayoutText.reset();
  ctx.SourceSheet = sheetPath;
  ctx.History.Reset(ctx.Layout);
  if (ctx.RedrawTracks) ctx.RedrawTracks();
  RefreshStatusBar(ctx);
  if (!laid.Notes.empty()) {
    std::string text = "\"" + sheetPath + "\" was imported with these notes:";
    for (const std::string& note : laid.Notes) text += "\n" + note;
    ctx.Prompter.ShowMessage(BoxKind::Information, text);
  }
  return true;
}

void ImportSheet(AppContext& ctx) {
  if (!ctx.IsIdle()) return;
  if (!ConfirmDiscardLayout(ctx)) return;
  FileDialogRequest request;
  request.Title = "Import a cue sheet or TOC";
  request.Filter = kSheetFileFilter;
  request.InitialDir = ctx.Settings.LayoutFileDir;
  const std::vector<std::string> paths = ctx.Prompter.OpenFiles(request);
  if (paths.empty()) return;
  ctx.Settings.LayoutFileDir = FolderOf(paths.front());
  ImportSheetFile(ctx, paths.front());
}

}  // namespace varnel
