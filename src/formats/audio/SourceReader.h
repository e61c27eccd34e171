// The decoder's view of one source file: its native format and blocks of its samples, either
// as 16-bit integers or as floats in ±1. Used by AudioDecoder only; one reader per library.
//
// Readers read through the PosixFile they are given (positioned reads, their own offset), so a
// library never opens a path itself. An exception thrown while a C library is calling back
// into us is kept and thrown again once the library has returned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#include "formats/audio/AudioDecoder.h"
#include "model/PosixFile.h"

namespace varnel {

struct SourceFormat {
  int32_t Rate = 0;
  int32_t Channels = 0;
  int32_t Bits = 0;  // as DecodeSummary::SourceBits
  // True when 16-bit integers lose nothing the source holds (integer PCM of at most 16
  // bits, and MP3, whose decoder rounds to 16 bits as `mpg123 -w` does).
  // Anything else is read as floats and dithered to 16 bits.
  bool ExactAsShorts = false;
};

class SourceReader {
 public:
  virtual ~SourceReader() = default;
  virtual SourceFormat Format() const = 0;
  // Choose once, before the first read, which of the two Read calls will be used.
  virtual void UseFloats(bool floats) = 0;
  // Up to `frames` interleaved frames of Format().Channels samples; 0 at the end. Throws
  // DecodeError on damaged data and FileError on a failing read.
  virtual size_t ReadShorts(int16_t* out, size_t frames) = 0;
  virtual size_t ReadFloats(float* out, size_t frames) = 0;
  // The fraction of the source read so far, 0 to 1.
  virtual double Progress() const = 0;
};

// Throws DecodeError when the file is not of a kind the reader can decode.
std::unique_ptr<SourceReader> OpenMp3Reader(const PosixFile& file);
std::unique_ptr<SourceReader> OpenSndfileReader(const PosixFile& file, SourceKind kind);

// Positioned reads over a PosixFile for the libraries' read callbacks: never throws; a failing
// read is kept in Error and reported as a short read.
struct CallbackInput {
  explicit CallbackInput(const PosixFile& file) : File(file), Length(file.Size()) {}
  // Bytes read into `buffer` at the current offset, which moves on; 0 at the end or on
  // an error.
  size_t Read(void* buffer, size_t size);
  // Moves like lseek; −1 for a position before the start.
  int64_t Seek(int64_t offset, int whence);
  // Throws the kept error, if any.
  void Rethrow() const {
    if (Error) std::rethrow_exception(Error);
  }

  const PosixFile& File;
  int64_t Length;
  int64_t Offset = 0;
  std::exception_ptr Error;
};

}  // namespace varnel
