#include <gtest/gtest.h>

#include "device_fixture.h"
#include "image_files.h"
#include "document/texture_loaders.h"
#include "render/textured_quad.h"

using RenderedFrameTest = RenderDeviceTest;

// A 200 x 100 picture, red on the left and blue on the right, fitted into the 1024 x 768 back buffer:
// full width, 512 high, centred at y = 128.
TEST_F(RenderedFrameTest, TexturedQuadShowsItsPictureWhereFitAspectPutIt) {
  const std::vector<uint8_t> png =
      test_images::Png(200, 100, [](int x, int) { return x < 100 ? 0xFF0000u : 0x0000FFu; });
  D3DXIMAGE_INFO info{};
  TextureHolder texture;
  ASSERT_EQ(TextureFromMemoryInfo(&info, png.data(), UINT(png.size()), texture), S_OK);
  TextureEntry picture;
  picture.SetFromInfo(info.Width, info.Height, texture.Get());

  QuadCorners corners;
  corners.FitAspect(picture, float(width_), float(height_));
  TexturedQuad<DX_V::PWCT> quad;
  quad.SetTextureAndCorners(picture.texture.Get(), corners);

  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), S_OK);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  quad.PrepareDraw();
  EXPECT_EQ(device_->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount), S_OK);
  device_->EndScene();

  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_EQ(pixels.size(), size_t(width_) * height_);
  const auto at = [&](int x, int y) { return pixels[size_t(y) * width_ + x]; };
  struct Case {
    int x, y;
    uint32_t rgb;
  };
  const Case cases[] = {{256, 384, 0xFF0000}, {768, 384, 0x0000FF}, {0, 128, 0xFF0000}, {1023, 639, 0x0000FF},
                        {512, 127, 0x000000}, {512, 640, 0x000000}, {10, 10, 0x000000}};
  for (const Case& c : cases) EXPECT_EQ(at(c.x, c.y), c.rgb) << c.x << ", " << c.y;
}
