// The waves brush and its stored record "DS_WavesFX", version 1: the amplitude and frequency values,
// the angle and the reverse flag, then a whole "DS_FX_Constructor" record.
#include "objects/waves_fx.h"

#include <memory>

#include "document/class_registry.h"
#include "objects/screen_brush_programs.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_WavesFX";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 77;
// The clock runs 25 units per second; the effect's phase advances 2 per second.
constexpr float kTimeRate = 0.08f;
// Pi as the single-precision value the angle arithmetic has always used.
constexpr float kPi = 3.14159265358979f;

const IOF_Virtual_ReaderT<DS_WavesFX> g_WavesFXReader;
const bool g_WavesFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_WavesFXReader);
const bool g_WavesProgramRegistered = d3dx9::RegisterEffectProgram("straight_waves", &StraightWavesProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_WavesFX>(DS_IOF_Virtual** stream, DWORD, DS_WavesFX& brush) {
  brush.ReadFields(stream);
}

DS_WavesFX::DS_WavesFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  speed = 25u;
  amplitude.scale = 0.00025f;
  amplitude = 50u;
  frequency.scale = 0.0005f;
  frequency.offset = 0.001f;
  frequency = 50u;
  BindAndUpdate();
}

DS_WavesFX::DS_WavesFX(const DS_WavesFX& other)
    : DS_FX_Constructor(other),
      amplitude(other.amplitude),
      frequency(other.frequency),
      angle(other.angle),
      reverse(other.reverse),
      direction(other.direction),
      normal(other.normal) {
  BindAndUpdate();
}

void DS_WavesFX::BindAndUpdate() {
  BindDirectionRecompute(angle);
  BindDirectionRecompute(reverse);
  UpdateDirections();
}

void DS_WavesFX::BindDirectionRecompute(MediaParam& property) {
  auto observer = std::make_unique<DS_FunLightCtrl2<DS_WavesFX>>(&DS_WavesFX::UpdateDirections, this);
  observer->Attach(&property);
  controls.Add(std::move(observer));
}

void DS_WavesFX::UpdateDirections() {
  const int32_t degrees = static_cast<int32_t>(360u - angle.value);
  const float theta = static_cast<float>(degrees * static_cast<double>(kPi) / 180.0);
  D3DXMATRIX rotation;
  D3DXMatrixRotationZ(&rotation, theta);
  const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
  const D3DXVECTOR4 second = reverse.value == 0 ? D3DXVECTOR4(0.0f, 1.0f, 0.0f, 0.0f) : D3DXVECTOR4(-1.0f, 0.0f, 0.0f, 0.0f);
  D3DXVec4Transform(&direction, &unitX, &rotation);
  D3DXVec4Transform(&normal, &second, &rotation);
}

void DS_WavesFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  const float towards[2] = {-direction.x, -direction.y};
  const float across[2] = {normal.x, normal.y};
  effect->SetFloatArray("direction", towards, 2);
  effect->SetFloatArray("direction_n", across, 2);
  effect->SetFloat("frequency", 1.0f / frequency.derived);
  effect->SetFloat("amplitude", amplitude.derived);
  effect->SetFloat("time", speed.accumulated * kTimeRate);
  DrawBrush(layer);
}

void DS_WavesFX::ReadFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ReadScaledValue(in, amplitude);
  ReadScaledValue(in, frequency);
  in->ReadUInt(&angle.value);
  in->ReadInt(&reverse.value);
  ReadBase(stream);
}

bool DS_WavesFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&amplitude.value);
  out->WriteUInt(&frequency.value);
  out->WriteUInt(&angle.value);
  out->WriteInt(&reverse.value);
  return SaveBase(stream);
}
