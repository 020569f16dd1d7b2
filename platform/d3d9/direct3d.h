// IDirect3D9 over the machine description: its adapters, their modes, caps and format answers.
#pragma once
#include <d3d9.h>

#include "platform/d3d9/com_object.h"
#include "platform/machine/machine.h"

namespace d3d9 {

class Direct3D final : public ComObject<IDirect3D9> {
 public:
  UINT STDMETHODCALLTYPE GetAdapterCount() override;
  HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) override;
  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) override;
  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                            D3DFORMAT backBufferFormat, BOOL windowed) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                              D3DRESOURCETYPE resourceType, D3DFORMAT format) override;
  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) override;
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
  HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
  HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behavior,
                                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override;

  // The answers of one device type of an adapter, or null when the adapter or the type does not exist.
  static const machine::DeviceType* TypeOf(UINT adapter, D3DDEVTYPE type);
};

}  // namespace d3d9
