// Textures from picture files: the picture's own size, its colours the right way up, and clean
// failures for damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/d3dx9/d3dx_device_fixture.h"
#include "tests/d3dx9/image_files.h"

namespace {

using d3dx_test::AllFormats;
using d3dx_test::Bytes;
using d3dx_test::QuadrantColour;

class TextureFileTest : public D3DXDeviceTest {
 protected:
  // The store's and the memory loaders' parameters: one level, triangle filter, info returned.
  HRESULT LoadOneLevel(const Bytes& file, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info) {
    return D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                               1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
                                               D3DX_FILTER_NONE, 0, info, nullptr, texture);
  }
};

TEST_F(TextureFileTest, EachFormatGivesThePicturesSizeAndColours) {
  for (const auto& file : AllFormats(300, 200)) {
    SCOPED_TRACE(file.name);
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(LoadOneLevel(file.bytes, &texture, &info), S_OK);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(info.Width, 300u);
    EXPECT_EQ(info.Height, 200u);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, file.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);
    UINT w = 0, h = 0;
    const auto texels = ReadLevel(texture, 0, &w, &h);
    ASSERT_EQ(w, 300u);
    ASSERT_EQ(h, 200u);
    const int tolerance = file.lossy ? 12 : 0;
    // Corners and the texels on either side of the quadrant borders.
    const int points[][2] = {{0, 0}, {299, 0}, {0, 199}, {299, 199}, {149, 99}, {150, 99}, {149, 100}, {150, 100}};
    for (const auto& p : points) {
      const int x = p[0], y = p[1];
      EXPECT_LE(ColourDistance(texels[size_t(y) * 300 + x], QuadrantColour(x, y, 300, 200, file.alpha)),
                file.lossy && (x == 149 || x == 150) ? 40 : tolerance)
          << "at " << x << ", " << y;
    }
    EXPECT_EQ(texture->Release(), 0u);
  }
}

TEST_F(TextureFileTest, FullChainOnRequest) {
  const Bytes file = d3dx_test::Png(300, 200, false);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
            S_OK);
  // 300 x 200 down to 1 x 1: 300, 150, 75, 37, 18, 9, 4, 2, 1.
  ASSERT_EQ(texture->GetLevelCount(), 9u);
  UINT w = 0, h = 0;
  const auto level1 = ReadLevel(texture, 1, &w, &h);
  EXPECT_EQ(w, 150u);
  EXPECT_EQ(h, 100u);
  EXPECT_EQ(level1[size_t(20) * 150 + 20], 0xFFFF0000u);
  EXPECT_EQ(level1[size_t(80) * 150 + 130], 0xFFFFFFFFu);
  // The last level is the mean of the four quadrants: (255, 127.5, 127.5) give about 0x7F or 0x80.
  const auto last = ReadLevel(texture, 8, &w, &h);
  ASSERT_EQ(w, 1u);
  EXPECT_LE(ColourDistance(last[0], 0xFF7F7F7Fu), 3);
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureFileTest, AskedSizeScalesThePictureAskedFormatConverts) {
  const Bytes file = d3dx_test::Tga(8, 8, 24, false, true);
  IDirect3DTexture9* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), 4, 2, 1, 0, D3DFMT_R5G6B5,
                                                D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &info,
                                                nullptr, &texture),
            S_OK);
  EXPECT_EQ(info.Width, 8u);  // the file's size, not the texture's
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  UINT w = 0, h = 0;
  const auto texels = ReadLevel(texture, 0, &w, &h);
  ASSERT_EQ(w, 4u);
  ASSERT_EQ(h, 2u);
  EXPECT_EQ(texels[0], 0xFFFF0000u);
  EXPECT_EQ(texels[3], 0xFF00FF00u);
  EXPECT_EQ(texels[4], 0xFF0000FFu);
  EXPECT_EQ(texels[7], 0xFFFFFFFFu);
  EXPECT_EQ(texture->Release(), 0u);
}

// Every prefix of a file is damaged; none may give a texture or touch memory it does not own (the
// suite also runs under AddressSanitizer).
TEST_F(TextureFileTest, TruncatedFilesFailCleanly) {
  for (const auto& file : AllFormats(13, 7)) {
    SCOPED_TRACE(file.name);
    for (size_t length = 0; length < file.bytes.size(); ++length) {
      const Bytes cut(file.bytes.begin(), file.bytes.begin() + ptrdiff_t(length));
      IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
      const HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(
          device_, cut.empty() ? nullptr : cut.data(), UINT(cut.size()), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
          D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture);
      EXPECT_TRUE(FAILED(hr)) << "length " << length;
      EXPECT_EQ(texture, nullptr) << "length " << length;
      if (SUCCEEDED(hr) && texture) texture->Release();
    }
  }
}

Bytes Patched(Bytes bytes, size_t at, std::initializer_list<uint8_t> values) {
  for (uint8_t v : values) bytes.at(at++) = v;
  return bytes;
}

TEST_F(TextureFileTest, CorruptFilesFailCleanly) {
  const Bytes png = d3dx_test::Png(16, 16, false);
  const Bytes bmp = d3dx_test::Bmp24BottomUp(16, 16);
  const Bytes tga = d3dx_test::Tga(16, 16, 24, false, false);
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"not a picture", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', 0, 0, 0, 0, 0, 0, 0}},
      {"png header checksum", Patched(png, 29, {0x12, 0x34})},
      {"png huge width", Patched(png, 16, {0x7F, 0xFF, 0xFF, 0xFF})},
      {"bmp huge width", Patched(bmp, 18, {0xFF, 0xFF, 0xFF, 0x0F})},
      {"bmp zero width", Patched(bmp, 18, {0, 0, 0, 0})},
      {"bmp pixels beyond the file", Patched(bmp, 10, {0xFF, 0xFF, 0, 0})},
      {"tga unknown image type", Patched(tga, 2, {77})},
      {"tga huge size", Patched(tga, 12, {0xFF, 0xFF, 0xFF, 0xFF})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(LoadOneLevel(c.bytes, &texture, nullptr), D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
  }
}

TEST_F(TextureFileTest, FailingDeviceGivesNoTexture) {
  const Bytes file = d3dx_test::Png(8, 8, false);
  for (const bool creation : {true, false}) {
    SCOPED_TRACE(creation ? "creation fails" : "locks fail");
    creation ? FailResourceCreation(true) : FailLocks(true);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_TRUE(FAILED(LoadOneLevel(file, &texture, nullptr)));
    EXPECT_EQ(texture, nullptr);
    FailResourceCreation(false);
    FailLocks(false);
  }
}

TEST_F(TextureFileTest, FromAFileByWindowsPath) {
  const auto dir = std::filesystem::temp_directory_path() / ("d3dx-texture-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const Bytes file = d3dx_test::Bmp24BottomUp(30, 20);
  std::ofstream(dir / "pic.bmp", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  std::u16string path;
  for (char c : (dir.string() + "/pic.bmp")) path += c == '/' ? u'\\' : char16_t(c);

  IDirect3DTexture9* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXCreateTextureFromFileExW(device_, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                         D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &info, nullptr,
                                         &texture),
            S_OK);
  EXPECT_EQ(info.Width, 30u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
  EXPECT_EQ(texture->Release(), 0u);

  const std::u16string missing = path + u"-missing";
  texture = nullptr;
  EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExW(device_, missing.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
                                                  D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture)));
  EXPECT_EQ(texture, nullptr);
  std::filesystem::remove_all(dir);
}

}  // namespace
