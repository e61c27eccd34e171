#include "RunOptions.h"

namespace varnel {

TRunOptions RunOptionsOf(const AppSettings& settings) {
  TRunOptions options;
  options.WorkDir = settings.WorkDir;
  options.AddFrames = settings.AddFrames;
  options.NumFrames = settings.NumFrames;
  options.MakeAlways = settings.MakeAlways;
  options.Relative = settings.Relative;
  options.CdrdaoToc = settings.CdrdaoToc;
  return options;
}

}  // namespace varnel
