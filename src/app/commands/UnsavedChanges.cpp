#include "app/commands/UnsavedChanges.h"

#include "app/commands/LayoutFile.h"
#include "app/commands/TrackListCommands.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

std::string RememberedText(const AppContext& ctx) {
  if (ctx.SavedLayoutText) return *ctx.SavedLayoutText;
  static const std::string empty = LayoutFileText(DiscLayout{});
  return empty;
}

}  // namespace

void RememberSavedLayout(AppContext& ctx, const std::string& path) {
  ctx.LayoutPath = path;
  ctx.SavedLayoutText = LayoutFileText(ctx.Layout);
}

bool LayoutModified(const AppContext& ctx) {
  return LayoutFileText(ctx.Layout) != RememberedText(ctx);
}

std::string MainWindowTitle(const AppContext& ctx) {
  const bool modified = LayoutModified(ctx);
  if (ctx.LayoutPath.empty() && !modified) return kProgramTitle;
  std::string title = ctx.LayoutPath.empty() ? kUntitledLayoutName : FileNamePart(ctx.LayoutPath);
  if (modified) title += '*';
  return title + " \u2014 " + kProgramTitle;
}

bool ConfirmDiscardLayout(AppContext& ctx) {
  if (!LayoutModified(ctx)) return true;
  switch (ctx.Prompter.AskSaveChanges(kSaveChangesQuestion)) {
    case SaveAnswer::Save:
      if (ctx.LayoutPath.empty()) return SaveLayoutAs(ctx);
      return SaveLayoutFile(ctx, ctx.LayoutPath, Overwrite::Replace);
    case SaveAnswer::Discard:
      return true;
    case SaveAnswer::Cancel:
    default:
      return false;
  }
}

}  // namespace varnel
