#include "platform/d3d9/bands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace d3d9 {

namespace {

// How long a worker that has run out of bands, or a draw that waits for its last band, keeps watching
// before it sleeps. A frame makes many draws in a row, and a sleeping thread takes tens of
// microseconds to wake: without the watch the calling thread drew most small draws alone.
constexpr auto kWatch = std::chrono::microseconds(200);

// Until `done` holds or kWatch has passed.
template <class Done>
void Watch(Done done) {
  const auto until = std::chrono::steady_clock::now() + kWatch;
  for (int i = 1; !done(); ++i) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
    if (i % 64 == 0 && std::chrono::steady_clock::now() > until) return;
  }
}

// The draw waits for its bands, not for every worker: a worker that the system has not yet run when
// the bands are done takes no part, and finds no work when it wakes.
class Workers {
 public:
  explicit Workers(unsigned count) {
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this, i] { Loop(i); });
  }

  unsigned size() const { return static_cast<unsigned>(threads_.size()); }

  // Workers from `helpers` on sit out the draws.
  void Run(int bands, unsigned helpers, const std::function<void(int)>& work) {
    std::unique_lock lock(mutex_);
    work_ = &work;
    bands_ = bands;
    helpers_ = helpers;
    next_ = 0;
    finished_ = 0;
    ++generation_;
    wake_.notify_all();
    lock.unlock();
    Drain(work, bands);
    Watch([&] { return finished_ == bands; });
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

  void Loop(unsigned index) {
    uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
      if (generation_ == seen) {
        lock.unlock();
        Watch([&] { return generation_ != seen; });
        lock.lock();
      }
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      if (work_ == nullptr || index >= helpers_) continue;  // that draw is over, or not ours
      const std::function<void(int)>* work = work_;
      const int bands = bands_;
      ++active_;
      lock.unlock();
      Drain(*work, bands);
      lock.lock();
      if (--active_ == 0 && finished_ == bands_) done_.notify_one();
    }
  }

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(int)>* work_ = nullptr;
  int bands_ = 0;
  unsigned helpers_ = 0;
  std::atomic<int> next_{0};
  std::atomic<int> finished_{0};
  int active_ = 0;  // workers drawing bands of the current draw
  std::atomic<uint64_t> generation_{0};  // written under the mutex; read by watching workers
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
