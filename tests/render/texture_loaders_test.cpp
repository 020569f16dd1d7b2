#include "document/texture_loaders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "device_fixture.h"
#include "image_files.h"
#include "platform/win32/resource_table.h"
#include "document/texture_entry.h"

namespace {

// The colour at (x, y) of a 0xAARRGGBB picture, compared per channel within `tolerance`.
::testing::AssertionResult ColourNear(const std::vector<uint32_t>& pixels, UINT width, int x, int y, uint32_t rgb,
                                      int tolerance) {
  const uint32_t actual = pixels[size_t(y) * width + x];
  for (int shift : {0, 8, 16}) {
    const int a = (actual >> shift) & 0xFF;
    const int e = (rgb >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance) {
      return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << actual << ", expected "
                                           << rgb;
    }
  }
  return ::testing::AssertionSuccess();
}

struct Format {
  const char* name;
  std::vector<uint8_t> (*encode)(int, int, const test_images::Painter&);
  int tolerance;  // JPEG is lossy
};

}  // namespace

using TextureLoadersTest = RenderDeviceTest;

TEST_F(TextureLoadersTest, EveryFormatGivesItsSizeAspectAndPixels) {
  const Format formats[] = {{"png", test_images::Png, 0},
                            {"jpeg", test_images::Jpeg, 24},
                            {"bmp", test_images::Bmp, 0},
                            {"tga", test_images::Tga, 0}};
  const auto paint = [](int x, int y) { return test_images::Quadrants(300, 200, x, y); };
  for (const Format& format : formats) {
    SCOPED_TRACE(format.name);
    const std::vector<uint8_t> file = format.encode(300, 200, paint);
    D3DXIMAGE_INFO info{};
    TextureHolder texture;
    ASSERT_EQ(TextureFromMemoryInfo(&info, file.data(), UINT(file.size()), texture), S_OK);
    TextureEntry entry;
    entry.SetFromInfo(info.Width, info.Height, texture.Get());
    EXPECT_EQ(entry.width, 300u);
    EXPECT_EQ(entry.height, 200u);
    EXPECT_NEAR(entry.aspect, 0.6667f, 1e-4);
    UINT w = 0, h = 0;
    const std::vector<uint32_t> pixels = ReadTexture(entry.texture.Get(), &w, &h);
    ASSERT_EQ(w, 300u);
    ASSERT_EQ(h, 200u);
    EXPECT_TRUE(ColourNear(pixels, w, 75, 50, 0xFF0000, format.tolerance));
    EXPECT_TRUE(ColourNear(pixels, w, 225, 50, 0x00FF00, format.tolerance));
    EXPECT_TRUE(ColourNear(pixels, w, 75, 150, 0x0000FF, format.tolerance));
    EXPECT_TRUE(ColourNear(pixels, w, 225, 150, 0xFFFFFF, format.tolerance));
  }
}

TEST_F(TextureLoadersTest, BadBytesFailAndLeaveTheHolderEmpty) {
  std::vector<uint8_t> png = test_images::Png(16, 16, [](int, int) { return 0u; });
  const std::vector<uint8_t> truncated(png.begin(), png.begin() + png.size() / 2);
  const std::vector<uint8_t> garbage(64, 0xAB);
  for (const std::vector<uint8_t>* bytes : {&truncated, &garbage}) {
    TextureHolder texture;
    D3DXIMAGE_INFO info{};
    EXPECT_TRUE(FAILED(TextureFromMemoryInfo(&info, bytes->data(), UINT(bytes->size()), texture)));
    EXPECT_FALSE(texture);
  }
  TextureHolder texture;
  EXPECT_EQ(TextureFromMemoryInfo(nullptr, nullptr, 0, texture), E_FAIL);
}

TEST_F(TextureLoadersTest, OwnAndModuleResources) {
  const std::vector<uint8_t> png = test_images::Png(40, 20, [](int, int) { return 0x123456u; });
  const win32::Resource table[] = {{std::u16string_view(u"DDS"), WORD(7), {png.data(), png.size()}}};
  const win32::ResourceTable previous = win32::SetModuleResources(nullptr, table);

  TextureHolder texture;
  EXPECT_EQ(LoadOwnResourceTexture(texture, 7, false), S_OK);
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->GetLevelCount(), 1u);
  EXPECT_EQ(LoadOwnResourceTexture(texture, 7, true), S_OK);
  ASSERT_TRUE(texture);
  EXPECT_GT(texture->GetLevelCount(), 1u);  // the full chain down to 1 x 1
  EXPECT_EQ(LoadOwnResourceTexture(texture, 8, false), E_FAIL);
  EXPECT_FALSE(texture);

  D3DXIMAGE_INFO info{};
  EXPECT_EQ(LoadModuleResourceTexture(nullptr, 7, texture, &info), S_OK);
  EXPECT_EQ(info.Width, 40u);
  EXPECT_EQ(info.Height, 20u);
  win32::SetModuleResources(nullptr, previous);
}

TEST_F(TextureLoadersTest, CopyTextureToNewScalesAndFillsEveryLevel) {
  const std::vector<uint8_t> png = test_images::Png(64, 64, [](int, int) { return 0x00C08040u; });
  TextureHolder source;
  ASSERT_EQ(TextureFromMemoryInfo(nullptr, png.data(), UINT(png.size()), source), S_OK);
  TextureHolder copy;
  CopyTextureToNew(source.Get(), copy, D3DFMT_A8R8G8B8, 32, 32);
  ASSERT_TRUE(copy);
  ASSERT_GT(copy->GetLevelCount(), 1u);
  for (UINT level = 0; level < copy->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(copy->GetLevelDesc(level, &desc), S_OK);
    ASSERT_EQ(copy->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits) & 0xFFFFFFu, 0xC08040u) << "level " << level;
    copy->UnlockRect(level);
  }
  TextureHolder none;
  CopyTextureToNew(nullptr, none, D3DFMT_A8R8G8B8, 32, 32);
  EXPECT_FALSE(none);
}

TEST(TextureEntry, FromTextureSetAndUnknownWidth) {
  TextureSet empty;
  empty.width = 800;
  empty.height = 600;
  empty.aspect = 0.75f;
  TextureEntry entry;
  entry.FromTextureSet(empty);
  EXPECT_FALSE(entry.texture);
  EXPECT_EQ(entry.width, 800u);
  EXPECT_EQ(entry.aspect, 0.75f);
  entry.SetFromInfo(0, 0, nullptr);
  EXPECT_EQ(entry.aspect, 1.0f);
}
