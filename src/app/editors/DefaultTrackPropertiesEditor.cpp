#include "app/editors/DefaultTrackPropertiesEditor.h"

namespace varnel {

void DefaultTrackPropertiesEditor::Load(const AppSettings& settings) {
  PreEmph = settings.PreEmph;
  Protect = settings.Protect;
  PaddingHead = settings.TrackPaddingHead;
  CutLeading = settings.TrackCutLeading;
  CutTrailing = settings.TrackCutTrailing;
  Length.SetFrames(settings.PreGapFrames);
  PreGapPaddingHead = settings.PreGapPaddingHead;
  PreGapCutLeading = settings.PreGapCutLeading;
  PreGapCutTrailing = settings.PreGapCutTrailing;
}

bool DefaultTrackPropertiesEditor::Accept(AppSettings& settings) const {
  settings.PreEmph = PreEmph;
  settings.Protect = Protect;
  settings.TrackPaddingHead = PaddingHead;
  settings.TrackCutLeading = CutLeading;
  settings.TrackCutTrailing = CutTrailing;
  settings.PreGapFrames = Length.Frames();
  settings.PreGapPaddingHead = PreGapPaddingHead;
  settings.PreGapCutLeading = PreGapCutLeading;
  settings.PreGapCutTrailing = PreGapCutTrailing;
  return true;
}

}  // namespace varnel
