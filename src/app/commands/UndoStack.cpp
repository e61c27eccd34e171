#include "app/commands/UndoStack.h"

#include <algorithm>
#include <memory>

#include "app/AppContext.h"
#include "app/commands/TrackListCommands.h"
#include "persist/LayoutText.h"

namespace varnel {

DiscLayout CopyLayout(const DiscLayout& layout) {
  DiscLayout copy;
  copy.MediaCatalog = layout.MediaCatalog;
  copy.CdTextEnabled = layout.CdTextEnabled;
  copy.CdtPath = layout.CdtPath;
  copy.DataTrackFile = layout.DataTrackFile;
  copy.ImageType = layout.ImageType;
  copy.CdText = layout.CdText;
  copy.TotalBytes = layout.TotalBytes;
  copy.LeadingSilence = layout.LeadingSilence;
  copy.Original = layout.Original;
  for (int32_t i = 0; i < layout.Count(); ++i) copy.Append(std::make_unique<Track>(layout.At(i)));
  return copy;
}

UndoStack::UndoStack() : Current_(Take(DiscLayout{})) {}

UndoStack::Snapshot UndoStack::Take(const DiscLayout& layout) {
  return Snapshot{CopyLayout(layout), LayoutFileText(layout)};
}

void UndoStack::Reset(const DiscLayout& layout) {
  Undo_.clear();
  Redo_.clear();
  Current_ = Take(layout);
  LastMerged_ = false;
}

bool UndoStack::Note(const DiscLayout& layout, const std::string& label, bool merge) {
  Snapshot now = Take(layout);
  if (now.Text == Current_.Text) return false;
  const bool joins = merge && LastMerged_ && !Undo_.empty() && Undo_.back().Label == label;
  if (!joins) {
    Undo_.push_back(Entry{label, std::move(Current_)});
    if (Undo_.size() > kDepth) Undo_.erase(Undo_.begin());
  }
  Current_ = std::move(now);
  Redo_.clear();
  LastMerged_ = merge;
  return true;
}

bool UndoStack::Step(std::vector<Entry>& from, std::vector<Entry>& to, DiscLayout& layout) {
  if (from.empty()) return false;
  Entry entry = std::move(from.back());
  from.pop_back();
  to.push_back(Entry{entry.Label, std::move(Current_)});
  Current_ = std::move(entry.State);
  layout = CopyLayout(Current_.Layout);
  LastMerged_ = false;
  return true;
}

bool UndoStack::Undo(DiscLayout& layout) {
  return Step(Undo_, Redo_, layout);
}

bool UndoStack::Redo(DiscLayout& layout) {
  return Step(Redo_, Undo_, layout);
}

namespace {

bool Restored(AppContext& ctx, bool changed) {
  if (!changed) return false;
  ctx.SelectedTrack = std::min(ctx.SelectedTrack, ctx.Layout.Count() - 1);
  DataTrackFileChanged(ctx);
  return true;
}

}  // namespace

bool UndoLayoutChange(AppContext& ctx) {
  return ctx.IsIdle() && Restored(ctx, ctx.History.Undo(ctx.Layout));
}

bool RedoLayoutChange(AppContext& ctx) {
  return ctx.IsIdle() && Restored(ctx, ctx.History.Redo(ctx.Layout));
}

}  // namespace varnel
