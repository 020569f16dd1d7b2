// A software device of the test's own size published as g_Device, the shared view reset before each
// test, and helpers to make pictures and read what was drawn.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "document/com_holder.h"
#include "document/device.h"
#include "tests/support/test_device.h"

class LayerDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Replaces the device by one whose back buffer is width x height.
  void CreateDevice(UINT width, UINT height);

  // A managed A8R8G8B8 texture painted pixel by pixel (0xAARRGGBB, y = 0 at the top).
  ComHolder<IDirect3DTexture9> MakeTexture(UINT width, UINT height, const std::function<uint32_t(int, int)>& paint) {
    return PaintedTexture(device_.Get(), width, height, [&](UINT x, UINT y) { return paint(int(x), int(y)); });
  }
  // The back buffer as 0x00RRGGBB, row-major.
  std::vector<uint32_t> ReadBackBuffer() { return screen_.BackBuffer(); }
  uint32_t Pixel(const std::vector<uint32_t>& pixels, int x, int y) const { return pixels[size_t(y) * width_ + x]; }

  TestDevice screen_;
  ComHolder<IDirect3D9>& d3d_ = screen_.d3d;
  ComHolder<IDirect3DDevice9>& device_ = screen_.device;
  HWND& window_ = screen_.window;
  UINT width_ = 0;
  UINT height_ = 0;
};

// Colour channels of 0x00RRGGBB.
inline int Red(uint32_t rgb) { return int(rgb >> 16 & 0xFF); }
inline int Green(uint32_t rgb) { return int(rgb >> 8 & 0xFF); }
inline int Blue(uint32_t rgb) { return int(rgb & 0xFF); }
