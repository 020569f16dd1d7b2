#include "tests/support/busy_cores.h"

#include <algorithm>

BusyCores::BusyCores() {
  for (unsigned i = 0; i < 2 * std::max(1u, std::thread::hardware_concurrency()); ++i) {
    burners_.emplace_back([this] {
      volatile unsigned long spin = 0;
      while (busy_.load(std::memory_order_relaxed)) spin = spin + 1;
    });
  }
}

BusyCores::~BusyCores() {
  busy_ = false;
  for (std::thread& burner : burners_) burner.join();
}
