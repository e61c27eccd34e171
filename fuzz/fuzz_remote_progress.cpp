// cdrdao's --remote reader on any bytes, fed in pieces the input chooses: no crash, and the
// same messages whatever the pieces, as many as the bytes can hold at most.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "burn/RemoteProgressReader.h"

namespace {

std::vector<varnel::RemoteProgress> Read(const uint8_t* data, size_t size, size_t piece) {
  varnel::RemoteProgressReader reader;
  std::vector<varnel::RemoteProgress> out;
  for (size_t at = 0; at < size; at += piece) {
    reader.Feed(data + at, size - at < piece ? size - at : piece);
    while (std::optional<varnel::RemoteProgress> m = reader.Next()) out.push_back(*m);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = data[0] % 40 + 1;
  const auto whole = Read(data + 1, size - 1, size);
  if (Read(data + 1, size - 1, piece) != whole) std::abort();
  if (whole.size() > (size - 1) / 32) std::abort();
  return 0;
}
