// Plain POSIX file handling shared by every reader and writer of the system.
//
// PosixFile is one open descriptor with its path: every call is checked, EINTR is retried, and
// every failure throws a FileError that carries errno and the path, so that whoever shows
// the failure can give the system's fixed message and, on demand, the reason. Files are
// opened for reading only when they are regular files, and never block (a FIFO would wait
// for a writer, a device might never end); new files are created exclusively and never
// through a symbolic link, so an existing file is never truncated or written through.
// The one exception, CreateOrTruncate, is for callers whose contract is to replace.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace varnel {

class FileError : public std::runtime_error {
 public:
  // `action` says what failed ("cannot open", "cannot write"…); what() reads
  // "<action> \"<path>\": <system error text>".
  FileError(const std::string& action, const std::string& path, int err);
  int Errno() const { return Errno_; }
  const std::string& Path() const { return Path_; }

 private:
  int Errno_;
  std::string Path_;
};

class PosixFile {
 public:
  PosixFile() = default;
  // Closes an open file, ignoring a failing close (call Close to see it).
  ~PosixFile();
  PosixFile(PosixFile&& other) noexcept;
  PosixFile& operator=(PosixFile&& other) noexcept;
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  // An existing regular file, read-only; a missing file, a folder, a FIFO or a device
  // throws (EINVAL for what is not a regular file).
  static PosixFile OpenForReading(const std::string& path);
  // A new file for reading and writing, created with O_EXCL and O_NOFOLLOW: EEXIST when
  // anything (a dangling link included) has that name. `mode` is narrowed by the umask.
  static PosixFile CreateExclusive(const std::string& path, mode_t mode = 0666);
  // A file for writing, created when missing and emptied when it exists (a symbolic link is
  // followed). Only for writers whose contract is to replace whatever is at the path.
  static PosixFile CreateOrTruncate(const std::string& path, mode_t mode = 0666);

  bool IsOpen() const { return Fd_ >= 0; }
  int Fd() const { return Fd_; }
  const std::string& Path() const { return Path_; }

  // Reads up to `size` bytes at byte `offset`; fewer only at the end of the file.
  size_t ReadAt(int64_t offset, void* buffer, size_t size) const;
  // Reads what of the `size` bytes at `offset` the page cache holds, from `offset` on,
  // without waiting for the device; 0 when the first byte is not there, on any error, or
  // where the system cannot tell. Lets a reader that knows the kernel cannot read ahead for
  // it ask for the bytes in advance only when they are not there already.
  size_t ReadCachedAt(int64_t offset, void* buffer, size_t size) const noexcept;
  // Writes all `size` bytes at the current position, which moves on.
  void WriteAll(const void* data, size_t size);
  // Writes all `size` bytes at byte `offset`; the current position does not move.
  void WriteAllAt(int64_t offset, const void* data, size_t size);
  // The size in bytes now.
  int64_t Size() const;
  // The file's status now (fstat).
  struct stat Status() const;
  // Flushes the file's data to the device.
  void Sync();
  // Closes and reports a failing close (some file systems report a full disk only here).
  void Close();

 private:
  PosixFile(int fd, std::string path) : Fd_(fd), Path_(std::move(path)) {}
  void Check() const;

  int Fd_ = -1;
  std::string Path_;
};

// The whole text of a regular file, read without blocking; a file larger than `maxBytes`
// throws FileError with EFBIG before anything is read.
std::string ReadWholeFile(const std::string& path, int64_t maxBytes);

// The system's text for an errno value ("No space left on device").
std::string ErrnoText(int err);

// 64 bits from the kernel's random source, for names of temporary files that no other
// process or thread picks (never blocks; mixes the clock and the process id in when the
// source cannot be read).
uint64_t RandomBits();

}  // namespace varnel
