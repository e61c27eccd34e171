// A fixed set of worker threads that run a list of decodes, so that adding an album, loading a
// layout or making a disc keeps every core busy while the caller goes on in order.
//
// The jobs are started in the order given, each on the first free worker; each job writes
// only what is its own (a cache entry, a made file), so the results do not depend on the
// number of workers. The caller takes the results in its own order: Wait(i) returns once job
// i has ended and throws what it threw. Cancelling is the jobs' own affair (they poll a flag
// between blocks); a job not yet started when the flag is set ends at its first poll. The
// destructor waits for every job, so no worker outlives the pool. Memory is that of the jobs
// running at once, never of the whole list.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace varnel {

class DecodePool {
 public:
  using Job = std::function<void()>;

  // The number of workers a pool of `wanted` gets: `wanted`, or for 0 the number of cores
  // (std::thread::hardware_concurrency, at least 1).
  static unsigned WorkerCount(unsigned wanted);

  // Starts running `jobs` on WorkerCount(workers) threads (never more than there are jobs).
  DecodePool(std::vector<Job> jobs, unsigned workers);
  ~DecodePool();
  DecodePool(const DecodePool&) = delete;
  DecodePool& operator=(const DecodePool&) = delete;

  size_t Size() const { return Jobs_.size(); }
  // Waits until job `index` has ended; throws what it threw.
  void Wait(size_t index);
  // Waits until every job has ended; throws nothing.
  void WaitAll();

 private:
  void Work();

  std::vector<Job> Jobs_;
  std::vector<std::exception_ptr> Errors_;
  std::vector<bool> Ended_;
  size_t Next_ = 0;
  std::mutex Mutex_;
  std::condition_variable EndedSignal_;
  std::vector<std::thread> Workers_;
};

}  // namespace varnel
