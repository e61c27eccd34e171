#include "formats/audio/SourceFingerprint.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr int64_t kEndBytes = 64 * 1024;

}  // namespace

uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= p[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

SourceFingerprint FingerprintSource(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    throw FileError("cannot open", path, ENOENT);
  }
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), std::free);
  if (!real) throw FileError("cannot open", path, errno);

  SourceFingerprint fp;
  fp.RealPath = real.get();
  const PosixFile file = PosixFile::OpenForReading(fp.RealPath);
  struct stat st {};
  if (::fstat(file.Fd(), &st) != 0) throw FileError("cannot open", path, errno);
  fp.Size = static_cast<int64_t>(st.st_size);
  fp.MtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  fp.Device = static_cast<uint64_t>(st.st_dev);
  fp.Inode = static_cast<uint64_t>(st.st_ino);

  uint64_t hash = Fnv1a64(&fp.Size, sizeof fp.Size);
  std::vector<unsigned char> block(static_cast<size_t>(kEndBytes));
  const size_t head = file.ReadAt(0, block.data(), block.size());
  hash = Fnv1a64(block.data(), head, hash);
  if (fp.Size > kEndBytes) {
    const int64_t tailStart = std::max(kEndBytes, fp.Size - kEndBytes);
    const size_t tail = file.ReadAt(tailStart, block.data(), block.size());
    hash = Fnv1a64(block.data(), tail, hash);
  }
  fp.ContentHash = hash;
  return fp;
}

}  // namespace varnel
