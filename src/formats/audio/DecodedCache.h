// The decode cache: every FLAC, AIFF, Ogg Vorbis, Opus or MP3 source used as a track is
// decoded once into a canonical wave file (44-byte header, 44 100 Hz, 16-bit stereo, not
// padded), kept in a folder and reused while the source is unchanged.
//
// An entry is named for the source's resolved path and its fingerprint (size, modification
// time, inode and content hash, see SourceFingerprint.h), so a changed source simply has no
// entry yet. Entries appear only whole: a decode writes a temporary file in the cache folder,
// flushes it to the device, and renames it to the entry's name. A killed decode leaves at
// most a temporary file, which no lookup takes and a later decode removes once it is a day
// old. Any number of processes may decode at once: decodes of one file give identical bytes,
// and the last rename wins. After a successful decode, the entries of older versions of the
// same source are removed.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "formats/audio/AudioDecoder.h"
#include "model/Track.h"

namespace varnel {

struct DecodedEntry {
  std::string Path;  // the canonical wave file in the cache folder
  SourceKind Kind = SourceKind::Flac;
  WaveDataInfo Info;  // DataOffset 44, DataSize, 2 channels, 16 bits, 44 100 Hz
};

class DecodedCache {
 public:
  explicit DecodedCache(std::string folder) : Folder_(std::move(folder)) {}

  // $XDG_CACHE_HOME/varnel/decoded when XDG_CACHE_HOME is set to an absolute path, else
  // $HOME/.cache/varnel/decoded (the home folder from the password database without HOME).
  static std::string DefaultFolder();

  const std::string& Folder() const { return Folder_; }

  // The entry for the source as it is now, when one exists and is a complete canonical wave
  // file; nothing otherwise (no entry, an entry of an older version, a damaged entry, a name
  // of no decodable kind). Reads only the source's two ends and the entry's header. Throws
  // FileError when the source itself is missing or unreadable.
  std::optional<DecodedEntry> Lookup(const std::string& source) const;

  // The entry for the source, decoded now when Lookup finds none (creating the folder when
  // needed). Throws FileError (source or cache folder), DecodeError (the source cannot
  // be decoded, or changed while it was being decoded) and DecodeCanceled; no entry is
  // left behind by any of them.
  DecodedEntry Decode(const std::string& source, const DecodeProgress& progress = nullptr,
                      const std::atomic<bool>* cancel = nullptr);

 private:
  std::string Folder_;
};

}  // namespace varnel
