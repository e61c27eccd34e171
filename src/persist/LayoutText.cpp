#include "LayoutText.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace varnel {

namespace {

TKeyValue Number(int32_t value) {
  return TKeyValue{value, {}};
}

TKeyValue Flag(bool value) {
  return TKeyValue{value ? 1 : 0, {}};
}

TKeyValue Text(const std::string& value) {
  return TKeyValue{0, value};
}

int32_t Zero(const TTrackDefaults&) {
  return 0;
}

// What a value looks like after the "=" of its line.
std::string Written(TKeyKind kind, const TKeyValue& value) {
  switch (kind) {
    case TKeyKind::String:
      return value.Text;
    case TKeyKind::Boolean:
      return value.Number != 0 ? "1" : "0";
    default:
      return std::to_string(value.Number);
  }
}

// The track index a section name stands for when it is exactly "Track" + the index with at
// least two digits and no other leading zero (letter case disregarded), below `count`.
bool TrackIndexOf(std::string_view name, int32_t count, int32_t& index) {
  static constexpr std::string_view kTrack = "track";
  if (name.size() < kTrack.size() + 2) return false;
  for (size_t i = 0; i < kTrack.size(); ++i) {
    const char c = name[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kTrack[i]) return false;
  }
  const std::string_view digits = name.substr(kTrack.size());
  if (digits.size() > 2 && digits.front() == '0') return false;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value >= count) return false;
  }
  index = static_cast<int32_t>(value);
  return true;
}

}  // namespace

// clang-format off
const TTrackKey kTrackKeys[kTrackKeyCount] = {
    {"TrackFileNmae", TKeyKind::String,
     [](const TTrackInfo& t) { return Text(t.TrackFileName); }, Zero, nullptr},
    {"FileMode", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.FileMode); }, Zero, nullptr},
    {"TrackPreGapPos", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.TrackPreGapPos()); }, Zero,
     [](TTrackInfo& t, const TKeyValue& v) { t.SetTrackPreGapPos(v.Number); }},
    {"TrackStartPos", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.TrackStartPos()); }, Zero,
     [](TTrackInfo& t, const TKeyValue& v) { t.SetTrackStartPos(v.Number); }},
    {"TrackEndPos", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.TrackEndPos()); },
     [](const TTrackDefaults& d) { return d.TrackWholeFile; },
     [](TTrackInfo& t, const TKeyValue& v) { t.SetTrackEndPos(v.Number); }},
    {"TrackPaddingHead", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.TrackPaddingHead); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.TrackPaddingHead}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.TrackPaddingHead = v.Number != 0; }},
    {"TrackCutLeading", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.TrackCutLeading); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.TrackCutLeading}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.TrackCutLeading = v.Number != 0; }},
    {"TrackCutTrailing", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.TrackCutTrailing); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.TrackCutTrailing}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.TrackCutTrailing = v.Number != 0; }},
    {"PreGapStyle", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.PreGapStyle()); }, Zero,
     [](TTrackInfo& t, const TKeyValue& v) { t.SetPreGapStyle(static_cast<uint8_t>(v.Number)); }},
    {"PreGapFileName", TKeyKind::String,
     [](const TTrackInfo& t) { return Text(t.PreGapFileName()); }, Zero, nullptr},
    {"PreGapStartPos", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.PreGapStartPos()); }, Zero,
     [](TTrackInfo& t, const TKeyValue& v) { t.SetPreGapStartPos(v.Number); }},
    {"PreGapEndPos", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.PreGapEndPos()); },
     [](const TTrackDefaults& d) { return d.PreGapWholeFile; },
     [](TTrackInfo& t, const TKeyValue& v) { t.SetPreGapEndPos(v.Number); }},
    {"PreGapPaddingHead", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.PreGapPaddingHead); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.PreGapPaddingHead}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.PreGapPaddingHead = v.Number != 0; }},
    {"PreGapLength", TKeyKind::Integer,
     [](const TTrackInfo& t) { return Number(t.GetPreGapLength()); },
     [](const TTrackDefaults& d) { return d.Settings.PreGapFrames; },
     [](TTrackInfo& t, const TKeyValue& v) { t.SetPreGapLength(static_cast<uint32_t>(v.Number)); }},
    {"PreGapCutLeading", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.PreGapCutLeading); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.PreGapCutLeading}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.PreGapCutLeading = v.Number != 0; }},
    {"PreGapCutTrailing", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.PreGapCutTrailing); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.PreGapCutTrailing}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.PreGapCutTrailing = v.Number != 0; }},
    {"PreEmph", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.PreEmph); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.PreEmph}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.PreEmph = v.Number != 0; }},
    {"Protect", TKeyKind::Boolean,
     [](const TTrackInfo& t) { return Flag(t.Protect); },
     [](const TTrackDefaults& d) { return int32_t{d.Settings.Protect}; },
     [](TTrackInfo& t, const TKeyValue& v) { t.Protect = v.Number != 0; }},
    {"ISRC", TKeyKind::String,
     [](const TTrackInfo& t) { return Text(t.ISRC); }, Zero,
     [](TTrackInfo& t, const TKeyValue& v) { t.ISRC = v.Text; }},
};
// clang-format on

std::string TrackSectionName(int32_t index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Track%.2d", static_cast<int>(index));
  return buf;
}

std::string LayoutFileText(const DiscLayout& layout) {
  std::string text;
  auto line = [&text](const std::string& s) {
    text += s;
    text += "\r\n";
  };
  line("[FileInfo]");
  line(std::string("SoftName=") + kLayoutSoftName);
  line(std::string("Version=") + kLayoutVersion);
  line("");
  line("[DiscInfo]");
  line("NumTracks=" + std::to_string(layout.Count()));
  line("MediaCatalog=" + CatalogFieldText(layout.MediaCatalog));
  line(std::string("CD-Text=") + (layout.CdTextEnabled ? "1" : "0"));
  line("CdtPath=" + layout.CdtPath);
  line("");
  line("[DataTrack]");
  line("TrackFileNmae=" + layout.DataTrackFile);
  line("ImageType=" + std::to_string(layout.ImageType));
  line("");
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const TTrackInfo& t = layout.At(i);
    line(std::string("[").append(TrackSectionName(i)).append("]"));
    for (const TTrackKey& key : kTrackKeys) {
      line(std::string(key.Name).append("=").append(Written(key.Kind, key.Get(t))));
    }
    line("");
  }
  return text;
}

TLayoutHead ReadLayoutHead(const TIniFile& ini) {
  TLayoutHead head;
  head.SoftName = ini.ReadString("FileInfo", "SoftName", "");
  head.MediaCatalog = CatalogFieldText(ini.ReadString("DiscInfo", "MediaCatalog", ""));
  head.CdTextEnabled = ini.ReadBool("DiscInfo", "CD-Text", false);
  head.CdtPath = ini.ReadString("DiscInfo", "CdtPath", "");
  head.DataTrackFile = ini.ReadString("DataTrack", "TrackFileNmae", "");
  head.ImageType = ini.ReadInteger("DataTrack", "ImageType", 0);
  head.NumTracks = ini.ReadInteger("DiscInfo", "NumTracks", 0);
  return head;
}

std::vector<int32_t> TrackSectionIndexes(const TIniFile& ini, int32_t count) {
  std::vector<int32_t> indexes;
  for (const std::string& name : ini.SectionNames()) {
    int32_t index = 0;
    if (TrackIndexOf(name, count, index)) indexes.push_back(index);
  }
  std::sort(indexes.begin(), indexes.end());
  return indexes;
}

TKeyValue ReadTrackKey(const TIniFile& ini, const std::string& section, int key,
                       const TTrackDefaults& defaults) {
  const TTrackKey& k = kTrackKeys[key];
  if (k.Kind == TKeyKind::String) return Text(ini.ReadString(section, k.Name, ""));
  return Number(ini.ReadInteger(section, k.Name, k.Default(defaults)));
}

void ApplyTrackSection(TTrackInfo& track, const TIniFile& ini, const std::string& section,
                       const TTrackDefaults& defaults, const std::string& preGapFile,
                       const WaveDataInfo& preGapInfo, const std::string& preGapAudioFile) {
  for (int key = 0; key < kTrackKeyCount; ++key) {
    if (key == kPreGapFileKey) {
      track.SetPreGapFile(preGapFile, preGapInfo, preGapAudioFile);
    } else if (kTrackKeys[key].Set != nullptr) {
      kTrackKeys[key].Set(track, ReadTrackKey(ini, section, key, defaults));
    }
  }
}

}  // namespace varnel
