#include "platform/d3d9/direct3d.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/d3d9/device.h"
#include "platform/d3d9/formats.h"
#include "platform/win32/monitor.h"

namespace d3d9 {

namespace {

const machine::Adapter* AdapterOf(UINT adapter) {
  const auto& adapters = machine::Current().adapters;
  return adapter < adapters.size() ? &adapters[adapter] : nullptr;
}

// The desktop format of a display: 16-bit desktops are R5G6B5, the others X8R8G8B8.
D3DFORMAT DesktopFormat(const machine::Adapter& adapter) {
  const auto& displays = machine::Current().displays;
  const bool sixteen = adapter.display >= 0 && static_cast<size_t>(adapter.display) < displays.size() &&
                       displays[adapter.display].current.bits == 16;
  return sixteen ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
}

bool IsDisplayFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5; }

// The back buffer matches the display format, or adds alpha to a 32-bit one.
bool BackBufferMatches(D3DFORMAT display, D3DFORMAT backBuffer) {
  return backBuffer == display || (display == D3DFMT_X8R8G8B8 && backBuffer == D3DFMT_A8R8G8B8);
}

bool SupportsDepth(const machine::DeviceType& type, D3DFORMAT format) {
  return std::find(type.depthFormats.begin(), type.depthFormats.end(), static_cast<uint32_t>(format)) !=
         type.depthFormats.end();
}

bool SupportsTexture(const machine::DeviceType& type, D3DFORMAT format) {
  if (format == D3DFMT_V8U8) return type.v8u8;
  return IsTextureFormat(format);
}

}  // namespace

const machine::DeviceType* Direct3D::TypeOf(UINT adapter, D3DDEVTYPE type) {
  const machine::Adapter* a = AdapterOf(adapter);
  if (a == nullptr) return nullptr;
  const machine::DeviceType* t = type == D3DDEVTYPE_HAL ? &a->hal
                                 : type == D3DDEVTYPE_REF ? &a->ref
                                 : type == D3DDEVTYPE_SW  ? &a->sw
                                                          : nullptr;
  return t != nullptr && t->available ? t : nullptr;
}

UINT Direct3D::GetAdapterCount() { return static_cast<UINT>(machine::Current().adapters.size()); }

HRESULT Direct3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier) {
  const machine::Adapter* a = AdapterOf(adapter);
  if (a == nullptr || identifier == nullptr) return D3DERR_INVALIDCALL;
  *identifier = D3DADAPTER_IDENTIFIER9{};
  std::strncpy(identifier->Driver, a->driver.c_str(), MAX_DEVICE_IDENTIFIER_STRING - 1);
  std::strncpy(identifier->Description, a->description.c_str(), MAX_DEVICE_IDENTIFIER_STRING - 1);
  std::snprintf(identifier->DeviceName, sizeof identifier->DeviceName, "\\\\.\\DISPLAY%d", a->display + 1);
  std::memcpy(&identifier->DeviceIdentifier, a->deviceIdentifier, sizeof(GUID));
  return S_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
  const machine::Adapter* a = AdapterOf(adapter);
  if (a == nullptr || format != D3DFMT_X8R8G8B8) return 0;
  return static_cast<UINT>(a->modes.size());
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) {
  if (out == nullptr || mode >= GetAdapterModeCount(adapter, format)) return D3DERR_INVALIDCALL;
  const machine::DisplayMode& m = AdapterOf(adapter)->modes[mode];
  *out = D3DDISPLAYMODE{m.width, m.height, m.refresh, format};
  return S_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  const machine::Adapter* a = AdapterOf(adapter);
  if (a == nullptr || mode == nullptr) return D3DERR_INVALIDCALL;
  const auto& displays = machine::Current().displays;
  if (a->display < 0 || static_cast<size_t>(a->display) >= displays.size()) return D3DERR_INVALIDCALL;
  const machine::DisplayMode& m = displays[a->display].current;
  *mode = D3DDISPLAYMODE{m.width, m.height, m.refresh, DesktopFormat(*a)};
  return S_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                  BOOL windowed) {
  if (AdapterOf(adapter) == nullptr) return D3DERR_INVALIDCALL;
  if (TypeOf(adapter, type) == nullptr) return D3DERR_NOTAVAILABLE;
  if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (windowed && adapterFormat != DesktopFormat(*AdapterOf(adapter))) return D3DERR_NOTAVAILABLE;
  return BackBufferMatches(adapterFormat, backBufferFormat) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) {
  if (AdapterOf(adapter) == nullptr) return D3DERR_INVALIDCALL;
  const machine::DeviceType* t = TypeOf(adapter, type);
  if (t == nullptr || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    return resourceType == D3DRTYPE_SURFACE && SupportsDepth(*t, format) ? S_OK : D3DERR_NOTAVAILABLE;
  }
  if (resourceType != D3DRTYPE_SURFACE && resourceType != D3DRTYPE_TEXTURE) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_RENDERTARGET) && !IsRenderTargetFormat(format)) return D3DERR_NOTAVAILABLE;
  return SupportsTexture(*t, format) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) {
  if (AdapterOf(adapter) == nullptr) return D3DERR_INVALIDCALL;
  const machine::DeviceType* t = TypeOf(adapter, type);
  if (t == nullptr || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  return IsRenderTargetFormat(renderTargetFormat) && SupportsDepth(*t, depthFormat) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  if (AdapterOf(adapter) == nullptr || caps == nullptr) return D3DERR_INVALIDCALL;
  const machine::DeviceType* t = TypeOf(adapter, type);
  if (t == nullptr) return D3DERR_NOTAVAILABLE;
  *caps = D3DCAPS9{};
  caps->DeviceType = type;
  caps->AdapterOrdinal = adapter;
  caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  if (type == D3DDEVTYPE_HAL) caps->DevCaps |= D3DDEVCAPS_HWRASTERIZATION;
  if (t->hardwareTransformAndLight) caps->DevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  if (t->hardwareTransformAndLight && t->pureDevice) caps->DevCaps |= D3DDEVCAPS_PUREDEVICE;
  caps->TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                        D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_ADD;
  if (t->bumpEnvMap) caps->TextureOpCaps |= D3DTEXOPCAPS_BUMPENVMAP;
  caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP;
  caps->MaxTextureWidth = caps->MaxTextureHeight = 4096;
  caps->MaxTextureBlendStages = caps->MaxSimultaneousTextures = kStageCount;
  caps->MaxActiveLights = kLightCount;
  caps->MaxPointSize = 64.f;
  caps->MaxPrimitiveCount = 0xfffff;
  caps->MaxVertexIndex = 0xffff;
  caps->MaxStreams = 1;
  caps->MaxStreamStride = 255;
  return S_OK;
}

HMONITOR Direct3D::GetAdapterMonitor(UINT adapter) {
  const machine::Adapter* a = AdapterOf(adapter);
  return a != nullptr ? win32::MonitorOfDisplay(a->display) : nullptr;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behavior,
                               D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (parameters == nullptr || AdapterOf(adapter) == nullptr) return D3DERR_INVALIDCALL;
  const machine::DeviceType* t = TypeOf(adapter, type);
  if (t == nullptr) return D3DERR_NOTAVAILABLE;

  // Exactly one kind of vertex processing; hardware kinds need hardware transform, a pure device
  // needs hardware processing on a type that offers it.
  const DWORD processing = behavior & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                       D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && !t->hardwareTransformAndLight) return D3DERR_INVALIDCALL;
  if ((behavior & D3DCREATE_PUREDEVICE) &&
      (processing != D3DCREATE_HARDWARE_VERTEXPROCESSING || !t->pureDevice)) {
    return D3DERR_INVALIDCALL;
  }

  D3DPRESENT_PARAMETERS p = *parameters;
  if (p.hDeviceWindow == nullptr) p.hDeviceWindow = focus;
  if (p.hDeviceWindow == nullptr) return D3DERR_INVALIDCALL;
  const machine::Faults& faults = machine::Current().faults;
  if (p.Windowed) {
    if (faults.createWindowedDeviceFails) return D3DERR_NOTAVAILABLE;
    D3DDISPLAYMODE desktop;
    GetAdapterDisplayMode(adapter, &desktop);
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = desktop.Format;
    if (FAILED(CheckDeviceType(adapter, type, desktop.Format, p.BackBufferFormat, TRUE))) return D3DERR_NOTAVAILABLE;
  } else {
    const auto& modes = AdapterOf(adapter)->modes;
    const bool listed = std::any_of(modes.begin(), modes.end(), [&](const machine::DisplayMode& m) {
      return m.width == p.BackBufferWidth && m.height == p.BackBufferHeight &&
             (p.FullScreen_RefreshRateInHz == 0 || m.refresh == p.FullScreen_RefreshRateInHz);
    });
    const bool refused = std::any_of(faults.createDeviceRefuses.begin(), faults.createDeviceRefuses.end(),
                                     [&](const machine::DisplayMode& m) {
                                       return m.width == p.BackBufferWidth && m.height == p.BackBufferHeight;
                                     });
    if (!listed || refused) return D3DERR_NOTAVAILABLE;
    if (FAILED(CheckDeviceType(adapter, type, D3DFMT_X8R8G8B8, p.BackBufferFormat, FALSE))) return D3DERR_NOTAVAILABLE;
  }
  if (p.EnableAutoDepthStencil && !SupportsDepth(*t, p.AutoDepthStencilFormat)) return D3DERR_NOTAVAILABLE;

  auto* created = new (std::nothrow) Device(this, adapter, type, behavior, p);
  if (created == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = created->CreateSwapChain(p);
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  *parameters = p;
  *device = created;
  return S_OK;
}

}  // namespace d3d9

IDirect3D9* WINAPI Direct3DCreate9(UINT version) {
  if (version != D3D_SDK_VERSION || machine::Current().faults.direct3dMissing) return nullptr;
  return new (std::nothrow) d3d9::Direct3D();
}
