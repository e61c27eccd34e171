// The logic of the default properties dialog ("Default Properties Setting"): the nine
// default track properties of the settings, loaded into the dialog's controls each time it
// is shown and stored back on OK. Tracks that exist already are never touched; the next
// track that is added takes the new values.
#pragma once

#include "AppSettings.h"
#include "PreGapCarry.h"

namespace varnel {

class TDefPropertyEditor {
 public:
  // FormShow: every control from the settings. A stored pre-gap length outside
  // 00:00:00 … 99:59:74 shows at the nearer end of that range.
  void FormShow(const AppSettings& settings);
  // OK: every default from its control, the pre-gap length from the three fields. No
  // check: every combination of the controls is valid. Returns true (the dialog closes).
  bool OkBtnClick(AppSettings& settings) const;

  // One click on an arrow of the length fields, with the carry rules; a refused click
  // changes nothing.
  void UdClick(TLengthField field, bool up) { Length.Click(field, up); }
  // A number typed into one of the length fields.
  void LengthEditChange(TLengthField field, const std::string& text) { Length.Type(field, text); }

  // The controls. The radio pairs are held as "Head checked" (Tail is the other one).
  bool PreEmphCk = false;
  bool ProtectCk = false;
  bool PadHeadRdBtn = false;
  bool CutLeadCk = false;
  bool CutTrailCk = false;
  TPreGapLengthFields Length;
  bool PreGapPadHeadRdBtn = true;
  bool PreGapCutLeadCk = false;
  bool PreGapCutTrailCk = false;
};

}  // namespace varnel
