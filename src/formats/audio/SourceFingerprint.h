// What identifies one version of a source file for the decode cache: its resolved path,
// size, modification time, file identity and a hash of its content, gathered in well under a
// millisecond per file.
//
// The content hash does not read the whole file: a warm cache must answer for a 15-track
// album (hundreds of megabytes) in milliseconds, and reading everything would cost nearly
// what decoding does. It is FNV-1a (64 bits) over the size and the first and last 64 KiB.
//  - A FLAC file's head holds its STREAMINFO block, whose MD5 signature covers every decoded
//    sample; encoders fill it in, so for FLAC the hash follows the audio itself.
//  - An Ogg file's tail holds its last page: the final granule position (the length) and a
//    CRC over that page; its head holds the stream serial number, new for each encode.
//  - The modification time (in nanoseconds) and the inode catch every ordinary edit and
//    every replacement by rename. What remains unseen is a change inside the middle of an
//    AIFF or MP3 file that keeps its size, both ends, inode and nanosecond mtime, which no
//    editor does without deliberately restoring the time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnel {

struct SourceFingerprint {
  std::string RealPath;  // symbolic links and "." / ".." resolved
  int64_t Size = 0;
  int64_t MtimeNs = 0;
  uint64_t Device = 0;
  uint64_t Inode = 0;
  uint64_t ContentHash = 0;
  friend bool operator==(const SourceFingerprint&, const SourceFingerprint&) = default;
};

// Throws FileError when the file is missing, is not a regular file or cannot be read.
SourceFingerprint FingerprintSource(const std::string& path);

// FNV-1a, 64 bits, continuing from `hash`.
uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull);

}  // namespace varnel
