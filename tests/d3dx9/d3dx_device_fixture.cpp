#include "d3dx_device_fixture.h"

#include <algorithm>
#include <cstdlib>

#include "platform/d3d9/color.h"
#include "platform/d3d9/formats.h"
#include "platform/d3dx9/com_object.h"
#include "platform/machine/machine.h"

void D3DXDeviceTest::SetUp() {
  ASSERT_EQ(screen_.Open({.width = 64, .height = 64}), S_OK);
  device_ = screen_.device.Get();
  ASSERT_EQ(d3dx9::LiveObjects(), 0);
}

void D3DXDeviceTest::TearDown() {
  EXPECT_EQ(d3dx9::LiveObjects(), 0) << "a D3DX object was left alive";
  if (device_) {
    device_->AddRef();
    EXPECT_EQ(device_->Release(), 1u) << "the device is still referenced";
  }
  device_ = nullptr;
  screen_.Close();
  machine::Install(machine::DefaultMachine());
}

void D3DXDeviceTest::FailResourceCreation(bool fail) {
  machine::Machine m = machine::Current();
  m.faults.failResourceCreation = fail;
  machine::Install(m);
}

void D3DXDeviceTest::FailLocks(bool fail) {
  machine::Machine m = machine::Current();
  m.faults.failLocks = fail;
  machine::Install(m);
}

std::vector<uint32_t> D3DXDeviceTest::ReadLevel(IDirect3DTexture9* texture, UINT level, UINT* width, UINT* height) {
  std::vector<uint32_t> texels;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (!texture || FAILED(texture->GetLevelDesc(level, &desc)) ||
      FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
    return texels;
  *width = desc.Width;
  *height = desc.Height;
  const UINT bytes = d3d9::BytesPerTexel(desc.Format);
  for (UINT y = 0; y < desc.Height; ++y)
    for (UINT x = 0; x < desc.Width; ++x) {
      const d3d9::Color c =
          d3d9::DecodeTexel(desc.Format, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * bytes);
      texels.push_back(uint32_t(d3d9::ToByte(c.a)) << 24 | uint32_t(d3d9::ToByte(c.r)) << 16 |
                       uint32_t(d3d9::ToByte(c.g)) << 8 | d3d9::ToByte(c.b));
    }
  texture->UnlockRect(level);
  return texels;
}

int ColourDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 32; shift += 8) d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return d;
}
