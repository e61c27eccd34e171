// ini_memory_probe FILE: reads FILE as the layout loader and the settings reader do (the
// head, the track sections, every setting) and prints what it found and its peak resident
// memory in KiB. Built without sanitizers, so that it can run under a limit of address
// space (IniMemoryTest).
//
// ini_memory_probe --write KIND BYTES FILE: writes a valid layout head followed by hostile
// lines up to BYTES: KIND "section" repeats "[s]", "sections" gives distinct headers, "key"
// repeats "k=v", "keys" gives distinct keys, "empty" empty lines.
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "persist/AppSettings.h"
#include "persist/IniFile.h"
#include "persist/LayoutText.h"

namespace {

int Write(const std::string& kind, size_t bytes, const char* path) {
  std::string text =
      "[FileInfo]\r\nSoftName=Varnel\r\n[DiscInfo]\r\nNumTracks=99\r\n[Path]\r\nWorkDir=/w\r\n"
      "[Track00]\r\n";
  text.reserve(bytes + 32);
  char line[32];
  for (size_t n = 0; text.size() < bytes; ++n) {
    if (kind == "section") {
      text += "[s]\n";
    } else if (kind == "key") {
      text += "k=v\n";
    } else if (kind == "sections") {
      text.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, "[%zx]\n", n)));
    } else if (kind == "keys") {
      text.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, "%zu=\n", n)));
    } else {
      text += '\n';
    }
  }
  FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--write") {
    return Write(argv[2], std::stoul(argv[3]), argv[4]);
  }
  if (argc != 2) return 2;
  varnel::IniFile ini(argv[1]);
  if (!ini.LoadError().empty()) {
    std::fprintf(stderr, "%s\n", ini.LoadError().c_str());
    return 1;
  }
  const varnel::LayoutHead head = varnel::ReadLayoutHead(ini);
  const size_t tracks = varnel::TrackSectionIndexes(ini, head.NumTracks).size();
  varnel::AppSettings settings;
  varnel::LoadSettings(ini, settings, "/work");
  varnel::LoadFontSettings(ini, settings.Font);
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%s %d %zu %s %ld\n", head.SoftName.c_str(), head.NumTracks, tracks,
              settings.WorkDir.c_str(), usage.ru_maxrss);
  return 0;
}
