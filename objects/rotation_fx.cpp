// The rotation brush and its stored record "DS_RotationFX", version 1: the aspect value, the angle
// and the reverse flag, then a whole "DS_CentralBased" record.
#include "objects/rotation_fx.h"

#include "document/class_registry.h"
#include "objects/centre_brush_programs.h"
#include "platform/d3dx9/effect_programs.h"

namespace {
const ds_string kClassName = u"DS_RotationFX";
constexpr DWORD kVersion = 1;
// Pi as the single-precision value the angle arithmetic has always used.
constexpr float kPi = 3.14159265358979f;

const IOF_Virtual_ReaderT<DS_RotationFX> g_RotationFXReader;
const bool g_RotationFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_RotationFXReader);
const bool g_RotationProgramRegistered =
    d3dx9::RegisterEffectProgram("turned_background", &TurnedBackgroundProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_RotationFX>(DS_IOF_Virtual** stream, DWORD, DS_RotationFX& brush) {
  brush.ReadFields(stream);
}

DS_RotationFX::DS_RotationFX() {
  speed.scale = 0.005f;  // the stored value gives the speed: 0.005 x value radians per second
  speed = 0u;
  aspect.scale = 0.001f;
  aspect = 0u;
}

void DS_RotationFX::Update(float time) {
  speed.Update(time);
  rotation = reverse.value == 0 ? speed.accumulated : -speed.accumulated;
}

void DS_RotationFX::CoordTransform(float out[4]) const {
  const float s = aspect.derived != 0.0f ? aspect.derived : 1.0f;
  D3DXMATRIX turn;
  D3DXMatrixRotationZ(&turn, rotation);
  turn._12 = turn._12 * s;
  turn._21 = turn._21 / s;
  const double degrees = static_cast<double>(angle.value);
  const float a = static_cast<float>(degrees * static_cast<double>(kPi) / 180.0);
  const float b = static_cast<float>(degrees * static_cast<double>(-kPi) / 180.0);
  D3DXMATRIX into, back;
  D3DXMatrixRotationZ(&into, a);
  D3DXMatrixRotationZ(&back, b);
  D3DXMATRIX first, m;
  D3DXMatrixMultiply(&first, &back, &turn);
  D3DXMatrixMultiply(&m, &first, &into);
  out[0] = m._11;
  out[1] = m._12;
  out[2] = m._21;
  out[3] = m._22;
}

void DS_RotationFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  float transform[4];
  CoordTransform(transform);
  const float offset[2] = {-CentreU(), -CentreV()};
  effect->SetFloatArray("coord_transf", transform, 4);
  effect->SetFloatArray("offset", offset, 2);
  DrawBrush(layer);
}

void DS_RotationFX::ReadFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ReadScaledValue(in, aspect);
  in->ReadUInt(&angle.value);
  in->ReadInt(&reverse.value);
  ReadBase(stream);
}

bool DS_RotationFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&aspect.value);
  out->WriteUInt(&angle.value);
  out->WriteInt(&reverse.value);
  return SaveBase(stream);
}
