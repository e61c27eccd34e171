#include "app/burn/BurnFlow.h"

#include <fstream>
#include <iterator>
#include <regex>

#include "app/check/DiscTime.h"
#include "make/TocFileWriter.h"

namespace varnel {

BurnOptions BurnOptionsFromSettings(const AppSettings& settings) {
  BurnOptions o;
  o.Device = settings.BurnDevice;
  o.Speed = settings.BurnSpeed > 0 ? settings.BurnSpeed : 0;
  o.SimulateFirst = settings.BurnSimulate;
  o.Eject = settings.BurnEject;
  return o;
}

void RememberBurnOptions(const BurnOptions& options, AppSettings& settings) {
  settings.BurnDevice = options.Device;
  settings.BurnSpeed = options.Speed;
  settings.BurnSimulate = options.SimulateFirst || options.Simulate;
  settings.BurnEject = options.Eject;
}

BurnRequest BurnRequestFor(AppContext& ctx, const std::string& cuePath,
                           const BurnOptions& options) {
  BurnRequest r;
  r.TocPath = TocFilePath(cuePath);
  std::ifstream in(r.TocPath, std::ios::binary);
  const std::string toc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // CD-Text is a CD_TEXT block opening a line of the TOC (a text or file name holding
  // the word is quoted, after other words).
  static const std::regex kBlock(R"((^|\n)[ \t]*CD_TEXT[ \t]*\{)");
  r.HasCdText = std::regex_search(toc, kBlock);
  r.DiscFrames = DiscTimeOf(ctx.Layout, ctx.Settings).TotalFrames;
  r.Options = options;
  return r;
}

void ShowBurnResult(Prompter& prompter, const BurnResult& result) {
  MessageBox box;
  box.Text = result.Message;
  box.Detail = result.Detail;
  switch (result.Outcome) {
    case BurnOutcome::Burned:
    case BurnOutcome::Simulated:
      box.Kind = BoxKind::Information;
      break;
    case BurnOutcome::Cancelled:
      box.Kind = result.DiscMayBeUnusable ? BoxKind::Warning : BoxKind::Information;
      break;
    case BurnOutcome::Failed:
      box.Kind = BoxKind::Error;
      if (result.Problem == BurnProblem::CdrdaoFailed ||
          result.Problem == BurnProblem::CdrdaoDied) {
        std::string lines = result.Detail;
        while (!lines.empty() && lines.back() == '\n') lines.pop_back();
        if (!lines.empty()) box.Text += "\n" + lines;
        box.Detail.clear();
      }
      break;
  }
  prompter.Show(box);
}

}  // namespace varnel
