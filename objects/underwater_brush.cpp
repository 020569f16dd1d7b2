#include "objects/underwater_brush.h"

#include "render/ab_render.h"

namespace {
const ds_string kLibrary = u"vaultkit.dll";
constexpr INT kUnderwaterEffectId = 88;
// The clock runs 25 units per second; "time" takes 0.08 of it, 2.0 per second.
constexpr float kTimeRate = 0.08f;
}  // namespace

DS_UnderwaterFX::DS_UnderwaterFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kUnderwaterEffectId, kLibrary);
  speed.scale = 1.0f;
  speed.offset = 0.0f;
  speed = 25u;
  amplitude.scale = 0.000125f;
  amplitude.offset = 0.0f;
  amplitude = 50u;
  frequency.scale = 0.002f;
  frequency.offset = 0.001f;
  frequency = 50u;
}

DS_UnderwaterFX& DS_UnderwaterFX::operator=(const DS_UnderwaterFX& source) {
  if (&source == this) return *this;
  Assign(source);
  amplitude = source.amplitude;
  frequency = source.frequency;
  return *this;
}

void DS_UnderwaterFX::Apply(DS_ABRender& layer) {
  // Without its effect the brush draws nothing.
  if (!effect) return;
  const double w = layer.GetWidth();
  const double h = layer.GetHeight();
  // A layer without a picture has no aspect; it is taken as square, as the drawing step does.
  const float aspect = h > 0.0 ? static_cast<float>(w / h) : 1.0f;
  // The stored scale and offset keep the derived frequency at 0.001 or more.
  const float f = 1.0f / frequency.derived;
  const float waves[2] = {f * aspect, f};
  effect->SetFloatArray("frequency", waves, 2);
  effect->SetFloat("amplitude", amplitude.derived);
  effect->SetFloat("time", speed.accumulated * kTimeRate);
  DrawBrush(layer);
}
