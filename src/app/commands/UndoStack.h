// Undo and redo of changes to the disc layout. Every change is kept as the whole layout
// before it (a deep copy, tracks included), so undoing restores exactly what was there: the
// layout file's text comes back byte for byte, and with it the unsaved-changes mark. A
// change is noted after it happened, whoever made it (a command, a dialog, a field, a
// drag), by comparing the layout's file text with the one last noted; a note without a
// difference records nothing. Loading, importing or starting a new layout starts the
// history over.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/DiscLayout.h"

namespace varnel {

struct AppContext;

// An independent copy of `layout`.
DiscLayout CopyLayout(const DiscLayout& layout);

class UndoStack {
 public:
  // How many changes can be undone; older ones are forgotten.
  static constexpr size_t kDepth = 100;

  UndoStack();

  // Starts over from `layout` as it is now: nothing to undo or redo.
  void Reset(const DiscLayout& layout);
  // After a change: when `layout` differs from the layout last noted, that one is kept
  // under `label` for Undo and what could be redone is dropped. With `merge`, a change of
  // the same label as the last one noted with `merge` joins it (typing in one field).
  // True when a change was recorded.
  bool Note(const DiscLayout& layout, const std::string& label, bool merge = false);

  bool CanUndo() const { return !Undo_.empty(); }
  bool CanRedo() const { return !Redo_.empty(); }
  // What Undo and Redo would act on ("Add Files"); empty when there is nothing.
  std::string UndoLabel() const { return Undo_.empty() ? std::string() : Undo_.back().Label; }
  std::string RedoLabel() const { return Redo_.empty() ? std::string() : Redo_.back().Label; }

  // Puts `layout` back as it was before the last change, or after the last change undone.
  // False (nothing changed) when there is none.
  bool Undo(DiscLayout& layout);
  bool Redo(DiscLayout& layout);

 private:
  struct Snapshot {
    DiscLayout Layout;
    std::string Text;
  };
  struct Entry {
    std::string Label;
    Snapshot State;
  };
  static Snapshot Take(const DiscLayout& layout);
  bool Step(std::vector<Entry>& from, std::vector<Entry>& to, DiscLayout& layout);

  std::vector<Entry> Undo_;
  std::vector<Entry> Redo_;
  Snapshot Current_;
  bool LastMerged_ = false;
};

// Undo and Redo for the window and the tests: the layout restored, then what depends on it
// (the data track's controls, the list, the status bar, a selection inside the list).
bool UndoLayoutChange(AppContext& ctx);
bool RedoLayoutChange(AppContext& ctx);

}  // namespace varnel
