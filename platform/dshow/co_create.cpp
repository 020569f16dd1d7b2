// COM for this machine: initialisation is counted, and the filter graph is the one class it makes.
#include <objbase.h>

#include <atomic>

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/graph_probe.h"

namespace {
std::atomic<int> g_initialised{0};
std::atomic<bool> g_graphAvailable{true};
}  // namespace

void dshow::SetFilterGraphAvailable(bool available) { g_graphAvailable = available; }

HRESULT WINAPI CoInitialize(LPVOID) { return g_initialised++ == 0 ? S_OK : S_FALSE; }

void WINAPI CoUninitialize() {
  if (g_initialised > 0) --g_initialised;
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (clsid != CLSID_FilterGraph || !g_graphAvailable || (context & CLSCTX_INPROC_SERVER) == 0)
    return REGDB_E_CLASSNOTREG;
  auto* graph = new dshow::FilterGraph();
  const HRESULT result = graph->QueryInterface(riid, object);
  graph->Release();
  return result;
}
