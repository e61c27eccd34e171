// The decode cache: every FLAC, AIFF, Ogg Vorbis, Opus or MP3 source used as a track (and
// every wave or MP3 file converted to CD audio) is decoded once into a canonical wave file
// (44-byte header, 44 100 Hz, 16-bit stereo, not padded), kept in a folder and reused while
// the source is unchanged. The kind is the file name's (DecodableKindFromPath).
//
// An entry is named for the source's resolved path and its fingerprint (size, modification
// time, inode and content hash, see SourceFingerprint.h), so a changed source simply has no
// entry yet. Entries appear only whole: a decode writes a temporary file in the cache folder,
// flushes it to the device, and renames it to the entry's name. A killed decode leaves at
// most a temporary file, which no lookup takes and a later decode removes once it is a day
// old. Any number of processes may decode at once: decodes of one file give identical bytes,
// and the last rename wins. After a successful decode, the entries of older versions of the
// same source are removed.
//
// The cache is bounded by its callers: Trim removes the least recently used entries (by their
// last use, the access time that Lookup and Touch set) until the cache fits a limit, never one
// the caller names as in use. Beside each entry a small "<entry>.src" file holds the source's
// path, for listing. An entry that cannot be written whole because the folder's file system
// is full (or a quota or file size limit is reached) fails with CacheFullError, naming the
// folder, and leaves nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/audio/AudioDecoder.h"
#include "model/Track.h"

namespace varnel {

struct DecodedEntry {
  std::string Path;  // the canonical wave file in the cache folder
  SourceKind Kind = SourceKind::Flac;
  WaveDataInfo Info;  // DataOffset 44, DataSize, 2 channels, 16 bits, 44 100 Hz
};

// No room in the cache folder. what(): "there is no room for its decoded copy in \"FOLDER\"
// (No space left on device)", which reads well after "cannot be decoded: ".
class CacheFullError : public DecodeError {
 public:
  using DecodeError::DecodeError;
};

// One entry as a listing shows it.
struct CacheEntryInfo {
  std::string Path;       // the entry's wave file
  int64_t Bytes = 0;      // the entry's size with its source file
  int64_t LastUseNs = 0;  // nanoseconds since the epoch
  std::string Source;     // the source's path, empty when unknown
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
  // of no decodable kind). Reads only the source's two ends and the entry's header, and
  // marks the entry as used now. Throws FileError when the source itself is missing or
  // unreadable.
  std::optional<DecodedEntry> Lookup(const std::string& source) const;

  // Marks the entry at `entryPath` as used now (its access time); nothing when it is gone.
  static void Touch(const std::string& entryPath);

  // Every entry, least recently used first.
  std::vector<CacheEntryInfo> Entries() const;
  // The bytes of every entry, with their source files.
  int64_t SizeBytes() const;
  // Removes the least recently used entries until the cache holds at most `limitBytes`,
  // skipping those whose path is in `inUse` and those last used at or after `keepSinceNs`
  // (nanoseconds since the epoch: an entry another thread has just put in place); also
  // removes source files left without an entry. Returns the bytes removed. Failures are
  // ignored (another process may be removing the same files).
  int64_t Trim(int64_t limitBytes, const std::set<std::string>& inUse = {},
               int64_t keepSinceNs = INT64_MAX);
  // Removes every entry not in `inUse`, and temporary files a killed decode left.
  void Clear(const std::set<std::string>& inUse = {});

  // The entry for the source, decoded now when Lookup finds none (creating the folder when
  // needed). Throws FileError (source or cache folder), DecodeError (the source cannot
  // be decoded, or changed while it was being decoded), CacheFullError and DecodeCanceled;
  // no entry is left behind by any of them.
  DecodedEntry Decode(const std::string& source, const DecodeProgress& progress = nullptr,
                      const std::atomic<bool>* cancel = nullptr);

 private:
  std::string Folder_;
};

}  // namespace varnel
