#include "device_fixture.h"

void RenderDeviceTest::CreateDevice(UINT width, UINT height) {
  TearDown();
  ASSERT_EQ(screen_.Open({.width = width, .height = height, .depth = D3DFMT_D16}), S_OK);
  g_Device = device_.Get();
  width_ = width;
  height_ = height;
}

void RenderDeviceTest::TearDown() {
  g_Device = nullptr;
  screen_.Close();
}

std::vector<uint32_t> RenderDeviceTest::ReadTexture(IDirect3DTexture9* texture, UINT* width, UINT* height) {
  D3DSURFACE_DESC desc{};
  std::vector<uint32_t> texels = TextureTexels(texture, width, height);
  // X8R8G8B8 leaves its top byte undefined; the tests compare such textures as opaque.
  if (!texels.empty() && SUCCEEDED(texture->GetLevelDesc(0, &desc)) && desc.Format == D3DFMT_X8R8G8B8)
    for (uint32_t& texel : texels) texel |= 0xFF000000u;
  return texels;
}
