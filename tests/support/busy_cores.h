// Every core kept busy by ordinary programs while it lives: two spinning threads per core at
// normal priority, which leave an idle-priority program almost no processor.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

class BusyCores {
 public:
  BusyCores();
  ~BusyCores();
  BusyCores(const BusyCores&) = delete;
  BusyCores& operator=(const BusyCores&) = delete;

 private:
  std::atomic<bool> busy_{true};
  std::vector<std::thread> burners_;
};
