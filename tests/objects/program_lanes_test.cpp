// The screen, centre, glow and fireball programs colour a block of pixels at a time. A pixel's
// colour must not depend on the block it falls in: neither on its lane, nor on how many of the
// block's lanes are covered, nor on what the lanes beyond the covered ones hold. And the branch-free
// helpers their loops use must give exactly what the per-value helpers give.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "objects/centre_brush_programs.h"
#include "objects/discharge_glow_programs.h"
#include "objects/effect_program_values.h"
#include "objects/explosion_program.h"
#include "objects/move_fx_program.h"
#include "objects/screen_brush_programs.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/d3dx9/effect_file.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace {

constexpr int kLanes = d3d9::kBlockPixels;
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

uint32_t Bits(float x) { return std::bit_cast<uint32_t>(x); }

// Every float whose bits are a multiple of `step`, and the edges the helpers branch on.
std::vector<float> Floats(uint32_t step) {
  std::vector<float> values;
  for (float x : {0.0f, 1e-45f, 1e-8f, 0.5f, std::nextafter(1.0f, 0.0f), 1.0f, std::nextafter(2.0f, 0.0f), 2.0f, 3.0f,
                  8388607.5f, 8388608.0f, 8388609.0f, 16777216.0f, 1e30f, kInf, kNaN}) {
    values.push_back(x);
    values.push_back(-x);
  }
  for (uint64_t bits = 0; bits < (uint64_t{1} << 32); bits += step)
    values.push_back(std::bit_cast<float>(static_cast<uint32_t>(bits)));
  while (values.size() % kLanes != 0) values.push_back(0.25f);
  return values;
}

TEST(BlockHelpersTest, GiveTheBitsOfThePerValueHelpers) {
  const std::vector<float> values = Floats(4099);
  for (size_t start = 0; start < values.size(); start += kLanes) {
    const float* x = values.data() + start;
    float floor[kLanes], wrap[kLanes], mirror[kLanes], saturate[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      floor[i] = effect_values::FloorLane(x[i]);
      wrap[i] = effect_values::WrapLane(x[i]);
      mirror[i] = effect_values::MirrorLane(x[i]);
      saturate[i] = effect_values::SaturateLane(x[i]);
    }
    for (int i = 0; i < kLanes; ++i) {
      const bool same = Bits(floor[i]) == Bits(d3d9::Floor(x[i])) && Bits(wrap[i]) == Bits(effect_values::Wrap(x[i])) &&
                        Bits(mirror[i]) == Bits(effect_values::Mirror(x[i])) &&
                        Bits(saturate[i]) == Bits(effect_values::Saturate(x[i]));
      if (!same) {
        ADD_FAILURE() << std::hexfloat << "at " << x[i] << ": floor " << floor[i] << ", wrap " << wrap[i] << ", mirror "
                      << mirror[i] << ", saturate " << saturate[i];
        return;
      }
    }
  }
}

// One call serves a run of equal arguments, but +0 and -0 compare equal and have sines of their
// own sign, and NaN equals nothing.
TEST(BlockHelpersTest, SinOfRunsIsTheSinOfEveryLane) {
  float x[kLanes];
  for (int i = 0; i < kLanes; ++i) x[i] = static_cast<float>(i / 8) * 0.37f;
  x[3] = -0.0f;
  x[4] = 0.0f;
  x[5] = -0.0f;
  x[9] = kNaN;
  x[10] = kNaN;
  x[11] = 0.37f;
  for (int count : {kLanes, 40, 1}) {
    SCOPED_TRACE(count);
    float out[kLanes];
    std::fill(out, out + kLanes, 9.0f);
    effect_values::SinLanes(x, count, out);
    for (int i = 0; i < count; ++i) EXPECT_EQ(Bits(out[i]), Bits(std::sin(x[i]))) << i;
    for (int i = count; i < kLanes; ++i) EXPECT_EQ(out[i], 0.0f) << i;
  }
}

uint32_t Hash(uint32_t x, uint32_t salt) {
  uint32_t h = x * 0x9e3779b9u ^ salt;
  h ^= h >> 15;
  h *= 0x85ebca6bu;
  return h ^ (h >> 13);
}

struct Program {
  std::string name;
  d3d9::PixelProgram (*make)(const std::vector<d3dx9::EffectValue>&);
  std::vector<std::pair<std::string, std::vector<float>>> floats;
  std::vector<std::string> textures;
};

class ProgramLanesTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, bound_.Out(), nullptr), S_OK);
    // A picture on stage 0, and on stage 1 a mask (or glow, or noise) read texel by texel: by
    // columns empty, full, grey, mixed and full. Both are small enough that a block's row crosses
    // many texels and repeats; the row's far end, held to the last column, lies where a whole block
    // is full.
    for (int stage = 0; stage < 2; ++stage) {
      const int w = stage == 0 ? 13 : 5, h = stage == 0 ? 7 : 3;
      std::vector<uint8_t>& texels = texels_[stage];
      texels.resize(static_cast<size_t>(w) * h * 4);
      for (int t = 0; t < w * h; ++t) {
        const uint32_t r = Hash(static_cast<uint32_t>(t), stage + 1);
        const int column = t % w;
        for (int c = 0; c < 4; ++c) {
          uint8_t value = static_cast<uint8_t>(Hash(static_cast<uint32_t>(4 * t + c), 7));
          if (stage == 1) {
            const uint8_t mixed = r % 3 == 0 ? 0 : (r % 3 == 1 ? 255 : static_cast<uint8_t>(r >> 8));
            const uint8_t columns[5] = {0, 255, 128, mixed, 255};
            value = columns[column];
          }
          texels[static_cast<size_t>(4 * t + c)] = value;
        }
      }
      d3d9::TextureView& view = views_[stage];
      view.bits = texels.data();
      view.width = w;
      view.height = h;
      view.pitch = static_cast<size_t>(w) * 4;
      view.format = D3DFMT_A8R8G8B8;
      view.addressU = stage == 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
      view.addressV = stage == 0 ? D3DTADDRESS_MIRROR : D3DTADDRESS_CLAMP;
      view.magFilter = stage == 0 ? D3DTEXF_LINEAR : D3DTEXF_POINT;
      view.minFilter = view.magFilter;
    }
  }

  // The effect's values: the floats given, and each texture parameter bound or not.
  std::vector<d3dx9::EffectValue> Values(const Program& program, bool texturesBound) {
    parameters_.clear();
    parameters_.reserve(program.floats.size() + program.textures.size());
    std::vector<d3dx9::EffectValue> values;
    for (const auto& [name, floats] : program.floats) {
      parameters_.push_back(d3dx9::EffectParameter{name, d3dx9::EffectParameterType::Float, floats});
      values.push_back(d3dx9::EffectValue{&parameters_.back(), floats, nullptr});
    }
    for (const std::string& name : program.textures) {
      parameters_.push_back(d3dx9::EffectParameter{name, d3dx9::EffectParameterType::Texture, {}});
      values.push_back(d3dx9::EffectValue{&parameters_.back(), {}, texturesBound ? bound_.Get() : nullptr});
    }
    return values;
  }

  ComHolder<IDirect3DTexture9> bound_;
  std::vector<uint8_t> texels_[2];
  d3d9::TextureView views_[d3d9::kStageCount]{};
  std::vector<d3dx9::EffectParameter> parameters_;
};

// Two blocks side by side colour a row of 128 pixels. The same pixels coloured again from a block
// that starts `shift` pixels in, with only the pixels up to the end of the row covered and the
// lanes after them holding anything at all, must come out bit for bit the same, on every
// instruction set.
TEST_F(ProgramLanesTest, APixelsColourDoesNotDependOnItsBlock) {
  const std::vector<Program> programs = {
      {"background_copy", &BackgroundCopyProgram, {{"offset", {0.31f, -0.12f}}}, {"Mask"}},
      {"light_pulse", &LightPulseProgram, {{"multiplier", {0.7f}}}, {"Mask"}},
      {"background_move", &BackgroundMoveProgram, {{"Direction", {0.13f, -0.2f}}}, {"Mask"}},
      {"straight_waves",
       &StraightWavesProgram,
       {{"Scale", {1.3f, 1.0f}},
        {"direction", {0.0f, 1.0f}},
        {"direction_n", {0.6f, 0.8f}},
        {"frequency", {40.0f}},
        {"amplitude", {0.05f}},
        {"time", {1.5f}}},
       {"Mask"}},
      {"straight_waves across",
       &StraightWavesProgram,
       {{"Scale", {1.3f, 1.0f}},
        {"direction", {0.8f, 0.6f}},
        {"direction_n", {0.6f, -0.8f}},
        {"frequency", {25.0f}},
        {"amplitude", {0.04f}},
        {"time", {-2.0f}}},
       {"Mask"}},
      {"radial_expand", &RadialExpandProgram, {{"amplitude", {0.4f, 1.9f}}, {"center", {0.45f, 0.5f}}}, {"Mask"}},
      {"radial_waves",
       &RadialWavesProgram,
       {{"bg_scale_factor", {1.7f, 1.0f}},
        {"Scale", {1.0f, 0.8f}},
        {"center", {0.5f, 0.5f}},
        {"frequency", {30.0f}},
        {"amplitude", {0.03f}},
        {"time", {0.9f}}},
       {"Mask"}},
      {"turned_background",
       &TurnedBackgroundProgram,
       {{"coord_transf", {0.8f, -0.6f, 0.6f, 0.8f}}, {"offset", {-0.5f, -0.5f}}},
       {"Mask"}},
      {"glow_gather", &GlowGatherProgram, {}, {}},
      {"glow_screen", &GlowScreenProgram, {{"BlendColor", {0.2f, 0.6f, 1.0f, 1.5f}}}, {}},
      {"glow_normal", &GlowNormalProgram, {{"BlendColor", {1.0f, 0.4f, 0.1f, 0.8f}}}, {}},
      {"explosion_fireball",
       &ExplosionFireballProgram,
       {{"color1", {1.0f, 0.9f, 0.8f}},
        {"color2", {0.3f, 0.3f, 0.35f}},
        {"noise_shift", {0.1f, 0.7f, -0.3f, 0.25f}},
        {"noise_params", {0.8f, 0.4f, 1.5f}},
        {"time", {0.35f, 0.0f}},
        {"phase_3rd", {0.6f, 0.0f}},
        {"phase_1st", {0.5f}}},
       {"GradientTex", "NoiseTex"}},
  };
  // The row: the centre's own pixel, edges, a stretch of one coordinate; lanes of every kind.
  constexpr int kRow = 2 * kLanes;
  float u[kRow], v[kRow], diffuse[kRow];
  for (int j = 0; j < kRow; ++j) {
    u[j] = -0.1f + 0.0107f * static_cast<float>(j);
    v[j] = j < 50 ? 0.5f : 0.37f + 0.0031f * static_cast<float>(j);
    diffuse[j] = static_cast<float>(Hash(j, 9) % 256) / 255.0f;
  }
  u[56] = 0.5f;
  u[57] = 0.45f;
  const d3d9::TextureSampler sampler(views_);
  auto block = [&](int first, int count, bool hostileTail) {
    d3d9::PixelBlock in;
    in.count = count;
    for (int i = 0; i < kLanes; ++i) {
      const int j = std::min(first + i, kRow - 1);
      const bool junk = hostileTail && i >= count;
      const float junkValue = i % 3 == 0 ? kNaN : (i % 3 == 1 ? -kInf : 3e9f);
      for (int c = 0; c < 4; ++c) in.diffuse[c][i] = junk ? junkValue : diffuse[j];
      for (int s = 0; s < d3d9::kProgramStages; ++s) {
        in.u[s][i] = junk ? junkValue : u[j];
        in.v[s][i] = junk ? -junkValue : v[j];
      }
    }
    return in;
  };
  for (const Program& program : programs) {
    for (bool bound : {true, false}) {
      SCOPED_TRACE(program.name + (bound ? " with its textures" : " without textures"));
      const d3d9::PixelProgram run = program.make(Values(program, bound));
      d3d9::ColorBlock whole[2];
      run(block(0, kLanes, false), sampler, whole[0]);
      run(block(kLanes, kLanes, false), sampler, whole[1]);
      for (const std::string& target : d3d9::WideTargets()) {
        d3d9::UseWideTarget(target);
        for (int shift : {1, 7, 33, 63, 64, 100, 127}) {
          for (bool hostileTail : {false, true}) {
            SCOPED_TRACE(testing::Message() << target << ", shift " << shift
                                            << (hostileTail ? ", junk after the row" : ""));
            d3d9::ColorBlock part;
            const int count = std::min(kLanes, kRow - shift);
            run(block(shift, count, hostileTail), sampler, part);
            for (int i = 0; i < count; ++i) {
              const int j = shift + i;
              const d3d9::ColorBlock& ref = whole[j / kLanes];
              const int k = j % kLanes;
              ASSERT_EQ(Bits(part.r[i]), Bits(ref.r[k])) << "pixel " << j;
              ASSERT_EQ(Bits(part.g[i]), Bits(ref.g[k])) << "pixel " << j;
              ASSERT_EQ(Bits(part.b[i]), Bits(ref.b[k])) << "pixel " << j;
              ASSERT_EQ(Bits(part.a[i]), Bits(ref.a[k])) << "pixel " << j;
            }
          }
        }
        d3d9::UseWideTarget("");
      }
    }
  }
}

}  // namespace
