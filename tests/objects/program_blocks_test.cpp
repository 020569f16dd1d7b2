// The brushes' pixel programs colour a block of a row's pixels at once. A pixel's colour must not
// depend on where in a block it falls, on how many of the block's pixels are covered, on what the
// lanes after the covered ones hold, nor on the instruction set.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "objects/fire_brush_program.h"
#include "objects/heat_distortion_program.h"
#include "objects/pattern_brush_program.h"
#include "objects/underwater_brush_program.h"
#include "objects/water_brush_program.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_program.h"
#include "platform/d3d9/raster_wide.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace {

constexpr int kLanes = d3d9::kBlockPixels;
// A row long enough for three whole blocks and a part of one.
constexpr int kRow = 3 * kLanes + 17;
constexpr int kSide = 16;

uint32_t Hash(int x, int y, uint32_t salt) {
  uint32_t h = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u) ^ salt;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

using Factory = d3d9::PixelProgram (*)(const std::vector<d3dx9::EffectValue>&);

struct ProgramCase {
  const char* name;
  Factory factory;
  std::vector<std::pair<std::string, std::vector<float>>> floats;
  // Texture parameters bound, each with its sampler stage.
  std::vector<std::pair<std::string, DWORD>> textures;
  // The stage whose texture holds signed offsets; -1 for none.
  int signedStage = -1;
};

// The coordinates of pixel x of a row: along the row u grows, and v is either the same for the
// whole row (a quad square to the screen) or grows with u (a turned one).
float RowU(int x) { return (static_cast<float>(x) + 0.5f) / 61.0f * 1.3f - 0.1f; }
float RowV(int x, bool turned) { return 0.37f + (turned ? static_cast<float>(x) * 0.0041f : 0.0f); }

class ProgramBlocksTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    colour_.resize(kSide * kSide);
    mask_.resize(kSide * kSide);
    bump_.resize(kSide * kSide);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        colour_[y * kSide + x] = Hash(x, y, 1);
        // Bands of whole cover between bands of every weight.
        mask_[y * kSide + x] = (x / 6) % 2 == 0 ? 0xffffffffu : Hash(x, y, 2);
        bump_[y * kSide + x] = static_cast<uint16_t>(Hash(x, y, 3));
      }
    ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, plain_.Out(), nullptr),
              S_OK);
    ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, signed_.Out(), nullptr), S_OK);
  }

  // The program's colour of every pixel of the row, run over blocks of `count` covered pixels
  // starting at pixel `first` (the pixels before it from one block of their own). The lanes after
  // the covered ones hold the coordinates of pixels elsewhere in the row.
  std::vector<d3d9::Color> Run(const ProgramCase& c, int first, int count, bool turned) {
    params_.clear();
    params_.reserve(c.floats.size() + c.textures.size());
    std::vector<d3dx9::EffectValue> values;
    for (const auto& [name, floats] : c.floats) {
      params_.push_back(d3dx9::EffectParameter{name, d3dx9::EffectParameterType::Float, {}});
      values.push_back(d3dx9::EffectValue{&params_.back(), floats, nullptr});
    }
    // Every stage reads a picture unless a parameter names another texture for it.
    d3d9::TextureView views[d3d9::kStageCount];
    for (d3d9::TextureView& view : views) {
      view.width = view.height = kSide;
      view.magFilter = view.minFilter = D3DTEXF_LINEAR;
      view.bits = reinterpret_cast<const uint8_t*>(colour_.data());
      view.pitch = kSide * sizeof(uint32_t);
      view.format = D3DFMT_A8R8G8B8;
    }
    for (const auto& [name, stage] : c.textures) {
      const bool isSigned = static_cast<int>(stage) == c.signedStage;
      params_.push_back(d3dx9::EffectParameter{name, d3dx9::EffectParameterType::Texture, {}});
      values.push_back(d3dx9::EffectValue{&params_.back(), {}, isSigned ? signed_.Get() : plain_.Get()});
      d3d9::TextureView& view = views[stage];
      if (isSigned) {
        view.bits = reinterpret_cast<const uint8_t*>(bump_.data());
        view.pitch = kSide * sizeof(uint16_t);
        view.format = D3DFMT_V8U8;
      } else if (name == "Mask") {
        view.bits = reinterpret_cast<const uint8_t*>(mask_.data());
      }
    }
    const d3d9::PixelProgram program = c.factory(values);
    const d3d9::TextureSampler sampler(views);

    std::vector<d3d9::Color> row(kRow);
    auto block = [&](int x, int covered) {
      d3d9::PixelBlock in;
      in.x = x;
      in.y = 0;
      in.count = covered;
      for (int i = 0; i < kLanes; ++i) {
        const int pixel = i < covered ? x + i : kRow - 1 - (x + i) % kRow;
        for (int k = 0; k < 4; ++k) in.diffuse[k][i] = 0.25f * static_cast<float>(k + 1);
        for (int s = 0; s < d3d9::kProgramStages; ++s) {
          in.u[s][i] = RowU(pixel);
          in.v[s][i] = RowV(pixel, turned);
        }
      }
      d3d9::ColorBlock out;
      program(in, sampler, out);
      for (int i = 0; i < covered; ++i) row[x + i] = d3d9::Color{out.r[i], out.g[i], out.b[i], out.a[i]};
    };
    if (first > 0) block(0, first);
    for (int x = first; x < kRow; x += count) block(x, std::min(count, kRow - x));
    return row;
  }

  std::vector<uint32_t> colour_;
  std::vector<uint32_t> mask_;
  std::vector<uint16_t> bump_;
  std::vector<d3dx9::EffectParameter> params_;
  ComHolder<IDirect3DTexture9> plain_;
  ComHolder<IDirect3DTexture9> signed_;
};

bool SameBits(const d3d9::Color& a, const d3d9::Color& b) {
  return std::bit_cast<uint32_t>(a.r) == std::bit_cast<uint32_t>(b.r) &&
         std::bit_cast<uint32_t>(a.g) == std::bit_cast<uint32_t>(b.g) &&
         std::bit_cast<uint32_t>(a.b) == std::bit_cast<uint32_t>(b.b) &&
         std::bit_cast<uint32_t>(a.a) == std::bit_cast<uint32_t>(b.a);
}

TEST_F(ProgramBlocksTest, APixelsColourDoesNotDependOnItsPlaceInABlock) {
  const std::vector<ProgramCase> cases = {
      {"fire",
       &FireFlameProgram,
       {{"c11", {0.0f, 0.1f}},
        {"c12", {0.0f, 0.37f}},
        {"c13", {0.0f, 0.71f}},
        {"ColorK1", {0.2f, 0.1f, 0.0f}},
        {"ColorK2", {0.9f, 0.6f, 0.3f}},
        {"Density", {0.3f}},
        {"Brightness", {0.1f}}},
       {{"Mask", 2}}},
      {"heat", &HeatDistortionProgram, {{"stenght", {0.05f}}, {"Offset", {0.1f, 0.2f}}, {"bump_scale", {2.0f, 3.0f}}},
       {{"Bumpmap", 1}}, 1},
      {"pattern",
       &TiledPatternProgram,
       {{"scale", {2.0f, 1.0f}},
        {"offset", {0.1f, 0.3f}},
        {"coord_transf", {0.9f, 0.4f, -0.4f, 0.9f}},
        {"Scale", {1.3f, 0.8f}}},
       {{"Mask", 1}}},
      {"underwater",
       &UnderwaterWobbleProgram,
       {{"frequency", {17.0f, 23.0f}}, {"Scale", {1.3f, 1.0f}}, {"amplitude", {0.02f}}, {"time", {0.7f}}},
       {{"Mask", 1}}},
      {"underwater unmasked",
       &UnderwaterWobbleProgram,
       {{"frequency", {17.0f, 23.0f}}, {"Scale", {1.3f, 1.0f}}, {"amplitude", {0.02f}}, {"time", {0.7f}}},
       {}},
      {"water",
       &WaterSurfaceProgram,
       {{"Scale", {3.0f, 2.0f}},
        {"BampTrans", {0.05f, 0.01f, -0.01f, 0.05f}},
        {"Direction1", {4.0f, 7.0f}},
        {"Direction2", {0.01f, 0.02f}},
        {"Vhalf", {0.3f, -0.5f, 0.8f}},
        {"Color", {0.8f, 0.9f, 1.1f}},
        {"Time", {1.1f}},
        {"Shadows", {0.6f}},
        {"P2", {1.0f, 3.0f, 1.0f}}},
       {{"Mask", 1}, {"BumpMap", 2}},
       2},
  };
  struct Layout {
    int first;
    int count;
  };
  const Layout layouts[] = {{1, kLanes}, {37, kLanes}, {63, 5}, {0, 1}, {10, 41}};
  for (const ProgramCase& c : cases) {
    for (const bool turned : {false, true}) {
      const std::vector<d3d9::Color> aligned = Run(c, 0, kLanes, turned);
      for (const std::string& target : d3d9::WideTargets()) {
        d3d9::UseWideTarget(target);
        for (const Layout& layout : layouts) {
          const std::vector<d3d9::Color> moved = Run(c, layout.first, layout.count, turned);
          for (int x = 0; x < kRow; ++x)
            ASSERT_TRUE(SameBits(aligned[x], moved[x]))
                << c.name << (turned ? ", turned" : "") << " on " << target << ": pixel " << x << " in blocks of "
                << layout.count << " from " << layout.first;
        }
        d3d9::UseWideTarget("");
      }
    }
  }
}

}  // namespace
