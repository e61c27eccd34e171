#include "app/commands/InputCheck.h"

#include <sys/stat.h>

#include "formats/audio/DecodedCache.h"

namespace varnel {

DecodedCheck DecodeSourceFile(AppContext& ctx, const std::string& path, WaveDataInfo& info) {
  DecodedCache cache(ctx.DecodedCacheFolder.empty() ? DecodedCache::DefaultFolder()
                                                    : ctx.DecodedCacheFolder);
  DecodedCheck check = LookupDecodedFile(cache, path, info);
  if (check.Result != 0) return check;
  WaveDataInfo decoded = info;
  const AppContext::DecodeJob job = [&](const DecodeProgress& progress,
                                        const std::atomic<bool>* cancel) {
    try {
      check = CheckDecodedFile(cache, path, decoded, progress, cancel);
    } catch (const DecodeCanceled&) {
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

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// A decoded copy of `source` as long as `expected` describes, when one can be had.
std::string RestoredCopy(AppContext& ctx, const std::string& source, const WaveDataInfo& expected) {
  WaveDataInfo info;
  const DecodedCheck check = DecodeSourceFile(ctx, source, info);
  return check.Result == 1 && info.DataSize == expected.DataSize ? check.AudioFile : std::string();
}

}  // namespace

void RestoreDecodedCopies(AppContext& ctx) {
  for (int32_t i = 0; i < ctx.Layout.Count(); ++i) {
    Track& t = ctx.Layout.At(i);
    if (t.IsDecoded() && !FileExists(t.TrackAudioFile)) {
      if (std::string copy = RestoredCopy(ctx, t.TrackFileName, t.WaveInfo); !copy.empty()) {
        t.TrackAudioFile = copy;
      }
    }
    if (!t.PreGapAudioFile().empty() && !FileExists(t.PreGapAudioFile())) {
      const std::string copy = RestoredCopy(ctx, t.PreGapFileName(), t.PreGapWaveInfo());
      if (!copy.empty()) {
        // The region is kept as it was: SetPreGapFile resets it.
        const int32_t start = t.PreGapStartPos();
        const int32_t end = t.PreGapEndPos();
        t.SetPreGapFile(t.PreGapFileName(), t.PreGapWaveInfo(), copy);
        t.SetPreGapStartPos(start);
        t.SetPreGapEndPos(end);
      }
    }
  }
}

std::string DecodeRefusalQuestion(const std::string& path, const DecodedCheck& check) {
  return "\"" + path + "\"" + check.Reason + " Do you want to continue?";
}

bool CheckInputFile(AppContext& ctx, const std::string& path, int32_t& mode, WaveDataInfo& info,
                    std::string& audioFile, bool& goOn) {
  audioFile.clear();
  if (IsDecodedSourcePath(path)) {
    mode = FileModeWave;
    const DecodedCheck check = DecodeSourceFile(ctx, path, info);
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

FileCheckReport CheckFileQuietly(const std::string& path, WaveDataInfo& info) {
  FileCheckReport report;
  if (IsDecodedSourcePath(path)) {
    report.Kind = SourceKindText(*SourceKindFromPath(path));
    DecodedCache cache(DecodedCache::DefaultFolder());
    const DecodedCheck check = CheckDecodedFile(cache, path, info);
    report.Result = check.Result;
    if (check.Result != 1) report.Reason = check.Reason;
    return report;
  }
  int32_t mode = FileModeWave;
  report.Result = CheckFileOfKind(path, mode, info);
  report.Kind = mode == FileModeWave ? "WAVE" : mode == FileModeMp3 ? "MP3" : "CDG";
  return report;
}

}  // namespace varnel
