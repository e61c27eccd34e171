#include "app/commands/InputCheck.h"

#include <sys/stat.h>

#include <vector>

#include "app/commands/DecodeAhead.h"
#include "formats/audio/DecodedCache.h"
#include "model/PathNames.h"

namespace varnel {

bool IsConvertedSource(const AppContext& ctx, const std::string& path) {
  if (!ctx.Settings.ConvertSources) return false;
  const std::string ext = LowerExtensionOf(path);
  WaveDataInfo info;
  if (ext == ".wav") {
    // Another rate or channel count (0), or another encoding: more bits, float (−1 with a
    // wave file's signature).
    const int32_t result = CheckWaveFile(path, info);
    return result == 0 || (result == -1 && HasWaveSignature(path));
  }
  if (ext == ".mp3") return CheckMp3File(path, info) == 0;
  return false;
}

bool NeedsDecodedCopy(const AppContext& ctx, const std::string& path) {
  return IsDecodedSourcePath(path) || IsConvertedSource(ctx, path);
}

DecodedCheck DecodeSourceFile(AppContext& ctx, const std::string& path, WaveDataInfo& info) {
  if (ctx.Ahead != nullptr) {
    if (const DecodeAhead::Outcome* done = ctx.Ahead->Find(path)) {
      if (done->Check.Result == 1) info = done->Info;
      return done->Check;
    }
  }
  DecodedCache cache(DecodedCacheFolderOf(ctx));
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
  if (check.Result == 1) {
    info = decoded;
    TrimDecodedCache(ctx, {check.AudioFile});
  }
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
  std::vector<std::string> missing;
  for (int32_t i = 0; i < ctx.Layout.Count(); ++i) {
    const Track& t = ctx.Layout.At(i);
    for (const auto& [copy, source] : {std::pair{t.TrackAudioFile, t.TrackFileName},
                                       std::pair{t.PreGapAudioFile(), t.PreGapFileName()}}) {
      if (copy.empty()) continue;
      if (FileExists(copy)) {
        DecodedCache::Touch(copy);
      } else {
        missing.push_back(source);
      }
    }
  }
  if (missing.empty()) return;
  const DecodeAhead ahead(ctx, missing, true);
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
  if (NeedsDecodedCopy(ctx, path)) {
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
