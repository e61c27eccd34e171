// The shared mechanics of the wave track writers: counting digital silence at the ends of
// a region, the padding that fills a segment out to whole CD frames, and creating,
// filling and finishing a new wave file behind a fresh 44-byte header.
//
// Every failure to open, read, create or write a file throws TMakeIoError; the track
// writer that called turns it into its could-not-create message. Files are closed by
// their owners' destructors on every path. Memory use does not depend on the sizes
// involved: scans read blocks of 2940 bytes, copies go kernel-side (copy_file_range) or
// through a buffer of at most 61440 bytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "MakeRun.h"
#include "Trackinfo.h"

namespace varnel {

inline constexpr int32_t kSilenceBlockBytes = 2940;  // 735 sample frames, 1/60 s
inline constexpr int32_t kCopyBufferBytes = 61440;

// A file opened for reading for as long as a track writer works on it.
class TSourceFile {
 public:
  // Opens `path` for reading; throws TMakeIoError when it cannot.
  explicit TSourceFile(const std::string& path);
  ~TSourceFile();
  TSourceFile(const TSourceFile&) = delete;
  TSourceFile& operator=(const TSourceFile&) = delete;

  const std::string& Path() const { return Path_; }
  int Fd() const { return Fd_; }
  // Reads up to `size` bytes at byte `offset`; fewer only at the end of the file (0 past
  // it or for a negative offset). Throws TMakeIoError on a read error.
  size_t ReadAt(int64_t offset, void* buffer, size_t size) const;
  // The file's size in bytes now.
  int64_t Size() const;

 private:
  std::string Path_;
  int Fd_ = -1;
};

// A produced file, created anew and written from its start. Closed by Close (which
// reports a failing close) or, silently, by the destructor.
class TOutputFile {
 public:
  // Creates the folder of `path` with missing parents, then the file, replacing any file
  // of that name. Throws TMakeIoError when either cannot be created.
  explicit TOutputFile(const std::string& path);
  ~TOutputFile();
  TOutputFile(TOutputFile&& other) noexcept;
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;
  TOutputFile& operator=(TOutputFile&&) = delete;

  const std::string& Path() const { return Path_; }
  // Appends `size` bytes; throws TMakeIoError unless all were written (full disk…).
  void Write(const void* data, size_t size);
  // Writes at a byte offset without moving the append position.
  void WriteAt(int64_t offset, const void* data, size_t size);
  int64_t Size() const;
  void Close();

 private:
  friend void AppendSegment(TOutputFile&, const TSourceFile&, int64_t, int64_t);
  std::string Path_;
  int Fd_ = -1;
};

// Fails (TMakeIoError) when a file already at `outputPath` is the same file as one of
// `sources`: a produced file must never replace a file it is made from.
void GuardAgainstSources(const std::string& outputPath,
                         std::initializer_list<const TSourceFile*> sources);

// Silent sample frames (all four bytes zero) of the region [first, end) of a source whose
// sample data starts at byte `dataOffset`, counted from `first` forwards up to the first
// non-silent one, or from `end` backwards down to the last non-silent one. The count
// never exceeds the region's length; an empty or inverted region counts 0; a read that
// comes up short (end of file) ends the scan.
int64_t CountLeadingSilence(const TSourceFile& source, int32_t dataOffset, int64_t first,
                            int64_t end);
int64_t CountTrailingSilence(const TSourceFile& source, int32_t dataOffset, int64_t first,
                             int64_t end);

// Zero bytes that fill a segment of `segmentBytes` out to whole CD frames: 0 for an exact
// multiple of 2352, else 2352 − remainder.
int32_t FramePadding(int64_t segmentBytes);

// Creates the new wave file of a track at `path` with the 44-byte header for the format
// of `info` (sizes 36 and 0 until FinishEditedWave) and leaves it open for appending.
// Refuses (TMakeIoError) before anything is created when the path is one of `sources`.
TOutputFile CreateEditedWave(const std::string& path, const WaveDataInfo& info,
                             std::initializer_list<const TSourceFile*> sources);

// Appends `count` zero bytes, in writes of at most one CD frame.
void AppendZeros(TOutputFile& out, int64_t count);

// Appends exactly `length` bytes of `source` from byte `start`. A source that ends
// before, a negative start or length, or a failing write throws TMakeIoError.
void AppendSegment(TOutputFile& out, const TSourceFile& source, int64_t start, int64_t length);

// Writes the RIFF size (file size − 8) at byte 4 and the data size (file size − 44) at
// byte 40, then closes the file. A file too large for a wave header throws.
void FinishEditedWave(TOutputFile& out);

// Whether AppendSegment may use copy_file_range (it falls back to the buffer by itself
// where the kernel refuses); tests switch it off to exercise the buffered copy.
void SetKernelCopyEnabled(bool enabled);

}  // namespace varnel
