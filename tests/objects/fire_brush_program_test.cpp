// The flame program leaves out its lookups where the shape is blank all around a block; the flames
// it draws must be bit for bit those it draws with every lookup made.
#include "objects/fire_brush_program.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_program.h"
#include "platform/d3d9/raster_wide.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/objects/stage_textures.h"

namespace {

constexpr int kLanes = d3d9::kBlockPixels;
// Texels small beside the noise's move, so that a bound a little too tight shows.
constexpr int kShape = 128;
constexpr int kNoise = 16;
// Blocks along a row, and rows: from outside the shape on one side to outside it on the other.
constexpr int kBlocks = 13;
constexpr int kRows = 48;

uint32_t Hash(uint32_t x, uint32_t salt) {
  uint32_t h = x * 0x9e3779b9u ^ salt;
  h ^= h >> 15;
  h *= 0x85ebca6bu;
  return h ^ (h >> 13);
}

// Noise of reds anywhere in 0..1, of signed offsets, or of reds that change gently about the middle.
enum class Noise { kRandom, kSigned, kGentle };

struct FireCase {
  const char* what;
  float density;
  DWORD shapeAddress;
  float borderRed;  // of both the shape's and the noise's stage
  Noise noise;
  DWORD noiseAddress;
  bool masked;
};

class FireBrushProgramTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    // The shape: red only in a blob in the middle, texels 48 .. 79 both ways; the other channels
    // everywhere, so that only the red decides.
    shape_ = Filled(D3DFMT_A8R8G8B8, kShape, [](int x, int y) {
      const bool blob = x >= 48 && x < 80 && y >= 48 && y < 80;
      return (Hash(static_cast<uint32_t>(y * kShape + x), 1) & 0xff00ffffu) | (blob ? 0x00400000u + (x % 32 << 18) : 0u);
    });
    noise_ = Filled(D3DFMT_A8R8G8B8, kNoise, [](int x, int y) { return Hash(static_cast<uint32_t>(y * kNoise + x), 2); });
    // Offsets down to -1 move the shape lookups further than unsigned noise can.
    signedNoise_ = Filled(D3DFMT_V16U16, kNoise, [](int x, int y) { return Hash(static_cast<uint32_t>(y * kNoise + x), 3); });
    // Reds 100 .. 145: the noise moves the shape lookups a quarter as far as it can at most.
    gentleNoise_ = Filled(D3DFMT_A8R8G8B8, kNoise, [](int x, int y) {
      return (Hash(static_cast<uint32_t>(y * kNoise + x), 5) & 0xff00ffffu) | static_cast<uint32_t>(100 + (x + y) % 16 * 3) << 16;
    });
    mask_ = Filled(D3DFMT_A8R8G8B8, kNoise, [](int x, int y) { return Hash(static_cast<uint32_t>(y * kNoise + x), 4); });
  }

  template <class Texel>
  ComHolder<IDirect3DTexture9> Filled(D3DFORMAT format, int side, Texel texel) {
    return FilledTexture(device_.Get(), format, side, texel);
  }

  static d3d9::TextureView View(IDirect3DTexture9* texture, DWORD address) {
    d3d9::TextureView view = StageView(texture, address, address);
    view.magFilter = view.minFilter = D3DTEXF_LINEAR;
    return view;
  }

  // The alpha and colour of every covered pixel, the shape's texture handed to the program only
  // when `shapeKnown` (the stages read it either way).
  std::vector<float> Run(const FireCase& c, bool shapeKnown) {
    std::vector<d3dx9::EffectParameter> params;
    params.reserve(16);
    std::vector<d3dx9::EffectValue> values;
    auto floats = [&](const char* name, std::vector<float> f) {
      params.push_back(d3dx9::EffectParameter{name, d3dx9::EffectParameterType::Float, {}});
      values.push_back(d3dx9::EffectValue{&params.back(), std::move(f), nullptr});
    };
    auto texture = [&](const char* name, IDirect3DTexture9* t) {
      params.push_back(d3dx9::EffectParameter{name, d3dx9::EffectParameterType::Texture, {}});
      values.push_back(d3dx9::EffectValue{&params.back(), {}, t});
    };
    floats("c11", {0.0f, 0.13f});
    floats("c12", {0.0f, 0.41f});
    floats("c13", {0.0f, 0.77f});
    floats("ColorK1", {0.8f, 0.2f, 0.0f});
    floats("ColorK2", {0.2f, 0.7f, 0.3f});
    floats("Density", {c.density});
    floats("Brightness", {0.2f});
    IDirect3DTexture9* noise =
        c.noise == Noise::kSigned ? signedNoise_.Get() : (c.noise == Noise::kGentle ? gentleNoise_.Get() : noise_.Get());
    texture("Pattern", shapeKnown ? shape_.Get() : nullptr);
    texture("Noise", noise);
    if (c.masked) texture("Mask", mask_.Get());
    d3d9::TextureView views[d3d9::kStageCount];
    views[0] = View(shape_.Get(), c.shapeAddress);
    views[0].border = d3d9::Color{c.borderRed, 0.0f, 0.0f, 0.0f};
    views[1] = View(noise, c.noiseAddress);
    views[1].border = views[0].border;
    if (c.masked) views[2] = View(mask_.Get(), D3DTADDRESS_CLAMP);
    const d3d9::PixelProgram program = FireFlameProgram(values);
    const d3d9::TextureSampler sampler(views);

    std::vector<float> seen;
    for (int row = 0; row < kRows; ++row) {
      for (int block = 0; block < kBlocks; ++block) {
        d3d9::PixelBlock in;
        in.x = block * kLanes;
        in.y = row;
        // The last block of a row is partly covered.
        in.count = block + 1 == kBlocks ? 23 : kLanes;
        for (int i = 0; i < kLanes; ++i) {
          for (int k = 0; k < 4; ++k) in.diffuse[k][i] = 1.0f;
          in.u[0][i] = -0.3f + 0.0021f * static_cast<float>(in.x + i);
          in.v[0][i] = -0.25f + 0.031f * static_cast<float>(row);
        }
        d3d9::ColorBlock out;
        program(in, sampler, out);
        for (int i = 0; i < in.count; ++i) seen.insert(seen.end(), {out.r[i], out.g[i], out.b[i], out.a[i]});
      }
    }
    return seen;
  }

  ComHolder<IDirect3DTexture9> shape_;
  ComHolder<IDirect3DTexture9> noise_;
  ComHolder<IDirect3DTexture9> signedNoise_;
  ComHolder<IDirect3DTexture9> gentleNoise_;
  ComHolder<IDirect3DTexture9> mask_;
};

TEST_F(FireBrushProgramTest, BlankShapeLeavesTheFlamesAsEveryLookupDrawsThem) {
  const FireCase cases[] = {
      {"clamped shape", 0.3f, D3DTADDRESS_CLAMP, 0.0f, Noise::kRandom, D3DTADDRESS_WRAP, false},
      {"repeated shape under a mask", 0.0f, D3DTADDRESS_WRAP, 0.0f, Noise::kRandom, D3DTADDRESS_WRAP, true},
      {"repeated shape", 0.3f, D3DTADDRESS_WRAP, 0.0f, Noise::kRandom, D3DTADDRESS_WRAP, false},
      {"mirrored shape", 0.3f, D3DTADDRESS_MIRROR, 0.0f, Noise::kRandom, D3DTADDRESS_WRAP, false},
      {"mirrored shape under a mask", 0.0f, D3DTADDRESS_MIRROR, 0.0f, Noise::kRandom, D3DTADDRESS_WRAP, true},
      {"border of no red around the shape", 0.3f, D3DTADDRESS_BORDER, 0.0f, Noise::kRandom, D3DTADDRESS_WRAP, false},
      {"red border around the shape", 0.3f, D3DTADDRESS_BORDER, 1.0f, Noise::kRandom, D3DTADDRESS_WRAP, false},
      {"faintly red border around the shape", 0.3f, D3DTADDRESS_BORDER, 1.0f / 255.0f, Noise::kRandom,
       D3DTADDRESS_WRAP, false},
      {"density low enough to turn the strength's sign", -0.9f, D3DTADDRESS_CLAMP, 0.0f, Noise::kRandom,
       D3DTADDRESS_WRAP, false},
      {"signed noise moving the shape further", 0.3f, D3DTADDRESS_CLAMP, 0.0f, Noise::kSigned, D3DTADDRESS_WRAP,
       false},
      {"gentle noise, clamped shape", 0.3f, D3DTADDRESS_CLAMP, 0.0f, Noise::kGentle, D3DTADDRESS_WRAP, false},
      {"gentle noise, mirrored shape", 0.3f, D3DTADDRESS_MIRROR, 0.0f, Noise::kGentle, D3DTADDRESS_MIRROR, false},
      {"gentle noise, clamped, under a mask", 0.0f, D3DTADDRESS_CLAMP, 0.0f, Noise::kGentle, D3DTADDRESS_CLAMP, true},
      {"gentle noise in a border of no red", 0.3f, D3DTADDRESS_BORDER, 0.0f, Noise::kGentle, D3DTADDRESS_BORDER,
       false},
      {"gentle noise in a red border", 0.3f, D3DTADDRESS_CLAMP, 1.0f, Noise::kGentle, D3DTADDRESS_BORDER, false},
      {"gentle noise in a red border, shape in a red border", 0.3f, D3DTADDRESS_BORDER, 1.0f, Noise::kGentle,
       D3DTADDRESS_BORDER, false},
  };
  for (const FireCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<float> every = Run(c, false);
    // The rows run from blank shape through the flames: both show.
    int flames = 0, none = 0;
    for (size_t i = 3; i < every.size(); i += 4) (every[i] != 0.0f ? flames : none)++;
    EXPECT_GT(flames, 0);
    EXPECT_GT(none, 0);
    // Each instruction set tells blank blocks and draws the others alike.
    for (const std::string& target : d3d9::WideTargets()) {
      d3d9::UseWideTarget(target);
      const std::vector<float> skipping = Run(c, true);
      d3d9::UseWideTarget("");
      ASSERT_EQ(every.size(), skipping.size());
      for (size_t i = 0; i < every.size(); ++i)
        ASSERT_EQ(std::bit_cast<uint32_t>(skipping[i]), std::bit_cast<uint32_t>(every[i]))
            << "on " << target << ": pixel " << i / 4 << ", channel " << i % 4;
    }
  }
}

}  // namespace
