#include "tests/support/back_buffer_pixels.h"

std::vector<uint32_t> BackBufferPixels(IDirect3DDevice9* device) {
  std::vector<uint32_t> pixels;
  IDirect3DSurface9* backBuffer = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) || !backBuffer) return pixels;
  D3DSURFACE_DESC desc{};
  backBuffer->GetDesc(&desc);
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) pixels.push_back(row[x] & 0x00FFFFFFu);
    }
    backBuffer->UnlockRect();
  }
  backBuffer->Release();
  return pixels;
}
