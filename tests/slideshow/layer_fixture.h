// A software device of the test's own size published as g_Device, the shared view reset before each
// test, and helpers to make pictures and read what was drawn.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "render/com_holder.h"
#include "render/device.h"

class LayerDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Replaces the device by one whose back buffer is width x height.
  void CreateDevice(UINT width, UINT height);

  // A managed A8R8G8B8 texture painted pixel by pixel (0xAARRGGBB, y = 0 at the top).
  ComHolder<IDirect3DTexture9> MakeTexture(UINT width, UINT height, const std::function<uint32_t(int, int)>& paint);
  // The back buffer as 0x00RRGGBB, row-major.
  std::vector<uint32_t> ReadBackBuffer();
  uint32_t Pixel(const std::vector<uint32_t>& pixels, int x, int y) const { return pixels[size_t(y) * width_ + x]; }

  ComHolder<IDirect3D9> d3d_;
  ComHolder<IDirect3DDevice9> device_;
  HWND window_ = nullptr;
  UINT width_ = 0;
  UINT height_ = 0;
};

// Colour channels of 0x00RRGGBB.
inline int Red(uint32_t rgb) { return int(rgb >> 16 & 0xFF); }
inline int Green(uint32_t rgb) { return int(rgb >> 8 & 0xFF); }
inline int Blue(uint32_t rgb) { return int(rgb & 0xFF); }
