// While a CancelSignals lives, SIGINT, SIGTERM and SIGHUP press the Cancel button of the
// work in progress: each calls the given function from the signal handler (which may
// therefore touch lock-free atomics only) and is remembered, so that work that starts
// after the signal can cancel itself at once. SIGXFSZ is ignored (a write past the file
// size limit then fails with EFBIG instead of killing the program amid its temporary
// files). The old handlers come back afterwards.
#pragma once

#include <signal.h>

#include <iterator>

namespace varnel::cli {

class CancelSignals {
 public:
  explicit CancelSignals(void (*onCancel)());
  ~CancelSignals();
  CancelSignals(const CancelSignals&) = delete;
  CancelSignals& operator=(const CancelSignals&) = delete;

  // Whether a cancelling signal came since the object was made.
  static bool Received();

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
  static constexpr size_t kCancel = 3;  // the first three cancel
  struct sigaction Old_[std::size(kSignals)]{};
};

}  // namespace varnel::cli
