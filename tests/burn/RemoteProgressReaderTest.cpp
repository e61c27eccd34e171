// cdrdao's --remote messages read from bytes that arrive in pieces of every size, with
// stray and cut-short bytes among them.
#include "burn/RemoteProgressReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace varnel {
namespace {

std::string Message(const RemoteProgress& p) {
  const int32_t f[7] = {
      p.Status,        p.TotalTracks,       p.Track, p.TrackPermille, p.TotalPermille,
      p.BufferPercent, p.DriveBufferPercent};
  std::string bytes("\xff\x00\xff\x00", 4);
  bytes.append(reinterpret_cast<const char*>(f), sizeof f);
  return bytes;
}

std::vector<RemoteProgress> ReadInPieces(const std::string& bytes, size_t piece) {
  RemoteProgressReader reader;
  std::vector<RemoteProgress> out;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    while (std::optional<RemoteProgress> m = reader.Next()) out.push_back(*m);
  }
  return out;
}

TEST(RemoteProgressReaderTest, ReadsWholeMessagesWhateverThePiecesAndSkipsWhatIsNotOne) {
  const RemoteProgress a{3, 12, 1, 0, 0, 100, 80};
  const RemoteProgress b{4, 12, 3, 512, 208, 97, 99};
  const RemoteProgress c{5, 12, 0xaa, 0, 995, 0, 0};
  const std::string ab = Message(a) + Message(b);
  struct Row {
    const char* Name;
    std::string Bytes;
    std::vector<RemoteProgress> Expected;
  };
  const Row rows[] = {
      {"plain", ab + Message(c), {a, b, c}},
      {"garbage around",
       std::string("\x00\xff\x00\xff", 4) + ab + "xyz\xff" + Message(c),
       {a, b, c}},
      {"a sync alone between", ab + std::string("\xff\x00\xff\x00", 4) + Message(c), {a, b, c}},
      {"message cut short", Message(a).substr(0, 17) + Message(b) + Message(c), {b, c}},
      {"cut short at the end", ab + Message(c).substr(0, 30), {a, b}},
  };
  for (const Row& row : rows) {
    for (size_t piece : {1u, 3u, 5u, 31u, 32u, 1000u}) {
      EXPECT_EQ(ReadInPieces(row.Bytes, piece), row.Expected)
          << row.Name << ", pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace varnel
