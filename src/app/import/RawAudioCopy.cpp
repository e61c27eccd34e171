#include "app/import/RawAudioCopy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <vector>

#include "formats/audio/WaveHeader.h"
#include "model/PosixFile.h"

namespace varnel {

RawCopy CopyRawAudio(const std::string& path, bool bigEndian, const std::string& folder) {
  PosixFile in = PosixFile::OpenForReading(path);
  const struct stat st = in.Status();
  const int64_t bytes = in.Size() / 4 * 4;
  if (bytes > int64_t{UINT32_MAX} - 36) {
    throw std::runtime_error("\"" + path + "\" holds more audio than a wave file can");
  }
  RawCopy copy;
  copy.Info = {44, bytes, 2, 16, 44100};
  char name[160];
  std::snprintf(name, sizeof name, "/raw-%016zx-%lld-%lld.%09ld-%s.wav",
                std::hash<std::string>()(path), static_cast<long long>(st.st_size),
                static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                bigEndian ? "be" : "le");
  copy.Path = folder + name;
  struct stat existing {};
  if (stat(copy.Path.c_str(), &existing) == 0 && existing.st_size == 44 + bytes) return copy;

  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string temporary = copy.Path + ".part" + std::to_string(getpid());
  PosixFile out = PosixFile::CreateOrTruncate(temporary);
  try {
    unsigned char header[44];
    BuildWaveHeader(copy.Info, header);
    // The builder leaves the sizes for a writer that patches them; this one knows them.
    const auto riff = static_cast<uint32_t>(36 + bytes);
    const auto data = static_cast<uint32_t>(bytes);
    for (int i = 0; i < 4; ++i) {
      header[4 + i] = static_cast<unsigned char>(riff >> (8 * i));
      header[40 + i] = static_cast<unsigned char>(data >> (8 * i));
    }
    out.WriteAll(header, sizeof header);
    std::vector<unsigned char> buffer(1 << 20);
    for (int64_t at = 0; at < bytes;) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(bytes - at, buffer.size()));
      const size_t got = in.ReadAt(at, buffer.data(), want);
      if (got != want) throw FileError("cannot read", path, EIO);
      if (bigEndian) {
        for (size_t i = 0; i + 1 < got; i += 2) std::swap(buffer[i], buffer[i + 1]);
      }
      out.WriteAll(buffer.data(), got);
      at += static_cast<int64_t>(got);
    }
    out.Close();
    if (std::rename(temporary.c_str(), copy.Path.c_str()) != 0) {
      throw FileError("cannot rename", temporary, errno);
    }
  } catch (...) {
    std::remove(temporary.c_str());
    throw;
  }
  return copy;
}

}  // namespace varnel
