#include "document/device.h"

#include "document/com_holder.h"

IDirect3DDevice9* g_Device = nullptr;

D3DSURFACE_DESC GetBackBufferDesc() {
  D3DSURFACE_DESC desc{};
  if (!g_Device) return desc;
  ComHolder<IDirect3DSurface9> backBuffer;
  if (FAILED(g_Device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Out())) || !backBuffer) return desc;
  if (FAILED(backBuffer->GetDesc(&desc))) desc = D3DSURFACE_DESC{};
  return desc;
}
