// A source of a track writer, opened once: the file a track writer scans is the file the
// made file copies, whatever happens to the path in between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/PosixFile.h"

namespace varnel {

// A source file, opened for reading (a regular file only, without blocking) for as long as
// a track writer and the file it makes need it.
class SourceFile {
 public:
  // Opens `path`; throws MakeIoError (the system's reason and the path) when it cannot.
  explicit SourceFile(const std::string& path);

  const std::string& Path() const { return File_.Path(); }
  int Fd() const { return File_.Fd(); }
  const PosixFile& File() const { return File_; }
  // Reads up to `size` bytes at byte `offset`; fewer only at the end of the file (0 past
  // it or for a negative offset). Throws FileError on a read error.
  size_t ReadAt(int64_t offset, void* buffer, size_t size) const;
  // The file's size in bytes now.
  int64_t Size() const { return File_.Size(); }

 private:
  PosixFile File_;
};

}  // namespace varnel
