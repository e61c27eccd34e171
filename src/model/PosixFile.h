// Plain POSIX file handling shared by every reader of audio files: a descriptor closed on
// every way out, and opening a file for reading that never blocks and takes only regular
// files (a FIFO would wait for a writer, a device might never end).
#pragma once

#include <sys/stat.h>

#include <string>

namespace varnel {

class TFd {
 public:
  explicit TFd(int fd = -1) : Fd_(fd) {}
  ~TFd();
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;

  int Get() const { return Fd_; }
  bool IsOpen() const { return Fd_ >= 0; }
  // Closes now and reports whether the close succeeded (a late write error shows here).
  bool Close();

 private:
  int Fd_;
};

// Opens `path` read-only; −1 when it is missing, cannot be opened or is not a regular file.
// `st` receives the file's status.
int OpenRegularForReading(const std::string& path, struct stat& st);

}  // namespace varnel
