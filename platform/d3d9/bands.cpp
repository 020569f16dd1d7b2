#include "platform/d3d9/bands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace d3d9 {

namespace {

// The draw waits for its bands, not for every worker. Workers that have nothing to draw sleep: what
// the user pays for is CPU time, and a thread that watched for the next draw burnt a core's worth
// between frames. The calling thread draws bands from the start, so a draw that is over before a
// worker wakes costs that worker's wake-up alone; each worker that wakes to bands left wakes the
// next, so that only as many threads run as the draw has work for.
class Workers {
 public:
  explicit Workers(unsigned count) {
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Loop(); });
  }

  unsigned size() const { return static_cast<unsigned>(threads_.size()); }

  // At most `helpers` workers take part in the draw.
  void Run(int bands, unsigned helpers, const std::function<void(int)>& work) {
    std::unique_lock lock(mutex_);
    work_ = &work;
    bands_ = bands;
    helpers_ = helpers;
    joined_ = 0;
    next_ = 0;
    finished_ = 0;
    lock.unlock();
    if (helpers > 0) wake_.notify_one();
    Drain(work, bands);
    lock.lock();
    done_.wait(lock, [this] { return finished_ == bands_ && active_ == 0; });
    work_ = nullptr;
  }

 private:
  void Drain(const std::function<void(int)>& work, int bands) {
    for (int band = next_++; band < bands; band = next_++) {
      work(band);
      ++finished_;
    }
  }

  // Bands of the current draw that no thread has taken yet, and room for one more worker.
  bool Wanted() const { return work_ != nullptr && next_ < bands_ && joined_ < helpers_; }

  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return Wanted(); });
      const std::function<void(int)>* work = work_;
      const int bands = bands_;
      ++joined_;
      ++active_;
      const bool more = Wanted();
      lock.unlock();
      if (more) wake_.notify_one();
      Drain(*work, bands);
      lock.lock();
      if (--active_ == 0 && finished_ == bands_) done_.notify_one();
    }
  }

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  // The current draw, written under the mutex.
  const std::function<void(int)>* work_ = nullptr;
  int bands_ = 0;
  unsigned helpers_ = 0;
  unsigned joined_ = 0;  // workers that have taken part in the current draw
  std::atomic<int> next_{0};
  std::atomic<int> finished_{0};
  int active_ = 0;  // workers drawing bands of the current draw
};

Workers& Pool() {
  // Lives until the process ends; its threads wait for work and never touch freed state.
  static Workers* pool = new Workers(std::clamp(std::thread::hardware_concurrency(), 1u, 16u) - 1);
  return *pool;
}

std::mutex& RunMutex() {
  static std::mutex mutex;
  return mutex;
}

std::atomic<unsigned> threadLimit{0};

}  // namespace

void ForEachRowBand(int top, int bottom, int width, const std::function<void(int, int)>& rows) {
  if (bottom <= top || width <= 0) return;
  // Below this many pixels waking the workers costs more than it saves.
  constexpr int64_t kParallelPixels = 16384;
  if (int64_t{bottom - top} * width < kParallelPixels) {
    rows(top, bottom);
    return;
  }
  const int bandRows = std::max(1, (bottom - top + kBandsWanted - 1) / kBandsWanted);
  const int bands = (bottom - top + bandRows - 1) / bandRows;
  ForEachBand(bands, [&](int band) {
    const int begin = top + band * bandRows;
    rows(begin, std::min(bottom, begin + bandRows));
  });
}

void SetRenderThreads(unsigned count) { threadLimit.store(count, std::memory_order_relaxed); }

void ForEachBand(int bands, const std::function<void(int)>& work) {
  const unsigned limit = threadLimit.load(std::memory_order_relaxed);
  if (bands <= 1 || limit == 1 || std::thread::hardware_concurrency() <= 1) {
    for (int band = 0; band < bands; ++band) work(band);
    return;
  }
  // Devices on several threads share the workers one draw at a time.
  std::lock_guard lock(RunMutex());
  Workers& pool = Pool();
  pool.Run(bands, limit == 0 ? pool.size() : std::min(limit - 1, pool.size()), work);
}

}  // namespace d3d9
