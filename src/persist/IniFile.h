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
// The text lives in memory, its lines as read, filed by section. Sections and keys are
// indexed once when the text is loaded and kept up to date by every write, so a lookup or a
// write costs the same whatever the size of the text. Save writes it back through a temporary file
// in the same folder that is renamed over the old file only when complete (WriteFileAtomically).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/AtomicFile.h"

namespace varnel {

class IniFile {
 public:
  // Files larger than this are refused: no layout or settings file comes near it.
  static constexpr int64_t kMaxFileBytes = int64_t{64} << 20;

  IniFile() = default;
  // Loads `path`, a regular file of at most kMaxFileBytes, read without blocking; a missing,
  // unreadable or refused file (a FIFO, a device, a folder, a huge file) gives an empty
  // text, and LoadError says why.
  explicit IniFile(std::string path);

  // Why the file could not be loaded (the reason and the path), empty when it was;
  // LoadErrno is the system's error number (ENOENT for a missing file), 0 when loaded.
  const std::string& LoadError() const { return LoadError_; }
  int LoadErrno() const { return LoadErrno_; }

  // Replaces the text with `text` (for tests and the fuzzer); the path is kept.
  void LoadText(const std::string& text);
  std::string Text() const;

  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  // The names of the sections a lookup can find (the first of each name, letter case
  // disregarded), as spelled in their headers without surrounding blanks, in file order.
  std::vector<std::string> SectionNames() const;

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
  // Names compared and hashed without regard to the letter case of A to Z, looked up by
  // string_view without a copy.
  struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const;
  };
  struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using NameMap = std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual>;

  struct Line {
    std::string Raw;   // without its line ending
    bool Crlf = true;  // ended by CR LF (new lines always are)
  };
  // A header line and the lines after it up to the next header. Only the first section of
  // a name is found by lookups; its key lines are indexed: the first line of each key name,
  // and one past the last key line, where a new key goes.
  struct Section {
    Line Header;
    std::vector<Line> Body;
    bool Found = false;
    size_t LastKey = 0;
    NameMap Keys;
  };
  const Section* FindSection(const std::string& section) const;
  const Line* FindKey(const std::string& section, const std::string& key) const;
  // Files the next line of the text into the preamble or the last section, indexed.
  void File(Line line);
  // Indexes body line `at` of `section` if it is a key line.
  static void IndexKey(Section& section, size_t at);
  // Splits the text again: after a write turned a line into a header.
  void Resplit();
  // Adds a line at the very end of the text.
  void AppendLine(std::string raw);

  std::string Path_;
  std::string LoadError_;
  int LoadErrno_ = 0;
  std::vector<Line> Preamble_;  // the lines before the first header
  std::vector<Section> Sections_;
  bool FinalNewline_ = true;
  // The section lookups find, by name: an index in Sections_.
  NameMap Index_;
};

}  // namespace varnel
