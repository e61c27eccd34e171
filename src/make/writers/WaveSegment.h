// The shared mechanics of the wave track writers: counting digital silence at the ends of
// a region, the padding that fills a segment out to whole CD frames, and creating,
// filling and finishing a new wave file behind a fresh 44-byte header.
//
// Every failure to open, read or write a file throws (MakeIoError, or FileError from the
// file itself), with the system's reason and the path; whoever called turns it into the
// could-not-create message. Files are closed by their owners' destructors on every path.
// Memory use does not depend on the sizes involved: scans go through the one silence
// scanner (SilenceScan.h) and its bounded blocks, copies go kernel-side (copy_file_range) or
// through a buffer of at most kSegmentBufferBytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "make/MadeFile.h"
#include "make/MakeJob.h"
#include "make/writers/SourceFile.h"
#include "model/PosixFile.h"
#include "model/SilenceScan.h"
#include "model/Track.h"

namespace varnel {

inline constexpr int32_t kCopyBufferBytes = 61440;
// The buffer of a segment copy that does not go kernel-side.
inline constexpr int32_t kSegmentBufferBytes = 512 * 1024;

// Silent sample frames (all four bytes zero) of the region [first, end) of a source whose
// sample data starts at byte `dataOffset`, counted from `first` forwards up to the first
// non-silent one, or from `end` backwards down to the last non-silent one. The count
// never exceeds the region's length; an empty or inverted region counts 0; a read that
// comes up short (end of file) ends the scan, a read error throws FileError. Bytes before
// the sample data count as well when the region starts before it (a negative `first`); a
// trailing scan then steps back from `end` in blocks of 735 sample frames and stops at the
// last block that starts at or after byte 0.
int64_t CountLeadingSilence(const SourceFile& source, int32_t dataOffset, int64_t first,
                            int64_t end);
int64_t CountTrailingSilence(const SourceFile& source, int32_t dataOffset, int64_t first,
                             int64_t end);

// Zero bytes that fill a segment of `segmentBytes` out to whole CD frames: 0 for an exact
// multiple of 2352, else 2352 − remainder.
int32_t FramePadding(int64_t segmentBytes);

// Writes the 44-byte header for the format of `info` (sizes 36 and 0 until
// FinishEditedWave) into the new, empty file `out`.
void CreateEditedWave(PosixFile& out, const WaveDataInfo& info);

// Appends `count` zero bytes, in writes of at most one CD frame.
void AppendZeros(PosixFile& out, int64_t count);

// Appends exactly `length` bytes of `source` from byte `start`. A source that ends
// before, a negative start or length, or a failing write throws.
void AppendSegment(PosixFile& out, const SourceFile& source, int64_t start, int64_t length);

// Writes the RIFF size (file size − 8) at byte 4 and the data size (file size − 44) at
// byte 40, then closes the file. A file too large for a wave header throws.
void FinishEditedWave(PosixFile& out);

// Writes `made` into the new, empty file `out` (header, pieces, sizes; the decoded audio;
// the swapped sectors) and closes it. `poll`, when given, is called between blocks of
// decoding and may throw to stop it. An MP3 that cannot be decoded throws MakeIoError
// naming it.
void WriteMadeFile(const MadeFile& made, PosixFile& out, const std::function<void()>& poll = {});

// Whether AppendSegment may use copy_file_range (it uses the buffer by itself where the
// kernel refuses, and where source and new file do not line up on a page); tests switch it
// off to exercise the buffered copy.
void SetKernelCopyEnabled(bool enabled);

}  // namespace varnel
