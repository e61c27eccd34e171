// libcue's reading of a cue sheet text, reduced to what the sheet reader's result can be
// compared with. Times are CD frames; libcue's −1 means "not given".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/sheets/RipSheet.h"
#include "model/CdTime.h"

extern "C" {
#include <libcue.h>
}

namespace varnel::test {

struct LibcueTrack {
  std::string File;  // the file of INDEX 01
  long Index[4] = {-1, -1, -1, -1};
  long PreGap = -1;  // libcue mixes PREGAP with INDEX 00 gaps: compare only without INDEX 00
  long PostGap = -1;
  bool Audio = true;
  bool Pre = false, Dcp = false, FourChannel = false, Scms = false;
  std::string Isrc, Title, Performer, Songwriter;
};

struct LibcueDisc {
  bool Parsed = false;
  std::string Title, Performer, Genre, Date, CdTextFile;
  std::vector<LibcueTrack> Tracks;
};

inline std::string LibcueText(const char* s) {
  return s != nullptr ? s : "";
}

inline LibcueDisc LibcueRead(const std::string& text) {
  LibcueDisc disc;
  Cd* cd = cue_parse_string(text.c_str());
  if (cd == nullptr) return disc;
  disc.Parsed = true;
  disc.Title = LibcueText(cdtext_get(PTI_TITLE, cd_get_cdtext(cd)));
  disc.Performer = LibcueText(cdtext_get(PTI_PERFORMER, cd_get_cdtext(cd)));
  disc.Genre = LibcueText(cdtext_get(PTI_GENRE, cd_get_cdtext(cd)));
  disc.Date = LibcueText(rem_get(REM_DATE, cd_get_rem(cd)));
  disc.CdTextFile = LibcueText(cd_get_cdtextfile(cd));
  for (int i = 1; i <= cd_get_ntrack(cd); ++i) {
    const ::Track* t = cd_get_track(cd, i);
    LibcueTrack track;
    track.File = LibcueText(track_get_filename(t));
    for (int n = 0; n < 4; ++n) track.Index[n] = track_get_index(t, n);
    track.PreGap = track_get_zero_pre(t);
    track.PostGap = track_get_zero_post(t);
    track.Audio = track_get_mode(t) == MODE_AUDIO;
    track.Pre = track_is_set_flag(t, FLAG_PRE_EMPHASIS) != 0;
    track.Dcp = track_is_set_flag(t, FLAG_COPY_PERMITTED) != 0;
    track.FourChannel = track_is_set_flag(t, FLAG_FOUR_CHANNEL) != 0;
    track.Scms = track_is_set_flag(t, FLAG_SCMS) != 0;
    track.Isrc = LibcueText(track_get_isrc(t));
    track.Title = LibcueText(cdtext_get(PTI_TITLE, track_get_cdtext(t)));
    track.Performer = LibcueText(cdtext_get(PTI_PERFORMER, track_get_cdtext(t)));
    track.Songwriter = LibcueText(cdtext_get(PTI_SONGWRITER, track_get_cdtext(t)));
    disc.Tracks.push_back(track);
  }
  cd_delete(cd);
  return disc;
}

inline long Frames(int64_t samples) {
  return static_cast<long>(samples / kSamplesPerCdFrame);
}

inline const RipCdText& FirstCdText(const std::vector<RipCdText>& blocks) {
  static const RipCdText kNone;
  return blocks.empty() ? kNone : blocks.front();
}

// Our reading against libcue's, track by track. `withFiles` compares the file of each
// INDEX 01 (a FLAC sheet names the FLAC file instead of the sheet's FILE).
inline void ExpectSameAsLibcue(const RipSheet& sheet, const LibcueDisc& lc, bool withFiles = true) {
  ASSERT_TRUE(lc.Parsed);
  EXPECT_EQ(FirstCdText(sheet.CdTextContent).Title, lc.Title);
  EXPECT_EQ(FirstCdText(sheet.CdTextContent).Performer, lc.Performer);
  EXPECT_EQ(FirstCdText(sheet.CdTextContent).Genre, lc.Genre);
  const RipRem* date = FindRem(sheet.Rems, "DATE");
  EXPECT_EQ(date != nullptr ? date->Value : "", lc.Date);
  EXPECT_EQ(sheet.CdTextFile, lc.CdTextFile);
  ASSERT_EQ(sheet.Tracks.size(), lc.Tracks.size());
  for (size_t i = 0; i < lc.Tracks.size(); ++i) {
    const RipTrack& t = sheet.Tracks[i];
    const LibcueTrack& l = lc.Tracks[i];
    SCOPED_TRACE("track " + std::to_string(t.Number));
    const RipIndex* one = t.FindIndex(1);
    ASSERT_NE(one, nullptr);
    if (withFiles) {
      ASSERT_GE(one->File, 0);
      EXPECT_EQ(sheet.Files.at(static_cast<size_t>(one->File)).Name, l.File);
    }
    for (int n = 0; n < 4; ++n) {
      const RipIndex* index = t.FindIndex(n);
      EXPECT_EQ(index != nullptr ? Frames(index->Position) : -1, l.Index[n]) << "INDEX " << n;
    }
    if (t.FindIndex(0) == nullptr) EXPECT_EQ(Frames(t.PreGapSilence), l.PreGap < 0 ? 0 : l.PreGap);
    EXPECT_EQ(Frames(t.PostGapSilence), l.PostGap < 0 ? 0 : l.PostGap);
    EXPECT_EQ(t.Audio, l.Audio);
    EXPECT_EQ(t.Pre, l.Pre);
    EXPECT_EQ(t.Dcp, l.Dcp);
    EXPECT_EQ(t.FourChannel, l.FourChannel);
    EXPECT_EQ(t.Scms, l.Scms);
    EXPECT_EQ(t.Isrc, l.Isrc);
    EXPECT_EQ(FirstCdText(t.CdTextContent).Title, l.Title);
    EXPECT_EQ(FirstCdText(t.CdTextContent).Performer, l.Performer);
    EXPECT_EQ(FirstCdText(t.CdTextContent).Songwriter, l.Songwriter);
  }
}

}  // namespace varnel::test
