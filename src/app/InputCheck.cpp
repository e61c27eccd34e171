#include "InputCheck.h"

#include "DecodedCache.h"

namespace varnel {

TDecodedCheck DecodeSourceFile(TAppContext& ctx, const std::string& path, WaveDataInfo& info) {
  TDecodedCache cache(ctx.DecodedCacheFolder.empty() ? TDecodedCache::DefaultFolder()
                                                     : ctx.DecodedCacheFolder);
  TDecodedCheck check = LookupDecodedFile(cache, path, info);
  if (check.Result != 0) return check;
  WaveDataInfo decoded = info;
  const TAppContext::TDecodeJob job = [&](const TDecodeProgress& progress,
                                          const std::atomic<bool>* cancel) {
    try {
      check = CheckDecodedFile(cache, path, decoded, progress, cancel);
    } catch (const TDecodeCanceled&) {
      check = {0, {}, {}};
    } catch (const std::exception& e) {
      check = {-1, {}, std::string(" cannot be decoded: ") + e.what() + "."};
    }
  };
  if (ctx.RunDecode) {
    ctx.RunDecode(path, job);
  } else {
    job(nullptr, nullptr);
  }
  if (check.Result == 1) info = decoded;
  return check;
}

std::string DecodeRefusalQuestion(const std::string& path, const TDecodedCheck& check) {
  return "\"" + path + "\"" + check.Reason + " Do you want to continue?";
}

bool CheckInputFile(TAppContext& ctx, const std::string& path, int32_t& mode, WaveDataInfo& info,
                    std::string& audioFile, bool& goOn) {
  audioFile.clear();
  if (IsDecodedSourcePath(path)) {
    mode = FileModeWave;
    const TDecodedCheck check = DecodeSourceFile(ctx, path, info);
    if (check.Result == 1) {
      audioFile = check.AudioFile;
      goOn = true;
      return true;
    }
    goOn = check.Result != 0 && ctx.Prompter.AskYesNo(DecodeRefusalQuestion(path, check));
    return false;
  }
  const int32_t result = CheckFileOfKind(path, mode, info);
  if (result == 1) {
    goOn = true;
    return true;
  }
  goOn = ctx.Prompter.AskYesNo("\"" + path + "\"" + RefusalMessage(mode, result));
  return false;
}

}  // namespace varnel
