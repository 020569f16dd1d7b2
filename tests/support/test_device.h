// A window and a software device of the test's own size and back-buffer format, on a machine whose
// first display has that size, and what the pixel tests read back from it. Every fixture that needs a
// device builds on this one, so that devices are made one way and a change to how the host makes
// them needs one edit here.
#pragma once
#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/machine/machine.h"
#include "document/com_holder.h"

struct DeviceShape {
  UINT width = 1024;
  UINT height = 768;
  D3DFORMAT format = D3DFMT_X8R8G8B8;
  // D3DFMT_UNKNOWN: no automatic depth surface.
  D3DFORMAT depth = D3DFMT_UNKNOWN;
  D3DSWAPEFFECT swap = D3DSWAPEFFECT_DISCARD;
};

class TestDevice {
 public:
  TestDevice() = default;
  TestDevice(const TestDevice&) = delete;
  TestDevice& operator=(const TestDevice&) = delete;
  ~TestDevice() { Close(); }

  // Installs `description` with its first display resized to the shape, opens a popup window of that
  // size and makes a HAL device with software vertex processing in it. The creation's result; any
  // device made before is closed first.
  HRESULT Open(const DeviceShape& shape, machine::Machine description = machine::DefaultMachine());
  void Close();

  // Another device in the same window with the same parameters.
  HRESULT CreateAnother(IDirect3DDevice9** another) const;
  HRESULT Reset() const;

  // The back buffer as 0x00RRGGBB, row-major; empty when it cannot be read.
  std::vector<uint32_t> BackBuffer() const;

  ComHolder<IDirect3D9> d3d;
  ComHolder<IDirect3DDevice9> device;
  HWND window = nullptr;
  D3DPRESENT_PARAMETERS params{};
};

// The top level of a texture as stored, 0xAARRGGBB for the 32-bit formats, row-major, with its size;
// empty when it cannot be read.
std::vector<uint32_t> TextureTexels(IDirect3DTexture9* texture, UINT* width, UINT* height);

// A managed A8R8G8B8 texture of one level whose texel (x, y) is argb(x, y).
ComHolder<IDirect3DTexture9> PaintedTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                            const std::function<uint32_t(UINT x, UINT y)>& argb);
