// Feeds arbitrary text to the layout loader through a real file: the INI reader plus the
// building of tracks whose files mostly do not exist, every question answered Yes. Whatever
// loads must draw its list texts and status bar, keep TotalBytes equal to the sum of its
// tracks, and save to a text that loads back to the same text.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/commands/LayoutFile.h"
#include "app/ports/Prompter.h"
#include "app/views/TrackListText.h"
#include "persist/IniFile.h"
#include "persist/LayoutText.h"

namespace {

class YesPrompter : public varnel::Prompter {
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

const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/varnel-fuzz-layout-" + std::to_string(::getpid()) + ".txt";
  }();
  return path;
}

void WriteScratch(const void* data, size_t size) {
  FILE* f = std::fopen(ScratchPath().c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  if (std::fclose(f) != 0) std::abort();
}

// The loader reads the track sections TrackSectionIndexes names: every one that a lookup
// finds, and no other, with the keys of each readable.
void CheckTrackSections(const std::string& text) {
  varnel::IniFile whole;
  whole.LoadText(text);
  const std::vector<int32_t> indexes = varnel::TrackSectionIndexes(whole, 2147483647);
  for (size_t i = 1; i < indexes.size(); ++i) {
    if (indexes[i - 1] >= indexes[i]) std::abort();
  }
  for (const int32_t index : indexes) {
    if (!whole.HasSection(varnel::TrackSectionName(index))) std::abort();
  }
  for (int32_t i = 0; i < 120; ++i) {
    const bool listed = std::binary_search(indexes.begin(), indexes.end(), i);
    if (listed != whole.HasSection(varnel::TrackSectionName(i))) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckTrackSections(std::string(reinterpret_cast<const char*>(data), size));

  YesPrompter prompter;
  varnel::AppContext ctx(prompter);
  WriteScratch(data, size);
  const bool loaded = varnel::LoadLayoutFile(ctx, ScratchPath());
  std::remove(ScratchPath().c_str());
  if (!loaded) {
    if (ctx.Layout.Count() != 0 || ctx.Layout.TotalBytes != 0) std::abort();
    return 0;
  }

  int64_t sum = 0;
  for (int32_t i = 0; i < ctx.Layout.Count(); ++i) {
    sum += ctx.Layout.At(i).GetTotalBytes();
    if (varnel::TrackColumnTexts(ctx, i)[8] != ctx.Layout.At(i).TrackFileName) std::abort();
  }
  if (sum != ctx.Layout.TotalBytes) std::abort();
  if (ctx.StatusPanels[0].rfind(" Total: ", 0) != 0) std::abort();
  if (ctx.Layout.MediaCatalog.size() != 13) std::abort();

  const std::string text = varnel::LayoutFileText(ctx.Layout);
  varnel::AppContext again(prompter);
  WriteScratch(text.data(), text.size());
  if (!varnel::LoadLayoutFile(again, ScratchPath())) std::abort();
  std::remove(ScratchPath().c_str());
  if (varnel::LayoutFileText(again.Layout) != text) std::abort();
  return 0;
}
