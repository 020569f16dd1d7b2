// The expand brush and its stored record "DS_ExpandFX", version 1: the outer and inner values and
// the sine flag, then a whole "DS_CentralBased" record.
#include "objects/expand_fx.h"

#include <cmath>

#include "document/class_registry.h"
#include "objects/centre_brush_programs.h"
#include "platform/d3dx9/effect_programs.h"

namespace {
const ds_string kClassName = u"DS_ExpandFX";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 102;
// One period of the swing, 2 pi, as the single-precision value widened to a double.
constexpr double kTwoPi = 6.2831854820251465;

const IOF_Virtual_ReaderT<DS_ExpandFX> g_ExpandFXReader;
const bool g_ExpandFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_ExpandFXReader);
const bool g_ExpandProgramRegistered = d3dx9::RegisterEffectProgram("radial_expand", &RadialExpandProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_ExpandFX>(DS_IOF_Virtual** stream, DWORD, DS_ExpandFX& brush) {
  brush.ReadFields(stream);
}

DS_ExpandFX::DS_ExpandFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  speed.scale = 0.02f;  // one clock unit per second with the value 50
  speed = 50u;
  outer.scale = 0.005f;
  outer = 50u;
  inner.scale = 0.005f;
  inner = 0u;
}

void DS_ExpandFX::Update(float time) {
  speed.Update(time);
  const float c = speed.accumulated;
  const float a = outer.derived;
  const float b = inner.derived;
  const float m = (a + b) * 0.5f;
  const float k = (a - b) * 0.5f;
  if (sine.value != 0) {
    swing = k + m * std::sin(c);
    return;
  }
  // A triangle wave of the sine's period: -1 at the start of a period, +1 half way through.
  const float e = static_cast<float>(c / kTwoPi);
  float p = e - std::floor(e);
  if (p > 0.5f) p = 1.0f - p;
  swing = k + m * ((p - 0.25f) * 4.0f);
}

void DS_ExpandFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  const float amplitude[2] = {swing > 0.0f ? swing : 0.0f, swing > 0.0f ? 0.0f : std::fabs(swing)};
  const float center[2] = {CentreU(), CentreV()};
  effect->SetFloatArray("amplitude", amplitude, 2);
  effect->SetFloatArray("center", center, 2);
  DrawBrush(layer);
}

void DS_ExpandFX::ReadFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ReadScaledValue(in, outer);
  ReadScaledValue(in, inner);
  in->ReadInt(&sine.value);
  ReadBase(stream);
}

bool DS_ExpandFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&outer.value);
  out->WriteUInt(&inner.value);
  out->WriteInt(&sine.value);
  return SaveBase(stream);
}
