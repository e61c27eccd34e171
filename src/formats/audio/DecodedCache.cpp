#include "formats/audio/DecodedCache.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "formats/audio/SourceFingerprint.h"
#include "formats/audio/WaveHeader.h"
#include "model/LittleEndian.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

// Part of every entry's key: a change in how sources are decoded makes old entries unused.
constexpr const char* kEntryVersion = "varnel-decoded-1";
constexpr const char* kTempPrefix = ".tmp-";
constexpr const char* kEntrySuffix = ".wav";
constexpr const char* kSourceSuffix = ".src";
constexpr auto kTempMaxAge = std::chrono::hours(24);

std::string Hex64(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

// "<hash of the path>-<hash of the whole key>.wav": every version of one source shares the
// first part, so older versions can be found and removed.
std::string PathPart(const SourceFingerprint& fp) {
  return Hex64(Fnv1a64(fp.RealPath.data(), fp.RealPath.size()));
}

std::string EntryName(const SourceFingerprint& fp, SourceKind kind) {
  const std::string key = std::string(kEntryVersion) + '\n' + fp.RealPath + '\n' +
                          SourceKindText(kind) + '\n' + std::to_string(fp.Size) + '\n' +
                          std::to_string(fp.MtimeNs) + '\n' + std::to_string(fp.Device) + '\n' +
                          std::to_string(fp.Inode) + '\n' + Hex64(fp.ContentHash);
  return PathPart(fp) + "-" + Hex64(Fnv1a64(key.data(), key.size())) + ".wav";
}

// A complete canonical wave file: the header we write, its sizes filled in, and exactly
// that many bytes of audio after it.
std::optional<WaveDataInfo> ReadEntry(const std::string& path) {
  try {
    const PosixFile file = PosixFile::OpenForReading(path);
    unsigned char header[44];
    if (file.ReadAt(0, header, sizeof header) != sizeof header) return std::nullopt;
    unsigned char expected[44];
    BuildWaveHeader(WaveDataInfo{44, 0, 2, 16, 44100}, expected);
    if (std::memcmp(header, expected, 4) != 0 || std::memcmp(header + 8, expected + 8, 32) != 0) {
      return std::nullopt;
    }
    const uint32_t data = GetLe32(header + 40);
    if (GetLe32(header + 4) != 36 + static_cast<uint64_t>(data) || data % 4 != 0 ||
        data > static_cast<uint32_t>(INT32_MAX) || file.Size() != 44 + int64_t(data)) {
      return std::nullopt;
    }
    return WaveDataInfo{44, static_cast<int32_t>(data), 2, 16, 44100};
  } catch (const FileError&) {
    return std::nullopt;
  }
}

SourceKind KindOf(const std::string& source) {
  const std::optional<SourceKind> kind = DecodableKindFromPath(source);
  if (!kind) throw DecodeError("not a kind of file that can be decoded");
  return *kind;
}

// A new temporary file in the folder, named so that no two processes or threads meet.
PosixFile CreateTemp(const std::string& folder, const std::string& pathPart, std::string& name) {
  static std::atomic<uint64_t> counter{0};
  for (int attempt = 0;; ++attempt) {
    name = folder + "/" + kTempPrefix + pathPart + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + Hex64(RandomBits()) + ".wav";
    try {
      return PosixFile::CreateExclusive(name, 0644);
    } catch (const FileError& e) {
      if (e.Errno() != EEXIST || attempt >= 100) throw;
    }
  }
}

// The file beside an entry that names its source, put in place whole.
void WriteSourceName(const std::string& folder, const std::string& pathPart,
                     const std::string& path, const std::string& source) {
  std::string tempPath;
  try {
    PosixFile temp = CreateTemp(folder, pathPart, tempPath);
    const std::string text = source + "\n";
    temp.WriteAll(text.data(), text.size());
    temp.Close();
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
      throw FileError("cannot rename", tempPath, errno);
    }
  } catch (...) {
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
    throw;
  }
}

// Entries of other versions of the same source, and temporary files a killed decode left.
// Failures are ignored: another process may be removing the same files.
void RemoveStale(const std::string& folder, const std::string& pathPart, const std::string& keep) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code ignored;
    if (name.rfind(pathPart + "-", 0) == 0 && name != keep && name != keep + kSourceSuffix) {
      fs::remove(it->path(), ignored);
    } else if (name.rfind(kTempPrefix, 0) == 0) {
      const auto written = fs::last_write_time(it->path(), ignored);
      if (!ignored && now - written > kTempMaxAge) fs::remove(it->path(), ignored);
    }
  }
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool IsEntryName(const std::string& name) {
  return name.rfind(kTempPrefix, 0) != 0 && EndsWith(name, kEntrySuffix);
}

// Errors of a file system without room: full, over a quota, or over the process's limit.
bool IsNoRoom(int err) {
  return err == ENOSPC || err == EDQUOT || err == EFBIG;
}

int64_t SizeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

std::string ReadSource(const std::string& path) {
  try {
    const PosixFile file = PosixFile::OpenForReading(path);
    std::string text(static_cast<size_t>(std::min<int64_t>(file.Size(), 8192)), '\0');
    text.resize(file.ReadAt(0, text.data(), text.size()));
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  } catch (const FileError&) {
    return {};
  }
}

}  // namespace

void DecodedCache::Touch(const std::string& entryPath) {
  const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
  ::utimensat(AT_FDCWD, entryPath.c_str(), times, 0);
}

std::vector<CacheEntryInfo> DecodedCache::Entries() const {
  namespace fs = std::filesystem;
  std::vector<CacheEntryInfo> entries;
  std::error_code ec;
  for (auto it = fs::directory_iterator(Folder_, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!IsEntryName(name)) continue;
    CacheEntryInfo e;
    e.Path = Folder_ + "/" + name;
    struct stat st {};
    if (::stat(e.Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    const std::string sourceFile = e.Path + kSourceSuffix;
    e.Bytes = static_cast<int64_t>(st.st_size) + SizeOf(sourceFile);
    e.LastUseNs = static_cast<int64_t>(st.st_atim.tv_sec) * 1000000000 + st.st_atim.tv_nsec;
    e.Source = ReadSource(sourceFile);
    entries.push_back(std::move(e));
  }
  std::sort(entries.begin(), entries.end(), [](const CacheEntryInfo& a, const CacheEntryInfo& b) {
    return a.LastUseNs != b.LastUseNs ? a.LastUseNs < b.LastUseNs : a.Path < b.Path;
  });
  return entries;
}

int64_t DecodedCache::SizeBytes() const {
  int64_t total = 0;
  for (const CacheEntryInfo& e : Entries()) total += e.Bytes;
  return total;
}

namespace {

void RemoveEntry(const std::string& path) {
  ::unlink(path.c_str());
  ::unlink((path + kSourceSuffix).c_str());
}

// Source files whose entry has gone, written at least `minAge` ago: a decode writes its
// source's name just before it puts its entry in place, so a younger one may belong to an
// entry that is about to appear.
void RemoveOrphans(const std::string& folder, std::chrono::seconds minAge) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const std::string path = it->path().string();
    if (!EndsWith(path, kSourceSuffix)) continue;
    const std::string entry = path.substr(0, path.size() - std::strlen(kSourceSuffix));
    struct stat st {};
    if (::lstat(entry.c_str(), &st) == 0 || errno != ENOENT) continue;
    std::error_code ignored;
    const auto written = fs::last_write_time(it->path(), ignored);
    if (!ignored && now - written >= minAge) ::unlink(path.c_str());
  }
}

}  // namespace

int64_t DecodedCache::Trim(int64_t limitBytes, const std::set<std::string>& inUse,
                           int64_t keepSinceNs) {
  const std::vector<CacheEntryInfo> entries = Entries();
  int64_t total = 0;
  for (const CacheEntryInfo& e : entries) total += e.Bytes;
  int64_t removed = 0;
  for (const CacheEntryInfo& e : entries) {
    if (total - removed <= limitBytes) break;
    if (inUse.count(e.Path) != 0 || e.LastUseNs >= keepSinceNs) continue;
    RemoveEntry(e.Path);
    removed += e.Bytes;
  }
  RemoveOrphans(Folder_, std::chrono::minutes(1));
  return removed;
}

void DecodedCache::Clear(const std::set<std::string>& inUse) {
  for (const CacheEntryInfo& e : Entries()) {
    if (inUse.count(e.Path) == 0) RemoveEntry(e.Path);
  }
  RemoveOrphans(Folder_, std::chrono::seconds(0));
  RemoveStale(Folder_, "/", "");
}

std::string DecodedCache::DefaultFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/varnel/decoded";
  std::string home;
  if (const char* h = std::getenv("HOME"); h != nullptr && h[0] != '\0') {
    home = h;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    home = pw->pw_dir;
  }
  return home + "/.cache/varnel/decoded";
}

std::optional<DecodedEntry> DecodedCache::Lookup(const std::string& source) const {
  const std::optional<SourceKind> kind = DecodableKindFromPath(source);
  if (!kind) return std::nullopt;
  const SourceFingerprint fp = FingerprintSource(source);
  const std::string path = Folder_ + "/" + EntryName(fp, *kind);
  const std::optional<WaveDataInfo> info = ReadEntry(path);
  if (!info) return std::nullopt;
  Touch(path);
  return DecodedEntry{path, *kind, *info};
}

DecodedEntry DecodedCache::Decode(const std::string& source, const DecodeProgress& progress,
                                  const std::atomic<bool>* cancel) {
  const SourceKind kind = KindOf(source);
  const SourceFingerprint before = FingerprintSource(source);
  const std::string name = EntryName(before, kind);
  const std::string path = Folder_ + "/" + name;
  if (const std::optional<WaveDataInfo> info = ReadEntry(path)) {
    Touch(path);
    return DecodedEntry{path, kind, *info};
  }

  std::error_code ec;
  std::filesystem::create_directories(Folder_, ec);
  if (ec) throw FileError("cannot create", Folder_, ec.value());

  std::string tempPath;
  try {
    PosixFile temp = CreateTemp(Folder_, PathPart(before), tempPath);
    const DecodeSummary summary = DecodeToWaveFile(source, temp, {}, progress, cancel);
    temp.Sync();
    temp.Close();
    if (!(FingerprintSource(source) == before)) {
      throw DecodeError("the file changed while it was being decoded");
    }
    // The source's name first: an entry never appears without it.
    WriteSourceName(Folder_, PathPart(before), path + kSourceSuffix, before.RealPath);
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
      throw FileError("cannot rename", tempPath, errno);
    }
    RemoveStale(Folder_, PathPart(before), name);
    return DecodedEntry{path, kind, summary.WaveInfo()};
  } catch (const FileError& e) {
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
    if (e.Path().rfind(Folder_ + "/", 0) == 0 && IsNoRoom(e.Errno())) {
      ::unlink((path + kSourceSuffix).c_str());
      throw CacheFullError("there is no room for its decoded copy in \"" + Folder_ + "\" (" +
                           std::strerror(e.Errno()) + ")");
    }
    throw;
  } catch (...) {
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
    throw;
  }
}

}  // namespace varnel
