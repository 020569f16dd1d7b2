#include "objects/god_ray_constructor.h"

#include <cmath>

#include "objects/particle_rules.h"
#include "render/particle.h"
#include "slideshow/view_2d.h"

namespace {
const ds_string kClassName = u"DS_GodRayConstructor";
constexpr DWORD kVersion = 1;
constexpr float kPi = 3.1415927f;
// 1 / tan(1 degree): the shear of a ray leaning 89 degrees from the vertical.
constexpr float kMaxShear = 57.28996f;

const IOF_Virtual_ReaderT<DS_GodRayConstructor> g_GodRayReader;
const bool g_GodRayRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_GodRayReader);
}  // namespace

template <>
void IOF_ReadFields<DS_GodRayConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_GodRayConstructor& ray) {
  ray.ReadFields(stream, version);
}

bool DS_GodRayConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  (*stream)->WriteUInt(&angle.value);
  SaveBase(stream);
  return true;
}

bool DS_GodRayConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  (*stream)->ReadUInt(&angle.value);
  return ReadBase(stream);
}

DS_ParticleSystemCtrl* DS_GodRayConstructor::Clone() const { return new DS_GodRayConstructor(*this); }

float DS_GodRayConstructor::Shear(UINT angle) {
  const float degrees = angle < 180u ? 180.0f - static_cast<float>(angle) : 360.0f - static_cast<float>(angle);
  const float t = degrees * 2.0f * kPi / 360.0f;
  const float shear = 1.0f / std::tan(t);
  if (!(std::fabs(shear) <= kMaxShear)) return std::copysign(kMaxShear, shear);
  return shear;
}

void DS_GodRayConstructor::ShapeRay(Particle& p) const {
  p.halfWidth = static_cast<float>(size.value) * 0.5f;
  p.halfHeight = static_cast<float>(g_LayerView.pictureHeight) * 0.5f;
  p.axis2 = D3DXVECTOR3(Shear(angle.value), 1.0f, 0.0f);
}

void DS_GodRayConstructor::InitParticle(Particle& p) {
  const float left = GetLeftPx();
  p.position.x = left + RandUnit() * (GetRightPx() - left);
  p.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.velocity = D3DXVECTOR3(RandUnit() * 20.0f - 10.0f, 0.0f, 0.0f);
  // Half the height of the bounds, measured from the top of the picture: with the whole picture as
  // bounds the ray, as tall as the picture, covers it from top to bottom.
  p.position.y = (GetBottomPx() - GetTopPx()) * 0.5f;
  p.position.z = 0.0f;
  ShapeRay(p);
  p.alpha = RandUnit();
}

void DS_GodRayConstructor::UpdateParticle(Particle& p) {
  if (animationTime - p.timer > 0.25f) {
    p.timer = animationTime;
    if (Rand() & 1) p.velocity = D3DXVECTOR3(RandUnit() * 20.0f - 10.0f, 0.0f, 0.0f);
  }
  p.position.x += animationStep * p.velocity.x;
  p.position.y += animationStep * p.velocity.y;
  PulseAlpha(*this, p, true);
  Particle::ApplyColor(*this, p);
}
