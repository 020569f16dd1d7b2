#include "objects/bird_constructor.h"

#include <cmath>

#include "render/particle.h"
#include "render/random.h"

namespace {
const ds_string kClassName = u"DS_BirdConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_BirdConstructor> g_BirdReader;
const bool g_BirdRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_BirdReader);
}  // namespace

template <>
void IOF_ReadFields<DS_BirdConstructor>(DS_IOF_Virtual** stream, DWORD, DS_BirdConstructor& bird) {
  bird.ReadFishRecord(stream);
}

bool DS_BirdConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  SaveFishRecord(stream);
  return true;
}

DS_ParticleSystemCtrl* DS_BirdConstructor::Clone() const { return new DS_BirdConstructor(*this); }

void DS_BirdConstructor::UpdateParticle(Particle& p) {
  DS_FishConstructor::UpdateParticle(p);
  // Every slow vertical speed, rising or falling, becomes a descent of 0.4 to 1 times the maximum.
  const float k = 0.7f * maxVerticalSpeed;
  if (std::fabs(p.velocity.y) < k) p.velocity.y = k + p.velocity.y * 0.3f / 0.7f;
  const float brisk = 0.7f * maxHorizontalSpeed;
  if (std::fabs(p.velocity.x) < brisk)
    p.velocity.x = std::copysign(RandFloat(brisk, maxHorizontalSpeed), p.velocity.x);
}
