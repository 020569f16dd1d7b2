#include "tests/support/test_device.h"

#include <utility>

#include "tests/support/back_buffer_pixels.h"

namespace {
constexpr const WCHAR* kClass = u"TestDeviceWindow";
}

HRESULT TestDevice::Open(const DeviceShape& shape, machine::Machine description) {
  Close();
  description.displays.at(0).current.width = shape.width;
  description.displays.at(0).current.height = shape.height;
  machine::Install(std::move(description));
  // Tests may start a fresh window system between devices, so the class is registered each time (a
  // second registration in one system fails harmlessly).
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = kClass;
  RegisterClassW(&windowClass);
  window = CreateWindowExW(0, kClass, u"test device", WS_POPUP, 0, 0, int(shape.width), int(shape.height), nullptr,
                           nullptr, nullptr, nullptr);
  d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  if (!d3d) return E_FAIL;
  params = {};
  params.BackBufferWidth = shape.width;
  params.BackBufferHeight = shape.height;
  params.BackBufferFormat = shape.format;
  params.BackBufferCount = 1;
  params.SwapEffect = shape.swap;
  params.hDeviceWindow = window;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = shape.depth != D3DFMT_UNKNOWN ? TRUE : FALSE;
  params.AutoDepthStencilFormat = shape.depth != D3DFMT_UNKNOWN ? shape.depth : D3DFMT_D16;
  return CreateAnother(device.Out());
}

void TestDevice::Close() {
  device.Release();
  d3d.Release();
  if (window) DestroyWindow(window);
  window = nullptr;
}

HRESULT TestDevice::CreateAnother(IDirect3DDevice9** another) const {
  D3DPRESENT_PARAMETERS copy = params;  // the call may write back what it chose
  return d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &copy,
                           another);
}

HRESULT TestDevice::Reset() const {
  D3DPRESENT_PARAMETERS copy = params;
  return device->Reset(&copy);
}

std::vector<uint32_t> TestDevice::BackBuffer() const { return BackBufferPixels(device.Get()); }

std::vector<uint32_t> TextureTexels(IDirect3DTexture9* texture, UINT* width, UINT* height) {
  std::vector<uint32_t> texels;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (!texture || FAILED(texture->GetLevelDesc(0, &desc)) ||
      FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
    return texels;
  *width = desc.Width;
  *height = desc.Height;
  texels.reserve(size_t(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
    texels.insert(texels.end(), row, row + desc.Width);
  }
  texture->UnlockRect(0);
  return texels;
}

ComHolder<IDirect3DTexture9> PaintedTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                            const std::function<uint32_t(UINT, UINT)>& argb) {
  ComHolder<IDirect3DTexture9> texture;
  D3DLOCKED_RECT locked{};
  if (FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr)) ||
      FAILED(texture->LockRect(0, &locked, nullptr, 0)))
    return texture;
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < width; ++x) row[x] = argb(x, y);
  }
  texture->UnlockRect(0);
  return texture;
}
