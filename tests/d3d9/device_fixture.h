// A software device on a machine of the test's own, with helpers that draw vertex arrays and read
// pixels back.
#pragma once
#include <gtest/gtest.h>
#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/machine/machine.h"
#include "tests/support/test_device.h"

// Releases a COM object when it goes out of scope.
template <class T>
class Holder {
 public:
  Holder() = default;
  explicit Holder(T* object) : object_(object) {}
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  ~Holder() { Reset(); }
  void Reset() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }
  T** Out() {
    Reset();
    return &object_;
  }
  T* operator->() const { return object_; }
  T* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

// Pre-transformed vertices with a colour (and one set of coordinates).
struct ScreenColorVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
};
struct ScreenTexVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(32, 32); }
  void TearDown() override { Close(); }

  // Replaces the device by one whose back buffer is width x height, on `description`.
  void Open(UINT width, UINT height, machine::Machine description = machine::DefaultMachine(),
            bool depth = true);
  void Close();

  // Draws `vertices` from a fresh vertex buffer, inside a scene.
  template <class V>
  HRESULT Draw(DWORD fvf, D3DPRIMITIVETYPE type, UINT count, const std::vector<V>& vertices) {
    return DrawBytes(fvf, sizeof(V), type, count, vertices.data(), vertices.size() * sizeof(V), nullptr, 0);
  }
  template <class V>
  HRESULT DrawIndexed(DWORD fvf, D3DPRIMITIVETYPE type, UINT count, const std::vector<V>& vertices,
                      const std::vector<uint16_t>& indices) {
    return DrawBytes(fvf, sizeof(V), type, count, vertices.data(), vertices.size() * sizeof(V), indices.data(),
                     indices.size());
  }
  HRESULT DrawBytes(DWORD fvf, UINT stride, D3DPRIMITIVETYPE type, UINT count, const void* vertices, size_t bytes,
                    const uint16_t* indices, size_t indexCount);

  // A full-target quad of pre-transformed vertices as a triangle strip.
  std::vector<ScreenTexVertex> TargetQuad(D3DCOLOR color, float u0 = 0.f, float v0 = 0.f, float u1 = 1.f,
                                          float v1 = 1.f) const;

  void Clear(D3DCOLOR color);
  // A managed texture of one level whose texel (x, y) is written by `texel` (raw bytes of the format).
  IDirect3DTexture9* MakeTexture(UINT width, UINT height, D3DFORMAT format,
                                 const std::function<void(UINT x, UINT y, uint8_t* texel)>& texel);
  // An A8R8G8B8 texture from 0xAARRGGBB values.
  IDirect3DTexture9* MakeArgbTexture(UINT width, UINT height, const std::function<uint32_t(UINT, UINT)>& argb);

  // Pixels of a surface as 0xAARRGGBB, row-major.
  static std::vector<uint32_t> Read(IDirect3DSurface9* surface);
  std::vector<uint32_t> ReadBackBuffer();
  uint32_t Pixel(int x, int y) { return ReadBackBuffer()[static_cast<size_t>(y) * width_ + x]; }

  TestDevice screen_;
  // The device's interfaces as the tests use them; screen_ holds the references.
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  HWND window_ = nullptr;
  UINT width_ = 0;
  UINT height_ = 0;
};

inline int Red(uint32_t c) { return static_cast<int>((c >> 16) & 0xff); }
inline int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xff); }
inline int Blue(uint32_t c) { return static_cast<int>(c & 0xff); }
inline int Alpha(uint32_t c) { return static_cast<int>(c >> 24); }

inline DWORD FloatBits(float f) {
  DWORD bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}
