// The graphs' clock thread: every few milliseconds of real time it lets each live graph notice that
// its file has ended on the machine's clock (real or virtual).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/graph_list.h"
#include "platform/dshow/graph_probe.h"

namespace dshow {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(2);

struct LiveGraphs {
  std::mutex lock;
  std::condition_variable wake;
  std::vector<FilterGraph*> graphs;
  std::thread poller;
  bool quitting = false;
  std::optional<IID> refused;

  ~LiveGraphs() {
    {
      std::lock_guard guard(lock);
      quitting = true;
    }
    wake.notify_all();
    if (poller.joinable()) poller.join();
  }

  void Poll() {
    std::unique_lock guard(lock);
    while (!quitting) {
      for (FilterGraph* graph : graphs) graph->Service();
      wake.wait_for(guard, kPollInterval);
    }
  }
};

LiveGraphs& Live() {
  static LiveGraphs live;
  return live;
}

}  // namespace

void AddLiveGraph(FilterGraph* graph) {
  LiveGraphs& live = Live();
  std::lock_guard guard(live.lock);
  live.graphs.push_back(graph);
  if (!live.poller.joinable()) live.poller = std::thread([&live] { live.Poll(); });
}

void RemoveLiveGraph(FilterGraph* graph) {
  LiveGraphs& live = Live();
  std::lock_guard guard(live.lock);
  live.graphs.erase(std::remove(live.graphs.begin(), live.graphs.end(), graph), live.graphs.end());
}

bool InterfaceRefused(const IID& iid) {
  LiveGraphs& live = Live();
  std::lock_guard guard(live.lock);
  return live.refused && *live.refused == iid;
}

void RefuseInterface(const IID* iid) {
  LiveGraphs& live = Live();
  std::lock_guard guard(live.lock);
  live.refused.reset();
  if (iid != nullptr) live.refused = *iid;
}

void ServiceClock() {
  LiveGraphs& live = Live();
  std::lock_guard guard(live.lock);
  for (FilterGraph* graph : live.graphs) graph->Service();
}

std::vector<GraphProbe> Graphs() {
  LiveGraphs& live = Live();
  std::lock_guard guard(live.lock);
  std::vector<GraphProbe> probes;
  for (FilterGraph* graph : live.graphs) probes.push_back(graph->Probe());
  return probes;
}

}  // namespace dshow
