#include "UnsavedChanges.h"

#include "LayoutFile.h"
#include "TrackListOps.h"

namespace varnel {

namespace {

std::string RememberedText(const TAppContext& ctx) {
  if (ctx.SavedLayoutText) return *ctx.SavedLayoutText;
  static const std::string empty = LayoutFileText(DiscLayout{});
  return empty;
}

}  // namespace

void RememberSavedLayout(TAppContext& ctx, const std::string& path) {
  ctx.LayoutPath = path;
  ctx.SavedLayoutText = LayoutFileText(ctx.Layout);
}

bool LayoutModified(const TAppContext& ctx) {
  return LayoutFileText(ctx.Layout) != RememberedText(ctx);
}

std::string MainWindowTitle(const TAppContext& ctx) {
  if (ctx.LayoutPath.empty()) return kProgramTitle;
  std::string title = FileNamePart(ctx.LayoutPath);
  if (LayoutModified(ctx)) title += '*';
  return title + " \u2014 " + kProgramTitle;
}

bool ConfirmDiscardLayout(TAppContext& ctx) {
  if (!LayoutModified(ctx)) return true;
  switch (ctx.Prompter.AskSaveChanges(kSaveChangesQuestion)) {
    case TSaveAnswer::Save:
      if (ctx.LayoutPath.empty()) return FileSaveExecute(ctx);
      return SaveLayoutFile(ctx, ctx.LayoutPath, TOverwrite::Replace);
    case TSaveAnswer::Discard:
      return true;
    case TSaveAnswer::Cancel:
    default:
      return false;
  }
}

}  // namespace varnel
