#include "app/burn/MadeDisc.h"

#include <fstream>
#include <iterator>

#include "app/check/DiscTime.h"
#include "make/TocFileWriter.h"

namespace varnel {

BurnRequest MadeDiscRequest(AppContext& ctx, const std::string& cuePath) {
  BurnRequest request;
  request.TocPath = TocFilePath(cuePath);
  std::ifstream toc(request.TocPath, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(toc)), std::istreambuf_iterator<char>());
  // The TOC's own word, whatever made the text: a CD_TEXT block.
  request.HasCdText = text.find("CD_TEXT") != std::string::npos;
  request.DiscFrames = DiscTimeOf(ctx.Layout, ctx.Settings).TotalFrames;
  return request;
}

}  // namespace varnel
