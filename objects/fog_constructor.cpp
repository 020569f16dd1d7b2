#include "objects/fog_constructor.h"

#include <cmath>

#include "objects/particle_rules.h"
#include "render/particle.h"
#include "render/random.h"

namespace {
const ds_string kClassName = u"DS_FogConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_FogConstructor> g_FogReader;
const bool g_FogRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_FogReader);
}  // namespace

template <>
void IOF_ReadFields<DS_FogConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FogConstructor& fog) {
  fog.ReadFields(stream, version);
}

DS_FogConstructor::DS_FogConstructor() {
  alphaMinimum = 0.2f;
  alphaMaximum = 1.0f;
  transparency.SetAndNotify(50u);
}

bool DS_FogConstructor::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteFloat(&maxHorizontalSpeed);
  out->WriteFloat(&maxVerticalSpeed);
  SaveBase(stream);
  return true;
}

bool DS_FogConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  (*stream)->ReadFloat(&maxHorizontalSpeed);
  (*stream)->ReadFloat(&maxVerticalSpeed);
  return ReadBase(stream);
}

DS_ParticleSystemCtrl* DS_FogConstructor::Clone() const { return new DS_FogConstructor(*this); }

void DS_FogConstructor::InitParticle(Particle& p) {
  p.position = RandomPoint();
  p.velocity.x = RandFloat(-maxHorizontalSpeed, maxHorizontalSpeed);
  p.velocity.y = RandFloat(-maxVerticalSpeed, maxVerticalSpeed);
  p.alpha = RandFloat(0.0f, 1.0f);
  D3DXMatrixRotationZ(&p.spin, RandUnit() * 0.008f - 0.004f);
}

void DS_FogConstructor::UpdateParticle(Particle& p) {
  p.position.x += animationStep * p.velocity.x;
  p.position.y += animationStep * p.velocity.y;
  PulseAlpha(*this, p, false);
  // The centre bounces: a puff may stick out of the bounds by up to its half size.
  if (GetBottomPx() < p.position.y) p.velocity.y = -std::fabs(p.velocity.y);
  if (GetTopPx() > p.position.y) p.velocity.y = std::fabs(p.velocity.y);
  if (GetLeftPx() > p.position.x) p.velocity.x = std::fabs(p.velocity.x);
  if (GetRightPx() < p.position.x) p.velocity.x = -std::fabs(p.velocity.x);
  const D3DXVECTOR3 axis1 = p.axis1, axis2 = p.axis2;
  D3DXVec3TransformCoord(&p.axis1, &axis1, &p.spin);
  D3DXVec3TransformCoord(&p.axis2, &axis2, &p.spin);
  Particle::ApplyColor(*this, p);
}
