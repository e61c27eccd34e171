#include "app/editors/DefaultTrackPropertiesEditor.h"

namespace varnel {

void DefaultTrackPropertiesEditor::Load(const AppSettings& settings) {
  PreEmphCk = settings.PreEmph;
  ProtectCk = settings.Protect;
  PadHeadRdBtn = settings.TrackPaddingHead;
  CutLeadCk = settings.TrackCutLeading;
  CutTrailCk = settings.TrackCutTrailing;
  Length.SetFrames(settings.PreGapFrames);
  PreGapPadHeadRdBtn = settings.PreGapPaddingHead;
  PreGapCutLeadCk = settings.PreGapCutLeading;
  PreGapCutTrailCk = settings.PreGapCutTrailing;
}

bool DefaultTrackPropertiesEditor::Accept(AppSettings& settings) const {
  settings.PreEmph = PreEmphCk;
  settings.Protect = ProtectCk;
  settings.TrackPaddingHead = PadHeadRdBtn;
  settings.TrackCutLeading = CutLeadCk;
  settings.TrackCutTrailing = CutTrailCk;
  settings.PreGapFrames = Length.Frames();
  settings.PreGapPaddingHead = PreGapPadHeadRdBtn;
  settings.PreGapCutLeading = PreGapCutLeadCk;
  settings.PreGapCutTrailing = PreGapCutTrailCk;
  return true;
}

}  // namespace varnel
