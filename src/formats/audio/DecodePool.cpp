#include "formats/audio/DecodePool.h"

#include <algorithm>

namespace varnel {

unsigned DecodePool::WorkerCount(unsigned wanted) {
  if (wanted != 0) return wanted;
  return std::max(1u, std::thread::hardware_concurrency());
}

DecodePool::DecodePool(std::vector<Job> jobs, unsigned workers)
    : Jobs_(std::move(jobs)), Errors_(Jobs_.size()), Ended_(Jobs_.size(), false) {
  const size_t count = std::min<size_t>(WorkerCount(workers), Jobs_.size());
  Workers_.reserve(count);
  try {
    for (size_t i = 0; i < count; ++i) Workers_.emplace_back([this] { Work(); });
  } catch (...) {
    // No thread could be started: the jobs run on the workers that could (on none, they run
    // in Wait's caller below).
    if (Workers_.empty()) Work();
  }
}

DecodePool::~DecodePool() {
  for (std::thread& t : Workers_) t.join();
}

void DecodePool::Work() {
  while (true) {
    size_t index = 0;
    {
      std::lock_guard<std::mutex> lock(Mutex_);
      if (Next_ == Jobs_.size()) return;
      index = Next_++;
    }
    std::exception_ptr error;
    try {
      Jobs_[index]();
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(Mutex_);
      Errors_[index] = error;
      Ended_[index] = true;
    }
    EndedSignal_.notify_all();
  }
}

void DecodePool::Wait(size_t index) {
  std::unique_lock<std::mutex> lock(Mutex_);
  EndedSignal_.wait(lock, [&] { return Ended_.at(index); });
  if (Errors_[index]) std::rethrow_exception(Errors_[index]);
}

void DecodePool::WaitAll() {
  std::unique_lock<std::mutex> lock(Mutex_);
  EndedSignal_.wait(
      lock, [&] { return std::all_of(Ended_.begin(), Ended_.end(), [](bool e) { return e; }); });
}

}  // namespace varnel
