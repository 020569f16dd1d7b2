// One Direct3D device per used monitor: full-screen devices in the chosen or automatic mode, stepping
// down to smaller modes, and the one windowed device of the preview and the test window.
#include <algorithm>
#include <cstdio>

#include "host/screensaver.h"

HRESULT CD3DScreensaver::Init3D() {
  if (m_mode == ScreensaverMode::FullScreen) {
    m_windowed = FALSE;
    for (UINT m = 0; m < m_monitorCount; ++m) {
      const INT a = m_monitors[m].adapterIndex;
      if (a < 0 || (UINT)a >= m_adapterCount) continue;
      AdapterEntry& adapter = *m_adapters[a];
      if (adapter.disableHardware && !adapter.softwareUsable && !m_allowReferenceDevice) adapter.leaveBlack = TRUE;
      if (adapter.leaveBlack || adapter.deviceTypeCount == 0 || m_deviceCount >= kMaxMonitors) continue;
      adapter.deviceWindow = m_monitors[m].saverWindow;
      MonitorDevice& device = m_devices[m_deviceCount];
      device = MonitorDevice{};
      device.adapterIndex = (UINT)a;
      if (SUCCEEDED(CreateFullscreenDevice(device)))
        ++m_deviceCount;
      else
        EnterErrorMode(kErrCreateDeviceFailed);
    }
  } else {
    m_windowed = TRUE;
    GetClientRect(m_mainWindow, &m_clientRect);
    m_renderRect = m_clientRect;
    const INT a = FindBestAdapter();
    if (a < 0) {
      EnterErrorMode(kErrCreateDeviceFailed);
    } else {
      AdapterEntry& adapter = *m_adapters[a];
      adapter.deviceWindow = m_mainWindow;
      MonitorDevice& device = m_devices[m_deviceCount];
      device = MonitorDevice{};
      device.adapterIndex = (UINT)a;
      device.monitorIndex = (UINT)adapter.monitorIndex;
      if (SUCCEEDED(CreateWindowedDevice(device)))
        ++m_deviceCount;
      else
        EnterErrorMode(m_mode == ScreensaverMode::Preview ? kErrNoPreview : kErrCreateDeviceFailed);
    }
  }

  for (UINT m = 0; m < m_monitorCount; ++m) {
    MonitorEntry& monitor = m_monitors[m];
    if (!monitor.monitor) continue;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor.monitor, &info)) monitor.screenRect = info.rcMonitor;
    if (m_mode == ScreensaverMode::FullScreen && monitor.saverWindow) {
      const RECT& r = monitor.screenRect;
      SetWindowPos(monitor.saverWindow, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOACTIVATE);
    }
  }

  if (m_mode == ScreensaverMode::FullScreen) {
    bool first = true;
    for (UINT i = 0; i < m_deviceCount; ++i) {
      const RECT& r = m_monitors[m_devices[i].monitorIndex].screenRect;
      if (first) {
        m_clientRect = r;
        first = false;
      } else {
        m_clientRect.left = std::min(m_clientRect.left, r.left);
        m_clientRect.top = std::min(m_clientRect.top, r.top);
        m_clientRect.right = std::max(m_clientRect.right, r.right);
        m_clientRect.bottom = std::max(m_clientRect.bottom, r.bottom);
      }
    }
  }

  if (!m_errorMode) {
    for (UINT i = 0; i < m_deviceCount; ++i) {
      SelectDevice(i);
      if (FAILED(CreateDeviceResources())) {
        EnterErrorMode(kErrDeviceObjectsFailed);
        continue;  // nothing to restore on top of objects that were never made
      }
      m_devices[i].objectsInitialised = TRUE;
      if (FAILED(RestoreDeviceResources()))
        EnterErrorMode(kErrDeviceObjectsFailed);
      else
        m_devices[i].objectsRestored = TRUE;
    }
    UpdateDeviceText();
  }

  m_mouseMoveCount = 0;
  return S_OK;
}

DeviceTypeEntry* CD3DScreensaver::FullscreenDeviceType(AdapterEntry& adapter) {
  DeviceTypeEntry* software = nullptr;
  DeviceTypeEntry* reference = nullptr;
  for (UINT t = 0; t < adapter.deviceTypeCount; ++t) {
    DeviceTypeEntry& type = adapter.deviceTypes[t];
    // Every entry counted here kept at least one mode.
    if (type.deviceType == D3DDEVTYPE_HAL && !adapter.disableHardware) return &type;
    if (type.deviceType == D3DDEVTYPE_SW && !software) software = &type;
    if (type.deviceType == D3DDEVTYPE_REF && !reference) reference = &type;
  }
  if (software) return software;
  return m_allowReferenceDevice ? reference : nullptr;
}

HRESULT CD3DScreensaver::CreateFullscreenDevice(MonitorDevice& device) {
  AdapterEntry& adapter = *m_adapters[device.adapterIndex];
  DeviceTypeEntry* type = FullscreenDeviceType(adapter);
  if (!type || type->modeCount == 0) return kErrNoDeviceType;

  // The stored mode when the list still has it, else the automatic one.
  type->currentMode = kNoMode;
  if (adapter.chosenWidth && adapter.chosenHeight && adapter.chosenFormat) {
    for (UINT i = 0; i < type->modeCount; ++i) {
      const DisplayModeEntry& mode = type->modes[i];
      if (mode.width == adapter.chosenWidth && mode.height == adapter.chosenHeight &&
          mode.format == adapter.chosenFormat) {
        type->currentMode = i;
        break;
      }
    }
  }
  if (type->currentMode == kNoMode) {
    if (type->deviceType == D3DDEVTYPE_SW) {
      // The smallest height other than 400; the last in list order among equal heights.
      for (UINT i = 0; i < type->modeCount; ++i) {
        const DisplayModeEntry& mode = type->modes[i];
        if (mode.height == 400) continue;
        if (type->currentMode == kNoMode || mode.height <= type->modes[type->currentMode].height)
          type->currentMode = i;
      }
    } else {
      for (UINT i = 0; i < type->modeCount && type->currentMode == kNoMode; ++i) {
        const DisplayModeEntry& mode = type->modes[i];
        if (mode.width == adapter.desktopMode.Width && mode.height == adapter.desktopMode.Height &&
            mode.format == adapter.desktopMode.Format)
          type->currentMode = i;
      }
      for (UINT i = 0; i < type->modeCount && type->currentMode == kNoMode; ++i) {
        const DisplayModeEntry& mode = type->modes[i];
        if (mode.width == adapter.desktopMode.Width && mode.height == adapter.desktopMode.Height)
          type->currentMode = i;
      }
    }
  }
  if (type->currentMode == kNoMode) {
    // No rule found a mode: the largest of the list.
    type->currentMode = 0;
    for (UINT i = 1; i < type->modeCount; ++i) {
      const DisplayModeEntry& best = type->modes[type->currentMode];
      const DisplayModeEntry& mode = type->modes[i];
      if ((uint64_t)mode.width * mode.height > (uint64_t)best.width * best.height) type->currentMode = i;
    }
  }

  bool failedBefore = false;
  for (;;) {
    const DisplayModeEntry& mode = type->modes[type->currentMode];
    D3DPRESENT_PARAMETERS& params = device.presentParams;
    params = D3DPRESENT_PARAMETERS{};
    params.BackBufferWidth = mode.width;
    params.BackBufferHeight = mode.height;
    params.BackBufferFormat = mode.format;
    params.BackBufferCount = 1;
    params.MultiSampleType = D3DMULTISAMPLE_NONE;
    params.MultiSampleQuality = 0;
    params.SwapEffect = m_fullscreenSwapEffect;
    params.hDeviceWindow = adapter.deviceWindow;
    params.Windowed = FALSE;
    params.EnableAutoDepthStencil = m_useDepthBuffer;
    params.AutoDepthStencilFormat = mode.depthStencilFormat;
    params.Flags = 0;
    params.FullScreen_RefreshRateInHz = 0;
    params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    device.monitorIndex = (UINT)adapter.monitorIndex;
    device.deviceType = type->deviceType;
    device.behaviorFlags = mode.behaviorFlags;

    device.device = nullptr;
    HRESULT hr = m_direct3D->CreateDevice(device.adapterIndex, type->deviceType, m_mainWindow, mode.behaviorFlags,
                                          &params, &device.device);
    if (SUCCEEDED(hr)) {
      hr = AcceptMode(device.device);
      if (FAILED(hr)) {
        device.device->Release();
        device.device = nullptr;
      }
    }
    if (SUCCEEDED(hr)) {
      if (failedBefore) SaveSteppedDownMode(adapter, mode);
      return hr;
    }
    failedBefore = true;
    if (!StepDownMode(*type)) return hr;
  }
}

void CD3DScreensaver::SaveSteppedDownMode(AdapterEntry& adapter, const DisplayModeEntry& mode) {
  adapter.chosenWidth = mode.width;
  adapter.chosenHeight = mode.height;
  adapter.chosenFormat = mode.format;
  if (!m_registryKeyPath[0] || adapter.monitorIndex < 0) return;

  HKEY settings = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, m_registryKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings,
                      nullptr) != ERROR_SUCCESS)
    return;
  char name[32];
  std::snprintf(name, sizeof(name), "Screen %d", adapter.monitorIndex + 1);
  WCHAR subkeyName[32] = {};
  for (size_t i = 0; name[i] && i + 1 < sizeof(subkeyName) / sizeof(WCHAR); ++i) subkeyName[i] = (WCHAR)name[i];
  HKEY screen = nullptr;
  if (RegCreateKeyExW(settings, subkeyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &screen, nullptr) ==
      ERROR_SUCCESS) {
    const DWORD width = mode.width, height = mode.height, format = (DWORD)mode.format;
    RegSetValueExW(screen, u"Width", 0, REG_DWORD, (const BYTE*)&width, sizeof(width));
    RegSetValueExW(screen, u"Height", 0, REG_DWORD, (const BYTE*)&height, sizeof(height));
    RegSetValueExW(screen, u"Format", 0, REG_DWORD, (const BYTE*)&format, sizeof(format));
    RegSetValueExW(screen, u"Adapter ID", 0, REG_BINARY, (const BYTE*)&adapter.identifier.DeviceIdentifier,
                   sizeof(GUID));
    RegCloseKey(screen);
  }
  RegCloseKey(settings);
}

bool CD3DScreensaver::StepDownMode(DeviceTypeEntry& type) {
  if (type.currentMode >= type.modeCount) return false;
  const DisplayModeEntry& current = type.modes[type.currentMode];
  const uint64_t currentArea = (uint64_t)current.width * current.height;
  UINT best = kNoMode;
  uint64_t bestArea = 0;
  for (UINT i = 0; i < type.modeCount; ++i) {
    if (i == type.currentMode) continue;
    const uint64_t area = (uint64_t)type.modes[i].width * type.modes[i].height;
    if (area < currentArea && (best == kNoMode || area > bestArea)) {
      best = i;
      bestArea = area;
    }
  }
  if (best == kNoMode) return false;
  type.currentMode = best;
  return true;
}

HRESULT CD3DScreensaver::CreateWindowedDevice(MonitorDevice& device) {
  AdapterEntry& adapter = *m_adapters[device.adapterIndex];
  INT chosen = -1;
  for (UINT t = 0; t < adapter.deviceTypeCount && chosen < 0; ++t) {
    const DeviceTypeEntry& type = adapter.deviceTypes[t];
    if (type.deviceType == D3DDEVTYPE_HAL && !adapter.disableHardware && type.windowedCapable) chosen = (INT)t;
  }
  for (UINT t = 0; t < adapter.deviceTypeCount && chosen < 0; ++t) {
    const DeviceTypeEntry& type = adapter.deviceTypes[t];
    if (type.deviceType == D3DDEVTYPE_SW && type.windowedCapable) chosen = (INT)t;
  }
  for (UINT t = 0; t < adapter.deviceTypeCount && chosen < 0 && m_allowReferenceDevice; ++t) {
    const DeviceTypeEntry& type = adapter.deviceTypes[t];
    if (type.deviceType == D3DDEVTYPE_REF && type.windowedCapable) chosen = (INT)t;
  }
  if (chosen < 0) return kErrNoDeviceType;
  adapter.currentDeviceType = (UINT)chosen;
  const DeviceTypeEntry& type = adapter.deviceTypes[chosen];

  const D3DFORMAT candidates[] = {adapter.desktopMode.Format, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5,
                                  D3DFMT_R5G6B5};
  D3DFORMAT format = D3DFMT_UNKNOWN;
  DWORD behavior = 0;
  D3DFORMAT depth = D3DFMT_UNKNOWN;
  bool found = false;
  for (D3DFORMAT candidate : candidates) {
    if (SUCCEEDED(TryWindowedFormat(device.adapterIndex, candidate, &behavior, &depth))) {
      format = candidate;
      found = true;
      break;
    }
  }
  if (!found) return E_FAIL;

  D3DPRESENT_PARAMETERS& params = device.presentParams;
  params = D3DPRESENT_PARAMETERS{};
  params.BackBufferWidth = 0;
  params.BackBufferHeight = 0;
  params.BackBufferFormat = format;
  params.BackBufferCount = 1;
  params.MultiSampleType = D3DMULTISAMPLE_NONE;
  params.MultiSampleQuality = 0;
  params.SwapEffect = m_windowedSwapEffect;
  params.hDeviceWindow = adapter.deviceWindow;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = m_useDepthBuffer;
  params.AutoDepthStencilFormat = depth;
  params.Flags = 0;
  params.FullScreen_RefreshRateInHz = 0;
  params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
  device.deviceType = type.deviceType;
  device.behaviorFlags = behavior;

  device.device = nullptr;
  HRESULT hr = m_direct3D->CreateDevice(device.adapterIndex, type.deviceType, m_mainWindow, behavior, &params,
                                        &device.device);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT CD3DScreensaver::TryWindowedFormat(UINT adapter, D3DFORMAT format, DWORD* behaviorFlags,
                                           D3DFORMAT* depthFormat) {
  AdapterEntry& entry = *m_adapters[adapter];
  const DeviceTypeEntry& type = entry.deviceTypes[entry.currentDeviceType];
  HRESULT hr = m_direct3D->CheckDeviceType(adapter, type.deviceType, entry.desktopMode.Format, format, TRUE);
  if (FAILED(hr)) return hr;

  if (!ChooseBehavior(type.caps, format, behaviorFlags)) return E_FAIL;
  *depthFormat = D3DFMT_UNKNOWN;
  if (m_useDepthBuffer && !ChooseDepthFormat(adapter, type.deviceType, format, depthFormat)) return E_FAIL;
  return S_OK;
}
