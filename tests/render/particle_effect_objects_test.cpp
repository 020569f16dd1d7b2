// The render objects drawn through an effect: the glow object's three passes and the effect object.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "particle_fixture.h"
#include "platform/d3d9/recorder.h"
#include "platform/d3dx9/effect.h"

namespace particle_test {
namespace {

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class EffectParticleObjTest : public ParticleSceneTest {
 protected:
  d3dx9::EffectRecording effectRecording_;
  std::unique_ptr<DS_GlowingObj> MakeGlow(int blendMode, const char16_t* effect = u"glow.fx") {
    TestGlow d(log_);
    d.imageLink = Image(u"wide.png");
    d.maskLink = Image(u"mask.png");
    d.effectLink = Effect(effect);
    d.blendMode = blendMode;
    d.glowColor = 0x00336699u;  // red 0x99, green 0x66, blue 0x33
    d.glowIntensity.SetAndNotify(50);
    d.count = 2;
    return std::unique_ptr<DS_GlowingObj>(static_cast<DS_GlowingObj*>(d.CreateObject()));
  }
  std::unique_ptr<DS_FXObj> MakeFX(const char16_t* effect = u"glow.fx") {
    TestFX d(log_);
    d.effectLink = Effect(effect);
    d.count = 1;
    return std::unique_ptr<DS_FXObj>(static_cast<DS_FXObj*>(d.CreateObject()));
  }
  // The effect's Set calls as "method name" lines, textures as the object they name.
  struct SetCall {
    std::string what;
    IDirect3DBaseTexture9* texture;
    std::vector<float> values;
  };
  static std::vector<SetCall> SetCalls(ID3DXEffect* effect) {
    std::vector<SetCall> out;
    for (const d3dx9::EffectCall& call : *d3dx9::RecordedEffectCalls(effect)) {
      if (call.method.rfind("Set", 0) == 0) out.push_back({call.method + " " + call.name, call.texture, call.values});
    }
    return out;
  }
};

TEST_F(EffectParticleObjTest, GlowLoadsItsPicturesAndEffectAndNeedsTheBackground) {
  auto glow = MakeGlow(0);
  ASSERT_TRUE(glow->glowController->effect);
  EXPECT_EQ(glow->glowController->glowTexture.Get(), SetOf(u"mask.png").textures.at(0).Get());
  EXPECT_EQ(glow->glowController->spriteTexture.Get(), SetOf(u"wide.png").textures.at(0).Get());
  EXPECT_EQ(glow->targets.Width(), 512u);
  EXPECT_EQ(glow->targets.Height(), 512u);
  EXPECT_EQ(glow->particles.size(), 2u);
  EXPECT_TRUE(glow->NeedsBackground());
  EXPECT_FALSE(MakeFX()->NeedsBackground());
}

// Glow pictures into the glow target by "Blend_Max"; the layer again from its background and the
// tinted glow by "Blend_Screen" (blend mode 1) or "Blend_Normal"; the sprites on top by "Common".
TEST_F(EffectParticleObjTest, GlowDrawsThreePassesWithTheTechniqueOfItsBlendMode) {
  struct Case {
    int blendMode;
    const char* second;
  };
  const Case cases[] = {{0, "Blend_Normal"}, {1, "Blend_Screen"}, {2, "Blend_Normal"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blendMode);
    log_->events.clear();
    auto glow = MakeGlow(c.blendMode);
    ID3DXEffect* effect = glow->glowController->effect.Get();
    const size_t before = SetCalls(effect).size();
    RecordingLayer layer(log_);
    layer.background = SetOf(u"tall.png").textures.at(0);
    d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
    recorder->calls.clear();
    recorder->enabled = true;
    glow->Render(layer);
    recorder->enabled = false;

    EXPECT_EQ(log_->events, (std::vector<std::string>{"BeginTarget 3", "DrawSprites", "EndTarget", "DrawQuad",
                                                      "DrawSprites"}));
    std::vector<SetCall> calls = SetCalls(effect);
    calls.erase(calls.begin(), calls.begin() + long(before));
    const std::vector<std::string> expected = {"SetTexture Texture1",
                                               "SetTechnique Blend_Max",
                                               std::string("SetTechnique ") + c.second,
                                               "SetFloatArray BlendColor",
                                               "SetTexture Texture1",
                                               "SetTexture Texture2",
                                               "SetTechnique Common",
                                               "SetTexture Texture1"};
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(calls[i].what, expected[i]) << i;
    EXPECT_EQ(calls[0].texture, glow->glowController->glowTexture.Get());
    EXPECT_EQ(calls[4].texture, layer.background.Get());
    EXPECT_EQ(calls[5].texture, glow->targets.Current());
    EXPECT_EQ(calls[7].texture, glow->glowController->spriteTexture.Get());
    ASSERT_EQ(calls[3].values.size(), 4u);
    EXPECT_FLOAT_EQ(calls[3].values[0], 0x99 / 255.0f);
    EXPECT_FLOAT_EQ(calls[3].values[1], 0x66 / 255.0f);
    EXPECT_FLOAT_EQ(calls[3].values[2], 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(calls[3].values[3], 0.5f);

    // The glow target, and only it, is cleared to transparent black.
    int clears = 0;
    for (const d3d9::RecordedCall& call : recorder->calls) {
      if (call.name != "Clear") continue;
      ++clears;
      ASSERT_GE(call.args.size(), 4u);
      EXPECT_EQ(call.args[2], uint64_t{D3DCLEAR_TARGET});
      EXPECT_EQ(call.args[3], 0u);
    }
    EXPECT_EQ(clears, 1);
  }
}

// An effect that cannot be made leaves the object without drawing, instead of calling a null effect.
TEST_F(EffectParticleObjTest, WithoutTheirEffectNeitherObjectDraws) {
  auto glow = MakeGlow(0, u"absent.fx");
  auto fx = MakeFX(u"absent.fx");
  EXPECT_FALSE(glow->glowController->effect);
  RecordingLayer layer(log_);
  log_->events.clear();
  glow->Render(layer);
  fx->Render(layer);
  EXPECT_TRUE(log_->events.empty());
}

// Without its glow target the clear and the glow pass would land on whatever target is bound (the
// back buffer or the layer's own), so the object draws nothing at all.
TEST_F(EffectParticleObjTest, GlowWithoutItsTargetDrawsNothing) {
  auto glow = MakeGlow(0);
  glow->targets.ReleaseTextures();
  RecordingLayer layer(log_);
  log_->events.clear();
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  recorder->calls.clear();
  recorder->enabled = true;
  glow->Render(layer);
  recorder->enabled = false;
  EXPECT_TRUE(log_->events.empty());
  for (const d3d9::RecordedCall& call : recorder->calls) EXPECT_NE(call.name, "Clear");
}

TEST_F(EffectParticleObjTest, GlowUpdateRunsThePreUpdateBeforeTheParticles) {
  auto glow = MakeGlow(0);
  log_->events.clear();
  glow->Update(0.1f);
  EXPECT_EQ(log_->events, (std::vector<std::string>{"PreUpdate", "UpdateParticle", "UpdateParticle"}));
  EXPECT_EQ(Vertices(*glow).size(), 8u);
}

TEST_F(EffectParticleObjTest, EffectObjectSetsItsParametersThenDrawsItsSprites) {
  auto fx = MakeFX();
  ASSERT_TRUE(fx->effectController->effect);
  fx->Update(0.1f);
  RecordingLayer layer(log_);
  log_->events.clear();
  fx->Render(layer);
  EXPECT_EQ(log_->events, (std::vector<std::string>{"SetEffectParameters", "DrawSprites"}));
}

// The clone inside the object holds one reference to the shared effect, given back with the object.
TEST_F(EffectParticleObjTest, ObjectsHoldOneReferenceToTheEffect) {
  ComHolder<ID3DXEffect> effect;
  effect.Attach(manager_->GetEffect(Effect(u"glow.fx")));
  ASSERT_TRUE(effect);
  const ULONG before = References(effect.Get());
  {
    auto glow = MakeGlow(0);
    auto fx = MakeFX();
    EXPECT_EQ(glow->glowController->effect.Get(), effect.Get());
    EXPECT_EQ(References(effect.Get()), before + 2);
  }
  EXPECT_EQ(References(effect.Get()), before);
}

}  // namespace
}  // namespace particle_test
