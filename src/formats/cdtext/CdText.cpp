// CD-Text packs, read side and write side over the one table of pack types.
#include "formats/cdtext/CdText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include "model/PosixFile.h"

namespace varnel {

namespace {

using K = CdTextKind;

constexpr std::array<CdTextPackType, 16> kPackTypes = {{
    {0x80, K::TrackText, true, "TITLE", "TITLE"},
    {0x81, K::TrackText, true, "PERFORMER", "PERFORMER"},
    {0x82, K::TrackText, true, "SONGWRITER", "SONGWRITER"},
    {0x83, K::TrackText, true, "COMPOSER", "COMPOSER"},
    {0x84, K::TrackText, true, "ARRANGER", "ARRANGER"},
    {0x85, K::TrackText, true, "MESSAGE", "MESSAGE"},
    {0x86, K::DiscText, false, "DISC_ID", nullptr},
    {0x87, K::Genre, false, "GENRE", nullptr},
    // The table of contents of the disc the text was taken from; cdrdao's own belongs on ours.
    {0x88, K::Binary, false, nullptr, nullptr},
    {0x89, K::Binary, false, nullptr, nullptr},
    {0x8A, K::Binary, false, nullptr, nullptr},
    {0x8B, K::Binary, false, nullptr, nullptr},
    {0x8C, K::Binary, false, nullptr, nullptr},
    {0x8D, K::DiscText, false, nullptr, nullptr},
    {0x8E, K::TrackText, false, "UPC_EAN", "ISRC"},
    {0x8F, K::SizeInfo, false, nullptr, nullptr},
}};

constexpr int kMaxBlocks = 8;
constexpr int kMaxPacksPerBlock = 256;
constexpr int kPayload = 12;

std::string Hex(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFFu);
  return buf;
}

// What the size-information packs of a block say, as 36 bytes.
using SizeRecord = std::array<uint8_t, 36>;

struct RawBlock {
  int32_t Number = 0;
  std::vector<const uint8_t*> Packs;  // in file order
  std::vector<size_t> Index;          // 1-based pack numbers in the file, for messages
  SizeRecord Size{};
};

// ---- read side -------------------------------------------------------------------------

class TextStream {
 public:
  TextStream(const RawBlock& block, uint8_t type, bool pairs, int32_t first, int32_t last)
      : Block_(block), Type_(type), Unit_(pairs ? 2 : 1), First_(first), Last_(last) {}

  // Splits the texts of every pack of this type into `out`; false with `reason`.
  bool Run(std::map<int32_t, std::string>& out, std::string& reason) {
    bool started = false;
    for (size_t k = 0; k < Block_.Packs.size(); ++k) {
      const uint8_t* pack = Block_.Packs[k];
      if (pack[0] != Type_) continue;
      const std::string where =
          "pack " + std::to_string(Block_.Index[k]) + " (type " + Hex(Type_) + ")";
      if (!started) {
        started = true;
        Track_ = pack[1];
        if (!InRange(Track_)) {
          reason = where + " starts with track " + std::to_string(Track_) +
                   ", outside the block's tracks";
          return false;
        }
      }
      if (!Padding_) {
        if (pack[1] != Track_) {
          reason = where + " is marked for track " + std::to_string(pack[1]) +
                   " but holds text of track " + std::to_string(Track_);
          return false;
        }
        const size_t carried = std::min<size_t>(Current_.size() / Unit_, 15);
        if (Unit_ == 1 && (pack[3] & 0x0F) != carried) {
          reason = where + " says " + std::to_string(pack[3] & 0x0F) +
                   " characters were carried over where " + std::to_string(carried) + " were";
          return false;
        }
      }
      for (int j = 0; j < kPayload; j += Unit_) {
        const uint8_t* ch = pack + 4 + j;
        const bool end = ch[0] == 0 && (Unit_ == 1 || ch[1] == 0);
        if (!end) {
          Current_.append(reinterpret_cast<const char*>(ch), Unit_);
          continue;
        }
        if (!Finish(out, reason)) return false;
      }
    }
    if (!Current_.empty()) {
      reason = "the text of type " + Hex(Type_) + " for track " + std::to_string(Track_) +
               " runs off the end of its packs";
      return false;
    }
    return true;
  }

 private:
  bool InRange(int32_t track) const { return track == 0 || (track >= First_ && track <= Last_); }

  bool Finish(std::map<int32_t, std::string>& out, std::string& reason) {
    std::string text = std::move(Current_);
    Current_.clear();
    if (text == std::string(Unit_, '\t')) {
      if (!HavePrevious_) {
        reason = "a text of type " + Hex(Type_) + " for track " + std::to_string(Track_) +
                 " repeats the one before it, but there is none";
        return false;
      }
      text = Previous_;
    }
    if (Padding_) {
      if (!text.empty()) {
        reason = Last_ == 0 ? "type " + Hex(Type_) + " holds more than the disc's text"
                            : "type " + Hex(Type_) + " has text past the last track " +
                                  std::to_string(Last_);
        return false;
      }
    } else {
      out[Track_] = text;
      Previous_ = text;
      HavePrevious_ = true;
    }
    if (!Padding_) {
      Track_ = Track_ == 0 ? First_ : Track_ + 1;
      if (Track_ > Last_) Padding_ = true;
    }
    return true;
  }

  const RawBlock& Block_;
  const uint8_t Type_;
  const int Unit_;
  const int32_t First_;
  const int32_t Last_;
  int32_t Track_ = 0;
  bool Padding_ = false;
  std::string Current_;
  std::string Previous_;
  bool HavePrevious_ = false;
};

bool ReadSizeRecord(RawBlock& raw, std::string& reason) {
  std::array<int, 3> seen{};
  for (const uint8_t* pack : raw.Packs) {
    if (pack[0] != kCdTextSizeInfo) continue;
    if (pack[1] > 2 || seen[pack[1]]++ != 0) {
      reason = "block " + std::to_string(raw.Number) + " has a stray size-information pack";
      return false;
    }
    std::copy(pack + 4, pack + 16, raw.Size.begin() + 12 * pack[1]);
  }
  if (seen != std::array<int, 3>{1, 1, 1}) {
    reason = "block " + std::to_string(raw.Number) + " has no complete size information";
    return false;
  }
  return true;
}

bool DecodeBlock(const RawBlock& raw, CdTextBlock& block, std::string& reason) {
  const SizeRecord& s = raw.Size;
  const std::string name = "block " + std::to_string(raw.Number);
  block.Number = raw.Number;
  block.CharacterCode = s[0];
  block.FirstTrack = s[1];
  block.LastTrack = s[2];
  block.Copyright = s[3];
  block.Language = s[28 + raw.Number];
  if (CdTextCharsetName(s[0]).empty()) {
    reason = name + " uses the unknown character set " + Hex(s[0]);
    return false;
  }
  if (s[1] < 1 || s[2] > 99 || s[1] > s[2]) {
    reason =
        name + " gives the track range " + std::to_string(s[1]) + " to " + std::to_string(s[2]);
    return false;
  }
  std::array<int, 16> count{};
  for (const uint8_t* pack : raw.Packs) ++count[pack[0] - 0x80];
  for (int t = 0; t < 16; ++t) {
    if (s[4 + t] != count[t]) {
      reason = name + "'s size information counts " + std::to_string(s[4 + t]) + " packs of type " +
               Hex(0x80 + t) + ", but the block has " + std::to_string(count[t]);
      return false;
    }
  }
  for (const CdTextPackType& row : kPackTypes) {
    if (count[row.Code - 0x80] == 0) continue;
    if (row.Kind == K::TrackText || row.Kind == K::DiscText) {
      const bool pairs = block.DoubleByte() && row.BlockCharset;
      const int32_t first = row.Kind == K::TrackText ? block.FirstTrack : 1;
      const int32_t last = row.Kind == K::TrackText ? block.LastTrack : 0;
      std::map<int32_t, std::string> texts;
      if (!TextStream(raw, row.Code, pairs, first, last).Run(texts, reason)) return false;
      if (row.Kind == K::TrackText) {
        texts.try_emplace(0);
        for (int32_t t = block.FirstTrack; t <= block.LastTrack; ++t) texts.try_emplace(t);
      }
      for (auto& [track, text] : texts) block.SetText(row.Code, track, std::move(text));
    } else if (row.Kind == K::Genre || row.Kind == K::Binary) {
      std::vector<uint8_t> payload;
      for (const uint8_t* pack : raw.Packs) {
        if (pack[0] == row.Code) payload.insert(payload.end(), pack + 4, pack + 16);
      }
      if (row.Kind == K::Binary) {
        block.Binary[row.Code] = std::move(payload);
        continue;
      }
      // Code, then the text up to its terminator. Some writers repeat the code at the head
      // of later packs; whatever follows the terminator is not looked at.
      auto end = std::find(payload.begin() + 2, payload.end(), uint8_t{0});
      if (end == payload.end()) {
        reason = "the genre text of " + name + " runs off the end of its packs";
        return false;
      }
      block.Genre = CdTextGenre{static_cast<uint16_t>(payload[0] << 8 | payload[1]),
                                std::string(payload.begin() + 2, end)};
    }
  }
  return true;
}

// Each block's size information names every block's last sequence number and language.
bool CheckSizeRecords(const std::vector<RawBlock>& raws, std::string& reason) {
  std::array<const RawBlock*, kMaxBlocks> byNumber{};
  for (const RawBlock& raw : raws) byNumber[raw.Number] = &raw;
  for (const RawBlock& raw : raws) {
    for (int k = 0; k < kMaxBlocks; ++k) {
      const RawBlock* other = byNumber[k];
      const int want = other != nullptr ? static_cast<int>(other->Packs.size()) - 1 : 0;
      if (raw.Size[20 + k] != want) {
        reason = "block " + std::to_string(raw.Number) + "'s size information gives " +
                 std::to_string(raw.Size[20 + k]) + " as the last sequence number of block " +
                 std::to_string(k) + ", where it is " + std::to_string(want);
        return false;
      }
      if (other != nullptr && raw.Size[28 + k] != other->Size[28 + k]) {
        reason = "blocks " + std::to_string(raw.Number) + " and " + std::to_string(k) +
                 " disagree on the language of block " + std::to_string(k);
        return false;
      }
    }
  }
  return true;
}

// Strips an accepted header or trailing byte; false when the size fits no accepted form.
bool Unframe(const uint8_t*& data, size_t& size, std::string& reason) {
  if (size == 0) {
    reason = "the file is empty";
    return false;
  }
  if (size % kCdTextPackSize == 4) {
    const size_t declared = static_cast<size_t>(data[0]) << 8 | data[1];
    if (size < 4 + kCdTextPackSize || data[2] != 0 || data[3] != 0 || declared != size - 2) {
      reason = "its 4-byte header does not give the length of the " + std::to_string(size - 4) +
               " bytes that follow";
      return false;
    }
    data += 4;
    size -= 4;
  } else if (size % kCdTextPackSize == 1 && data[size - 1] == 0) {
    --size;
  }
  if (size == 0 || size % kCdTextPackSize != 0) {
    reason = std::to_string(size) + " bytes is not a whole number of 18-byte CD-Text packs";
    return false;
  }
  return true;
}

bool Decode(const uint8_t* data, size_t size, CdText& text, std::string& reason) {
  if (!Unframe(data, size, reason)) return false;
  const size_t packs = size / kCdTextPackSize;
  if (packs > static_cast<size_t>(kMaxBlocks * kMaxPacksPerBlock)) {
    reason = "it holds more packs than 8 blocks can";
    return false;
  }
  bool noCrcs = true;
  for (size_t i = 0; i < packs && noCrcs; ++i) {
    noCrcs = data[i * kCdTextPackSize + 16] == 0 && data[i * kCdTextPackSize + 17] == 0;
  }
  std::vector<RawBlock> raws;
  for (size_t i = 0; i < packs; ++i) {
    const uint8_t* pack = data + i * kCdTextPackSize;
    const std::string where = "pack " + std::to_string(i + 1);
    if (!noCrcs && CdTextPackCrc(pack) != (pack[16] << 8 | pack[17])) {
      reason = where + " has a wrong CRC";
      return false;
    }
    if (FindCdTextPackType(pack[0]) == nullptr) {
      reason = where + " has the unknown type " + Hex(pack[0]);
      return false;
    }
    const int32_t number = (pack[3] >> 4) & 7;
    if (raws.empty() || number > raws.back().Number) {
      raws.emplace_back().Number = number;
    } else if (number < raws.back().Number) {
      reason = where + " belongs to block " + std::to_string(number) + ", which ended before";
      return false;
    }
    RawBlock& raw = raws.back();
    if (pack[2] != raw.Packs.size()) {
      reason = where + " has the sequence number " + std::to_string(pack[2]) + " where " +
               std::to_string(raw.Packs.size()) + " was due";
      return false;
    }
    raw.Packs.push_back(pack);
    raw.Index.push_back(i + 1);
  }
  for (RawBlock& raw : raws) {
    if (!ReadSizeRecord(raw, reason)) return false;
  }
  if (!CheckSizeRecords(raws, reason)) return false;
  for (const RawBlock& raw : raws) {
    if (!DecodeBlock(raw, text.Blocks.emplace_back(), reason)) return false;
  }
  return true;
}

// ---- write side ------------------------------------------------------------------------

struct PackBuilder {
  uint8_t Block;
  std::vector<std::array<uint8_t, 18>> Packs;

  // Cuts `bytes` into packs; `head(offset)` gives the track and carried-over count of the
  // pack starting at that offset.
  template <typename Head>
  void Add(uint8_t type, bool pairs, const std::string& bytes, Head&& head) {
    for (size_t at = 0; at < bytes.size(); at += kPayload) {
      std::array<uint8_t, 18> pack{};
      const auto [track, carried] = head(at);
      pack[0] = type;
      pack[1] = static_cast<uint8_t>(track);
      pack[3] = static_cast<uint8_t>((pairs ? 0x80 : 0) | Block << 4 | std::min(carried, 15));
      const size_t n = std::min<size_t>(kPayload, bytes.size() - at);
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, pack.begin() + 4);
      Packs.push_back(pack);
    }
  }
};

bool HasTerminator(const std::string& text, int unit) {
  for (size_t i = 0; i + unit <= text.size(); i += unit) {
    if (text[i] == 0 && (unit == 1 || text[i + 1] == 0)) return true;
  }
  return false;
}

bool AddTexts(const CdTextBlock& block, const CdTextPackType& row, PackBuilder& out,
              std::string& reason) {
  const bool perTrack = row.Kind == K::TrackText;
  const int unit = block.DoubleByte() && row.BlockCharset ? 2 : 1;
  bool any = false;
  for (const auto& [key, value] : block.Texts) {
    if (key.first != row.Code) continue;
    any = true;
    const int32_t t = key.second;
    if (t != 0 && (!perTrack || t < block.FirstTrack || t > block.LastTrack)) {
      reason = "the text of type " + Hex(row.Code) + " for track " + std::to_string(t) +
               " lies outside the tracks of block " + std::to_string(block.Number);
      return false;
    }
    if (value.size() % unit != 0 || HasTerminator(value, unit) ||
        value == std::string(unit, '\t')) {
      reason = "the text of type " + Hex(row.Code) + " for track " + std::to_string(t) +
               " cannot be written as CD-Text";
      return false;
    }
  }
  if (!any) return true;
  std::vector<int32_t> tracks{0};
  if (perTrack) {
    for (int32_t t = block.FirstTrack; t <= block.LastTrack; ++t) tracks.push_back(t);
  }
  std::string bytes;
  std::vector<std::pair<size_t, int32_t>> starts;  // byte offset where each track's text begins
  const std::string* previous = nullptr;
  static const std::string kEmpty;
  for (int32_t t : tracks) {
    const std::string* text = block.Text(row.Code, t);
    if (text == nullptr) text = &kEmpty;
    starts.emplace_back(bytes.size(), t);
    const bool repeat =
        t > block.FirstTrack && !text->empty() && previous != nullptr && *previous == *text;
    bytes += repeat ? std::string(unit, '\t') : *text;
    bytes.append(unit, '\0');
    previous = text;
  }
  out.Add(row.Code, unit == 2, bytes, [&](size_t at) {
    auto it = std::upper_bound(starts.begin(), starts.end(), std::make_pair(at, 1000)) - 1;
    return std::make_pair(it->second, static_cast<int>((at - it->first) / unit));
  });
  return true;
}

bool EncodeBlock(const CdTextBlock& block, PackBuilder& out, std::string& reason) {
  for (const CdTextPackType& row : kPackTypes) {
    if (row.Kind == K::TrackText || row.Kind == K::DiscText) {
      if (!AddTexts(block, row, out, reason)) return false;
    } else if (row.Kind == K::Genre && block.Genre) {
      if (block.Genre->Text.find('\0') != std::string::npos) {
        reason = "the genre text of block " + std::to_string(block.Number) + " holds a zero byte";
        return false;
      }
      std::string bytes{static_cast<char>(block.Genre->Code >> 8),
                        static_cast<char>(block.Genre->Code & 0xFF)};
      bytes += block.Genre->Text;
      bytes.push_back('\0');
      out.Add(row.Code, false, bytes,
              [](size_t at) { return std::make_pair(0, at == 0 ? 0 : static_cast<int>(at) - 2); });
    } else if (row.Kind == K::Binary) {
      auto it = block.Binary.find(row.Code);
      if (it == block.Binary.end() || it->second.empty()) continue;
      const std::string bytes(it->second.begin(), it->second.end());
      out.Add(row.Code, false, bytes,
              [](size_t at) { return std::make_pair(static_cast<int32_t>(at / kPayload), 0); });
    }
  }
  return true;
}

bool Encode(const CdText& text, CdTextFraming framing, std::vector<uint8_t>& out,
            std::string& reason) {
  if (text.Blocks.empty() || text.Blocks.size() > static_cast<size_t>(kMaxBlocks)) {
    reason = "CD-Text needs 1 to 8 blocks, not " + std::to_string(text.Blocks.size());
    return false;
  }
  std::vector<PackBuilder> built;
  int32_t last = -1;
  for (const CdTextBlock& block : text.Blocks) {
    const std::string name = "block " + std::to_string(block.Number);
    if (block.Number <= last || block.Number >= kMaxBlocks) {
      reason = name + " is out of order or beyond block 7";
      return false;
    }
    last = block.Number;
    if (block.FirstTrack < 1 || block.LastTrack > 99 || block.FirstTrack > block.LastTrack) {
      reason = name + " has the track range " + std::to_string(block.FirstTrack) + " to " +
               std::to_string(block.LastTrack);
      return false;
    }
    if (CdTextCharsetName(block.CharacterCode).empty()) {
      reason = name + " has the unknown character set " + Hex(block.CharacterCode);
      return false;
    }
    built.push_back({static_cast<uint8_t>(block.Number), {}});
    if (!EncodeBlock(block, built.back(), reason)) return false;
    if (built.back().Packs.size() + 3 > static_cast<size_t>(kMaxPacksPerBlock)) {
      reason = name + " needs " + std::to_string(built.back().Packs.size() + 3) +
               " packs, more than 256";
      return false;
    }
  }
  SizeRecord shared{};  // last sequence numbers and languages of all blocks
  for (size_t b = 0; b < built.size(); ++b) {
    shared[20 + built[b].Block] = static_cast<uint8_t>(built[b].Packs.size() + 2);
    shared[28 + built[b].Block] = text.Blocks[b].Language;
  }
  out.clear();
  for (size_t b = 0; b < built.size(); ++b) {
    const CdTextBlock& block = text.Blocks[b];
    SizeRecord record = shared;
    record[0] = block.CharacterCode;
    record[1] = static_cast<uint8_t>(block.FirstTrack);
    record[2] = static_cast<uint8_t>(block.LastTrack);
    record[3] = block.Copyright;
    for (const auto& pack : built[b].Packs) ++record[4 + pack[0] - 0x80];
    record[4 + 15] = 3;
    const std::string bytes(record.begin(), record.end());
    built[b].Add(kCdTextSizeInfo, false, bytes,
                 [](size_t at) { return std::make_pair(static_cast<int32_t>(at / kPayload), 0); });
    uint8_t sequence = 0;
    for (auto& pack : built[b].Packs) {
      pack[2] = sequence++;
      const uint16_t crc = CdTextPackCrc(pack.data());
      pack[16] = static_cast<uint8_t>(crc >> 8);
      pack[17] = static_cast<uint8_t>(crc);
      out.insert(out.end(), pack.begin(), pack.end());
    }
  }
  if (framing == CdTextFraming::SizeHeader) {
    const size_t length = out.size() + 2;
    out.insert(out.begin(),
               {static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 0, 0});
  } else if (framing == CdTextFraming::TrailingZero) {
    out.push_back(0);
  }
  return true;
}

}  // namespace

const CdTextPackType* FindCdTextPackType(uint8_t code) {
  if (code < 0x80 || code > 0x8F) return nullptr;
  return &kPackTypes[code - 0x80];
}

std::string CdTextCharsetName(uint8_t code) {
  switch (code) {
    case 0x00:
      return "ISO 8859-1";
    case 0x01:
      return "ASCII";
    case 0x80:
      return "MS-JIS";
    case 0x81:
    case 0x82:
    case 0x83:
      return "Korean or Mandarin (" + Hex(code) + ")";
    default:
      return {};
  }
}

uint16_t CdTextPackCrc(const uint8_t* pack) {
  uint16_t crc = 0;
  for (int i = 0; i < 16; ++i) {
    crc ^= static_cast<uint16_t>(pack[i] << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return static_cast<uint16_t>(~crc);
}

const std::string* CdTextBlock::Text(uint8_t type, int32_t track) const {
  auto it = Texts.find({type, track});
  return it == Texts.end() ? nullptr : &it->second;
}

bool DecodeCdText(const uint8_t* data, size_t size, CdText& text, std::string& reason) {
  text = {};
  reason.clear();
  if (Decode(data, size, text, reason)) return true;
  text = {};
  return false;
}

bool ReadCdTextFile(const std::string& path, CdText& text, std::string& reason) {
  std::string bytes;
  try {
    bytes = ReadWholeFile(path, kCdTextMaxFileBytes);
  } catch (const FileError& e) {
    text = {};
    reason = e.Errno() == EFBIG ? "it is larger than any CD-Text" : ErrnoText(e.Errno());
    return false;
  }
  return DecodeCdText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text, reason);
}

int32_t CdTextBlockPackCount(const CdTextBlock& block) {
  PackBuilder built{static_cast<uint8_t>(block.Number), {}};
  std::string reason;
  if (!EncodeBlock(block, built, reason)) return -1;
  return static_cast<int32_t>(built.Packs.size()) + 3;
}

bool EncodeCdText(const CdText& text, CdTextFraming framing, std::vector<uint8_t>& out,
                  std::string& reason) {
  reason.clear();
  if (Encode(text, framing, out, reason)) return true;
  out.clear();
  return false;
}

}  // namespace varnel
