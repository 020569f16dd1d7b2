#include "objects/grass_constructor.h"

#include <cmath>

#include "objects/particle_rules.h"
#include "objects/sway_shear.h"
#include "render/particle.h"
#include "slideshow/view_2d.h"

namespace {
const ds_string kClassName = u"DS_GrassConstructor";
constexpr DWORD kVersion = 1;
constexpr float kPi = 3.1415927f;
constexpr float kQuarterTurn = 1.5707964f;

const IOF_Virtual_ReaderT<DS_GrassConstructor> g_GrassReader;
const bool g_GrassRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_GrassReader);
}  // namespace

template <>
void IOF_ReadFields<DS_GrassConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_GrassConstructor& grass) {
  grass.ReadFields(stream, version);
}

bool DS_GrassConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  (*stream)->WriteFloat(&amplitude);
  SaveBase(stream);
  return true;
}

bool DS_GrassConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  (*stream)->ReadFloat(&amplitude);
  return ReadBase(stream);
}

DS_ParticleSystemCtrl* DS_GrassConstructor::Clone() const { return new DS_GrassConstructor(*this); }

void DS_GrassConstructor::InitParticle(Particle& p) {
  const float left = GetLeftPx();
  p.position.x = left + RandUnit() * (GetRightPx() - left);
  p.position.y = GetBottomPx() - p.halfHeight;
  p.velocity.z = p.position.x;
  p.velocity.y = RandUnit() * kQuarterTurn;
  p.axis1 = D3DXVECTOR3((Rand() & 1) ? -1.0f : 1.0f, 0.0f, 0.0f);
}

void DS_GrassConstructor::UpdateParticle(Particle& p) {
  // Without a picture width there is no wave across it; the blades then sway in step.
  const float width = static_cast<float>(g_LayerView.pictureWidth);
  const float wave = width > 0.0f ? p.position.x / width * 2.0f * kPi : 0.0f;
  const float a = animationTime + p.velocity.y + wave;
  const float shear = SwayShear(std::sin(a) * amplitude + 90.0f);
  p.axis2 = D3DXVECTOR3(shear, 1.0f, 0.0f);
  p.position.x = p.velocity.z - shear * p.halfHeight;
}
