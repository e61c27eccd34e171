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

}  // namespace varnel
