#include "model/PosixFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace varnel {

namespace {

// A path the kernel would cut at its first NUL names another file: refuse it.
void CheckPath(const std::string& action, const std::string& path) {
  if (path.empty()) throw FileError(action, path, ENOENT);
  if (path.find('\0') != std::string::npos) throw FileError(action, path, EINVAL);
}

}  // namespace

std::string ErrnoText(int err) {
  return std::strerror(err);
}

uint64_t RandomBits() {
  uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) == sizeof bits) return bits;
  static std::atomic<uint64_t> counter{0};
  const auto now =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return (now * 0x9e3779b97f4a7c15ULL) ^ (static_cast<uint64_t>(::getpid()) << 32) ^
         counter.fetch_add(0x632be59bd9b4e019ULL);
}

FileError::FileError(const std::string& action, const std::string& path, int err)
    : std::runtime_error(action + " \"" + path + "\": " + ErrnoText(err)),
      Errno_(err),
      Path_(path) {}

// ---- PosixFile ---------------------------------------------------------------------------

PosixFile::~PosixFile() {
  if (Fd_ >= 0) ::close(Fd_);
}

PosixFile::PosixFile(PosixFile&& other) noexcept
    : Fd_(std::exchange(other.Fd_, -1)), Path_(std::move(other.Path_)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
  if (this != &other) {
    if (Fd_ >= 0) ::close(Fd_);
    Fd_ = std::exchange(other.Fd_, -1);
    Path_ = std::move(other.Path_);
  }
  return *this;
}

PosixFile PosixFile::OpenForReading(const std::string& path) {
  CheckPath("cannot open", path);
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileError("cannot open", path, errno);
  PosixFile file(fd, path);
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw FileError("cannot open", path, errno);
  if (S_ISDIR(st.st_mode)) throw FileError("cannot open", path, EISDIR);
  if (!S_ISREG(st.st_mode)) throw FileError("cannot open", path, EINVAL);
  return file;
}

PosixFile PosixFile::CreateExclusive(const std::string& path, mode_t mode) {
  CheckPath("cannot create", path);
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileError("cannot create", path, errno);
  return PosixFile(fd, path);
}

PosixFile PosixFile::CreateOrTruncate(const std::string& path, mode_t mode) {
  CheckPath("cannot create", path);
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileError("cannot create", path, errno);
  return PosixFile(fd, path);
}

void PosixFile::Check() const {
  if (Fd_ < 0) throw FileError("not open:", Path_, EBADF);
}

size_t PosixFile::ReadAt(int64_t offset, void* buffer, size_t size) const {
  Check();
  if (offset < 0) throw FileError("cannot read", Path_, EINVAL);
  auto* p = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n =
        ::pread(Fd_, p + done, size - done, static_cast<off_t>(offset + int64_t(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError("cannot read", Path_, errno);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t PosixFile::ReadCachedAt(int64_t offset, void* buffer, size_t size) const noexcept {
  if (Fd_ < 0 || offset < 0) return 0;
  iovec part{buffer, size};
  ssize_t n;
  do {
    n = ::preadv2(Fd_, &part, 1, static_cast<off_t>(offset), RWF_NOWAIT);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

void PosixFile::WriteAll(const void* data, size_t size) {
  Check();
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(Fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError("cannot write", Path_, errno);
    }
    if (n == 0) throw FileError("cannot write", Path_, EIO);
    p += n;
    size -= static_cast<size_t>(n);
  }
}

void PosixFile::WriteAllAt(int64_t offset, const void* data, size_t size) {
  Check();
  if (offset < 0) throw FileError("cannot write", Path_, EINVAL);
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(Fd_, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError("cannot write", Path_, errno);
    }
    if (n == 0) throw FileError("cannot write", Path_, EIO);
    p += n;
    offset += n;
    size -= static_cast<size_t>(n);
  }
}

int64_t PosixFile::Size() const {
  return static_cast<int64_t>(Status().st_size);
}

struct stat PosixFile::Status() const {
  Check();
  struct stat st {};
  if (::fstat(Fd_, &st) != 0) throw FileError("cannot read the size of", Path_, errno);
  return st;
}

void PosixFile::Sync() {
  Check();
  if (::fsync(Fd_) != 0 && errno != EINVAL && errno != EROFS) {
    throw FileError("cannot write", Path_, errno);
  }
}

void PosixFile::Close() {
  if (Fd_ < 0) return;
  const int fd = std::exchange(Fd_, -1);
  // After close(2) fails the descriptor is gone all the same: never close it twice.
  if (::close(fd) != 0 && errno != EINTR) throw FileError("cannot write", Path_, errno);
}

std::string ReadWholeFile(const std::string& path, int64_t maxBytes) {
  PosixFile file = PosixFile::OpenForReading(path);
  const int64_t size = file.Size();
  if (size > maxBytes) throw FileError("too large to read", path, EFBIG);
  std::string text(static_cast<size_t>(size), '\0');
  size_t got = file.ReadAt(0, text.data(), text.size());
  text.resize(got);
  // A file that grew since fstat: take what is there, up to the cap.
  char more[4096];
  while (true) {
    const size_t n = file.ReadAt(static_cast<int64_t>(text.size()), more, sizeof more);
    if (n == 0) break;
    if (static_cast<int64_t>(text.size() + n) > maxBytes) {
      throw FileError("too large to read", path, EFBIG);
    }
    text.append(more, n);
  }
  return text;
}

}  // namespace varnel
