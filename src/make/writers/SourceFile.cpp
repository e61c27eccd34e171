#include "make/writers/SourceFile.h"

#include "make/MakeJob.h"

namespace varnel {

SourceFile::SourceFile(const std::string& path) {
  try {
    File_ = PosixFile::OpenForReading(path);
  } catch (const FileError& e) {
    throw MakeIoError(e.what());
  }
}

size_t SourceFile::ReadAt(int64_t offset, void* buffer, size_t size) const {
  if (offset < 0) return 0;
  return File_.ReadAt(offset, buffer, size);
}

}  // namespace varnel
