// The light brush and its stored record "DS_LightFX", version 1: the intensity value and the mode,
// then a whole "DS_FX_Constructor" record.
#include "objects/light_fx.h"

#include <cmath>

#include "document/class_registry.h"
#include "objects/screen_brush_programs.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/noise.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_LightFX";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 76;

const IOF_Virtual_ReaderT<DS_LightFX> g_LightFXReader;
const bool g_LightFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_LightFXReader);
const bool g_LightProgramRegistered = d3dx9::RegisterEffectProgram("light_pulse", &LightPulseProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_LightFX>(DS_IOF_Virtual** stream, DWORD, DS_LightFX& brush) {
  brush.ReadFields(stream);
}

DS_LightFX::DS_LightFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  speed = 40u;  // 40 clock units per second with the base scale
  intensity.scale = 0.01f;
  intensity = 40u;
}

float DS_LightFX::Pulse() const {
  const float c = speed.accumulated;
  if (mode.value >= kNoise) return static_cast<float>((FractalNoise1D(c * 10.0, 75.0, 0.5, 2) + 1.0) * 0.5);
  const float s = std::sin(static_cast<float>(c * 0.2));
  const float m = (s + 1.0f) * 0.5f;
  if (mode.value == kSquare) return m > 0.5f ? 1.0f : 0.0f;
  return m;
}

void DS_LightFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  effect->SetFloat("multiplier", intensity.derived * Pulse());
  DrawBrush(layer);
}

void DS_LightFX::ReadFields(DS_IOF_Virtual** stream) {
  UINT value = intensity.value;
  (*stream)->ReadUInt(&value);
  intensity.SetAndNotify(value);
  (*stream)->ReadInt(&mode.value);
  ReadBase(stream);
}

bool DS_LightFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&intensity.value);
  out->WriteInt(&mode.value);
  return SaveBase(stream);
}
