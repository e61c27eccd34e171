#include "app/commands/RunOptions.h"

namespace varnel {

RunOptions RunOptionsOf(const AppSettings& settings) {
  RunOptions options;
  options.WorkDir = settings.WorkDir;
  options.AddFrames = settings.AddFrames;
  options.NumFrames = settings.NumFrames;
  options.MakeAlways = settings.MakeAlways;
  options.Relative = settings.Relative;
  options.CdrdaoToc = settings.CdrdaoToc;
  return options;
}

int32_t LeadingSilenceFrames(const DiscLayout& layout, const AppSettings& settings) {
  if (layout.LeadingSilence >= 0) return layout.LeadingSilence;
  return settings.AddFrames && settings.NumFrames > 0 ? settings.NumFrames : 0;
}

RunOptions RunOptionsOf(const AppSettings& settings, const DiscLayout& layout) {
  RunOptions options = RunOptionsOf(settings);
  if (layout.LeadingSilence >= 0) {
    options.AddFrames = layout.LeadingSilence > 0;
    options.NumFrames = layout.LeadingSilence;
  }
  return options;
}

}  // namespace varnel
