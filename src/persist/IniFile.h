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
// The text lives in memory as one string, exactly as read. Only what a lookup can find is
// indexed, by the offset of its line in the text: the first section of each name, and the
// first key of each name in such a section, in two open-addressing tables of 32-bit
// offsets. So the memory the engine takes is the text plus at most a few bytes for each
// header or key line (about 3.5 times the size of a file of nothing but distinct
// one-letter names, once the text itself for a file of repeated lines), whatever the file
// holds; and a lookup costs the same whatever the size of the text. A write changes the
// text in place and moves the offsets after it. Save writes it back through a temporary
// file in the same folder that is renamed over the old file only when complete
// (WriteFileAtomically).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
  void LoadText(std::string text);
  const std::string& Text() const { return Text_; }

  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  // The names of the sections a lookup can find (the first of each name, letter case
  // disregarded), as spelled in their headers without surrounding blanks, in file order.
  std::vector<std::string> SectionNames() const;
  // The same names one by one, without a copy of them all.
  void VisitSectionNames(const std::function<void(std::string_view)>& visit) const;

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
  // A table of 32-bit offsets (or indexes) with open addressing; what an entry's hash and
  // name are is the owner's to say.
  struct OffsetTable {
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    std::vector<uint32_t> Slots;
    std::vector<uint8_t> Tags;  // 8 bits of each entry's hash: most probes need no text
    size_t Count = 0;
  };
  // A line of the text: where its text begins and ends (without the line ending) and where
  // the next line begins.
  struct LineSpan {
    size_t Begin = 0, End = 0, Next = 0;
  };
  LineSpan LineAt(size_t offset) const;
  std::string_view LineText(size_t offset) const;

  size_t SectionHash(size_t section) const;
  size_t KeyHash(size_t keyLine) const;
  std::optional<size_t> FindSection(std::string_view name) const;
  std::optional<size_t> FindKey(const std::string& section, const std::string& key) const;
  // The found section whose body holds the line at `offset`.
  size_t OwnerOf(size_t offset) const;
  template <typename Hash>
  void Grow(OffsetTable& table, const Hash& hash);
  // False (and nothing indexed) when a section of the name is indexed already.
  bool IndexSection(size_t headerOffset, std::string_view name);
  void IndexKey(size_t section, size_t lineOffset, std::string_view name);
  // Indexes the whole text again.
  void Reindex();
  // Replaces `length` bytes at `at` with `text`, moving the offsets after them.
  void Splice(size_t at, size_t length, const std::string& text);
  // Adds a line (ended by CR LF) at the very end of the text; returns its offset.
  size_t AppendLine(const std::string& raw);

  std::string Path_;
  std::string LoadError_;
  int LoadErrno_ = 0;
  std::string Text_;
  // The header offsets of the sections lookups find, in file order.
  std::vector<uint32_t> Sections_;
  OffsetTable SectionTable_;  // indexes in Sections_
  OffsetTable KeyTable_;      // offsets of key lines
};

}  // namespace varnel
