// The move brush and its stored record "DS_MoveFX", version 1: the mode, then a whole
// "DS_DirectionBased" record.
#include "objects/move_fx.h"

#include <cmath>

#include "document/class_registry.h"
#include "objects/move_fx_program.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/noise.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_MoveFX";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 91;

const IOF_Virtual_ReaderT<DS_MoveFX> g_MoveFXReader;
const bool g_MoveFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_MoveFXReader);
const bool g_MoveProgramRegistered = d3dx9::RegisterEffectProgram("background_move", &BackgroundMoveProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_MoveFX>(DS_IOF_Virtual** stream, DWORD, DS_MoveFX& brush) {
  brush.ReadFields(stream);
}

DS_MoveFX::DS_MoveFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  // One clock unit per second.
  speed.scale = 0.02f;
  speed.offset = 0.0f;
  speed = 50u;
  amplitude.scale = 0.0002f;
  amplitude.offset = 0.0f;
  amplitude = 50u;
}

void DS_MoveFX::Update(float time) {
  speed.Update(time);
  const float c = speed.accumulated;
  const float s = mode.value == kNoise ? static_cast<float>(FractalNoise1D(c * 50.0, 75.0, 0.5, 1))
                                       : static_cast<float>(std::sin(static_cast<double>(c)));
  const float b = static_cast<float>(s * amplitude.derived);
  offset[0] = direction.x * b;
  offset[1] = direction.y * b;
}

void DS_MoveFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  effect->SetFloatArray("Direction", offset, 2);
  DrawBrush(layer);
}

void DS_MoveFX::ReadFields(DS_IOF_Virtual** stream) {
  (*stream)->ReadInt(&mode.value);
  ReadBase(stream);
}

bool DS_MoveFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteInt(&mode.value);
  return SaveBase(stream);
}
