// A software device on a machine of the test's own, published as g_Device for the code under test.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "document/com_holder.h"
#include "document/device.h"
#include "tests/support/test_device.h"

class RenderDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { CreateDevice(1024, 768); }
  void TearDown() override;

  // Replaces the device by one whose back buffer is width x height.
  void CreateDevice(UINT width, UINT height);

  // The back buffer's pixels as 0x00RRGGBB, row-major.
  std::vector<uint32_t> ReadBackBuffer() { return screen_.BackBuffer(); }
  // The top level of a texture as 0xAARRGGBB, row-major, with its size.
  static std::vector<uint32_t> ReadTexture(IDirect3DTexture9* texture, UINT* width, UINT* height);

  TestDevice screen_;
  ComHolder<IDirect3D9>& d3d_ = screen_.d3d;
  ComHolder<IDirect3DDevice9>& device_ = screen_.device;
  UINT width_ = 0;
  UINT height_ = 0;
};
