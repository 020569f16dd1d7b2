// Direct3D adapters: their device types, the full-screen modes the application accepts and the
// depth format of each.
#include <algorithm>
#include <new>

#include "host/screensaver.h"

namespace {

constexpr UINT kMinModeWidth = 640;
constexpr UINT kMinModeHeight = 400;

struct DepthCandidate {
  D3DFORMAT format;
  UINT depthBits;
  UINT stencilBits;
};

const DepthCandidate kDepthCandidates[] = {
    {D3DFMT_D16, 16, 0},   {D3DFMT_D15S1, 15, 1},   {D3DFMT_D24X8, 24, 0},
    {D3DFMT_D24S8, 24, 8}, {D3DFMT_D24X4S4, 24, 4}, {D3DFMT_D32, 32, 0},
};

}  // namespace

int CompareDisplayModes(const DisplayModeEntry& a, const DisplayModeEntry& b) {
  if (a.width != b.width) return a.width < b.width ? -1 : 1;
  if (a.height != b.height) return a.height < b.height ? -1 : 1;
  if (a.format != b.format) return (UINT)a.format > (UINT)b.format ? -1 : 1;
  return 0;
}

bool CD3DScreensaver::ChooseDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, D3DFORMAT* depthFormat) {
  for (const DepthCandidate& candidate : kDepthCandidates) {
    if (m_minDepthBits > candidate.depthBits || m_minStencilBits > candidate.stencilBits) continue;
    if (FAILED(m_direct3D->CheckDeviceFormat(adapter, type, format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                             candidate.format)))
      continue;
    if (FAILED(m_direct3D->CheckDepthStencilMatch(adapter, type, format, format, candidate.format))) continue;
    *depthFormat = candidate.format;
    return true;
  }
  return false;
}

HRESULT CD3DScreensaver::EnumerateAdapters() {
  const UINT ordinals = m_direct3D->GetAdapterCount();
  // Adapters beyond the records are ignored.
  for (UINT a = 0; a < ordinals && m_adapterCount < kMaxAdapters; ++a) {
    if (!m_adapters[m_adapterCount]) {
      m_adapters[m_adapterCount] = new (std::nothrow) AdapterEntry;
      if (!m_adapters[m_adapterCount]) return E_OUTOFMEMORY;
    }
    AdapterEntry& adapter = *m_adapters[m_adapterCount];
    adapter = AdapterEntry{};
    adapter.monitorIndex = -1;
    m_direct3D->GetAdapterIdentifier(a, 0, &adapter.identifier);
    m_direct3D->GetAdapterDisplayMode(a, &adapter.desktopMode);

    HMONITOR monitor = m_direct3D->GetAdapterMonitor(a);
    for (UINT m = 0; m < m_monitorCount; ++m) {
      if (monitor && m_monitors[m].monitor == monitor) {
        m_monitors[m].adapterIndex = (INT)m_adapterCount;
        adapter.monitorIndex = (INT)m;
        break;
      }
    }

    // Modes differing only in refresh rate are one mode.
    DisplayModeEntry kept[kMaxCollectedModes] = {};
    UINT keptCount = 0;
    D3DFORMAT formats[kMaxCollectedModes + 1] = {};
    UINT formatCount = 0;
    formats[formatCount++] = adapter.desktopMode.Format;
    const UINT modeCount = m_direct3D->GetAdapterModeCount(a, D3DFMT_X8R8G8B8);
    for (UINT i = 0; i < modeCount && keptCount < kMaxCollectedModes; ++i) {
      D3DDISPLAYMODE mode = {};
      if (FAILED(m_direct3D->EnumAdapterModes(a, D3DFMT_X8R8G8B8, i, &mode))) continue;
      if (mode.Width < kMinModeWidth || mode.Height < kMinModeHeight) continue;
      bool duplicate = false;
      for (UINT k = 0; k < keptCount; ++k)
        if (kept[k].width == mode.Width && kept[k].height == mode.Height && kept[k].format == mode.Format)
          duplicate = true;
      if (duplicate) continue;
      kept[keptCount++] = DisplayModeEntry{mode.Width, mode.Height, mode.Format, 0, D3DFMT_UNKNOWN};
      if (std::find(formats, formats + formatCount, mode.Format) == formats + formatCount)
        formats[formatCount++] = mode.Format;
    }
    std::sort(kept, kept + keptCount,
              [](const DisplayModeEntry& x, const DisplayModeEntry& y) { return CompareDisplayModes(x, y) < 0; });

    const D3DDEVTYPE types[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_SW, D3DDEVTYPE_REF};
    const WCHAR* names[] = {u"HAL", u"SW", u"REF"};
    for (UINT t = 0; t < kMaxDeviceTypes; ++t) {
      if (types[t] == D3DDEVTYPE_REF && !m_allowReferenceDevice) continue;
      DeviceTypeEntry& entry = adapter.deviceTypes[adapter.deviceTypeCount];
      entry = DeviceTypeEntry{};
      entry.deviceType = types[t];
      entry.name = names[t];
      if (FAILED(m_direct3D->GetDeviceCaps(a, types[t], &entry.caps))) continue;

      for (UINT f = 0; f < formatCount; ++f) {
        const D3DFORMAT format = formats[f];
        if (FAILED(m_direct3D->CheckDeviceType(a, types[t], format, format, FALSE))) continue;
        if (types[t] == D3DDEVTYPE_HAL) adapter.hasHal = TRUE;
        if (types[t] == D3DDEVTYPE_SW) adapter.hasSoftware = TRUE;

        DWORD behavior = 0;
        if (!ChooseBehavior(entry.caps, format, &behavior)) continue;

        D3DFORMAT depth = D3DFMT_UNKNOWN;
        if (m_useDepthBuffer && !ChooseDepthFormat(a, types[t], format, &depth)) continue;

        for (UINT k = 0; k < keptCount && entry.modeCount < kMaxModesPerType; ++k) {
          if (kept[k].format != format) continue;
          DisplayModeEntry& mode = entry.modes[entry.modeCount++];
          mode = kept[k];
          mode.behaviorFlags = behavior;
          mode.depthStencilFormat = depth;
        }
        if (f == 0) entry.windowedCapable = TRUE;
      }

      if (entry.modeCount > 0) {
        ++adapter.deviceTypeCount;
        if (types[t] == D3DDEVTYPE_HAL) adapter.halUsable = TRUE;
        if (types[t] == D3DDEVTYPE_SW) adapter.softwareUsable = TRUE;
      }
    }
    ++m_adapterCount;
  }
  return S_OK;
}

bool CD3DScreensaver::ChooseBehavior(const D3DCAPS9& caps, D3DFORMAT format, DWORD* behaviorFlags) {
  DWORD candidates[4];
  UINT count = 0;
  if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
    if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
      candidates[count++] = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
    candidates[count++] = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    candidates[count++] = D3DCREATE_MIXED_VERTEXPROCESSING;
  }
  candidates[count++] = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  for (UINT c = 0; c < count; ++c) {
    if (SUCCEEDED(AcceptDevice(&caps, candidates[c], format))) {
      *behaviorFlags = candidates[c] | (m_multithreaded ? D3DCREATE_MULTITHREADED : 0);
      return true;
    }
  }
  return false;
}

INT CD3DScreensaver::FindBestAdapter() {
  for (UINT m = 0; m < m_monitorCount; ++m) {
    INT a = m_monitors[m].adapterIndex;
    if (a >= 0 && (UINT)a < m_adapterCount && m_adapters[a]->halUsable) return a;
  }
  INT best = -1;
  for (UINT m = 0; m < m_monitorCount; ++m) {
    INT a = m_monitors[m].adapterIndex;
    if (a >= 0 && (UINT)a < m_adapterCount && m_adapters[a]->softwareUsable) best = a;
  }
  return best;
}
