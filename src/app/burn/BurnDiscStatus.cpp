#include "app/burn/BurnDiscStatus.h"

#include <cerrno>

#include "app/burn/BurnMessages.h"
#include "burn/CdrdaoArguments.h"
#include "burn/CdrdaoDiskInfo.h"
#include "burn/CdrdaoFault.h"
#include "burn/ChildProcess.h"

namespace varnel {

namespace {

// Keeps cdrdao's first error line, which says why it could not tell.
class FirstError : public ChildListener {
 public:
  void ChildStderrLine(const std::string& line) override {
    if (Line.empty() && ClassifyCdrdaoLine(line) != CdrdaoFault::None) Line = line;
    if (Any.empty() && IsCdrdaoReport(line)) Any = line;
  }
  std::string Line;
  std::string Any;
};

}  // namespace

DiscStatus ReadDiscStatus(const std::string& device, const std::atomic<bool>& cancel) {
  ChildRun run;
  run.Argv = CdrdaoDiskInfoArguments(device);
  FirstError errors;
  const ChildResult r = RunChild(run, errors, cancel);
  if (r.Started && r.Exited && r.ExitStatus == 0) {
    return DiscStatusOf(ParseCdrdaoDiskInfo(r.Stdout));
  }
  DiscStatus status;
  if (!r.Started) {
    status.Line = BurnProblemText(
        r.StartErrno == ENOENT ? BurnProblem::NoCdrdao : BurnProblem::CdrdaoFailed, device);
  } else {
    status.Line = !errors.Line.empty()  ? errors.Line
                  : !errors.Any.empty() ? errors.Any
                                        : "cdrdao could not read the disc.";
  }
  return status;
}

}  // namespace varnel
