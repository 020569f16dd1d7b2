#include "objects/ghost_constructor.h"

#include "objects/particle_rules.h"
#include "render/particle.h"
#include "render/random.h"

namespace {
const ds_string kClassName = u"DS_GhostConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_GhostConstructor> g_GhostReader;
const bool g_GhostRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_GhostReader);
}  // namespace

template <>
void IOF_ReadFields<DS_GhostConstructor>(DS_IOF_Virtual** stream, DWORD, DS_GhostConstructor& ghost) {
  ghost.ReadFishRecord(stream);
}

DS_GhostConstructor::DS_GhostConstructor() {
  maxHorizontalSpeed = 50.0f;
  maxVerticalSpeed = 50.0f;
  alphaRate = 0.66f;
  transparency.SetAndNotify(50u);
  sizeFactorMinimum = 1.0f;
  sizeFactorMaximum = 1.0f;
}

bool DS_GhostConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  SaveFishRecord(stream);
  return true;
}

DS_ParticleSystemCtrl* DS_GhostConstructor::Clone() const { return new DS_GhostConstructor(*this); }

void DS_GhostConstructor::InitParticle(Particle& p) {
  DS_FishConstructor::InitParticle(p);
  p.alpha = RandFloat(0.0f, 1.0f);
}

void DS_GhostConstructor::UpdateParticle(Particle& p) {
  DS_FishConstructor::UpdateParticle(p);
  PulseAlpha(*this, p, true);
  Particle::ApplyColor(*this, p);
}
