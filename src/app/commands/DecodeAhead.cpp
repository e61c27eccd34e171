#include "app/commands/DecodeAhead.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <mutex>

#include "app/commands/InputCheck.h"
#include "formats/audio/DecodePool.h"

namespace varnel {

std::string DecodedCacheFolderOf(const AppContext& ctx) {
  return ctx.DecodedCacheFolder.empty() ? DecodedCache::DefaultFolder() : ctx.DecodedCacheFolder;
}

std::set<std::string> DecodedCopiesInUse(const DiscLayout& layout) {
  std::set<std::string> copies;
  for (int32_t i = 0; i < layout.Count(); ++i) {
    const Track& t = layout.At(i);
    if (!t.TrackAudioFile.empty()) copies.insert(t.TrackAudioFile);
    if (!t.PreGapAudioFile().empty()) copies.insert(t.PreGapAudioFile());
  }
  return copies;
}

namespace {

constexpr int64_t kMiB = int64_t{1} << 20;

// Trims the cache at `folder` to `limitMiB`, keeping `inUse` and every entry used at or after
// `keepSinceNs` (nanoseconds since the epoch).
void Trim(const std::string& folder, int32_t limitMiB, const std::set<std::string>& inUse,
          int64_t keepSinceNs = INT64_MAX) {
  if (limitMiB <= 0) return;
  DecodedCache(folder).Trim(limitMiB * kMiB, inUse, keepSinceNs);
}

// A second before now, in nanoseconds since the epoch: file times come from a clock that may
// lag the system's by a tick.
int64_t ShortlyBeforeNowNs() {
  const auto now = std::chrono::system_clock::now() - std::chrono::seconds(1);
  return std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
}

int64_t SourceBytes(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && st.st_size > 0 ? static_cast<int64_t>(st.st_size) : 1;
}

}  // namespace

void TrimDecodedCache(const AppContext& ctx, const std::set<std::string>& alsoInUse) {
  std::set<std::string> inUse = DecodedCopiesInUse(ctx.Layout);
  inUse.insert(alsoInUse.begin(), alsoInUse.end());
  if (ctx.Ahead != nullptr) {
    const std::set<std::string> ahead = ctx.Ahead->CopiesInUse();
    inUse.insert(ahead.begin(), ahead.end());
  }
  Trim(DecodedCacheFolderOf(ctx), ctx.Settings.DecodedLimitMiB, inUse);
}

DecodeAhead::DecodeAhead(AppContext& ctx, const std::vector<std::string>& paths, bool allCopies)
    : Ctx_(ctx), Previous_(ctx.Ahead) {
  const std::string folder = DecodedCacheFolderOf(ctx);
  DecodedCache cache(folder);
  std::vector<std::string> todo;
  for (const std::string& path : paths) {
    const bool wanted =
        allCopies ? DecodableKindFromPath(path).has_value() : NeedsDecodedCopy(ctx, path);
    if (Outcomes_.count(path) != 0 || !wanted) continue;
    if (Previous_ != nullptr && Previous_->Find(path) != nullptr) continue;
    Outcome found;
    found.Check = LookupDecodedFile(cache, path, found.Info);
    if (found.Check.Result == 0) todo.push_back(path);  // canceled until its decode ends
    Outcomes_[path] = found;
  }
  if (todo.empty()) {
    ctx.Ahead = this;
    return;
  }

  std::set<std::string> inUse = DecodedCopiesInUse(ctx.Layout);
  for (const auto& [path, outcome] : Outcomes_) {
    if (outcome.Check.Result == 1) inUse.insert(outcome.Check.AudioFile);
  }
  const int32_t limitMiB = ctx.Settings.DecodedLimitMiB;
  const unsigned workers = ctx.DecodeWorkers;
  std::vector<Outcome> results(todo.size());
  const AppContext::DecodeJob batch = [&](const DecodeProgress& progress,
                                          const std::atomic<bool>* cancel) {
    std::mutex mutex;
    std::vector<double> done(todo.size(), 0.0);
    std::vector<int64_t> weights;
    int64_t total = 0;
    for (const std::string& path : todo) total += weights.emplace_back(SourceBytes(path));
    const auto report = [&](size_t index, double fraction) {
      if (!progress) return;
      std::lock_guard<std::mutex> lock(mutex);
      done[index] = fraction;
      double sum = 0.0;
      for (size_t i = 0; i < done.size(); ++i) sum += done[i] * static_cast<double>(weights[i]);
      progress(sum / static_cast<double>(total));
    };
    // While the workers run, an entry another worker has just put in place is not yet named
    // in `inUse`: the trims after each decode keep every entry used since the batch began, and
    // the trim after the last decode, with every copy named, holds the cache to its limit.
    const int64_t batchStartNs = ShortlyBeforeNowNs();
    std::vector<DecodePool::Job> jobs;
    for (size_t i = 0; i < todo.size(); ++i) {
      jobs.emplace_back([&, i] {
        DecodedCache own(folder);
        Outcome& out = results[i];
        try {
          out.Check = CheckDecodedFile(
              own, todo[i], out.Info, [&report, i](double f) { report(i, f); }, cancel);
        } catch (const DecodeCanceled&) {
          out.Check = {0, {}, {}};
        } catch (const std::exception& e) {
          out.Check = {-1, {}, std::string(" cannot be decoded: ") + e.what() + "."};
        }
        if (out.Check.Result == 1) {
          std::lock_guard<std::mutex> lock(mutex);
          inUse.insert(out.Check.AudioFile);
          Trim(folder, limitMiB, inUse, batchStartNs);
        }
      });
    }
    DecodePool pool(std::move(jobs), workers);
    pool.WaitAll();
    Trim(folder, limitMiB, inUse);
  };
  const std::string label =
      todo.size() == 1 ? todo.front() : std::to_string(todo.size()) + " files";
  if (ctx.RunDecode) {
    ctx.RunDecode(label, batch);
  } else {
    batch(nullptr, nullptr);
  }
  for (size_t i = 0; i < todo.size(); ++i) Outcomes_[todo[i]] = results[i];
  // Set last: a constructor that throws leaves the context as it was.
  ctx.Ahead = this;
}

DecodeAhead::~DecodeAhead() {
  Ctx_.Ahead = Previous_;
}

const DecodeAhead::Outcome* DecodeAhead::Find(const std::string& path) const {
  const auto it = Outcomes_.find(path);
  if (it != Outcomes_.end()) return &it->second;
  return Previous_ != nullptr ? Previous_->Find(path) : nullptr;
}

std::set<std::string> DecodeAhead::CopiesInUse() const {
  std::set<std::string> copies =
      Previous_ != nullptr ? Previous_->CopiesInUse() : std::set<std::string>();
  for (const auto& [path, outcome] : Outcomes_) {
    if (outcome.Check.Result == 1) copies.insert(outcome.Check.AudioFile);
  }
  return copies;
}

}  // namespace varnel
