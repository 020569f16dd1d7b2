// Empty textures by D3DX's choice of format, copies between surfaces (format conversion and
// scaling) and the filling of lower mip levels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/d3dx9/d3dx_device_fixture.h"

namespace {

class SurfaceLoadTest : public D3DXDeviceTest {
 protected:
  // A managed texture whose level 0 holds `texels` (0xAARRGGBB, row-major).
  IDirect3DTexture9* Texture(UINT w, UINT h, UINT levels, D3DFORMAT format, const std::vector<uint32_t>& texels) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(w, h, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
    if (!texture || texels.empty()) return texture;
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    for (UINT y = 0; y < h; ++y)
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[size_t(y) * w], w * 4);
    texture->UnlockRect(0);
    return texture;
  }

  static IDirect3DSurface9* Level(IDirect3DTexture9* texture, UINT level) {
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(texture->GetSurfaceLevel(level, &surface), S_OK);
    return surface;
  }

  // Copies level 0 of `from` into level 0 of `to` as the loaders do.
  static HRESULT Copy(IDirect3DTexture9* to, const RECT* toRect, IDirect3DTexture9* from, const RECT* fromRect,
                      DWORD filter) {
    IDirect3DSurface9* target = Level(to, 0);
    IDirect3DSurface9* source = Level(from, 0);
    const HRESULT hr = D3DXLoadSurfaceFromSurface(target, nullptr, toRect, source, nullptr, fromRect, filter, 0);
    target->Release();
    source->Release();
    return hr;
  }
};

// 4 x 4: red, green over blue, white quadrants.
const std::vector<uint32_t> kQuadrants = {
    0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00,
    0xFF0000FF, 0xFF0000FF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF0000FF, 0xFF0000FF, 0xFFFFFFFF, 0xFFFFFFFF,
};

TEST_F(SurfaceLoadTest, CreateTextureChoosesAStorableFormatAndTheChain) {
  const struct {
    const char* name;
    UINT w, h, levels;
    D3DFORMAT asked, made;
    UINT madeLevels;
  } cases[] = {
      {"24-bit asked", 64, 64, 1, D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, 1},
      {"any format", 64, 64, 1, D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, 1},
      {"kept as asked", 16, 16, 1, D3DFMT_R5G6B5, D3DFMT_R5G6B5, 1},
      {"full chain of a wide texture", 128, 32, 0, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 8},
      {"full chain of a side that is no power of two", 300, 200, 0, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 9},
      {"more levels than the chain", 4, 4, 10, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, c.w, c.h, c.levels, 0, c.asked, D3DPOOL_MANAGED, &texture), S_OK);
    EXPECT_EQ(texture->GetLevelCount(), c.madeLevels);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, c.made);
    EXPECT_EQ(desc.Width, c.w);  // never padded to a power of two
    EXPECT_EQ(desc.Height, c.h);
    EXPECT_EQ(texture->Release(), 0u);
  }
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_TRUE(FAILED(D3DXCreateTexture(nullptr, 4, 4, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture)));
  EXPECT_EQ(texture, nullptr);
}

TEST_F(SurfaceLoadTest, SameSizeCopyConvertsTheFormat) {
  IDirect3DTexture9* from = Texture(4, 4, 1, D3DFMT_A8R8G8B8, kQuadrants);
  for (const D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5}) {
    SCOPED_TRACE(format);
    IDirect3DTexture9* to = Texture(4, 4, 1, format, {});
    for (const DWORD filter : {DWORD(D3DX_FILTER_TRIANGLE), DWORD(D3DX_FILTER_NONE), DWORD(D3DX_FILTER_POINT)}) {
      ASSERT_EQ(Copy(to, nullptr, from, nullptr, filter), S_OK);
      UINT w = 0, h = 0;
      EXPECT_EQ(ReadLevel(to, 0, &w, &h), kQuadrants) << "filter " << filter;
    }
    EXPECT_EQ(to->Release(), 0u);
  }
  EXPECT_EQ(from->Release(), 0u);
}

TEST_F(SurfaceLoadTest, TriangleFilterAveragesWhatEachTexelCovers) {
  IDirect3DTexture9* from = Texture(4, 4, 1, D3DFMT_A8R8G8B8, kQuadrants);
  UINT w = 0, h = 0;

  // Halving: each target texel lies inside one quadrant.
  IDirect3DTexture9* half = Texture(2, 2, 1, D3DFMT_A8R8G8B8, {});
  ASSERT_EQ(Copy(half, nullptr, from, nullptr, D3DX_FILTER_TRIANGLE), S_OK);
  EXPECT_EQ(ReadLevel(half, 0, &w, &h), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));

  // 4 -> 1 across: the whole row averaged; red and green give half of each.
  IDirect3DTexture9* column = Texture(1, 2, 1, D3DFMT_A8R8G8B8, {});
  ASSERT_EQ(Copy(column, nullptr, from, nullptr, D3DX_FILTER_TRIANGLE), S_OK);
  const auto averaged = ReadLevel(column, 0, &w, &h);
  EXPECT_LE(ColourDistance(averaged[0], 0xFF808000), 1);
  EXPECT_LE(ColourDistance(averaged[1], 0xFF8080FF), 1);

  // Growing 2 x 2 -> 4 x 4 interpolates: the corners keep their colour, the inner texels blend.
  IDirect3DTexture9* grown = Texture(4, 4, 1, D3DFMT_A8R8G8B8, {});
  ASSERT_EQ(Copy(grown, nullptr, half, nullptr, D3DX_FILTER_TRIANGLE), S_OK);
  const auto big = ReadLevel(grown, 0, &w, &h);
  EXPECT_EQ(big[0], 0xFFFF0000u);
  EXPECT_EQ(big[15], 0xFFFFFFFFu);
  EXPECT_LE(ColourDistance(big[1], 0xFFBF4000), 1);  // three quarters red, one quarter green

  for (auto* t : {half, column, grown}) EXPECT_EQ(t->Release(), 0u);
  EXPECT_EQ(from->Release(), 0u);
}

TEST_F(SurfaceLoadTest, RectanglesPickTheSourceAndTheTarget) {
  IDirect3DTexture9* from = Texture(4, 4, 1, D3DFMT_A8R8G8B8, kQuadrants);
  IDirect3DTexture9* to = Texture(4, 4, 1, D3DFMT_A8R8G8B8, std::vector<uint32_t>(16, 0xFF000000));
  const RECT white = {2, 2, 4, 4}, topLeft = {0, 0, 1, 1};
  ASSERT_EQ(Copy(to, &topLeft, from, &white, D3DX_FILTER_TRIANGLE), S_OK);
  UINT w = 0, h = 0;
  const auto texels = ReadLevel(to, 0, &w, &h);
  EXPECT_EQ(texels[0], 0xFFFFFFFFu);
  EXPECT_EQ(texels[1], 0xFF000000u);  // outside the target rectangle: untouched
  EXPECT_EQ(texels[4], 0xFF000000u);

  const RECT beyond = {2, 2, 5, 4}, empty = {1, 1, 1, 3};
  EXPECT_EQ(Copy(to, nullptr, from, &beyond, D3DX_FILTER_TRIANGLE), D3DERR_INVALIDCALL);
  EXPECT_EQ(Copy(to, &beyond, from, nullptr, D3DX_FILTER_TRIANGLE), D3DERR_INVALIDCALL);
  EXPECT_EQ(Copy(to, &empty, from, nullptr, D3DX_FILTER_TRIANGLE), D3DERR_INVALIDCALL);
  EXPECT_EQ(ReadLevel(to, 0, &w, &h), texels);  // failed copies write nothing
  IDirect3DSurface9* surface = Level(to, 0);
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(surface, nullptr, nullptr, nullptr, nullptr, nullptr, D3DX_FILTER_NONE, 0),
            D3DERR_INVALIDCALL);
  surface->Release();
  EXPECT_EQ(to->Release(), 0u);
  EXPECT_EQ(from->Release(), 0u);
}

TEST_F(SurfaceLoadTest, FilterTextureFillsEveryLowerLevel) {
  IDirect3DTexture9* texture = Texture(4, 4, 0, D3DFMT_A8R8G8B8, kQuadrants);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_FILTER_BOX), S_OK);
  UINT w = 0, h = 0;
  EXPECT_EQ(ReadLevel(texture, 1, &w, &h),
            (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
  // The last level: the mean of the four quadrants.
  EXPECT_LE(ColourDistance(ReadLevel(texture, 2, &w, &h)[0], 0xFF808080), 1);
  EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 3, D3DX_FILTER_BOX), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_FILTER_BOX), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
