// INI text with the semantics of private-profile files: sections and keys are found
// without regard to letter case (the first match wins), a written key's value is
// replaced in place, a missing file, section or key is created on first write, and every
// other line is kept as it stands. String reads are limited to 2047 characters.
//
// Lines end with LF or CR LF; each line keeps its own ending, new lines end with CR LF.
// A header is a line that (after leading blanks) begins with "[" and holds a "]"; lines
// beginning with ";" are comments; a key line holds "=", its key being the text before
// the first "=" without surrounding blanks. A string value is everything after that "="
// up to the end of the line, blanks included.
//
// The text lives in memory; Save writes it back through a temporary file in the same
// folder that is renamed over the old file only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

class TIniFile {
 public:
  // Files larger than this are refused: no layout or settings file comes near it.
  static constexpr int64_t kMaxFileBytes = int64_t{64} << 20;

  TIniFile() = default;
  // Loads `path`, a regular file of at most kMaxFileBytes, read without blocking; a missing,
  // unreadable or refused file (a FIFO, a device, a folder, a huge file) gives an empty
  // text, and LoadError says why.
  explicit TIniFile(std::string path);

  // Why the file could not be loaded (the reason and the path), empty when it was;
  // LoadErrno is the system's error number (ENOENT for a missing file), 0 when loaded.
  const std::string& LoadError() const { return LoadError_; }
  int LoadErrno() const { return LoadErrno_; }

  // Replaces the text with `text` (for tests and the fuzzer); the path is kept.
  void LoadText(const std::string& text);
  std::string Text() const;

  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal with an optional sign, or hexadecimal after "0x"/"0X" (up to 32 bits, taken
  // as the bit pattern, so "0x80000008" is -2147483640); blanks before and after the
  // number are ignored. Anything else ("", "0x", "12abc"), or a value out of range,
  // gives `def`.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  // An integer read with the default 0/1; any value other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  // Replaces the value of the first matching key in place (keeping the key's spelling),
  // or adds the key after the last key of the section, or appends the section. A line
  // cannot hold a line break: each CR or LF in the section, key or value is stored as a
  // blank.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // Writes the text to the path (see WriteFileAtomically). False (and the old file
  // untouched) on any failure; `error` then holds the system's error text.
  bool Save(std::string* error = nullptr) const;

  const std::string& Path() const { return Path_; }

  static constexpr size_t kMaxValueLength = 2047;

 private:
  struct Line {
    std::string Raw;   // without its line ending
    bool Crlf = true;  // ended by CR LF (new lines always are)
  };
  // The lines [Begin, End) that follow the header of a section.
  struct SectionSpan {
    size_t Begin = 0;
    size_t End = 0;
  };
  std::optional<SectionSpan> FindSection(const std::string& section) const;
  std::optional<size_t> FindKey(const SectionSpan& span, const std::string& key) const;
  void InsertLine(size_t at, std::string raw);

  std::string Path_;
  std::string LoadError_;
  int LoadErrno_ = 0;
  std::vector<Line> Lines_;
  bool FinalNewline_ = true;
};

// Writes `text` to `path` through a temporary file in the same folder, renamed over the
// old file when complete. A missing folder is created; a replaced file keeps its
// permission bits, a new one gets 0666 less the umask; an existing file that may not be
// written is refused (as the private-profile functions refuse a read-only file); a
// symbolic link is followed, so the file it names is replaced. On failure the old file is
// untouched, the temporary removed, and `error` receives the system's error text.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

}  // namespace varnel
