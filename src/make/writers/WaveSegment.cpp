#include "make/writers/WaveSegment.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/audio/AudioDecoder.h"
#include "formats/audio/WaveHeader.h"
#include "formats/cdtext/CdrdaoTocText.h"
#include "model/CdTime.h"
#include "model/LittleEndian.h"

namespace varnel {

namespace {

static_assert(sizeof(off_t) == 8, "file offsets are 64-bit");

std::atomic<bool> gKernelCopy{true};

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
  throw MakeIoError(what + " \"" + path + "\": " + std::strerror(err));
}

// A source that ends before the stretch the layout takes from it (it shrank since it was
// added, or its header claims more data than it holds).
[[noreturn]] void ShortSource(const SourceFile& source) {
  throw MakeIoError("\"" + source.Path() + "\" ends before the audio the layout takes from it");
}

// The steps of a trailing scan whose region starts before byte 0: 735 sample frames.
constexpr int64_t kTrailingStepBytes = 2940;

// Byte position of sample frame `pos` in a file whose sample data starts at `dataOffset`.
// Positions come from 32-bit fields, so this never nears the int64 limits.
int64_t ByteOf(int32_t dataOffset, int64_t pos) {
  return static_cast<int64_t>(dataOffset) + kBytesPerSample * pos;
}

}  // namespace

// ---- scans ----------------------------------------------------------------------------

int64_t CountLeadingSilence(const SourceFile& source, int32_t dataOffset, int64_t first,
                            int64_t end) {
  const int64_t start = ByteOf(dataOffset, first);
  if (end <= first || start < 0) return 0;
  return ScanSilenceForwards(source.File(), start, end - first, ReadErrors::Throw);
}

int64_t CountTrailingSilence(const SourceFile& source, int32_t dataOffset, int64_t first,
                             int64_t end) {
  const int64_t top = ByteOf(dataOffset, end);
  int64_t bottom = ByteOf(dataOffset, first);
  if (end <= first || top <= 0) return 0;
  if (bottom < 0) bottom = top % kTrailingStepBytes;
  const int64_t count = ScanSilenceBackwards(source.File(), bottom, top, ReadErrors::Throw);
  return std::min(count, end - first);
}

int32_t FramePadding(int64_t segmentBytes) {
  const int64_t rest = ((segmentBytes % kBytesPerCdFrame) + kBytesPerCdFrame) % kBytesPerCdFrame;
  return static_cast<int32_t>((kBytesPerCdFrame - rest) % kBytesPerCdFrame);
}

// ---- the new file ---------------------------------------------------------------------

void CreateEditedWave(PosixFile& out, const WaveDataInfo& info) {
  unsigned char header[44];
  BuildWaveHeader(info, header);
  out.WriteAll(header, sizeof header);
}

void AppendZeros(PosixFile& out, int64_t count) {
  static const unsigned char kZeroBlock[kBytesPerCdFrame] = {};
  while (count > 0) {
    const auto chunk = static_cast<size_t>(std::min<int64_t>(count, kBytesPerCdFrame));
    out.WriteAll(kZeroBlock, chunk);
    count -= static_cast<int64_t>(chunk);
  }
}

void AppendSegment(PosixFile& out, const SourceFile& source, int64_t start, int64_t length) {
  if (start < 0 || length < 0) {
    throw MakeIoError("invalid region of \"" + source.Path() + "\"");
  }
  if (!out.IsOpen()) Fail("cannot write", out.Path(), EBADF);
  int64_t in = start;
  int64_t left = length;
  // copy_file_range hands whole pages of the page cache over where the source's bytes and
  // their place in the new file sit at the same offset within a page; where they do not,
  // it splits every page in two and costs half as much again as a large buffer.
  const off_t at = ::lseek(out.Fd(), 0, SEEK_CUR);
  constexpr int64_t kPageBytes = 4096;
  const bool inStep = at >= 0 && (in - at) % kPageBytes == 0;
  if (inStep && gKernelCopy.load(std::memory_order_relaxed)) {
    while (left > 0) {
      off_t inOffset = in;
      const auto chunk = static_cast<size_t>(std::min<int64_t>(left, int64_t{1} << 30));
      const ssize_t n = ::copy_file_range(source.Fd(), &inOffset, out.Fd(), nullptr, chunk, 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
            errno == EPERM || errno == ETXTBSY) {
          break;  // the kernel cannot copy between these two: use the buffer
        }
        Fail("cannot write", out.Path(), errno);
      }
      if (n == 0) ShortSource(source);
      in += n;
      left -= n;
    }
  }
  if (left == 0) return;
  std::vector<unsigned char> buffer(
      static_cast<size_t>(std::min<int64_t>(left, kSegmentBufferBytes)));
  while (left > 0) {
    const auto want = static_cast<size_t>(std::min<int64_t>(left, kSegmentBufferBytes));
    const size_t got = source.ReadAt(in, buffer.data(), want);
    if (got == 0) ShortSource(source);
    out.WriteAll(buffer.data(), got);
    in += static_cast<int64_t>(got);
    left -= static_cast<int64_t>(got);
  }
}

void FinishEditedWave(PosixFile& out) {
  const int64_t size = out.Size();
  if (size < 44 || size - 8 > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) {
    Fail("too large for a wave file:", out.Path(), EFBIG);
  }
  unsigned char field[4];
  PutLe32(field, static_cast<uint32_t>(size - 8));
  out.WriteAllAt(4, field, sizeof field);
  PutLe32(field, static_cast<uint32_t>(size - 44));
  out.WriteAllAt(40, field, sizeof field);
  out.Close();
}

namespace {

// The stretch as whole CD+G sectors, each sector's audio bytes swapped pairwise.
void AppendSwappedCdg(PosixFile& out, const SourceFile& source, int64_t start, int64_t length) {
  constexpr int64_t kBlock = int64_t{kCopyBufferBytes / kCdgSectorBytes} * kCdgSectorBytes;
  if (start < 0 || length < 0 || length % kCdgSectorBytes != 0) {
    throw MakeIoError("invalid region of \"" + source.Path() + "\"");
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(length, kBlock)));
  for (int64_t done = 0; done < length;) {
    const auto want = static_cast<size_t>(std::min(length - done, kBlock));
    if (source.ReadAt(start + done, buffer.data(), want) != want) ShortSource(source);
    SwapCdgAudioBytes(buffer.data(), want / kCdgSectorBytes);
    out.WriteAll(buffer.data(), want);
    done += static_cast<int64_t>(want);
  }
}

void WriteDecodedWave(const MadeFile& made, PosixFile& out, const std::function<void()>& poll) {
  DecodeOptions options;
  options.PadToCdFrames = true;
  try {
    DecodeToWaveFile(made.Decoded, out, options, [&poll](double) {
      if (poll) poll();
    });
  } catch (const DecodeError& error) {
    throw MakeIoError("\"" + made.Decoded + "\" cannot be decoded: " + error.what());
  }
}

}  // namespace

void WriteMadeFile(const MadeFile& made, PosixFile& out, const std::function<void()>& poll) {
  if (made.Kind == MadeKind::DecodedWave) {
    WriteDecodedWave(made, out, poll);
    out.Close();
    return;
  }
  const bool header = made.Kind == MadeKind::Pieces && made.WaveHeader;
  if (header) CreateEditedWave(out, made.Format);
  for (const MadeFile::Piece& piece : made.Pieces) {
    if (!piece.Source) {
      AppendZeros(out, piece.Length);
    } else if (made.Kind == MadeKind::SwappedCdg) {
      AppendSwappedCdg(out, *piece.Source, piece.Start, piece.Length);
    } else {
      AppendSegment(out, *piece.Source, piece.Start, piece.Length);
    }
  }
  if (header) {
    FinishEditedWave(out);
  } else {
    out.Close();
  }
}

void SetKernelCopyEnabled(bool enabled) {
  gKernelCopy.store(enabled);
}

}  // namespace varnel
