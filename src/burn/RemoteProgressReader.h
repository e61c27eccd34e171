// Reads cdrdao's --remote messages from the bytes of its pipe as they arrive, in pieces of
// any size. A message is the sync bytes ff 00 ff 00 and seven native ints (RemoteProgress);
// bytes that are not part of one are skipped up to the next sync, so that one lost or
// stray byte costs at most the message it falls in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "burn/RemoteProgress.h"

namespace varnel {

class RemoteProgressReader {
 public:
  // Takes the next bytes of the pipe.
  void Feed(const void* data, size_t size);
  // The next whole message, in order; nullopt when more bytes are needed.
  std::optional<RemoteProgress> Next();
  // How many bytes were skipped as not belonging to a message.
  size_t SkippedBytes() const { return Skipped_; }

 private:
  std::string Pending_;
  size_t Skipped_ = 0;
};

}  // namespace varnel
