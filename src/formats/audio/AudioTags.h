// The tags of an audio file that CD-Text can be filled from: title, artist, album, album
// artist, composer, lyricist, comment and ISRC, read through TagLib from MP3 (ID3v2, else
// APE, else ID3v1), FLAC and Ogg Vorbis (Vorbis comments), Opus, AIFF (ID3v2) and WAV
// (ID3v2, else the INFO list). Values are UTF-8; several values of one tag are joined with
// " / ". A file that no reader takes, or that holds no such tag, gives empty tags, never a
// failure of the caller: tags only ever fill in text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnel {

struct AudioTags {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string AlbumArtist;
  std::string Composer;
  std::string Lyricist;
  std::string Comment;
  std::string Isrc;
  friend bool operator==(const AudioTags&, const AudioTags&) = default;
};

// The tags of the file at `path`, recognised by its contents (its extension first).
AudioTags ReadAudioTags(const std::string& path);
// The tags of a whole file's bytes, recognised by their contents.
AudioTags DecodeAudioTags(const uint8_t* data, size_t size);

}  // namespace varnel
