#include "objects/direction_based.h"

#include <memory>

#include "document/fun_light_ctrl.h"

namespace {
const ds_string kClassName = u"DS_DirectionBased";
constexpr DWORD kVersion = 1;
// Pi as the single-precision value the angle arithmetic has always used.
constexpr float kPi = 3.14159265358979f;
}  // namespace

DS_DirectionBased::DS_DirectionBased() {
  BindDirectionRecompute(angle);
  UpdateDirection();
}

DS_DirectionBased::DS_DirectionBased(const DS_DirectionBased& other)
    : DS_FX_Constructor(other), amplitude(other.amplitude), angle(other.angle) {
  BindDirectionRecompute(angle);
  UpdateDirection();
}

void DS_DirectionBased::BindDirectionRecompute(MediaParam& property) {
  auto observer = std::make_unique<DS_FunLightCtrl2<DS_DirectionBased>>(&DS_DirectionBased::UpdateDirection, this);
  observer->Attach(&property);
  controls.Add(std::move(observer));
}

void DS_DirectionBased::UpdateDirection() {
  const int32_t degrees = static_cast<int32_t>(360u - angle.value);
  const float theta = static_cast<float>(degrees * static_cast<double>(kPi) / 180.0);
  D3DXMATRIX rotation;
  D3DXMatrixRotationZ(&rotation, theta);
  const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
  D3DXVec4Transform(&direction, &unitX, &rotation);
}

bool DS_DirectionBased::ReadBase(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ds_string className;  // known from its place: read and ignored
  DWORD version = 0;
  in->ReadString(&className);
  in->ReadULong(&version);
  ReadScaledValue(in, amplitude);
  in->ReadUInt(&angle.value);
  return DS_FX_Constructor::ReadBase(stream);
}

bool DS_DirectionBased::SaveBase(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&amplitude.value);
  out->WriteUInt(&angle.value);
  return DS_FX_Constructor::SaveBase(stream);
}
