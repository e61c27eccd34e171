#include "PosixFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace varnel {

TFd::~TFd() {
  if (Fd_ >= 0) ::close(Fd_);
}

bool TFd::Close() {
  const int fd = Fd_;
  Fd_ = -1;
  return fd < 0 || ::close(fd) == 0;
}

int OpenRegularForReading(const std::string& path, struct stat& st) {
  if (path.find('\0') != std::string::npos) return -1;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace varnel
