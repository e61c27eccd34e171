// The CD-Text editor: one table of the disc's and every track's typed CD-Text (a row for the
// disc, then one per track; a column per field), edited like a spreadsheet, plus the disc's
// genre and language. It works on a copy: the layout changes only on Accept, so Cancel
// leaves everything as it was. It fills empty fields (or all, when asked) from the tags of
// the tracks' files, takes the text of a .cdt file, and tells as the user types how much of
// one block's 256 packs the text takes and which character ISO 8859-1 lacks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "formats/audio/AudioTags.h"
#include "formats/cdtext/CdText.h"
#include "model/CdTextFields.h"

namespace varnel {

inline constexpr const char* kCdTextChange = "CD-Text";

struct CdTextCell {
  int32_t Row = 0;  // 0 the disc, k track k of the list
  int32_t Column = 0;
  friend bool operator==(const CdTextCell&, const CdTextCell&) = default;
};

// What a key moves to: Tab the next field (on to the next row), Back Tab the one before,
// Enter the same field of the next row (from the last row: the next field of the first).
enum class CdTextMove : uint8_t { Tab, BackTab, Enter };

// The fields of one track filled from its file's tags; the track's ISRC from the tag when
// `isrc` is empty and the tag holds a valid one (upper-cased, dashes dropped). Only empty
// fields, unless `overwrite`. Returns how many fields (the ISRC counted) were filled.
int32_t FillTrackFromTags(CdTextFields& fields, std::string& isrc, const AudioTags& tags,
                          bool overwrite);
// The disc's title from the first album of `tags`, its performer from the first album
// artist, else from the artist when every track that names one names the same.
int32_t FillDiscFromTags(CdTextFields& disc, const std::vector<AudioTags>& tags, bool overwrite);

class CdTextEditor {
 public:
  explicit CdTextEditor(AppContext& ctx);

  int32_t RowCount() const { return static_cast<int32_t>(Rows_.size()); }
  static int32_t ColumnCount() { return kCdTextFieldCount; }
  // "Disc", "Track 1" … (numbers on the disc).
  std::string RowName(int32_t row) const;
  static std::string ColumnName(int32_t column) { return kCdTextFieldNames[column]; }

  const std::string& Text(int32_t row, int32_t column) const;
  // Line breaks, which a CD-Text field cannot hold, become blanks.
  void SetText(int32_t row, int32_t column, const std::string& text);
  // A pasted block: each line fills a row from `at` down, its TAB-separated parts the
  // fields from `at`'s on; what falls outside the table is dropped. A last empty line (the
  // line end after the last) is no row. Returns the cell below the last row filled.
  CdTextCell Paste(CdTextCell at, const std::string& clipboard);
  CdTextCell Moved(CdTextCell from, CdTextMove move) const;

  uint16_t Genre() const { return Disc_.Genre; }
  void SetGenre(uint16_t code);
  uint8_t Language() const { return Disc_.Language; }
  void SetLanguage(uint8_t code) { Disc_.Language = code; }

  // The packs the text takes of one block, and "N of 256 packs" or "Too long: N of 256
  // packs" as the dialog shows it.
  int32_t PacksUsed() const;
  std::string LimitText() const;
  bool TooLong() const { return PacksUsed() > kCdTextMaxPacks; }
  // For a field holding a character ISO 8859-1 lacks: which one, and that it is written as
  // "?". Empty otherwise.
  std::string CellProblem(int32_t row, int32_t column) const;

  // "Fill from tags": every track's file's tags, then the disc's fields from them. Returns
  // how many fields were filled.
  int32_t FillFromTags(bool overwrite);
  // "Open a .cdt file…": the file's text replaces the table (the disc's and the tracks' the
  // file has; the genre and language too). A file that cannot be read is an error box and
  // changes nothing. False when nothing was taken.
  bool OpenCdtFile();
  bool TakeCdtFile(const std::string& path);

  // Puts the table into the layout; CD-Text goes on when there is text and it may. True
  // when anything changed.
  bool Accept();

 private:
  int32_t FirstTrackNumber() const;

  AppContext& Ctx_;
  DiscCdText Disc_;
  std::vector<CdTextFields> Rows_;  // [0] the disc's fields, [k] track k's
  std::vector<std::string> Isrc_;   // [k - 1] track k's ISRC
};

}  // namespace varnel
