#include "app/import/RipImport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "app/commands/InputCheck.h"
#include "app/commands/TrackListCommands.h"
#include "app/commands/UnsavedChanges.h"
#include "app/import/RipLayout.h"
#include "app/import/RipOriginal.h"
#include "app/views/StatusBar.h"
#include "formats/audio/DecodedCache.h"
#include "formats/cdtext/CdText.h"
#include "formats/sheets/CueSheetReader.h"
#include "formats/sheets/FlacCueSheetReader.h"
#include "formats/sheets/TocFileReader.h"
#include "model/AtomicFile.h"
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

// Writes the CD-Text; false after a refusal or a failed write (shown).
bool WriteCdt(AppContext& ctx, const std::string& path, const CdText& text, Overwrite overwrite) {
  std::vector<uint8_t> packs;
  std::string reason;
  if (!EncodeCdText(text, CdTextFraming::Packs, packs, reason)) {
    ctx.Prompter.Show({BoxKind::Error, "The CD-Text of the sheet cannot be written.", reason, {}});
    return false;
  }
  if (!MayWriteOver(ctx.Prompter, path, overwrite)) return false;
  std::string error;
  if (!WriteFileAtomically(path, std::string(packs.begin(), packs.end()), &error)) {
    ctx.Prompter.ShowMessage(BoxKind::Error, "Cannot create file \"" + path + "\". " + error);
    return false;
  }
  return true;
}

}  // namespace

RipResult ReadRipSheetFile(const std::string& path) {
  const std::string ext = LowerExtensionOf(path);
  if (ext == ".toc") return ReadTocFile(path);
  if (ext == ".flac") return ReadFlacCueSheet(path);
  return ReadCueSheetFile(path);
}

std::string CdtPathBeside(const std::string& path) {
  return WithExtension(path, ".cdt");
}

bool ImportSheetFile(AppContext& ctx, const std::string& sheetPath, const std::string& cdtPath,
                     Overwrite overwrite) {
  if (!ctx.IsIdle()) return false;
  const RipResult read = ReadRipSheetFile(sheetPath);
  if (!read.Ok) {
    ShowImportError(ctx, sheetPath, read.Error);
    return false;
  }
  RipSources sources;
  sources.Decode = [&ctx](const std::string& path, WaveDataInfo& info) {
    return DecodeSourceFile(ctx, path, info);
  };
  const std::string cache =
      ctx.DecodedCacheFolder.empty() ? DecodedCache::DefaultFolder() : ctx.DecodedCacheFolder;
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
  } else if (laid.CdTextContent && !cdtPath.empty()) {
    if (!WriteCdt(ctx, cdtPath, *laid.CdTextContent, overwrite)) return false;
    laid.Layout.CdtPath = cdtPath;
    laid.Layout.CdTextEnabled = !dataTrack;
  }
  if (dataTrack && !laid.Layout.CdtPath.empty()) {
    laid.Notes.push_back("CD-Text is off: a disc with a data track is written without it");
  }

  ClearTracks(ctx);
  ctx.Layout = std::move(laid.Layout);
  ctx.SelectedTrack = -1;
  // The availability of the CD-Text and image type boxes follows the data track.
  SetDataTrackFile(ctx, ctx.Layout.DataTrackFile);
  ctx.LayoutPath.clear();
  ctx.SavedLayoutText.reset();
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
  // The CD-Text file goes beside the sheet, or into the working folder when the sheet's
  // folder cannot be written (a rip on a read-only medium).
  std::string cdt = CdtPathBeside(paths.front());
  if (access(FolderOrCurrent(cdt).c_str(), W_OK) != 0 && !ctx.Settings.WorkDir.empty()) {
    cdt = ctx.Settings.WorkDir + "/" + FileNamePart(cdt);
  }
  ImportSheetFile(ctx, paths.front(), cdt);
}

}  // namespace varnel
