// Any bytes found as a commit journal are read safely, and a journal that is taken is
// exactly what writing its entries gives: nothing in a damaged journal is guessed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "make/CommitJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto entries = varnel::ParseCommitJournal(text);
  if (entries && varnel::CommitJournalText(*entries) != text) std::abort();
  return 0;
}
