#include "persist/LayoutText.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace varnel {

namespace {

KeyValue Number(int32_t value) {
  return KeyValue{value, {}};
}

KeyValue Flag(bool value) {
  return KeyValue{value ? 1 : 0, {}};
}

KeyValue Text(const std::string& value) {
  return KeyValue{0, value};
}

int32_t Zero(const TrackDefaults&) {
  return 0;
}

// What a value looks like after the "=" of its line.
std::string Written(KeyKind kind, const KeyValue& value) {
  switch (kind) {
    case KeyKind::String:
      return value.Text;
    case KeyKind::Boolean:
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

// The "DiscInfo" keys of what a rip recorded of its original, each with its member.
struct OriginalKey {
  const char* Name;
  std::string OriginalDisc::*Part;
};
constexpr OriginalKey kOriginalKeys[] = {
    {"OriginalDiscId", &OriginalDisc::DiscId},
    {"OriginalFreeDbId", &OriginalDisc::FreeDbId},
    {"OriginalToc", &OriginalDisc::Toc},
    {"OriginalCrcs", &OriginalDisc::Crcs},
};

}  // namespace

// clang-format off
const TrackKey kTrackKeys[kTrackKeyCount] = {
    {"TrackFileNmae", KeyKind::String,
     [](const Track& t) { return Text(t.TrackFileName); }, Zero, nullptr},
    {"FileMode", KeyKind::Integer,
     [](const Track& t) { return Number(t.FileMode); }, Zero, nullptr},
    {"TrackPreGapPos", KeyKind::Integer,
     [](const Track& t) { return Number(t.TrackPreGapPos()); }, Zero,
     [](Track& t, const KeyValue& v) { t.SetTrackPreGapPos(v.Number); }},
    {"TrackStartPos", KeyKind::Integer,
     [](const Track& t) { return Number(t.TrackStartPos()); }, Zero,
     [](Track& t, const KeyValue& v) { t.SetTrackStartPos(v.Number); }},
    {"TrackEndPos", KeyKind::Integer,
     [](const Track& t) { return Number(t.TrackEndPos()); },
     [](const TrackDefaults& d) { return d.TrackWholeFile; },
     [](Track& t, const KeyValue& v) { t.SetTrackEndPos(v.Number); }},
    {"TrackPaddingHead", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.TrackPaddingHead); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.TrackPaddingHead}; },
     [](Track& t, const KeyValue& v) { t.TrackPaddingHead = v.Number != 0; }},
    {"TrackCutLeading", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.TrackCutLeading); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.TrackCutLeading}; },
     [](Track& t, const KeyValue& v) { t.TrackCutLeading = v.Number != 0; }},
    {"TrackCutTrailing", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.TrackCutTrailing); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.TrackCutTrailing}; },
     [](Track& t, const KeyValue& v) { t.TrackCutTrailing = v.Number != 0; }},
    {"PreGapStyle", KeyKind::Integer,
     [](const Track& t) { return Number(t.PreGapStyle()); }, Zero,
     [](Track& t, const KeyValue& v) { t.SetPreGapStyle(static_cast<uint8_t>(v.Number)); }},
    {"PreGapFileName", KeyKind::String,
     [](const Track& t) { return Text(t.PreGapFileName()); }, Zero, nullptr},
    {"PreGapStartPos", KeyKind::Integer,
     [](const Track& t) { return Number(t.PreGapStartPos()); }, Zero,
     [](Track& t, const KeyValue& v) { t.SetPreGapStartPos(v.Number); }},
    {"PreGapEndPos", KeyKind::Integer,
     [](const Track& t) { return Number(t.PreGapEndPos()); },
     [](const TrackDefaults& d) { return d.PreGapWholeFile; },
     [](Track& t, const KeyValue& v) { t.SetPreGapEndPos(v.Number); }},
    {"PreGapPaddingHead", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.PreGapPaddingHead); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.PreGapPaddingHead}; },
     [](Track& t, const KeyValue& v) { t.PreGapPaddingHead = v.Number != 0; }},
    {"PreGapLength", KeyKind::Integer,
     [](const Track& t) { return Number(t.GetPreGapLength()); },
     [](const TrackDefaults& d) { return d.Settings.PreGapFrames; },
     [](Track& t, const KeyValue& v) { t.SetPreGapLength(static_cast<uint32_t>(v.Number)); }},
    {"PreGapCutLeading", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.PreGapCutLeading); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.PreGapCutLeading}; },
     [](Track& t, const KeyValue& v) { t.PreGapCutLeading = v.Number != 0; }},
    {"PreGapCutTrailing", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.PreGapCutTrailing); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.PreGapCutTrailing}; },
     [](Track& t, const KeyValue& v) { t.PreGapCutTrailing = v.Number != 0; }},
    {"PreEmph", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.PreEmph); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.PreEmph}; },
     [](Track& t, const KeyValue& v) { t.PreEmph = v.Number != 0; }},
    {"Protect", KeyKind::Boolean,
     [](const Track& t) { return Flag(t.Protect); },
     [](const TrackDefaults& d) { return int32_t{d.Settings.Protect}; },
     [](Track& t, const KeyValue& v) { t.Protect = v.Number != 0; }},
    {"ISRC", KeyKind::String,
     [](const Track& t) { return Text(t.ISRC); }, Zero,
     [](Track& t, const KeyValue& v) { t.ISRC = v.Text; }},
};
// clang-format on

const char* const kCdTextKeys[kCdTextFieldCount] = {
    "CdTextTitle",    "CdTextPerformer", "CdTextSongwriter",
    "CdTextComposer", "CdTextArranger",  "CdTextMessage",
};

namespace {

// The typed texts that are not empty, one line each; a line break in a text (which no
// line can hold) is written as a blank, as IniFile writes one.
template <typename Line>
void WriteCdTextKeys(const CdTextFields& fields, Line&& line) {
  for (int f = 0; f < kCdTextFieldCount; ++f) {
    std::string text = fields.Texts[static_cast<size_t>(f)];
    if (text.empty()) continue;
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    line(std::string(kCdTextKeys[f]).append("=").append(text));
  }
}

CdTextFields ReadCdTextKeys(const IniFile& ini, const std::string& section) {
  CdTextFields fields;
  for (int f = 0; f < kCdTextFieldCount; ++f) {
    fields.Texts[static_cast<size_t>(f)] = ini.ReadString(section, kCdTextKeys[f], "");
  }
  return fields;
}

}  // namespace

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
  WriteCdTextKeys(layout.CdText.Fields, line);
  if (layout.CdText.Genre != 0) {
    line(std::string(kCdTextGenreKey) + "=" + std::to_string(layout.CdText.Genre));
  }
  if (layout.CdText.Language != kCdTextLanguageEnglish) {
    line(std::string(kCdTextLanguageKey) + "=" + std::to_string(layout.CdText.Language));
  }
  if (layout.LeadingSilence >= 0) line("LeadingSilence=" + std::to_string(layout.LeadingSilence));
  for (const OriginalKey& key : kOriginalKeys) {
    const std::string& value = layout.Original.*key.Part;
    if (!value.empty()) line(std::string(key.Name) + "=" + value);
  }
  line("");
  line("[DataTrack]");
  line("TrackFileNmae=" + layout.DataTrackFile);
  line("ImageType=" + std::to_string(layout.ImageType));
  line("");
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const Track& t = layout.At(i);
    line(std::string("[").append(TrackSectionName(i)).append("]"));
    for (const TrackKey& key : kTrackKeys) {
      line(std::string(key.Name).append("=").append(Written(key.Kind, key.Get(t))));
    }
    WriteCdTextKeys(t.CdText, line);
    line("");
  }
  return text;
}

LayoutHead ReadLayoutHead(const IniFile& ini) {
  LayoutHead head;
  head.SoftName = ini.ReadString("FileInfo", "SoftName", "");
  head.MediaCatalog = CatalogFieldText(ini.ReadString("DiscInfo", "MediaCatalog", ""));
  head.CdTextEnabled = ini.ReadBool("DiscInfo", "CD-Text", false);
  head.CdtPath = ini.ReadString("DiscInfo", "CdtPath", "");
  head.DataTrackFile = ini.ReadString("DataTrack", "TrackFileNmae", "");
  head.ImageType = ini.ReadInteger("DataTrack", "ImageType", 0);
  head.NumTracks = ini.ReadInteger("DiscInfo", "NumTracks", 0);
  head.CdText.Fields = ReadCdTextKeys(ini, "DiscInfo");
  const int32_t genre = ini.ReadInteger("DiscInfo", kCdTextGenreKey, 0);
  if (genre > 0 && genre < kCdTextGenreCount) head.CdText.Genre = static_cast<uint16_t>(genre);
  const int32_t language = ini.ReadInteger("DiscInfo", kCdTextLanguageKey, kCdTextLanguageEnglish);
  if (language >= 0 && language <= 0xFF) head.CdText.Language = static_cast<uint8_t>(language);
  head.LeadingSilence = std::max(-1, ini.ReadInteger("DiscInfo", "LeadingSilence", -1));
  for (const OriginalKey& key : kOriginalKeys) {
    head.Original.*key.Part = ini.ReadString("DiscInfo", key.Name, "");
  }
  return head;
}

std::vector<int32_t> TrackSectionIndexes(const IniFile& ini, int32_t count) {
  std::vector<int32_t> indexes;
  ini.VisitSectionNames([&](std::string_view name) {
    int32_t index = 0;
    if (TrackIndexOf(name, count, index)) indexes.push_back(index);
  });
  std::sort(indexes.begin(), indexes.end());
  return indexes;
}

KeyValue ReadTrackKey(const IniFile& ini, const std::string& section, int key,
                      const TrackDefaults& defaults) {
  const TrackKey& k = kTrackKeys[key];
  if (k.Kind == KeyKind::String) return Text(ini.ReadString(section, k.Name, ""));
  return Number(ini.ReadInteger(section, k.Name, k.Default(defaults)));
}

void ApplyTrackSection(Track& track, const IniFile& ini, const std::string& section,
                       const TrackDefaults& defaults, const std::string& preGapFile,
                       const WaveDataInfo& preGapInfo, const std::string& preGapAudioFile) {
  for (int key = 0; key < kTrackKeyCount; ++key) {
    if (key == kPreGapFileKey) {
      track.SetPreGapFile(preGapFile, preGapInfo, preGapAudioFile);
    } else if (kTrackKeys[key].Set != nullptr) {
      kTrackKeys[key].Set(track, ReadTrackKey(ini, section, key, defaults));
    }
  }
  track.CdText = ReadCdTextKeys(ini, section);
}

}  // namespace varnel
