#include "platform/d3dx9/effect_file.h"

#include <gtest/gtest.h>

#include <string>

#include <d3d9.h>

namespace {

using d3dx9::EffectParameterType;
using d3dx9::ParseEffectFile;

std::optional<d3dx9::EffectFile> Parse(const std::string& text, std::string* error = nullptr) {
  return ParseEffectFile(text.data(), text.size(), error);
}

const char* const kGlow =
    "copperleaf-effect 1\r\n"
    "# two techniques\n"
    "parameter float4 BlendColor 1 0.5 0.25 2\n"
    "parameter float Scale\n"
    "parameter matrix WorldViewProj\n"
    "parameter texture Texture1\n"
    "\n"
    "technique Blend_Max\n"
    "  pass P0\n"
    "    program textured\n"
    "    sampler 1 Texture1\n"
    "    state AlphaBlendEnable TRUE\n"
    "    state BlendOp Max\n"
    "    state CullMode None\n"
    "technique Common\n"
    "  pass A\n"
    "    program textured\n"
    "  pass B\n"
    "    program textured\n"
    "    state SrcBlend InvDestColor\n";

TEST(EffectFile, ReadsParametersTechniquesAndPasses) {
  std::string error;
  auto file = Parse(kGlow, &error);
  ASSERT_TRUE(file) << error;

  ASSERT_EQ(file->parameters.size(), 4u);
  EXPECT_EQ(file->parameters[0].name, "BlendColor");
  EXPECT_EQ(file->parameters[0].defaults, (std::vector<float>{1, 0.5f, 0.25f, 2}));
  EXPECT_EQ(file->parameters[1].defaults, (std::vector<float>{0}));
  const auto& m = file->parameters[2].defaults;
  ASSERT_EQ(m.size(), 16u);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
  EXPECT_EQ(file->parameters[3].type, EffectParameterType::Texture);
  EXPECT_TRUE(file->parameters[3].defaults.empty());

  ASSERT_EQ(file->techniques.size(), 2u);
  const auto& max = file->techniques[0];
  EXPECT_EQ(max.name, "Blend_Max");
  ASSERT_EQ(max.passes.size(), 1u);
  EXPECT_EQ(max.passes[0].program, "textured");
  ASSERT_EQ(max.passes[0].samplers.size(), 1u);
  EXPECT_EQ(max.passes[0].samplers[0].stage, 1u);
  EXPECT_EQ(max.passes[0].samplers[0].parameter, "Texture1");
  ASSERT_EQ(max.passes[0].states.size(), 3u);
  EXPECT_EQ(max.passes[0].states[0].state, (uint32_t)D3DRS_ALPHABLENDENABLE);
  EXPECT_EQ(max.passes[0].states[0].value, (uint32_t)TRUE);
  EXPECT_EQ(max.passes[0].states[1].state, (uint32_t)D3DRS_BLENDOP);
  EXPECT_EQ(max.passes[0].states[1].value, (uint32_t)D3DBLENDOP_MAX);
  EXPECT_EQ(max.passes[0].states[2].state, (uint32_t)D3DRS_CULLMODE);
  EXPECT_EQ(max.passes[0].states[2].value, (uint32_t)D3DCULL_NONE);

  const auto& common = file->techniques[1];
  ASSERT_EQ(common.passes.size(), 2u);
  EXPECT_EQ(common.passes[1].name, "B");
  ASSERT_EQ(common.passes[1].states.size(), 1u);
  EXPECT_EQ(common.passes[1].states[0].value, (uint32_t)D3DBLEND_INVDESTCOLOR);
}

TEST(EffectFile, RejectsWhatIsNoEffectFile) {
  const std::string header = "copperleaf-effect 1\n";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"other first line", "copperleaf-effect 2\ntechnique T\n"},
      {"unknown keyword", header + "shader x\n"},
      {"unknown type", header + "parameter float5 a\n"},
      {"too few values", header + "parameter float2 a 1\n"},
      {"too many values", header + "parameter float a 1 2\n"},
      {"texture with a value", header + "parameter texture t 1\n"},
      {"bad number", header + "parameter float a 1x\n"},
      {"not finite", header + "parameter float a inf\n"},
      {"bad name", header + "parameter float 9a\n"},
      {"parameter twice", header + "parameter float a\nparameter float2 a\n"},
      {"technique twice", header + "technique T\npass P\nprogram textured\ntechnique T\n"},
      {"pass outside technique", header + "pass P\n"},
      {"pass twice", header + "technique T\npass P\nprogram textured\npass P\nprogram textured\n"},
      {"pass without program", header + "technique T\npass P\nstate BlendOp Add\n"},
      {"last pass without program", header + "technique T\npass P\n"},
      {"two programs", header + "technique T\npass P\nprogram a\nprogram b\n"},
      {"program outside pass", header + "technique T\nprogram textured\n"},
      {"unknown state", header + "technique T\npass P\nprogram p\nstate ZEnable TRUE\n"},
      {"bad cull mode", header + "technique T\npass P\nprogram p\nstate CullMode TRUE\n"},
      {"bad state value", header + "technique T\npass P\nprogram p\nstate SrcBlend Max\n"},
      {"sampler stage too high", header + "parameter texture t\ntechnique T\npass P\nprogram p\nsampler 8 t\n"},
      {"sampler stage twice",
       header + "parameter texture t\ntechnique T\npass P\nprogram p\nsampler 0 t\nsampler 0 t\n"},
      {"sampler of a float", header + "parameter float t\ntechnique T\npass P\nprogram p\nsampler 0 t\n"},
      {"sampler of nothing", header + "technique T\npass P\nprogram p\nsampler 0 t\n"},
      {"binary bytes", std::string("copperleaf-effect 1\n\0\x01\x02", 23)},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.text, &error)) << c.what;
    if (!c.text.empty()) {
      EXPECT_FALSE(error.empty()) << c.what;
    }
  }
  EXPECT_FALSE(ParseEffectFile(nullptr, 10));
}

TEST(EffectFile, ErrorNamesTheLine) {
  std::string error;
  EXPECT_FALSE(Parse("copperleaf-effect 1\n\nparameter float a b\n", &error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

}  // namespace
