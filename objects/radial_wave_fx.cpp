// The radial waves brush and its stored record "DS_RadialWaveFX", version 2: the amplitude,
// frequency and ring scale values and the outward flag (absent from version 1), then a whole
// "DS_CentralBased" record.
#include "objects/radial_wave_fx.h"

#include "document/class_registry.h"
#include "objects/centre_brush_programs.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_RadialWaveFX";
constexpr DWORD kVersion = 2;
constexpr INT kEffectId = 103;
// The clock runs 50 units per second; the waves' phase moves 4 per second.
constexpr float kTimeRate = 0.08f;
// The ring scale at which rings are circles on the picture.
constexpr double kRoundRings = 75.0;

const IOF_Virtual_ReaderT<DS_RadialWaveFX> g_RadialWaveFXReader;
const bool g_RadialWaveFXRegistered =
    RegisterReader(GetConstructorRegistry(), kClassName, g_RadialWaveFXReader);
const bool g_RadialWaveProgramRegistered = d3dx9::RegisterEffectProgram("radial_waves", &RadialWavesProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_RadialWaveFX>(DS_IOF_Virtual** stream, DWORD version, DS_RadialWaveFX& brush) {
  brush.ReadFields(stream, version);
}

DS_RadialWaveFX::DS_RadialWaveFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  speed = 50u;
  amplitude.scale = 0.00025f;
  amplitude = 50u;
  frequency.scale = 0.0001f;
  frequency.offset = 0.001f;
  frequency = 50u;
  ringScale.offset = 25.0f;
  ringScale = 50u;
}

void DS_RadialWaveFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  const double w = layer.GetWidth();
  const double h = layer.GetHeight();
  // A layer without a picture has no aspect; its rings are left unscaled.
  const double aspect = w > 0.0 ? h / w : 1.0;
  const float scaleFactor[2] = {1.0f, static_cast<float>(kRoundRings / ringScale.derived * aspect)};
  const float center[2] = {CentreU(), CentreV()};
  effect->SetFloatArray("bg_scale_factor", scaleFactor, 2);
  effect->SetFloatArray("center", center, 2);
  effect->SetFloat("frequency", 1.0f / frequency.derived);
  effect->SetFloat("amplitude", amplitude.derived);
  const float c = speed.accumulated;
  effect->SetFloat("time", outward.value != 0 ? c * kTimeRate : c * -kTimeRate);
  DrawBrush(layer);
}

void DS_RadialWaveFX::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  DS_IOF_Virtual* in = *stream;
  if (version > 1) {
    ReadScaledValue(in, amplitude);
    ReadScaledValue(in, frequency);
    ReadScaledValue(in, ringScale);
    in->ReadInt(&outward.value);
  }
  ReadBase(stream);
}

bool DS_RadialWaveFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&amplitude.value);
  out->WriteUInt(&frequency.value);
  out->WriteUInt(&ringScale.value);
  out->WriteInt(&outward.value);
  return SaveBase(stream);
}
