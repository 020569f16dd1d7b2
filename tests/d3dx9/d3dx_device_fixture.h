// A software device on the default machine for the D3DX tests. Every test ends by checking that no
// D3DX object it made is still alive.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <d3dx9.h>

#include <cstdint>
#include <vector>

#include "tests/support/test_device.h"

class D3DXDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Injects the machine's resource-creation and lock failures from now on.
  void FailResourceCreation(bool fail);
  void FailLocks(bool fail);

  // The texels of one level as 0xAARRGGBB (alpha 0xFF for formats without alpha), row-major.
  static std::vector<uint32_t> ReadLevel(IDirect3DTexture9* texture, UINT level, UINT* width, UINT* height);

  TestDevice screen_;
  IDirect3DDevice9* device_ = nullptr;
};

// Channel-wise distance of two 0xAARRGGBB values.
int ColourDistance(uint32_t a, uint32_t b);
