// INI text with the semantics of private-profile files: sections and keys are found
// without regard to letter case (the first match wins), a written key's value is
// replaced in place, a missing file, section or key is created on first write, and every
// other line is kept as it stands. String reads are limited to 2047 characters.
//
// The text lives in memory; Save writes it back through a temporary file in the same
// folder that is renamed over the old file only when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class TIniFile {
 public:
  TIniFile() = default;
  // Loads `path`; a missing or unreadable file gives an empty text.
  explicit TIniFile(std::string path);

  // Replaces the text with `text` (for tests and the fuzzer); the path is kept.
  void LoadText(const std::string& text);
  std::string Text() const;

  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal, or hexadecimal after "0x"/"0X" (up to 32 bits, taken as the bit pattern);
  // anything else, or a value out of range, gives `def`.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  // An integer read with the default 0/1; any value other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // Writes the text to the path. False (and the old file untouched) on any failure;
  // `error` then holds the system's error text.
  bool Save(std::string* error = nullptr) const;

  const std::string& Path() const { return Path_; }

  static constexpr size_t kMaxValueLength = 2047;

 private:
  struct Line {
    std::string Raw;   // without its line ending
    bool Crlf = true;  // ended by CR LF (new lines always are)
  };
  std::string Path_;
  std::vector<Line> Lines_;
  bool FinalNewline_ = true;
};

// Writes `text` to `path` through a temporary file in the same folder, renamed over the
// old file when complete. On failure the old file is untouched, the temporary removed,
// and `error` receives the system's error text.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

}  // namespace varnel
