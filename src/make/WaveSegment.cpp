#include "WaveSegment.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "Binedit.h"
#include "CdTime.h"

namespace varnel {

namespace {

static_assert(sizeof(off_t) == 8, "file offsets are 64-bit");

std::atomic<bool> gKernelCopy{true};

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
  throw TMakeIoError(what + " \"" + path + "\": " + std::strerror(err));
}

void PutLe32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Sample frames before the first one with a non-zero byte, among the `frames` at `p`.
size_t SilentFramesFromFront(const unsigned char* p, size_t frames) {
  const size_t bytes = frames * kBytesPerSample;
  size_t i = 0;
  for (; i + 8 <= bytes; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if (word != 0) break;
  }
  while (i < bytes && p[i] == 0) ++i;
  return i / kBytesPerSample;
}

// Sample frames after the last one with a non-zero byte, among the `frames` at `p`.
size_t SilentFramesFromBack(const unsigned char* p, size_t frames) {
  size_t i = frames * kBytesPerSample;
  for (; i >= 8; i -= 8) {
    uint64_t word;
    std::memcpy(&word, p + i - 8, sizeof word);
    if (word != 0) break;
  }
  while (i > 0 && p[i - 1] == 0) --i;
  return frames - (i + kBytesPerSample - 1) / kBytesPerSample;
}

// Byte position of sample frame `pos` in a file whose sample data starts at `dataOffset`.
// Positions come from 32-bit fields, so this never nears the int64 limits.
int64_t ByteOf(int32_t dataOffset, int64_t pos) {
  return static_cast<int64_t>(dataOffset) + kBytesPerSample * pos;
}

}  // namespace

// ---- TSourceFile ----------------------------------------------------------------------

TSourceFile::TSourceFile(const std::string& path) : Path_(path) {
  Fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd_ < 0) Fail("cannot open", path, errno);
  struct stat st {};
  if (::fstat(Fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(Fd_);
    Fd_ = -1;
    Fail("cannot read", path, err);
  }
}

TSourceFile::~TSourceFile() {
  if (Fd_ >= 0) ::close(Fd_);
}

size_t TSourceFile::ReadAt(int64_t offset, void* buffer, size_t size) const {
  if (offset < 0) return 0;
  auto* p = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n =
        ::pread(Fd_, p + done, size - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot read", Path_, errno);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

int64_t TSourceFile::Size() const {
  struct stat st {};
  if (::fstat(Fd_, &st) != 0) Fail("cannot read the size of", Path_, errno);
  return static_cast<int64_t>(st.st_size);
}

// ---- TOutputFile ----------------------------------------------------------------------

TOutputFile::TOutputFile(const std::string& path) : Path_(path) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) Fail("cannot create the folder of", path, ec.value());
  }
  Fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (Fd_ < 0) Fail("cannot create", path, errno);
}

TOutputFile::TOutputFile(TOutputFile&& other) noexcept
    : Path_(std::move(other.Path_)), Fd_(other.Fd_) {
  other.Fd_ = -1;
}

TOutputFile::~TOutputFile() {
  if (Fd_ >= 0) ::close(Fd_);
}

void TOutputFile::Write(const void* data, size_t size) {
  if (Fd_ < 0) Fail("cannot write", Path_, EBADF);
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(Fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", Path_, errno);
    }
    if (n == 0) Fail("cannot write", Path_, EIO);
    p += n;
    size -= static_cast<size_t>(n);
  }
}

void TOutputFile::WriteAt(int64_t offset, const void* data, size_t size) {
  if (Fd_ < 0) Fail("cannot write", Path_, EBADF);
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(Fd_, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", Path_, errno);
    }
    if (n == 0) Fail("cannot write", Path_, EIO);
    p += n;
    offset += n;
    size -= static_cast<size_t>(n);
  }
}

int64_t TOutputFile::Size() const {
  struct stat st {};
  if (Fd_ < 0 || ::fstat(Fd_, &st) != 0) Fail("cannot read the size of", Path_, errno);
  return static_cast<int64_t>(st.st_size);
}

void TOutputFile::Close() {
  if (Fd_ < 0) return;
  const int fd = Fd_;
  Fd_ = -1;
  // Some file systems report a full disk only here.
  if (::close(fd) != 0 && errno != EINTR) Fail("cannot write", Path_, errno);
}

// ---- guards and scans -----------------------------------------------------------------

void GuardAgainstSources(const std::string& outputPath,
                         std::initializer_list<const TSourceFile*> sources) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(outputPath, ec)) return;
  for (const TSourceFile* source : sources) {
    if (source == nullptr) continue;
    ec.clear();
    const bool same = fs::equivalent(outputPath, source->Path(), ec);
    if (same || ec) {
      // An error here means one of the two could not be examined: refuse rather than risk
      // truncating a source.
      throw TMakeIoError("\"" + outputPath + "\" is the same file as the source \"" +
                         source->Path() + "\"");
    }
  }
}

int64_t CountLeadingSilence(const TSourceFile& source, int32_t dataOffset, int64_t first,
                            int64_t end) {
  if (end <= first) return 0;
  const int64_t length = end - first;
  unsigned char block[kSilenceBlockBytes];
  int64_t offset = ByteOf(dataOffset, first);
  int64_t count = 0;
  while (count < length) {
    const size_t got = source.ReadAt(offset, block, sizeof block);
    const size_t frames = got / kBytesPerSample;
    const size_t silent = SilentFramesFromFront(block, frames);
    count += static_cast<int64_t>(silent);
    if (count >= length) return length;
    if (silent < frames) return count;  // a sound frame ends the scan
    if (got < sizeof block) break;
    offset += static_cast<int64_t>(got);
  }
  return count;
}

int64_t CountTrailingSilence(const TSourceFile& source, int32_t dataOffset, int64_t first,
                             int64_t end) {
  if (end <= first) return 0;
  const int64_t length = end - first;
  const int64_t firstByte = ByteOf(dataOffset, first);
  unsigned char block[kSilenceBlockBytes];
  int64_t position = ByteOf(dataOffset, end);
  int64_t count = 0;
  while (position > firstByte && count < length) {
    const int64_t blockStart = std::max(position - kSilenceBlockBytes, firstByte);
    const auto want = static_cast<size_t>(position - blockStart);
    const size_t got = source.ReadAt(blockStart, block, want);
    if (got < want) break;  // the file ends before the region does
    const size_t frames = want / kBytesPerSample;
    const size_t silent = SilentFramesFromBack(block, frames);
    count += static_cast<int64_t>(silent);
    if (count >= length) return length;
    if (silent < frames) return count;
    position = blockStart;
  }
  return count;
}

int32_t FramePadding(int64_t segmentBytes) {
  const int64_t rest = ((segmentBytes % kBytesPerCdFrame) + kBytesPerCdFrame) % kBytesPerCdFrame;
  return static_cast<int32_t>((kBytesPerCdFrame - rest) % kBytesPerCdFrame);
}

// ---- the new file ---------------------------------------------------------------------

TOutputFile CreateEditedWave(const std::string& path, const WaveDataInfo& info,
                             std::initializer_list<const TSourceFile*> sources) {
  GuardAgainstSources(path, sources);
  TOutputFile out(path);
  unsigned char header[44];
  BuildWaveHeader(info, header);
  out.Write(header, sizeof header);
  return out;
}

void AppendZeros(TOutputFile& out, int64_t count) {
  static const unsigned char kZeroBlock[kBytesPerCdFrame] = {};
  while (count > 0) {
    const auto chunk = static_cast<size_t>(std::min<int64_t>(count, kBytesPerCdFrame));
    out.Write(kZeroBlock, chunk);
    count -= static_cast<int64_t>(chunk);
  }
}

void AppendSegment(TOutputFile& out, const TSourceFile& source, int64_t start, int64_t length) {
  if (start < 0 || length < 0) {
    throw TMakeIoError("invalid region of \"" + source.Path() + "\"");
  }
  if (out.Fd_ < 0) Fail("cannot write", out.Path_, EBADF);
  int64_t in = start;
  int64_t left = length;
  if (gKernelCopy.load(std::memory_order_relaxed)) {
    while (left > 0) {
      off_t inOffset = in;
      const auto chunk = static_cast<size_t>(std::min<int64_t>(left, int64_t{1} << 30));
      const ssize_t n = ::copy_file_range(source.Fd(), &inOffset, out.Fd_, nullptr, chunk, 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
            errno == EPERM || errno == ETXTBSY) {
          break;  // the kernel cannot copy between these two: use the buffer
        }
        Fail("cannot copy into", out.Path_, errno);
      }
      if (n == 0) Fail("unexpected end of", source.Path(), EIO);
      in += n;
      left -= n;
    }
  }
  if (left == 0) return;
  std::vector<unsigned char> buffer(static_cast<size_t>(std::min<int64_t>(left, kCopyBufferBytes)));
  while (left > 0) {
    const auto want = static_cast<size_t>(std::min<int64_t>(left, kCopyBufferBytes));
    const size_t got = source.ReadAt(in, buffer.data(), want);
    if (got == 0) Fail("unexpected end of", source.Path(), EIO);
    out.Write(buffer.data(), got);
    in += static_cast<int64_t>(got);
    left -= static_cast<int64_t>(got);
  }
}

void FinishEditedWave(TOutputFile& out) {
  const int64_t size = out.Size();
  if (size < 44 || size - 8 > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) {
    Fail("too large for a wave file:", out.Path(), EFBIG);
  }
  unsigned char field[4];
  PutLe32(field, static_cast<uint32_t>(size - 8));
  out.WriteAt(4, field, sizeof field);
  PutLe32(field, static_cast<uint32_t>(size - 44));
  out.WriteAt(40, field, sizeof field);
  out.Close();
}

void SetKernelCopyEnabled(bool enabled) {
  gKernelCopy.store(enabled);
}

}  // namespace varnel
