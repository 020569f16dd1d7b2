#include "platform/d3d9/bands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

class BandsTest : public ::testing::Test {
 protected:
  void TearDown() override { d3d9::SetRenderThreads(0); }
};

// Draws of every size one after the other, as a frame makes them, where the sleeping workers wake
// late or not at all: each band is drawn once, and all of them before the draw returns.
TEST_F(BandsTest, EveryBandOnceBeforeTheDrawReturns) {
  for (unsigned threads : {0u, 1u, 3u}) {
    d3d9::SetRenderThreads(threads);
    for (int draw = 0; draw < 400; ++draw) {
      const int bands = draw % 70;
      std::vector<std::atomic<int>> drawn(static_cast<size_t>(bands));
      d3d9::ForEachBand(bands, [&](int band) {
        // Some bands take long enough for the workers to join.
        if (band % 16 == 0 && draw % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
        drawn[static_cast<size_t>(band)].fetch_add(1);
      });
      for (int band = 0; band < bands; ++band) {
        ASSERT_EQ(drawn[static_cast<size_t>(band)].load(), 1)
            << "band " << band << " of " << bands << ", " << threads << " threads";
      }
    }
  }
}

// Devices on several threads share the workers; each caller's draws still get all their rows.
TEST_F(BandsTest, CallersOnSeveralThreadsGetEveryRow) {
  constexpr int kRows = 300;
  std::vector<std::thread> callers;
  std::atomic<int> wrong{0};
  for (int caller = 0; caller < 3; ++caller) {
    callers.emplace_back([&] {
      for (int draw = 0; draw < 100; ++draw) {
        std::vector<std::atomic<int>> rows(kRows);
        d3d9::ForEachRowBand(0, kRows, 1000, [&](int begin, int end) {
          for (int y = begin; y < end; ++y) rows[static_cast<size_t>(y)].fetch_add(1);
        });
        for (const auto& row : rows) wrong += row.load() != 1;
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
