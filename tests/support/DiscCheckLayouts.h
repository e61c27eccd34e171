// Layout files for the disc check's tests, written as text and loaded as "Load disc
// layout" loads them: a disc section and one section per track, every key given, and the
// audio files the tracks name.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace varnel::test {

using KeyIndex = std::map<std::string, std::string>;

// "@name" in a value stands for the file `name` in `dir`.
inline std::string LayoutValue(const std::string& dir, const std::string& value) {
  return !value.empty() && value[0] == '@' ? dir + "/" + value.substr(1) : value;
}

// A track section's keys: the whole of `file` (of `frames` sample frames) behind a silent
// pre-gap of 2 seconds, nothing cut; `changes` replace or add keys.
inline KeyIndex TrackKeys(const std::string& file, int64_t frames, const KeyIndex& changes = {}) {
  KeyIndex k = {{"TrackFileNmae", file},
                {"FileMode", "0"},
                {"TrackPreGapPos", "0"},
                {"TrackStartPos", "0"},
                {"TrackEndPos", std::to_string(frames)},
                {"TrackPaddingHead", "0"},
                {"TrackCutLeading", "0"},
                {"TrackCutTrailing", "0"},
                {"PreGapStyle", "0"},
                {"PreGapFileName", ""},
                {"PreGapStartPos", "0"},
                {"PreGapEndPos", "0"},
                {"PreGapPaddingHead", "1"},
                {"PreGapLength", "150"},
                {"PreGapCutLeading", "0"},
                {"PreGapCutTrailing", "0"},
                {"PreEmph", "0"},
                {"Protect", "0"},
                {"ISRC", ""}};
  for (const auto& [key, value] : changes) k[key] = value;
  return k;
}

// The text of a layout file: `disc` adds to or replaces the keys of [DiscInfo] and
// [DataTrack] ("DataTrack.TrackFileNmae", "DataTrack.ImageType"); keys that begin with
// "CdText" (typed CD-Text) follow the others of [DiscInfo].
inline std::string LayoutText(const std::string& dir, const KeyIndex& disc,
                              const std::vector<KeyIndex>& tracks) {
  auto value = [&](const std::string& key, const std::string& fallback) {
    const auto it = disc.find(key);
    return LayoutValue(dir, it == disc.end() ? fallback : it->second);
  };
  std::string t = "[FileInfo]\r\nSoftName=Varnel\r\nVersion=2.03\r\n\r\n[DiscInfo]\r\n";
  t += "NumTracks=" + std::to_string(tracks.size()) + "\r\n";
  t += "MediaCatalog=" + value("MediaCatalog", "") + "\r\n";
  t += "CD-Text=" + value("CD-Text", "0") + "\r\n";
  t += "CdtPath=" + value("CdtPath", "") + "\r\n";
  for (const auto& [key, v] : disc) {
    if (key.rfind("CdText", 0) == 0) t += key + "=" + v + "\r\n";
  }
  t += "\r\n[DataTrack]\r\n";
  t += "TrackFileNmae=" + value("DataTrack.TrackFileNmae", "") + "\r\n";
  t += "ImageType=" + value("DataTrack.ImageType", "0") + "\r\n";
  for (size_t i = 0; i < tracks.size(); ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "[Track%.2zu]", i);
    t += std::string("\r\n") + name + "\r\n";
    for (const auto& [key, v] : tracks[i]) t += key + "=" + LayoutValue(dir, v) + "\r\n";
  }
  return t;
}

}  // namespace varnel::test
