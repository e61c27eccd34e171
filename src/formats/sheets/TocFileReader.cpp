// cdrdao TOC reader: a lexer over the decoded lines, then a recursive-descent parser that
// follows cdrdao's grammar rule by rule.
#include "formats/sheets/TocFileReader.h"

#include <algorithm>
#include <cctype>

#include "formats/sheets/SheetText.h"
#include "model/CdTime.h"
#include "model/Isrc.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

struct TocFailure {
  RipError Error;
};

[[noreturn]] void Fail(int32_t line, std::string message) {
  throw TocFailure{{line, std::move(message)}};
}

enum class TokKind : uint8_t { Word, Number, String, Punct, End };

struct Token {
  TokKind Kind = TokKind::End;
  std::string Text;  // the word, the digits, the unescaped string, the punctuation mark
  int32_t Line = 0;
};

// The longest number a TOC needs: 12 digits are more sample frames than any file holds.
constexpr size_t kMaxDigits = 12;

std::vector<Token> Lex(const SheetText& text) {
  std::vector<Token> tokens;
  for (const SheetLine& line : text.Lines) {
    const std::string_view s = line.Text;
    size_t i = 0;
    while (i < s.size()) {
      const char c = s[i];
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
        break;
      } else if (std::isdigit(static_cast<unsigned char>(c))) {
        size_t end = i;
        while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
        if (end - i > kMaxDigits) {
          Fail(line.Number, "The number " + std::string(s.substr(i, 20)) + "… is too large.");
        }
        tokens.push_back({TokKind::Number, std::string(s.substr(i, end - i)), line.Number});
        i = end;
      } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        size_t end = i;
        while (end < s.size() &&
               (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '_')) {
          ++end;
        }
        tokens.push_back({TokKind::Word, std::string(s.substr(i, end - i)), line.Number});
        i = end;
      } else if (c == '"') {
        std::string value;
        ++i;
        while (true) {
          if (i >= s.size()) Fail(line.Number, "A quoted text is not closed on its line.");
          if (s[i] == '"') break;
          if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '"') {
            value.push_back('"');
            i += 2;
          } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7' &&
                     s[i + 2] >= '0' && s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
            const int v = (s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
            if ((v & 0xFF) == 0) Fail(line.Number, "The quoted text holds a NUL character.");
            value.push_back(static_cast<char>(v & 0xFF));
            i += 4;
          } else {
            value.push_back(s[i]);
            ++i;
          }
        }
        tokens.push_back({TokKind::String, std::move(value), line.Number});
        ++i;
      } else if (c == '{' || c == '}' || c == ':' || c == ',' || c == '#') {
        tokens.push_back({TokKind::Punct, std::string(1, c), line.Number});
        ++i;
      } else {
        const auto u = static_cast<unsigned char>(c);
        Fail(line.Number, u >= 0x20 && u < 0x7F
                              ? "The character '" + std::string(1, c) + "' is not understood."
                              : "A control or non-ASCII character outside quotes is not "
                                "understood.");
      }
    }
  }
  return tokens;
}

struct ModeInfo {
  const char* Name;
  int32_t BlockSize;
};

// MODE0 is only a ZERO data mode, never a track mode.
constexpr ModeInfo kModes[] = {
    {"AUDIO", 2352},       {"MODE1", 2048},          {"MODE1_RAW", 2352},
    {"MODE2", 2336},       {"MODE2_RAW", 2352},      {"MODE2_FORM1", 2048},
    {"MODE2_FORM2", 2324}, {"MODE2_FORM_MIX", 2336}, {"MODE0", 2336},
};

const ModeInfo* FindMode(const std::string& word) {
  const ModeInfo* m = std::find_if(std::begin(kModes), std::end(kModes),
                                   [&](const ModeInfo& i) { return word == i.Name; });
  return m == std::end(kModes) ? nullptr : m;
}

constexpr const char* kKeywords[] = {"TRACK",
                                     "AUDIO",
                                     "MODE0",
                                     "MODE1",
                                     "MODE1_RAW",
                                     "MODE2",
                                     "MODE2_RAW",
                                     "MODE2_FORM1",
                                     "MODE2_FORM2",
                                     "MODE2_FORM_MIX",
                                     "RW",
                                     "RW_RAW",
                                     "INDEX",
                                     "CATALOG",
                                     "ISRC",
                                     "NO",
                                     "COPY",
                                     "PRE_EMPHASIS",
                                     "TWO_CHANNEL_AUDIO",
                                     "FOUR_CHANNEL_AUDIO",
                                     "AUDIOFILE",
                                     "FILE",
                                     "DATAFILE",
                                     "FIFO",
                                     "SILENCE",
                                     "ZERO",
                                     "PREGAP",
                                     "START",
                                     "END",
                                     "CD_DA",
                                     "CD_ROM",
                                     "CD_ROM_XA",
                                     "CD_I",
                                     "SWAP",
                                     "CD_TEXT",
                                     "LANGUAGE",
                                     "LANGUAGE_MAP",
                                     "TITLE",
                                     "PERFORMER",
                                     "SONGWRITER",
                                     "COMPOSER",
                                     "ARRANGER",
                                     "MESSAGE",
                                     "DISC_ID",
                                     "GENRE",
                                     "TOC_INFO1",
                                     "TOC_INFO2",
                                     "RESERVED1",
                                     "RESERVED2",
                                     "RESERVED3",
                                     "RESERVED4",
                                     "UPC_EAN",
                                     "SIZE_INFO",
                                     "EN"};

bool IsKeyword(const std::string& word) {
  return std::find_if(std::begin(kKeywords), std::end(kKeywords),
                      [&](const char* k) { return word == k; }) != std::end(kKeywords);
}

std::string CdTextString(std::string bytes) {
  return IsValidUtf8(bytes) ? bytes : LegacyToUtf8(bytes);
}

class TocParser {
 public:
  TocParser(std::vector<Token> tokens, const std::string& folder) : Tokens_(std::move(tokens)) {
    Sheet_.Folder = folder;
    Sheet_.Source = RipSource::TocFile;
    for (const Token& t : Tokens_) {
      if (t.Kind == TokKind::Word && !IsKeyword(t.Text)) {
        std::string upper = t.Text;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        Fail(t.Line, "The word \"" + t.Text.substr(0, 40) + "\" is not understood" +
                         (IsKeyword(upper) ? " (keywords are upper case)." : "."));
      }
    }
    const int32_t lastLine = Tokens_.empty() ? 0 : Tokens_.back().Line;
    Tokens_.push_back({TokKind::End, "", lastLine});
  }

  RipSheet Parse() {
    if (Tokens_.size() == 1) Fail(0, "The TOC file is empty.");
    while (true) {
      if (Accept("CATALOG")) {
        const Token code = ExpectString();
        if (code.Text.size() == 13 && std::all_of(code.Text.begin(), code.Text.end(),
                                                  [](char c) { return c >= '0' && c <= '9'; })) {
          Sheet_.Catalog = code.Text;
        } else {
          Warn(code.Line, "The catalog number \"" + code.Text.substr(0, 40) +
                              "\" is not 13 digits; it is ignored.");
        }
      } else if (IsWord("CD_DA") || IsWord("CD_ROM") || IsWord("CD_ROM_XA") || IsWord("CD_I")) {
        Sheet_.TocType = Next().Text;
      } else {
        break;
      }
    }
    if (IsWord("CD_TEXT")) ParseCdTextBlock(Sheet_.CdTextContent, false);
    if (!IsWord("TRACK")) Unexpected("TRACK");
    while (IsWord("TRACK")) Track();
    if (Peek().Kind != TokKind::End) Unexpected("TRACK or the end of the file");
    return std::move(Sheet_);
  }

 private:
  // ---- tokens ----
  const Token& Peek(size_t ahead = 0) const {
    return Tokens_[std::min(Pos_ + ahead, Tokens_.size() - 1)];
  }
  const Token& Next() {
    const Token& t = Peek();
    if (Pos_ < Tokens_.size() - 1) ++Pos_;
    return t;
  }
  bool IsWord(const char* word, size_t ahead = 0) const {
    return Peek(ahead).Kind == TokKind::Word && Peek(ahead).Text == word;
  }
  bool IsPunct(char c) const { return Peek().Kind == TokKind::Punct && Peek().Text[0] == c; }
  bool Accept(const char* word) {
    if (!IsWord(word)) return false;
    Next();
    return true;
  }
  static std::string Describe(const Token& t) {
    switch (t.Kind) {
      case TokKind::Word:
        return t.Text.substr(0, 40);
      case TokKind::Number:
        return "the number " + t.Text;
      case TokKind::String:
        return "a quoted text";
      case TokKind::Punct:
        return "'" + t.Text + "'";
      case TokKind::End:
        break;
    }
    return "the end of the file";
  }
  [[noreturn]] void Unexpected(const std::string& expected) const {
    Fail(Peek().Line, "Expected " + expected + " but found " + Describe(Peek()) + ".");
  }
  void ExpectPunct(char c) {
    if (!IsPunct(c)) Unexpected(std::string("'") + c + "'");
    Next();
  }
  Token ExpectString() {
    if (Peek().Kind != TokKind::String) Unexpected("a quoted text");
    return Next();
  }
  Token ExpectNumber() {
    if (Peek().Kind != TokKind::Number) Unexpected("a number");
    return Next();
  }
  void Warn(int32_t line, std::string message) {
    Sheet_.Warnings.push_back({line, std::move(message)});
  }

  // ---- times ----
  // mm:ss:ff as CD frames, when the next tokens are one; -1 otherwise (nothing read).
  int64_t MaybeMsf() {
    if (Peek().Kind != TokKind::Number ||
        !(Peek(1).Kind == TokKind::Punct && Peek(1).Text == ":")) {
      return -1;
    }
    const Token m = Next();
    Next();
    const Token s = ExpectNumber();
    ExpectPunct(':');
    const Token f = ExpectNumber();
    const int64_t mm = std::stoll(m.Text);
    const int64_t ss = std::stoll(s.Text);
    const int64_t ff = std::stoll(f.Text);
    const std::string shown = m.Text + ":" + s.Text + ":" + f.Text;
    if (mm > 9999) Fail(m.Line, "The minutes of " + shown + " are too many.");
    if (ss > 59) Fail(s.Line, "The seconds of " + shown + " must be below 60.");
    if (ff > 74) Fail(f.Line, "The frames of " + shown + " must be below 75.");
    return MsfToFrames(mm, ss, ff);
  }
  int64_t ExpectMsf() {
    const int64_t frames = MaybeMsf();
    if (frames < 0) Unexpected("a time mm:ss:ff");
    return frames;
  }
  // mm:ss:ff or a plain count of sample frames.
  int64_t ExpectSamples() {
    const int64_t frames = MaybeMsf();
    if (frames >= 0) return frames * kSamplesPerCdFrame;
    return std::stoll(ExpectNumber().Text);
  }
  // mm:ss:ff (sectors of `blockSize` bytes) or a plain count of bytes.
  int64_t ExpectDataLength(int32_t blockSize) {
    const int64_t frames = MaybeMsf();
    if (frames >= 0) return frames * blockSize;
    return std::stoll(ExpectNumber().Text);
  }

  // ---- CD-Text ----
  void ParseCdTextBlock(std::vector<RipCdText>& blocks, bool track) {
    Next();  // CD_TEXT
    ExpectPunct('{');
    if (!track && Accept("LANGUAGE_MAP")) {
      ExpectPunct('{');
      do {
        const Token block = ExpectNumber();
        ExpectPunct(':');
        int64_t code = 9;
        int32_t codeLine = Peek().Line;
        if (!Accept("EN")) code = std::stoll(ExpectNumber().Text);
        if (std::stoll(block.Text) > 7) {
          Fail(block.Line, "The language number " + block.Text + " is not from 0 to 7.");
        }
        if (code > 255) {
          Fail(codeLine, "The language code " + std::to_string(code) + " is not from 0 to 255.");
        }
        Sheet_.Languages.push_back(
            {static_cast<int32_t>(std::stoll(block.Text)), static_cast<int32_t>(code)});
      } while (!IsPunct('}'));
      ExpectPunct('}');
    }
    while (Accept("LANGUAGE")) {
      const Token number = ExpectNumber();
      if (std::stoll(number.Text) > 7) {
        Fail(number.Line, "The language number " + number.Text + " is not from 0 to 7.");
      }
      const int32_t n = static_cast<int32_t>(std::stoll(number.Text));
      auto found = std::find_if(blocks.begin(), blocks.end(),
                                [&](const RipCdText& b) { return b.Block == n; });
      if (found == blocks.end()) {
        blocks.emplace_back();
        blocks.back().Block = n;
        found = blocks.end() - 1;
      }
      const size_t at = static_cast<size_t>(found - blocks.begin());
      ExpectPunct('{');
      while (!IsPunct('}')) CdTextItem(blocks[at], track);
      ExpectPunct('}');
    }
    ExpectPunct('}');
  }

  void CdTextItem(RipCdText& text, bool track) {
    if (Peek().Kind != TokKind::Word) Unexpected("a CD-Text item such as TITLE");
    const Token item = Next();
    static constexpr const char* kDiscOnly[] = {"DISC_ID", "GENRE", "TOC_INFO1", "TOC_INFO2",
                                                "SIZE_INFO"};
    static constexpr const char* kOthers[] = {"TITLE",     "PERFORMER", "SONGWRITER", "COMPOSER",
                                              "ARRANGER",  "MESSAGE",   "RESERVED1",  "RESERVED2",
                                              "RESERVED3", "RESERVED4", "UPC_EAN",    "ISRC"};
    auto in = [&](const auto& list) {
      return std::find_if(std::begin(list), std::end(list),
                          [&](const char* k) { return item.Text == k; }) != std::end(list);
    };
    const bool discOnly = in(kDiscOnly);
    if (!discOnly && !in(kOthers)) {
      Fail(item.Line, "Expected a CD-Text item such as TITLE but found " + Describe(item) + ".");
    }
    if (track && discOnly) {
      Fail(item.Line, item.Text + " belongs in the disc's CD_TEXT block, not a track's.");
    }
    if (IsPunct('{')) {  // binary data: read and dropped
      Next();
      if (!IsPunct('}')) {
        while (true) {
          const Token byte = ExpectNumber();
          if (std::stoll(byte.Text) > 255) {
            Fail(byte.Line, "The byte " + byte.Text + " is not from 0 to 255.");
          }
          if (!IsPunct(',')) break;
          Next();
        }
      }
      ExpectPunct('}');
      return;
    }
    const std::string value = CdTextString(ExpectString().Text);
    if (item.Text == "TITLE") text.Title = value;
    if (item.Text == "PERFORMER") text.Performer = value;
    if (item.Text == "SONGWRITER") text.Songwriter = value;
    if (item.Text == "COMPOSER") text.Composer = value;
    if (item.Text == "ARRANGER") text.Arranger = value;
    if (item.Text == "MESSAGE") text.Message = value;
    if (item.Text == "DISC_ID") text.DiscId = value;
    if (item.Text == "GENRE") text.Genre = value;
    if (item.Text == "UPC_EAN") text.UpcEan = value;
    if (item.Text == "ISRC") text.Isrc = value;
  }

  // ---- tracks ----
  void Track() {
    const Token def = Next();
    if (Sheet_.Tracks.size() == 99) Fail(def.Line, "A disc holds at most 99 tracks.");
    RipTrack track;
    track.Number = static_cast<int32_t>(Sheet_.Tracks.size()) + 1;
    track.Line = def.Line;
    const ModeInfo* mode = Peek().Kind == TokKind::Word ? FindMode(Peek().Text) : nullptr;
    if (mode == nullptr || std::string(mode->Name) == "MODE0") Unexpected("a track mode");
    Next();
    track.Mode = mode->Name;
    track.Audio = track.Mode == "AUDIO";
    track.BlockSize = mode->BlockSize;
    if (IsWord("RW") || IsWord("RW_RAW")) {
      track.SubChannel = Next().Text;
      track.BlockSize += 96;
    }
    TrackFlags(track);
    if (IsWord("CD_TEXT")) ParseCdTextBlock(track.CdTextContent, true);
    if (IsWord("PREGAP")) {
      const int32_t line = Next().Line;
      track.PreGapSilence = ExpectMsf() * kSamplesPerCdFrame;
      if (track.PreGapSilence == 0) Fail(line, "The PREGAP length is zero.");
    }
    while (true) {
      if (IsWord("FILE") || IsWord("AUDIOFILE") || IsWord("DATAFILE") || IsWord("FIFO") ||
          IsWord("SILENCE") || IsWord("ZERO")) {
        ParsePiece(track);
      } else if (IsWord("START") || IsWord("END")) {
        Mark(track);
      } else {
        break;
      }
    }
    if (track.Pieces.empty()) {
      Fail(def.Line, "Track " + std::to_string(track.Number) +
                         " has no FILE, AUDIOFILE, DATAFILE, SILENCE or ZERO.");
    }
    const int64_t length = KnownLength(track, track.Pieces.size());
    if (track.Start.Line != 0 && length >= 0 && track.Start.Position >= length) {
      Fail(track.Start.Line, "START lies at or after the end of the track.");
    }
    if (track.End.Line != 0 && length >= 0 && track.End.Position >= length) {
      Fail(track.End.Line, "END lies at or after the end of the track.");
    }
    const int64_t start = track.Start.Line != 0 ? track.Start.Position : 0;
    while (IsWord("INDEX")) {
      const int32_t line = Next().Line;
      const int64_t position = ExpectMsf() * kSamplesPerCdFrame;
      if (track.Indices.size() == 98) Fail(line, "A track holds at most 98 INDEX increments.");
      if (position == 0) Fail(line, "An INDEX cannot lie at the track start.");
      if (!track.Indices.empty() && position <= track.Indices.back().Position) {
        Fail(line, "An INDEX must lie after the INDEX before it.");
      }
      if (length >= 0 && start >= 0 && start + position >= length) {
        Fail(line, "The INDEX lies at or after the end of the track.");
      }
      track.Indices.push_back({static_cast<int32_t>(track.Indices.size()) + 2, -1, position, line});
    }
    Sheet_.Tracks.push_back(std::move(track));
  }

  void TrackFlags(RipTrack& track) {
    while (true) {
      if (IsWord("ISRC")) {
        Next();
        const Token code = ExpectString();
        if (IsIsrc(code.Text)) {
          track.Isrc = code.Text;
        } else {
          Warn(code.Line, "The ISRC \"" + code.Text.substr(0, 40) +
                              "\" is not 12 letters and digits (CCOOOYYNNNNN); it is ignored.");
        }
      } else if (IsWord("COPY") || (IsWord("NO") && IsWord("COPY", 1))) {
        track.Dcp = !Accept("NO");
        Next();
      } else if (IsWord("PRE_EMPHASIS") || (IsWord("NO") && IsWord("PRE_EMPHASIS", 1))) {
        track.Pre = !Accept("NO");
        Next();
      } else if (IsWord("TWO_CHANNEL_AUDIO") || IsWord("FOUR_CHANNEL_AUDIO")) {
        track.FourChannel = Next().Text == "FOUR_CHANNEL_AUDIO";
      } else if (IsWord("NO")) {
        Next();
        Unexpected("COPY or PRE_EMPHASIS");
      } else {
        return;
      }
    }
  }

  int32_t FileIndex(const std::string& name, RipFileType type, const std::string& command,
                    int32_t line) {
    for (size_t i = 0; i < Sheet_.Files.size(); ++i) {
      if (Sheet_.Files[i].Name == name && Sheet_.Files[i].Type == type) {
        return static_cast<int32_t>(i);
      }
    }
    RipFile file;
    file.Name = name;
    file.Path = PathFromFolder(Sheet_.Folder, name);
    file.Type = type;
    file.TypeText = command;
    file.Line = line;
    Sheet_.Files.push_back(std::move(file));
    return static_cast<int32_t>(Sheet_.Files.size() - 1);
  }

  void ParsePiece(RipTrack& track) {
    const Token command = Next();
    RipPiece piece;
    piece.Line = command.Line;
    const std::string& c = command.Text;
    if (c == "FIFO") Fail(command.Line, "FIFO input cannot be imported; copy it to a file first.");
    if (c == "FILE" || c == "AUDIOFILE" || c == "DATAFILE") {
      const Token name = ExpectString();
      if (name.Text.empty()) Fail(name.Line, "The file name is empty.");
      if (name.Text == "-") {
        Fail(name.Line, "Standard input (\"-\") cannot be imported; name a file instead.");
      }
      const bool audio = c != "DATAFILE";
      piece.Kind = audio ? RipPieceKind::Audio : RipPieceKind::Data;
      piece.File =
          FileIndex(name.Text, audio ? RipFileType::Audio : RipFileType::Data, c, command.Line);
      if (audio && Accept("SWAP")) piece.Swap = true;
      if (IsPunct('#')) {
        Next();
        piece.ByteOffset = std::stoll(ExpectNumber().Text);
      }
      if (audio) {
        if (!track.Audio || !track.SubChannel.empty()) {
          Fail(command.Line, c + " is only allowed in AUDIO tracks without sub-channel data.");
        }
        piece.Start = ExpectSamples();
        if (Peek().Kind == TokKind::Number) piece.Length = ExpectSamples();
        if (piece.Length == 0) piece.Length = -1;
      } else if (Peek().Kind == TokKind::Number) {
        piece.Length = ExpectDataLength(track.BlockSize);
        if (piece.Length == 0) piece.Length = -1;
      }
    } else if (c == "SILENCE") {
      if (!track.Audio || !track.SubChannel.empty()) {
        Fail(command.Line, "SILENCE is only allowed in AUDIO tracks without sub-channel data.");
      }
      piece.Kind = RipPieceKind::Silence;
      piece.Length = ExpectSamples();
      if (piece.Length == 0) Fail(command.Line, "The SILENCE length is zero.");
    } else {  // ZERO
      piece.Kind = RipPieceKind::Zero;
      int32_t blockSize = track.BlockSize;
      if (Peek().Kind == TokKind::Word && FindMode(Peek().Text) != nullptr) {
        blockSize = FindMode(Next().Text)->BlockSize;
      }
      if (IsWord("RW") || IsWord("RW_RAW")) {
        Next();
        blockSize += 96;
      }
      piece.Length = ExpectDataLength(blockSize);
      if (piece.Length == 0) Fail(command.Line, "The ZERO length is zero.");
    }
    const auto cuts = [](RipPieceKind k) {
      return k == RipPieceKind::Audio || k == RipPieceKind::Silence;
    };
    if (!track.Pieces.empty() && cuts(track.Pieces.front().Kind) != cuts(piece.Kind)) {
      Fail(command.Line,
           "FILE, AUDIOFILE and SILENCE cannot be mixed with DATAFILE and ZERO "
           "in one track.");
    }
    track.Pieces.push_back(piece);
  }

  void Mark(RipTrack& track) {
    const Token command = Next();
    const bool start = command.Text == "START";
    RipTrackMark& mark = start ? track.Start : track.End;
    if (mark.Line != 0 || (start && track.PreGapSilence > 0)) {
      Fail(command.Line,
           start ? "The track start (START or PREGAP) is already given." : "END is already given.");
    }
    mark.Line = command.Line;
    mark.PiecesBefore = static_cast<int32_t>(track.Pieces.size());
    const int64_t frames = MaybeMsf();
    if (frames >= 0) {
      mark.Position = frames * kSamplesPerCdFrame;
    } else {
      // The length so far, rounded up to a whole CD frame as cdrdao does.
      const int64_t length = KnownLength(track, track.Pieces.size());
      mark.Position =
          length < 0 ? -1
                     : (length + kSamplesPerCdFrame - 1) / kSamplesPerCdFrame * kSamplesPerCdFrame;
    }
    if (start && track.End.Line != 0 && track.End.Position >= 0 && mark.Position >= 0 &&
        track.End.Position <= mark.Position) {
      Fail(command.Line, "START must lie before END.");
    }
    if (!start && track.Start.Line != 0 && track.Start.Position >= 0 && mark.Position >= 0 &&
        mark.Position <= track.Start.Position) {
      Fail(command.Line, "END must lie after START.");
    }
  }

  // Sample frames of the first `count` pieces, data pieces counted in whole sectors; −1
  // when one of them runs to the end of its file.
  static int64_t KnownLength(const RipTrack& track, size_t count) {
    int64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
      const RipPiece& p = track.Pieces[i];
      if (p.Length < 0) return -1;
      if (p.Kind == RipPieceKind::Audio || p.Kind == RipPieceKind::Silence) {
        total += p.Length;
      } else {
        total += (p.Length + track.BlockSize - 1) / track.BlockSize * kSamplesPerCdFrame;
      }
    }
    return total;
  }

  std::vector<Token> Tokens_;
  size_t Pos_ = 0;
  RipSheet Sheet_;
};

}  // namespace

RipResult ReadTocText(std::string_view text, const std::string& folder) {
  RipResult result;
  SheetText decoded;
  if (!DecodeSheetText(text, decoded, result.Error)) return result;
  try {
    result.Sheet = TocParser(Lex(decoded), folder).Parse();
    if (decoded.FromLegacy) {
      result.Sheet.Warnings.insert(
          result.Sheet.Warnings.begin(),
          {0, "The TOC file is not UTF-8; it was read as Windows-1252 (Latin-1)."});
    } else if (decoded.FromUtf16) {
      result.Sheet.Warnings.insert(result.Sheet.Warnings.begin(),
                                   {0, "The TOC file was converted from UTF-16."});
    }
    result.Ok = true;
  } catch (const TocFailure& failure) {
    result.Error = failure.Error;
  }
  return result;
}

RipResult ReadTocFile(const std::string& path) {
  RipResult result;
  std::string raw;
  if (!ReadSheetBytes(path, raw, result.Error)) return result;
  return ReadTocText(raw, FolderOf(path));
}

}  // namespace varnel
