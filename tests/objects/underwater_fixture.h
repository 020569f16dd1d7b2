// Underwater brushes and layers on a 256 x 256 software device, with a current resource manager over
// a document that carries the underwater effect as resource 88 of "vaultkit.dll", and pictures
// painted as gradients so that any shift of the lookup shows in the pixels.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/com_holder.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace underwater_test {


class UnderwaterSceneTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A managed A8R8G8B8 texture painted pixel by pixel (0xAARRGGBB, y = 0 at the top).
  ComHolder<IDirect3DTexture9> Paint(UINT width, UINT height, const std::function<uint32_t(int, int)>& paint);
  // 256 x 256 with red = x and green = y: a pixel names the texel it shows.
  ComHolder<IDirect3DTexture9> Gradient();
  // The back buffer as 0x00RRGGBB, row-major, 256 wide.
  std::vector<uint32_t> ReadBackBuffer();

  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

inline uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels.at(size_t(y) * 256 + x); }
inline int Red(uint32_t rgb) { return int(rgb >> 16 & 0xFF); }
inline int Green(uint32_t rgb) { return int(rgb >> 8 & 0xFF); }

// The texel (x, y) of the gradient that the wobble shows at pixel (px, py) of a 256 x 256 quad, by
// the effect's formula, wrapped as the sampler wraps.
struct Texel {
  int x, y;
};
Texel WobbledTexel(int px, int py, float fx, float fy, float amplitude, float time);

}  // namespace underwater_test
