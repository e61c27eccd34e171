#include "app/editors/CdTextEditor.h"

#include <algorithm>
#include <cctype>

#include "app/commands/TrackListCommands.h"
#include "formats/cdtext/CdText.h"
#include "formats/cdtext/TypedCdText.h"
#include "model/Isrc.h"

namespace varnel {

namespace {

bool Fill(std::string& field, const std::string& value, bool overwrite) {
  if (value.empty() || (!overwrite && !field.empty()) || field == value) return false;
  field = value;
  return true;
}

std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

int32_t FillTrackFromTags(CdTextFields& fields, std::string& isrc, const AudioTags& tags,
                          bool overwrite) {
  int32_t filled = 0;
  filled += Fill(fields[CdTextField::Title], tags.Title, overwrite);
  filled += Fill(fields[CdTextField::Performer], tags.Artist, overwrite);
  filled += Fill(fields[CdTextField::Songwriter], tags.Lyricist, overwrite);
  filled += Fill(fields[CdTextField::Composer], tags.Composer, overwrite);
  filled += Fill(fields[CdTextField::Message], tags.Comment, overwrite);
  std::string tagIsrc;
  for (const char c : tags.Isrc) {
    if (c != '-') tagIsrc += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (isrc.empty() && IsAssignedIsrc(tagIsrc)) {
    isrc = tagIsrc;
    ++filled;
  }
  return filled;
}

int32_t FillDiscFromTags(CdTextFields& disc, const std::vector<AudioTags>& tags, bool overwrite) {
  std::string album;
  std::string albumArtist;
  std::string artist;
  bool oneArtist = true;
  for (const AudioTags& t : tags) {
    if (album.empty()) album = t.Album;
    if (albumArtist.empty()) albumArtist = t.AlbumArtist;
    if (t.Artist.empty()) continue;
    oneArtist = oneArtist && (artist.empty() || t.Artist == artist);
    artist = t.Artist;
  }
  if (!oneArtist) artist.clear();
  int32_t filled = Fill(disc[CdTextField::Title], album, overwrite);
  filled +=
      Fill(disc[CdTextField::Performer], albumArtist.empty() ? artist : albumArtist, overwrite);
  return filled;
}

CdTextEditor::CdTextEditor(AppContext& ctx) : Ctx_(ctx), Disc_(ctx.Layout.CdText) {
  Rows_.push_back(Disc_.Fields);
  for (int32_t i = 0; i < ctx.Layout.Count(); ++i) {
    Rows_.push_back(ctx.Layout.At(i).CdText);
    Isrc_.push_back(ctx.Layout.At(i).ISRC);
  }
}

int32_t CdTextEditor::FirstTrackNumber() const {
  return Ctx_.Layout.NamesDataTrack() ? 2 : 1;
}

std::string CdTextEditor::RowName(int32_t row) const {
  return row == 0 ? "Disc" : "Track " + std::to_string(row - 1 + FirstTrackNumber());
}

const std::string& CdTextEditor::Text(int32_t row, int32_t column) const {
  return Rows_.at(static_cast<size_t>(row)).Texts.at(static_cast<size_t>(column));
}

void CdTextEditor::SetText(int32_t row, int32_t column, const std::string& text) {
  Rows_.at(static_cast<size_t>(row)).Texts.at(static_cast<size_t>(column)) = OneLine(text);
}

CdTextCell CdTextEditor::Paste(CdTextCell at, const std::string& clipboard) {
  std::string text = clipboard;
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  std::vector<std::string> lines = Split(text, '\n');
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  int32_t row = at.Row;
  for (const std::string& line : lines) {
    if (row >= RowCount()) break;
    int32_t column = at.Column;
    for (const std::string& part : Split(line, '\t')) {
      if (column >= ColumnCount()) break;
      SetText(row, column++, part);
    }
    ++row;
  }
  return {std::min(row, RowCount() - 1), at.Column};
}

CdTextCell CdTextEditor::Moved(CdTextCell from, CdTextMove move) const {
  const int32_t cells = RowCount() * ColumnCount();
  int32_t index = from.Row * ColumnCount() + from.Column;
  switch (move) {
    case CdTextMove::Tab:
      index = (index + 1) % cells;
      break;
    case CdTextMove::BackTab:
      index = (index + cells - 1) % cells;
      break;
    case CdTextMove::Enter:
      if (from.Row + 1 < RowCount()) return {from.Row + 1, from.Column};
      return {0, (from.Column + 1) % ColumnCount()};
  }
  return {index / ColumnCount(), index % ColumnCount()};
}

void CdTextEditor::SetGenre(uint16_t code) {
  Disc_.Genre = code < kCdTextGenreCount ? code : 0;
}

int32_t CdTextEditor::PacksUsed() const {
  DiscCdText disc = Disc_;
  disc.Fields = Rows_.front();
  std::vector<CdTextFields> tracks;
  if (Ctx_.Layout.NamesDataTrack()) tracks.emplace_back();
  tracks.insert(tracks.end(), Rows_.begin() + 1, Rows_.end());
  const CdText text = TypedCdTextBlock(disc, tracks);
  if (text.Blocks.front().Texts.empty() && !text.Blocks.front().Genre) return 0;
  return CdTextBlockPackCount(text.Blocks.front());
}

std::string CdTextEditor::LimitText() const {
  const int32_t packs = PacksUsed();
  const std::string count =
      std::to_string(packs) + " of " + std::to_string(kCdTextMaxPacks) + " packs";
  return packs > kCdTextMaxPacks ? "Too long: " + count : count;
}

std::string CdTextEditor::CellProblem(int32_t row, int32_t column) const {
  const std::string bad = FirstNonLatin1(Text(row, column));
  if (bad.empty()) return {};
  return "\"" + bad + "\" is not in ISO 8859-1; the disc shows \"?\" for it.";
}

int32_t CdTextEditor::FillFromTags(bool overwrite) {
  std::vector<AudioTags> tags;
  int32_t filled = 0;
  for (int32_t i = 0; i < Ctx_.Layout.Count(); ++i) {
    tags.push_back(ReadAudioTags(Ctx_.Layout.At(i).TrackFileName));
    filled += FillTrackFromTags(Rows_[static_cast<size_t>(i + 1)], Isrc_[static_cast<size_t>(i)],
                                tags.back(), overwrite);
  }
  return filled + FillDiscFromTags(Rows_.front(), tags, overwrite);
}

bool CdTextEditor::OpenCdtFile() {
  FileDialogRequest request;
  request.Filter = kCdtFileFilter;
  request.InitialDir = Ctx_.Settings.CdtFileDir;
  const std::vector<std::string> paths = Ctx_.Prompter.OpenFiles(request);
  if (paths.empty()) return false;
  Ctx_.Settings.CdtFileDir = FolderOf(paths.front());
  return TakeCdtFile(paths.front());
}

bool CdTextEditor::TakeCdtFile(const std::string& path) {
  CdText text;
  std::string reason;
  DiscCdText disc;
  std::vector<CdTextFields> tracks;
  if (!ReadCdTextFile(path, text, reason) ||
      !TypedTextOf(text, kCdTextLanguageEnglish, disc, tracks, reason)) {
    Ctx_.Prompter.Show({BoxKind::Error,
                        "The CD-Text file \"" + path + "\" cannot be used: " + reason + ".",
                        {},
                        {}});
    return false;
  }
  Disc_.Genre = disc.Genre;
  Disc_.Language = disc.Language;
  Rows_.front() = disc.Fields;
  const size_t first = Ctx_.Layout.NamesDataTrack() ? 1 : 0;
  for (size_t row = 1; row < Rows_.size(); ++row) {
    const size_t k = row - 1 + first;
    Rows_[row] = k < tracks.size() ? tracks[k] : CdTextFields{};
  }
  return true;
}

bool CdTextEditor::Accept() {
  DiscLayout& layout = Ctx_.Layout;
  DiscCdText disc = Disc_;
  disc.Fields = Rows_.front();
  bool changed = !(layout.CdText == disc);
  layout.CdText = disc;
  for (int32_t i = 0; i < layout.Count() && i + 1 < RowCount(); ++i) {
    Track& t = layout.At(i);
    changed = changed || !(t.CdText == Rows_[static_cast<size_t>(i + 1)]) ||
              t.ISRC != Isrc_[static_cast<size_t>(i)];
    t.CdText = Rows_[static_cast<size_t>(i + 1)];
    t.ISRC = Isrc_[static_cast<size_t>(i)];
  }
  if (layout.HasTypedCdText() && Ctx_.CanEnableCdText && !layout.CdTextEnabled) {
    layout.CdTextEnabled = true;
    changed = true;
  }
  return changed;
}

}  // namespace varnel
