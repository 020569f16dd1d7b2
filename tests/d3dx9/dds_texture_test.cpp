// Textures from DDS files: the file's own texel format and levels, signed bump offsets kept exact,
// and clean failures for damaged or unsupported files.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/d3dx9/d3dx_device_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum class Kind { Argb, Xrgb, A8, V8U8 };

void Put32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A DDS header for `kind`, followed by `texels` (every level, largest first).
Bytes Dds(Kind kind, uint32_t width, uint32_t height, uint32_t levels, const Bytes& texels, uint32_t caps2 = 0) {
  Bytes out = {'D', 'D', 'S', ' '};
  Put32(out, 124);
  Put32(out, 0x100Fu | (levels > 1 ? 0x20000u : 0));
  Put32(out, height);
  Put32(out, width);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, levels);
  for (int i = 0; i < 11; ++i) Put32(out, 0);
  Put32(out, 32);
  switch (kind) {
    case Kind::Argb:
    case Kind::Xrgb:
      Put32(out, kind == Kind::Argb ? 0x41u : 0x40u);
      Put32(out, 0);
      Put32(out, 32);
      Put32(out, 0x00FF0000u);
      Put32(out, 0x0000FF00u);
      Put32(out, 0x000000FFu);
      Put32(out, kind == Kind::Argb ? 0xFF000000u : 0u);
      break;
    case Kind::A8:
      Put32(out, 0x2u);
      Put32(out, 0);
      Put32(out, 8);
      Put32(out, 0);
      Put32(out, 0);
      Put32(out, 0);
      Put32(out, 0xFFu);
      break;
    case Kind::V8U8:
      Put32(out, 0x80000u);
      Put32(out, 0);
      Put32(out, 16);
      Put32(out, 0x00FFu);
      Put32(out, 0xFF00u);
      Put32(out, 0);
      Put32(out, 0);
      break;
  }
  Put32(out, 0x1000u);
  Put32(out, caps2);
  for (int i = 0; i < 3; ++i) Put32(out, 0);
  out.insert(out.end(), texels.begin(), texels.end());
  return out;
}

// Signed offsets that a sign-less path would lose: -127, -1, 0 and 127 in u and v.
const Bytes kSignedTexels = {0x81, 0x7F, 0xFF, 0x00, 0x00, 0xFF, 0x7F, 0x81,  // 2 x 2, level 0
                             0x10, 0xF0};                                     // 1 x 1, level 1

class DdsTextureTest : public D3DXDeviceTest {
 protected:
  HRESULT Load(const Bytes& file, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info = nullptr,
               UINT levels = D3DX_DEFAULT, D3DFORMAT format = D3DFMT_UNKNOWN, UINT width = D3DX_DEFAULT) {
    return D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), width, width, levels, 0,
                                               format, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, info, nullptr,
                                               texture);
  }

  static Bytes RawLevel(IDirect3DTexture9* texture, UINT level, size_t bytesPerTexel) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(level, &desc);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    Bytes out;
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
      out.insert(out.end(), row, row + desc.Width * bytesPerTexel);
    }
    texture->UnlockRect(level);
    return out;
  }
};

TEST_F(DdsTextureTest, SignedOffsetsKeepTheirFormatLevelsAndSigns) {
  IDirect3DTexture9* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(Load(Dds(Kind::V8U8, 2, 2, 2, kSignedTexels), &texture, &info), S_OK);
  EXPECT_EQ(info.Format, D3DFMT_V8U8);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
  EXPECT_EQ(info.MipLevels, 2u);
  ASSERT_EQ(texture->GetLevelCount(), 2u);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V8U8);
  EXPECT_EQ(RawLevel(texture, 0, 2), Bytes(kSignedTexels.begin(), kSignedTexels.begin() + 8));
  EXPECT_EQ(RawLevel(texture, 1, 2), Bytes({0x10, 0xF0}));
  texture->Release();
}

TEST_F(DdsTextureTest, ColourFilesReadTheirTexelsAndGrowTheirChain) {
  struct Case {
    Kind kind;
    D3DFORMAT format;
    Bytes texels;  // 2 x 1
    uint32_t first, second;
  };
  const Case cases[] = {
      {Kind::Argb, D3DFMT_A8R8G8B8, {0x30, 0x20, 0x10, 0x80, 0xFF, 0xFF, 0xFF, 0x00}, 0x80102030u, 0x00FFFFFFu},
      {Kind::Xrgb, D3DFMT_X8R8G8B8, {0x30, 0x20, 0x10, 0x80, 0xFF, 0xFF, 0xFF, 0x00}, 0xFF102030u, 0xFFFFFFFFu},
      {Kind::A8, D3DFMT_A8, {0x40, 0xC0}, 0x40000000u, 0xC0000000u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, Dds(c.kind, 2, 1, 1, c.texels).data(),
                                                  UINT(Dds(c.kind, 2, 1, 1, c.texels).size()), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                  D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
              S_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, c.format);
    // One level in the file: the chain down to 1 x 1 is made from it.
    EXPECT_EQ(texture->GetLevelCount(), 2u);
    UINT w = 0, h = 0;
    const std::vector<uint32_t> texels = ReadLevel(texture, 0, &w, &h);
    ASSERT_EQ(texels.size(), 2u);
    EXPECT_EQ(texels[0], c.first);
    EXPECT_EQ(texels[1], c.second);
    texture->Release();
  }
}

TEST_F(DdsTextureTest, ASignedFileResizedOrGivenFewerLevelsStaysSigned) {
  IDirect3DTexture9* texture = nullptr;
  // The file claims four levels and holds two: the two complete ones are read.
  const Bytes file = Dds(Kind::V8U8, 2, 2, 4, kSignedTexels);
  ASSERT_EQ(Load(file, &texture), S_OK);
  ASSERT_EQ(texture->GetLevelCount(), 2u);
  EXPECT_EQ(RawLevel(texture, 1, 2), Bytes({0x10, 0xF0}));
  texture->Release();
  // Asked for three levels: the third is made from the second.
  ASSERT_EQ(Load(Dds(Kind::V8U8, 4, 4, 1, Bytes(32, 0x81)), &texture, nullptr, 3), S_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  EXPECT_EQ(RawLevel(texture, 2, 2), Bytes({0x81, 0x81}));
  texture->Release();
  // Enlarged to 4 x 4: a full chain, and the corners keep their offsets' signs.
  ASSERT_EQ(Load(file, &texture, nullptr, D3DX_DEFAULT, D3DFMT_UNKNOWN, 4), S_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  // Enlarged 2 x 2 to 4 x 4: the corners keep their offsets' signs.
  const Bytes top = RawLevel(texture, 0, 2);
  EXPECT_LT(static_cast<int8_t>(top[0]), 0);
  EXPECT_GT(static_cast<int8_t>(top[1]), 0);
  EXPECT_GT(static_cast<int8_t>(top[top.size() - 2]), 0);
  EXPECT_LT(static_cast<int8_t>(top[top.size() - 1]), 0);
  texture->Release();
}

TEST_F(DdsTextureTest, DamagedOrUnsupportedFilesFailCleanly) {
  Bytes truncatedHeader = Dds(Kind::V8U8, 2, 2, 1, kSignedTexels);
  truncatedHeader.resize(60);
  Bytes noTexels = Dds(Kind::V8U8, 2, 2, 1, {0x01, 0x02});
  Bytes compressed = Dds(Kind::Argb, 4, 4, 1, Bytes(64));
  std::memcpy(&compressed[80], "\x04\x00\x00\x00" "DXT1", 8);  // a four-character code the reader lacks
  Bytes badSize = Dds(Kind::Argb, 4, 4, 1, Bytes(64));
  badSize[4] = 100;
  const std::vector<std::pair<const char*, Bytes>> files = {
      {"header cut short", truncatedHeader},
      {"no texels", noTexels},
      {"compressed", compressed},
      {"header size", badSize},
      {"cube map", Dds(Kind::Argb, 1, 1, 1, Bytes(4), 0xFE00u)},
      {"no width", Dds(Kind::Argb, 0, 1, 1, Bytes(4))},
      {"huge", Dds(Kind::Argb, 0x40000000u, 0x40000000u, 1, Bytes(4))},
  };
  for (const auto& [name, file] : files) {
    SCOPED_TRACE(name);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(Load(file, &texture), D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
  }
}

}  // namespace
