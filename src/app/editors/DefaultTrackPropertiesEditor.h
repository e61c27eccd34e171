// The logic of the default properties dialog ("Default Properties Setting"): the nine
// default track properties of the settings, loaded into the dialog's controls each time it
// is shown and stored back on OK. Tracks that exist already are never touched; the next
// track that is added takes the new values.
#pragma once

#include "app/editors/PreGapLengthFields.h"
#include "persist/AppSettings.h"

namespace varnel {

class DefaultTrackPropertiesEditor {
 public:
  // Load: every control from the settings. A stored pre-gap length outside
  // 00:00:00 … 99:59:74 shows at the nearer end of that range.
  void Load(const AppSettings& settings);
  // OK: every default from its control, the pre-gap length from the three fields. No
  // check: every combination of the controls is valid. Returns true (the dialog closes).
  bool Accept(AppSettings& settings) const;

  // One click on an arrow of the length fields, with the carry rules; a refused click
  // changes nothing.
  void StepLength(LengthField field, bool up) { Length.Click(field, up); }
  // A number typed into one of the length fields.
  void TypeLength(LengthField field, const std::string& text) { Length.Type(field, text); }

  // The controls. The radio pairs are held as "Head checked" (Tail is the other one).
  bool PreEmph = false;
  bool Protect = false;
  bool PaddingHead = false;
  bool CutLeading = false;
  bool CutTrailing = false;
  PreGapLengthFields Length;
  bool PreGapPaddingHead = true;
  bool PreGapCutLeading = false;
  bool PreGapCutTrailing = false;
};

}  // namespace varnel
