#include "formats/audio/AudioTags.h"

#include <taglib/fileref.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfile.h>
#include <taglib/tpropertymap.h>

namespace varnel {

namespace {

// TagLib reports damaged files on stderr; a damaged file here only has no tags.
class QuietListener : public TagLib::DebugListener {
 public:
  void printMessage(const TagLib::String&) override {}
};

void Quiet() {
  static QuietListener listener;
  TagLib::setDebugListener(&listener);
}

std::string Joined(const TagLib::PropertyMap& map, const char* key) {
  const auto it = map.find(key);
  if (it == map.end()) return {};
  std::string out;
  for (const TagLib::String& value : it->second) {
    const std::string text = value.to8Bit(true);
    if (text.empty()) continue;
    if (!out.empty()) out += " / ";
    out += text;
  }
  return out;
}

AudioTags TagsOf(const TagLib::FileRef& ref) {
  AudioTags tags;
  if (ref.isNull() || ref.file() == nullptr || !ref.file()->isValid()) return tags;
  const TagLib::PropertyMap map = ref.file()->properties();
  tags.Title = Joined(map, "TITLE");
  tags.Artist = Joined(map, "ARTIST");
  tags.Album = Joined(map, "ALBUM");
  tags.AlbumArtist = Joined(map, "ALBUMARTIST");
  tags.Composer = Joined(map, "COMPOSER");
  tags.Lyricist = Joined(map, "LYRICIST");
  tags.Comment = Joined(map, "COMMENT");
  tags.Isrc = Joined(map, "ISRC");
  return tags;
}

}  // namespace

AudioTags ReadAudioTags(const std::string& path) {
  Quiet();
  const TagLib::FileRef ref(path.c_str(), false);
  return TagsOf(ref);
}

AudioTags DecodeAudioTags(const uint8_t* data, size_t size) {
  Quiet();
  TagLib::ByteVectorStream stream(
      TagLib::ByteVector(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size)));
  const TagLib::FileRef ref(&stream, false);
  return TagsOf(ref);
}

}  // namespace varnel
