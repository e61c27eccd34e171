// Laying out a ripped disc from arbitrary sheets (a cue sheet, or a TOC file when the input
// starts with "CD_"), over two real wave files: it ends, and a layout it accepts keeps every
// region inside its file, in order, with at most 99 tracks; a refusal names a line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/import/RipLayout.h"
#include "formats/sheets/CueSheetReader.h"
#include "formats/sheets/TocFileReader.h"

namespace {

class AlwaysYesPrompter : public varnel::Prompter {
 public:
  void Show(const varnel::MessageBox&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  bool ConfirmOkCancel(const std::string&) override { return true; }
  varnel::SaveAnswer AskSaveChanges(const std::string&) override {
    return varnel::SaveAnswer::Discard;
  }
  void Beep() override {}
  std::vector<std::string> OpenFiles(const varnel::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const varnel::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::string> BrowseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A canonical wave file of `frames` sample frames.
void WriteWave(const std::string& path, uint32_t frames) {
  std::string w = "RIFF";
  PutLe(w, 36 + frames * 4, 4);
  w += "WAVEfmt ";
  PutLe(w, 16, 4);
  PutLe(w, 1, 2);
  PutLe(w, 2, 2);
  PutLe(w, 44100, 4);
  PutLe(w, 176400, 4);
  PutLe(w, 4, 2);
  PutLe(w, 16, 2);
  w += "data";
  PutLe(w, frames * 4, 4);
  w += std::string(frames * 4, '\x01');
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  std::fwrite(w.data(), 1, w.size(), f);
  std::fclose(f);
}

// a.wav (2 s) and b.wav (3 s 1 sample frame) in a folder of the run's own.
const std::string& Folder() {
  // The name lives in a buffer without a destructor: the exit handler still reads it.
  static char name[] = "/tmp/varnel-fuzz-rip-XXXXXX";
  static const std::string folder = [] {
    if (mkdtemp(name) == nullptr) std::abort();
    WriteWave(std::string(name) + "/a.wav", 2 * 44100);
    WriteWave(std::string(name) + "/b.wav", 3 * 44100 + 1);
    std::atexit([] { std::filesystem::remove_all(name); });
    return std::string(name);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const bool toc = text.substr(0, 3) == "CD_";
  const varnel::RipResult read =
      toc ? varnel::ReadTocText(text, Folder()) : varnel::ReadCueSheetText(text, Folder());
  if (!read.Ok) return 0;
  AlwaysYesPrompter prompter;
  varnel::RipSources sources;
  sources.Decode = [](const std::string& path, varnel::WaveDataInfo& info) {
    varnel::DecodedCache cache(Folder() + "/cache");
    return varnel::CheckDecodedFile(cache, path, info);
  };
  sources.RawFolder = Folder() + "/raw";
  const varnel::RipLayout laid = varnel::RipSheetToLayout(read.Sheet, prompter, sources);
  if (!laid.Ok) {
    if (laid.Stopped || laid.Error.Message.empty() || laid.Error.Line < 0) std::abort();
    return 0;
  }
  const varnel::DiscLayout& layout = laid.Layout;
  if (layout.Count() < 1 || layout.Count() > varnel::kMaxTracks) std::abort();
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const varnel::Track& t = layout.At(i);
    const int64_t frames = t.WaveInfo.DataSize / 4;
    if (t.TrackStartPos() < 0 || t.TrackStartPos() >= t.TrackEndPos() || t.TrackEndPos() > frames) {
      std::abort();
    }
    if (t.PreGapStyle() == varnel::PreGapIndex &&
        (t.TrackPreGapPos() < 0 || t.TrackPreGapPos() >= t.TrackStartPos())) {
      std::abort();
    }
    if (t.PreGapStyle() == varnel::PreGapFile &&
        (t.PreGapStartPos() < 0 || t.PreGapStartPos() >= t.PreGapEndPos() ||
         t.PreGapEndPos() > t.PreGapWaveInfo().DataSize / 4)) {
      std::abort();
    }
  }
  return 0;
}
