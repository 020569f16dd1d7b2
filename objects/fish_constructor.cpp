#include "objects/fish_constructor.h"

#include <cmath>

#include "objects/particle_rules.h"
#include "render/particle.h"
#include "render/random.h"

namespace {
const ds_string kClassName = u"DS_FishConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_FishConstructor> g_FishReader;
const bool g_FishRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_FishReader);
}  // namespace

template <>
void IOF_ReadFields<DS_FishConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FishConstructor& fish) {
  fish.ReadFields(stream, version);
}

bool DS_FishConstructor::Save(DS_IOF_Virtual** stream) {
  SaveFishRecord(stream);
  return true;
}

bool DS_FishConstructor::SaveFishRecord(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteFloat(&maxHorizontalSpeed);
  out->WriteFloat(&maxVerticalSpeed);
  return SaveBase(stream);
}

bool DS_FishConstructor::ReadFishRecord(DS_IOF_Virtual** stream) {
  ds_string fishClass;  // known from its place: read and ignored, like the version
  DWORD fishVersion = 0;
  (*stream)->ReadString(&fishClass);
  (*stream)->ReadULong(&fishVersion);
  return ReadFields(stream, fishVersion);
}

bool DS_FishConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  (*stream)->ReadFloat(&maxHorizontalSpeed);
  (*stream)->ReadFloat(&maxVerticalSpeed);
  return ReadBase(stream);
}

DS_ParticleSystemCtrl* DS_FishConstructor::Clone() const { return new DS_FishConstructor(*this); }

void DS_FishConstructor::InitParticle(Particle& p) {
  p.velocity.x = RandFloat(-maxHorizontalSpeed, maxHorizontalSpeed);
  p.velocity.y = RandFloat(-maxVerticalSpeed, maxVerticalSpeed);
  p.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.velocity.z = 0.0f;
  p.position = RandomPoint();
  ShapeBySize(p, *this);
  Particle::ApplyColor(*this, p);
  if (p.velocity.x < 0.0f) p.halfWidth = -p.halfWidth;  // faces left
}

void DS_FishConstructor::UpdateParticle(Particle& p) {
  p.position.x += animationStep * p.velocity.x;
  p.position.y += animationStep * p.velocity.y;
  // Sideways it turns only once entirely outside, and then faces its new way.
  if (Particle::IsPastLeftEdge(*this, p)) {
    p.velocity.x = std::fabs(p.velocity.x);
    p.halfWidth = std::fabs(p.halfWidth);
  } else if (Particle::IsPastRightEdge(*this, p)) {
    p.velocity.x = -std::fabs(p.velocity.x);
    p.halfWidth = -std::fabs(p.halfWidth);
  }
  if (Particle::CrossesTopEdge(*this, p))
    p.velocity.y = std::fabs(p.velocity.y);
  else if (Particle::CrossesBottomEdge(*this, p))
    p.velocity.y = -std::fabs(p.velocity.y);
  // A new pace now and then, on the scene clock; the sideways sign, and so the facing, stays.
  if (lastTime - p.timer > 1.0f) {
    p.timer = lastTime;
    if (Rand() & 1) {
      p.velocity.x = std::copysign(RandFloat(-maxHorizontalSpeed, maxHorizontalSpeed), p.velocity.x);
      p.velocity.y = RandFloat(-maxVerticalSpeed, maxVerticalSpeed);
      p.velocity.z = 0.0f;
    }
  }
}
