// The tags that fill CD-Text, from one file per container made by the tools users tag with
// (lame, metaflac, vorbiscomment, opusenc) and, where no common tool writes them (APE on
// MP3, ID3v2 in AIFF, the INFO list of WAV), by TagLib itself.
#include "formats/audio/AudioTags.h"

#include <gtest/gtest.h>
#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <functional>

#include "support/AudioTools.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {
TagLib::PropertyMap Properties(const AudioTags& t) {
  TagLib::PropertyMap map;
  const std::pair<const char*, const std::string*> items[] = {
      {"TITLE", &t.Title},       {"ARTIST", &t.Artist},
      {"ALBUM", &t.Album},       {"ALBUMARTIST", &t.AlbumArtist},
      {"COMPOSER", &t.Composer}, {"LYRICIST", &t.Lyricist},
      {"COMMENT", &t.Comment},   {"ISRC", &t.Isrc}};
  for (const auto& [key, value] : items) {
    if (!value->empty()) map.insert(key, TagLib::String(*value, TagLib::String::UTF8));
  }
  return map;
}

struct TagCase {
  const char* Name;
  const char* File;
  std::vector<test::Command> Make;
  std::function<void(const std::string& path, const AudioTags& tags)> Write;  // may be empty
  AudioTags Expected;
};

TEST(AudioTags, EachContainerGivesItsTags) {
  if (const std::string tool = test::MissingTool(
          {"sox", "lame", "flac", "metaflac", "oggenc", "vorbiscomment", "opusenc"});
      !tool.empty()) {
    GTEST_SKIP() << tool << " makes the tagged files";
  }
  const AudioTags full{"Caf\u00e9 \u6771", "Ann", "Live", "The Band", "Bach", "Wer", "Hi",
                       "USABC9912345"};
  const test::Command wav = {"sox", "-n", "-r",     "44100", "-c", "2",
                             "-b",  "16", "@t.wav", "trim",  "0",  "0.1"};
  const TagCase cases[] = {
      {"MP3, ID3v2 by lame",
       "t.mp3",
       {wav,
        {"lame",
         "--quiet",
         "--add-id3v2",
         "--tt",
         full.Title,
         "--ta",
         "Ann",
         "--tl",
         "Live",
         "--tc",
         "Hi",
         "--tv",
         "TPE2=The Band",
         "--tv",
         "TCOM=Bach",
         "--tv",
         "TEXT=Wer",
         "--tv",
         "TSRC=USABC9912345",
         "@t.wav",
         "@t.mp3"}},
       {},
       full},
      {"MP3, ID3v1 only",
       "t.mp3",
       {wav, {"lame", "--quiet", "--id3v1-only", "--tt", "One", "--ta", "Ann", "@t.wav", "@t.mp3"}},
       {},
       {"One", "Ann", "", "", "", "", "", ""}},
      {"MP3, APE",
       "t.mp3",
       {wav, {"lame", "--quiet", "@t.wav", "@t.mp3"}},
       [](const std::string& path, const AudioTags& tags) {
         TagLib::MPEG::File f(path.c_str());
         f.APETag(true)->setProperties(Properties(tags));
         f.save(TagLib::MPEG::File::APE, TagLib::File::StripOthers);
       },
       full},
      {"FLAC by metaflac",
       "t.flac",
       {wav,
        {"flac", "--silent", "-o", "@t.flac", "@t.wav"},
        {"metaflac", "--set-tag=TITLE=" + full.Title, "--set-tag=ARTIST=Ann",
         "--set-tag=ALBUM=Live", "--set-tag=ALBUMARTIST=The Band", "--set-tag=COMPOSER=Bach",
         "--set-tag=LYRICIST=Wer", "--set-tag=COMMENT=Hi", "--set-tag=ISRC=USABC9912345",
         "@t.flac"}},
       {},
       full},
      {"Ogg Vorbis by oggenc and vorbiscomment",
       "t.ogg",
       {wav,
        {"oggenc", "--quiet", "-t", full.Title, "-a", "Ann", "-l", "Live", "-o", "@t.ogg",
         "@t.wav"},
        {"vorbiscomment", "-a", "-t", "ALBUMARTIST=The Band", "-t", "COMPOSER=Bach", "-t",
         "LYRICIST=Wer", "-t", "COMMENT=Hi", "-t", "ISRC=USABC9912345", "@t.ogg"}},
       {},
       full},
      {"Opus by opusenc",
       "t.opus",
       {wav, {"opusenc",   "--quiet",
              "--title",   full.Title,
              "--artist",  "Ann",
              "--album",   "Live",
              "--comment", "ALBUMARTIST=The Band",
              "--comment", "COMPOSER=Bach",
              "--comment", "LYRICIST=Wer",
              "--comment", "COMMENT=Hi",
              "--comment", "ISRC=USABC9912345",
              "@t.wav",    "@t.opus"}},
       {},
       full},
      {"AIFF, ID3v2",
       "t.aiff",
       {{"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "@t.aiff", "trim", "0", "0.1"}},
       [](const std::string& path, const AudioTags& tags) {
         TagLib::RIFF::AIFF::File f(path.c_str());
         f.tag()->setProperties(Properties(tags));
         f.save();
       },
       full},
      {"WAV, INFO list",
       "t.wav",
       {wav},
       [](const std::string& path, const AudioTags& tags) {
         TagLib::RIFF::WAV::File f(path.c_str());
         f.InfoTag()->setProperties(Properties(tags));
         f.save(TagLib::RIFF::WAV::File::Info);
       },
       // What TagLib keeps of INFO: title, artist, album and comment.
       {full.Title, "Ann", "Live", "", "", "", "Hi", ""}},
      {"WAV without tags", "t.wav", {wav}, {}, {}},
  };
  for (const TagCase& c : cases) {
    SCOPED_TRACE(c.Name);
    test::TempDir dir;
    ASSERT_TRUE(test::RunAll(c.Make, dir.Path()));
    const std::string path = dir / c.File;
    if (c.Write) c.Write(path, full);
    EXPECT_EQ(ReadAudioTags(path), c.Expected);
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    EXPECT_EQ(DecodeAudioTags(bytes.data(), bytes.size()), c.Expected) << "from memory";
  }
  EXPECT_EQ(ReadAudioTags("/nonexistent/x.mp3"), AudioTags{});
}

}  // namespace
}  // namespace varnel
