#include "host/display_texts.h"

namespace {

// Of three texts, the one for: no software device / one present but unusable / a usable one.
UINT BySoftware(const AdapterEntry& adapter, UINT none, UINT unusable, UINT usable) {
  if (adapter.softwareUsable) return usable;
  return adapter.hasSoftware ? unusable : none;
}

}  // namespace

UINT DisplayHelpTextId(const AdapterEntry* adapter, bool hasMonitor) {
  if (!adapter || !hasMonitor) return 2206;
  if (!adapter->hasHal) return BySoftware(*adapter, 2206, 2205, 2204);
  if (adapter->disableHardware) return BySoftware(*adapter, 2209, 2208, 2207);
  if (adapter->halUsable) return 2200;
  return BySoftware(*adapter, 2203, 2202, 2201);
}

UINT RenderingTextId(const AdapterEntry* adapter) {
  if (!adapter) return 2212;
  if (adapter->hasHal && !adapter->disableHardware && adapter->halUsable) return 2210;
  return adapter->softwareUsable ? 2211 : 2212;
}
