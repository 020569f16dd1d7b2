#include "device_fixture.h"

#include <utility>

void DeviceTest::Open(UINT width, UINT height, machine::Machine description, bool depth) {
  Close();
  ASSERT_EQ(screen_.Open({.width = width,
                          .height = height,
                          .depth = depth ? D3DFMT_D16 : D3DFMT_UNKNOWN,
                          .swap = D3DSWAPEFFECT_COPY},
                         std::move(description)),
            S_OK);
  d3d_ = screen_.d3d.Get();
  device_ = screen_.device.Get();
  window_ = screen_.window;
  width_ = width;
  height_ = height;
  // Most scenes here are flat and unlit; the tests that need depth or light switch them on.
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void DeviceTest::Close() {
  screen_.Close();
  device_ = nullptr;
  d3d_ = nullptr;
  window_ = nullptr;
}

HRESULT DeviceTest::DrawBytes(DWORD fvf, UINT stride, D3DPRIMITIVETYPE type, UINT count, const void* vertices,
                              size_t bytes, const uint16_t* indices, size_t indexCount) {
  Holder<IDirect3DVertexBuffer9> buffer;
  HRESULT hr = device_->CreateVertexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED,
                                           buffer.Out(), nullptr);
  if (FAILED(hr)) return hr;
  void* data = nullptr;
  if (FAILED(hr = buffer->Lock(0, 0, &data, 0))) return hr;
  std::memcpy(data, vertices, bytes);
  buffer->Unlock();
  Holder<IDirect3DIndexBuffer9> indexBuffer;
  if (indices != nullptr) {
    hr = device_->CreateIndexBuffer(static_cast<UINT>(indexCount * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                    D3DPOOL_MANAGED, indexBuffer.Out(), nullptr);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = indexBuffer->Lock(0, 0, &data, 0))) return hr;
    std::memcpy(data, indices, indexCount * 2);
    indexBuffer->Unlock();
    device_->SetIndices(indexBuffer.Get());
  }
  device_->SetVertexShader(nullptr);
  device_->SetFVF(fvf);
  device_->SetStreamSource(0, buffer.Get(), 0, stride);
  if (FAILED(hr = device_->BeginScene())) return hr;
  hr = indices != nullptr
           ? device_->DrawIndexedPrimitive(type, 0, 0, static_cast<UINT>(bytes / stride), 0, count)
           : device_->DrawPrimitive(type, 0, count);
  device_->EndScene();
  device_->SetStreamSource(0, nullptr, 0, 0);
  device_->SetIndices(nullptr);
  return hr;
}

std::vector<ScreenTexVertex> DeviceTest::TargetQuad(D3DCOLOR color, float u0, float v0, float u1, float v1) const {
  const float w = static_cast<float>(width_);
  const float h = static_cast<float>(height_);
  return {{0, 0, 0, 1, color, u0, v0}, {w, 0, 0, 1, color, u1, v0}, {0, h, 0, 1, color, u0, v1},
          {w, h, 0, 1, color, u1, v1}};
}

void DeviceTest::Clear(D3DCOLOR color) { ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.f, 0), S_OK); }

IDirect3DTexture9* DeviceTest::MakeTexture(UINT width, UINT height, D3DFORMAT format,
                                           const std::function<void(UINT, UINT, uint8_t*)>& texel) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
  if (texture == nullptr) return nullptr;
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  const UINT bytes = static_cast<UINT>(locked.Pitch) / width;  // every format here packs its rows
  for (UINT y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
    for (UINT x = 0; x < width; ++x) texel(x, y, row + static_cast<size_t>(x) * bytes);
  }
  texture->UnlockRect(0);
  return texture;
}

IDirect3DTexture9* DeviceTest::MakeArgbTexture(UINT width, UINT height,
                                               const std::function<uint32_t(UINT, UINT)>& argb) {
  return MakeTexture(width, height, D3DFMT_A8R8G8B8, [&](UINT x, UINT y, uint8_t* texel) {
    const uint32_t value = argb(x, y);
    std::memcpy(texel, &value, 4);
  });
}

std::vector<uint32_t> DeviceTest::Read(IDirect3DSurface9* surface) {
  std::vector<uint32_t> pixels;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (surface == nullptr || FAILED(surface->GetDesc(&desc)) ||
      FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    ADD_FAILURE() << "surface cannot be read";
    return pixels;
  }
  pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
    std::memcpy(&pixels[static_cast<size_t>(y) * desc.Width], row, static_cast<size_t>(desc.Width) * 4);
  }
  surface->UnlockRect();
  return pixels;
}

std::vector<uint32_t> DeviceTest::ReadBackBuffer() {
  Holder<IDirect3DSurface9> back;
  EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  return Read(back.Get());
}
