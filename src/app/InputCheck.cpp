#include "InputCheck.h"

#include "InputChecks.h"

namespace varnel {

bool CheckInputFile(TPrompter& prompter, const std::string& path, int32_t& mode, WaveDataInfo& info,
                    bool& goOn) {
  const int32_t result = CheckFileOfKind(path, mode, info);
  if (result == 1) {
    goOn = true;
    return true;
  }
  goOn = prompter.AskYesNo("\"" + path + "\"" + RefusalMessage(mode, result));
  return false;
}

}  // namespace varnel
