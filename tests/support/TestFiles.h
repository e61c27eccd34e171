// Test data made by the tests: temporary folders, raw files, and wave files built byte
// by byte.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varnel::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnel-test-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) {
      ADD_FAILURE() << "mkdtemp failed";
    }
    Path_ = buf.data();
  }
  ~TempDir() {
    std::error_code ec;
    // Folders made read-only by a test must become writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(Path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(Path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return Path_; }
  std::string operator/(const std::string& name) const { return Path_ + "/" + name; }

 private:
  std::string Path_;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void PutLe16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PutLe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void PutTag(std::vector<uint8_t>& v, const char* tag) {
  v.insert(v.end(), tag, tag + 4);
}

// The canonical 44-byte header followed by `data`.
inline std::vector<uint8_t> WaveBytes(const std::vector<uint8_t>& data, uint16_t channels = 2,
                                      uint16_t bits = 16, uint32_t rate = 44100) {
  std::vector<uint8_t> v;
  PutTag(v, "RIFF");
  PutLe32(v, static_cast<uint32_t>(36 + data.size()));
  PutTag(v, "WAVE");
  PutTag(v, "fmt ");
  PutLe32(v, 16);
  PutLe16(v, 1);
  PutLe16(v, channels);
  PutLe32(v, rate);
  uint32_t align = static_cast<uint32_t>(channels) * bits / 8;
  PutLe32(v, rate * align);
  PutLe16(v, align);
  PutLe16(v, bits);
  PutTag(v, "data");
  PutLe32(v, static_cast<uint32_t>(data.size()));
  v.insert(v.end(), data.begin(), data.end());
  return v;
}

// Sample frames of 16-bit stereo: `silent` zero frames, or frames whose left sample is
// `value` (non-zero) when `silent` is false.
inline void AppendFrames(std::vector<uint8_t>& data, size_t frames, bool silent,
                         int16_t value = 1000) {
  for (size_t i = 0; i < frames; ++i) {
    int16_t l = silent ? 0 : value;
    data.push_back(static_cast<uint8_t>(l));
    data.push_back(static_cast<uint8_t>(static_cast<uint16_t>(l) >> 8));
    data.push_back(0);
    data.push_back(0);
  }
}

// A 16-bit stereo 44.1 kHz wave file built from runs: each pair is (frames, silent).
inline std::string WriteWave(const std::string& path,
                             const std::vector<std::pair<size_t, bool>>& runs) {
  std::vector<uint8_t> data;
  for (auto [n, silent] : runs) AppendFrames(data, n, silent);
  WriteBytes(path, WaveBytes(data));
  return path;
}

}  // namespace varnel::test
